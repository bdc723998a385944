// Storing the page view's image in the page store and loading it back: the
// compressed form, the bitmap fallback, failures that must add no row, and
// damaged image files; page names and removing pages.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "pages/ImageFiles.h"
#include "pages/PageImageStore.h"
#include "pages/PageStoreHooks.h"
#include "pages/RunLength.h"
#include "pages/SpriteArea.h"
#include "platform/Folders.h"
#include "platform/HandleTestControls.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "tests/pages/ImageFixtures.h"
#include "tests/pages/PageStoreFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

constexpr uint32_t kWidth = 203;  // not a whole number of words
constexpr uint32_t kHeight = 120;

// A page sprite in its own block, as the page view holds it.
Handle MakePage(uint32_t width, uint32_t height, bool noise) {
  const uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(width, 1));
  const uint32_t capacity = kSpriteImageOffset + rowBytes * height;
  Handle block = nullptr;
  EXPECT_EQ(AllocHandle(&block, capacity), 1);
  uint8_t* area = static_cast<uint8_t*>(block);
  InitSpriteArea(area, capacity);
  EXPECT_EQ(CreateSprite(area, "scanned", width, height, kSpriteMode1Bit), nullptr);
  std::mt19937 random(7);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const bool ink = noise ? (random() & 1) != 0 : (y % 10 == 0 || x == y);
      if (ink) SpriteRows(area)[y * rowBytes + x / 8] |= static_cast<uint8_t>(1u << (x % 8));
    }
  return block;
}

FileBytes Block(Handle block, size_t from = 0) {
  const uint8_t* bytes = static_cast<uint8_t*>(block);
  return FileBytes(bytes + from, bytes + HandleSize(block));
}

bool SamePixels(Handle a, Handle b) {
  SpriteInfo ia{}, ib{};
  if (GetSpriteInfo(static_cast<uint8_t*>(a), "scanned", &ia) || GetSpriteInfo(static_cast<uint8_t*>(b), "scanned", &ib))
    return false;
  if (ia.width != ib.width || ia.height != ib.height) return false;
  const uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(ia.width, 1));
  for (uint32_t y = 0; y < ia.height; ++y)
    for (uint32_t x = 0; x < ia.width; ++x) {
      const auto bit = [&](Handle h) {
        return (SpriteRows(static_cast<uint8_t*>(h))[y * rowBytes + x / 8] >> (x % 8)) & 1;
      };
      if (bit(a) != bit(b)) return false;
    }
  return true;
}

class PageImageStoreTest : public PageStoreTest {
 protected:
  void SetUp() override {
    PageStoreTest::SetUp();
    viewPage.imageArea = nullptr;
    std::memcpy(viewPage.imageName, "scanned", 8);
    viewPage.resolution = 300;
    General().autoReadAlways = true;
  }
  void TearDown() override {
    FreeHandle(&viewPage.imageArea);
    FailAllocationsForTest(false);
    PageStoreTest::TearDown();
  }
  std::u16string ImagePath(int16_t id) {
    char16_t path[kPagePathUnits];
    PageFilePath(PageFile::kImage, id, false, path);
    return path;
  }
  // Stores a page and keeps a copy of the page view's block.
  Handle StoreNew(bool noise, const char16_t* name = u"Page.tif") {
    viewPage.imageArea = MakePage(kWidth, kHeight, noise);
    Handle copy = nullptr;
    AllocHandle(&copy, HandleSize(viewPage.imageArea));
    std::memcpy(copy, viewPage.imageArea, HandleSize(viewPage.imageArea));
    StoreScannedPage(true, name);
    return copy;
  }
};

TEST_F(PageImageStoreTest, APageIsStoredCompressedAndLoadsBackBitForBit) {
  Handle original = StoreNew(false, u"Sonata.tif");
  ASSERT_EQ(pageTable.pageCount, 1u);
  EXPECT_EQ(pageTable.currentPage, 0);
  const PageRecord& row = pageTable.rows[0];
  EXPECT_EQ(row.scanId, 0);
  EXPECT_EQ(std::u16string(row.name), u"Sonata.tif");
  EXPECT_EQ(row.resolution, 300);
  EXPECT_EQ(row.flags, kPageSelected);
  const FileBytes file = ReadAll(ImagePath(0));
  ASSERT_GT(file.size(), 15u);
  EXPECT_EQ(std::memcmp(file.data(), "Compressed\0", 11), 0);
  EXPECT_LT(file.size(), HandleSize(original));
  EXPECT_EQ(ReadAll(StorePath(u"!Index")).size(), 13u + 383u);  // the index has the row

  FreeHandle(&viewPage.imageArea);
  ASSERT_EQ(LoadScanImage(0), 1);
  EXPECT_EQ(Block(viewPage.imageArea, 4), Block(original, 4));
  EXPECT_EQ(viewPage.width, kWidth);
  EXPECT_EQ(viewPage.height, kHeight);
  EXPECT_STREQ(viewPage.imageName, "scanned");
  FreeHandle(&original);
}

TEST_F(PageImageStoreTest, AnIncompressiblePageIsStoredAsABitmap) {
  Handle original = StoreNew(true);
  ASSERT_EQ(pageTable.pageCount, 1u);
  const FileBytes file = ReadAll(ImagePath(0));
  ASSERT_GT(file.size(), 2u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  FreeHandle(&viewPage.imageArea);
  ASSERT_EQ(LoadScanImage(0), 1);
  EXPECT_TRUE(SamePixels(viewPage.imageArea, original));
  FreeHandle(&original);
}

TEST_F(PageImageStoreTest, NoMemoryToCompressStoresABitmap) {
  BoxRecorder boxes;
  viewPage.imageArea = MakePage(kWidth, kHeight, false);
  FailAllocationsForTest(true);
  StoreScannedPage(true, u"Short");
  FailAllocationsForTest(false);
  ASSERT_EQ(pageTable.pageCount, 1u);
  EXPECT_EQ(ReadAll(ImagePath(0))[0], 'B');
  ASSERT_FALSE(boxes.Boxes().empty());
  EXPECT_NE(boxes.Boxes()[0].text.find(UiText(10038)), std::u16string::npos);
}

TEST_F(PageImageStoreTest, APageThatCannotBeWrittenAddsNoRow) {
  BoxRecorder boxes;
  WriteTestFile(StorePath(u"Dir0000"), FileBytes{1});  // a file where the page's folder belongs
  viewPage.imageArea = MakePage(kWidth, kHeight, false);
  EXPECT_EQ(StoreScannedPage(true, u"Lost"), -1);
  EXPECT_EQ(pageTable.pageCount, 0u);
  EXPECT_FALSE(FileExists(StorePath(u"!Index").c_str()));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(u"No page has been added"), std::u16string::npos);
}

TEST_F(PageImageStoreTest, AFullTableStoresNothing) {
  BoxRecorder boxes;
  pageTable.pageCount = kMaxPages;
  viewPage.imageArea = MakePage(kWidth, kHeight, false);
  StoreScannedPage(true, u"One too many");
  EXPECT_EQ(pageTable.pageCount, uint32_t(kMaxPages));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10013));
  EXPECT_FALSE(FileExists(ImagePath(0).c_str()));
}

TEST_F(PageImageStoreTest, RestoringTheCurrentPageReplacesItsImageOnly) {
  Handle first = StoreNew(false);
  FreeHandle(&viewPage.imageArea);
  viewPage.imageArea = MakePage(kWidth, kHeight, true);
  EXPECT_EQ(StoreScannedPage(false, nullptr), 0);
  EXPECT_EQ(pageTable.pageCount, 1u);
  Handle second = nullptr;
  TakeHandle(&viewPage.imageArea, &second);
  ASSERT_EQ(LoadScanImage(0), 1);
  EXPECT_TRUE(SamePixels(viewPage.imageArea, second));
  EXPECT_FALSE(SamePixels(viewPage.imageArea, first));
  FreeHandle(&first);
  FreeHandle(&second);
}

int g_scansEnded = 0;

TEST_F(PageImageStoreTest, LoadingAPageEndsScanningAndNamesItsImage) {
  PageStoreHooks hooks = {};
  hooks.endScanning = [] { ++g_scansEnded; };
  SetPageStoreHooks(hooks);
  // A compressed page names the resource folder's file of its name; a page
  // stored as a bitmap names its own file.
  for (bool bitmap : {false, true}) {
    SCOPED_TRACE(bitmap ? "bitmap" : "compressed");
    pageTable.pageCount = 0;
    Handle original = StoreNew(bitmap, u"Sonata.tif");
    FreeHandle(&original);
    FreeHandle(&viewPage.imageArea);
    g_scansEnded = 0;
    ImagePageIndex() = 3;
    SetCurrentImagePath(u"C:\\Scores\\Opened.tif");
    ASSERT_EQ(LoadScanImage(0), 1);
    EXPECT_EQ(g_scansEnded, 1);
    EXPECT_EQ(ImagePageIndex(), 0);
    char16_t resourcePath[600];
    ASSERT_TRUE(MakeResourcePath(resourcePath, u"Sonata.tif"));
    EXPECT_EQ(std::u16string(CurrentImagePath()), bitmap ? ImagePath(0) : std::u16string(resourcePath));
    FreeHandle(&viewPage.imageArea);
  }
  SetCurrentImagePath(u"");
}

// The area size a compressed page was stored with, and the size and block
// it comes back with.
struct StoredSizeCase {
  int64_t storedOverRaw;  // the stored size minus the raw size
  int64_t loadedOverRaw;  // the loaded size (and block) minus the raw size
};

TEST_F(PageImageStoreTest, ACompressedPageKeepsItsStoredAreaSizeWhereItCoversTheSprite) {
  const uint32_t raw = kSpriteImageOffset + static_cast<uint32_t>(PaddedRowBytes(kWidth, 1)) * kHeight;
  const StoredSizeCase cases[] = {
      {0, 0},         // exactly the sprite
      {100, 100},     // spare room: kept, and the block is made that large
      {1024, 1024},   // the most spare room kept
      {-44, 0},       // image bytes + 16, as loaders once wrote it: the sprite's size
      {1025, 0},      // more spare room than a stored page keeps: the sprite's size
  };
  for (const StoredSizeCase& c : cases) {
    SCOPED_TRACE(c.storedOverRaw);
    pageTable.pageCount = 0;
    viewPage.imageArea = MakePage(kWidth, kHeight, false);
    SetAreaWord(static_cast<uint8_t*>(viewPage.imageArea), kAreaSizeOffset, uint32_t(int64_t(raw) + c.storedOverRaw));
    StoreScannedPage(true, u"Sized");
    ASSERT_EQ(pageTable.pageCount, 1u);
    ASSERT_EQ(ReadAll(ImagePath(pageTable.rows[0].scanId))[0], 'C');
    FreeHandle(&viewPage.imageArea);
    ASSERT_EQ(LoadScanImage(0), 1);
    EXPECT_EQ(int64_t(AreaWord(static_cast<uint8_t*>(viewPage.imageArea), kAreaSizeOffset)), raw + c.loadedOverRaw);
    EXPECT_EQ(int64_t(HandleSize(viewPage.imageArea)), raw + c.loadedOverRaw);
    FreeHandle(&viewPage.imageArea);
  }
}

// A compressed page image file made from any bytes.
FileBytes CompressedFile(const FileBytes& raw, uint32_t statedSize) {
  FileBytes packed(raw.size() * 2 + 16);
  size_t n = packed.size();
  EXPECT_TRUE(CompressPageImage(raw.data(), raw.size(), packed.data(), &n));
  FileBytes file(kCompressedTag, kCompressedTag + 11);
  PutLE(&file, statedSize, 4);
  file.insert(file.end(), packed.begin(), packed.begin() + n);
  return file;
}

TEST_F(PageImageStoreTest, DamagedImageFilesAreRefusedAndTheViewKeepsItsImage) {
  Handle good = MakePage(64, 64, false);
  const FileBytes raw = Block(good);
  FreeHandle(&good);
  const uint32_t size = static_cast<uint32_t>(raw.size());
  auto withWord = [&](uint32_t offset, uint32_t value) {
    FileBytes bytes = raw;
    std::memcpy(bytes.data() + offset, &value, 4);  // the tests run little-endian
    return CompressedFile(bytes, size);
  };
  struct Case {
    const char* what;
    FileBytes file;
  };
  FileBytes cut = CompressedFile(raw, size);
  cut.resize(cut.size() - 1);
  FileBytes huge(kCompressedTag, kCompressedTag + 11);
  PutLE(&huge, 0xFFFFFFF0u, 4);
  huge.insert(huge.end(), {0, 255, 0, 255});
  const Case cases[] = {
      {"only the tag", FileBytes(kCompressedTag, kCompressedTag + 11)},
      {"a raw size far beyond what the data holds", huge},
      {"a raw size larger than the data expands to", CompressedFile(raw, size + 4)},
      {"a raw size smaller than the data expands to", CompressedFile(raw, size - 4)},
      {"a raw size below the headers", CompressedFile(FileBytes(40, 0), 40)},
      {"data cut short", cut},
      {"an unsupported mode", withWord(16 + 40, 19)},
      {"rows beyond the block", withWord(16 + 20, 5000)},
      {"a row word count beyond the block", withWord(16 + 16, 0xFFFFFFFF)},
      {"two sprites", withWord(4, 2)},
      {"rows not after the header", withWord(16 + 32, 48)},
      {"a whole word of unused bits", withWord(16 + 28, 32)},
  };
  pageTable.rows[0].scanId = 0;
  pageTable.pageCount = 1;
  char16_t folder[kPagePathUnits];
  PageFilePath(PageFile::kImage, 0, true, folder);  // makes the folder
  viewPage.imageArea = MakePage(8, 8, false);
  const Handle kept = viewPage.imageArea;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BoxRecorder boxes;
    WriteTestFile(ImagePath(0), c.file);
    EXPECT_EQ(LoadScanImage(0), 0);
    EXPECT_EQ(viewPage.imageArea, kept);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(u"damaged"), std::u16string::npos);
  }
}

TEST_F(PageImageStoreTest, PageNamesFromFiles) {
  char16_t name[kPageNameUnits];
  PageNameFromFile(u"C:\\Music\\Sonata.tif", 1, name);
  EXPECT_EQ(std::u16string(name), u"Sonata.tif");
  const std::u16string longName(50, u'n');
  PageNameFromFile((u"C:\\Music\\" + longName).c_str(), 1, name);
  EXPECT_EQ(std::u16string(name), std::u16string(39, u'n'));
  PageNameFromFile((u"C:\\Music\\" + longName).c_str(), 12, name);
  EXPECT_EQ(std::u16string(name), std::u16string(36, u'n') + u" 12");
  PageNameFromFile(u"Score.tif", 2, name);
  EXPECT_EQ(std::u16string(name), u"Score.tif 2");
}

int noImageCalls;
int placeholderCalls;
void NoImage() { ++noImageCalls; }
void Placeholder() { ++placeholderCalls; }

TEST_F(PageImageStoreTest, ThePlaceholderImageFromTheResources) {
  const std::u16string savedResources = ResourceFolder();
  SetResourceFolder(scratch_.Path().c_str());
  PageStoreHooks hooks{};
  hooks.pageViewHasNoImage = NoImage;
  hooks.pageViewShowsPlaceholder = Placeholder;
  SetPageStoreHooks(hooks);
  noImageCalls = placeholderCalls = 0;
  {
    BoxRecorder boxes;
    EXPECT_EQ(LoadWaitImage(), 0);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(noImageCalls, 1);
  }
  ASSERT_TRUE(platform::MakeDirectory(scratch_.File(u"Resources").c_str()));
  char16_t path[kPagePathUnits];
  ASSERT_TRUE(MakeResourcesSubPath(path, u"WaitImage.bmp"));
  WriteBytes(path, MakeBmp(BmpSpec(PatternPicture(37, 21, 2), 1)));
  EXPECT_EQ(LoadWaitImage(), 1);
  EXPECT_STREQ(viewPage.imageName, "waitimage");
  EXPECT_EQ(viewPage.width, 37u);
  EXPECT_EQ(viewPage.height, 21u);
  EXPECT_EQ(placeholderCalls, 1);
  SetResourceFolder(savedResources.c_str());
}

int problemRows[4];
int problemCount;
int* ProblemRows(int** count) {
  *count = &problemCount;
  return problemRows;
}
int currentRemovedCalls;
void CurrentRemoved() { ++currentRemovedCalls; }

TEST_F(PageImageStoreTest, RemovingPagesKeepsTheCurrentOneAndItsFilesGo) {
  for (const char16_t* name : {u"A", u"B", u"C"}) {
    FreeHandle(&viewPage.imageArea);
    viewPage.imageArea = MakePage(16, 16, false);
    StoreScannedPage(true, name);
  }
  ASSERT_EQ(pageTable.pageCount, 3u);
  EXPECT_EQ(pageTable.currentPage, 2);
  char16_t data[kPagePathUnits];
  ASSERT_TRUE(PageFilePath(PageFile::kWorkingData, 1, true, data));
  WriteTestFile(data, FileBytes{1, 2, 3});
  PageStoreHooks hooks{};
  hooks.problemPages = ProblemRows;
  hooks.currentPageRemoved = CurrentRemoved;
  SetPageStoreHooks(hooks);
  problemCount = 4;
  const int rows[] = {1, 2, 0, 1};
  std::copy(rows, rows + 4, problemRows);

  RemoveScannedPage(1, false);  // before the current page
  EXPECT_EQ(pageTable.pageCount, 2u);
  EXPECT_EQ(pageTable.currentPage, 1);
  EXPECT_EQ(std::u16string(pageTable.rows[1].name), u"C");
  EXPECT_FALSE(FileExists(ImagePath(1).c_str()));
  EXPECT_FALSE(FileExists(data));  // a later page with this id must not find it
  EXPECT_TRUE(FileExists(ImagePath(2).c_str()));
  ASSERT_EQ(problemCount, 2);
  EXPECT_EQ(problemRows[0], 1);
  EXPECT_EQ(problemRows[1], 0);

  currentRemovedCalls = 0;
  RemoveScannedPage(1, false);  // the current page
  EXPECT_EQ(pageTable.currentPage, -1);
  EXPECT_EQ(currentRemovedCalls, 1);

  BoxRecorder boxes;
  boxes.QueueAnswer(platform::kAnswerNo);
  RemoveScannedPage(0, true);
  EXPECT_EQ(pageTable.pageCount, 1u);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

}  // namespace
