#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "pages/PageImageStore.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "pages/SpriteStrings.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"
#include "reading/FileOpenerStrings.h"
#include "reading/StaveCompanion.h"
#include "tests/reading/OpenerFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

// What the hooks saw.
struct Seen {
  int readNext = 0;
  std::vector<uint32_t> suggested;
  uint32_t answer = 0;
  std::vector<std::u16string> pdfs;
} seen;

uint32_t AskResolution(const char16_t*, uint32_t suggested) {
  seen.suggested.push_back(suggested);
  return seen.answer;
}
void ReadNext() { ++seen.readNext; }
int OpenPdf(const char16_t* path) {
  seen.pdfs.push_back(path);
  return 0;
}

class FileOpenerTest : public OpenerTest {
 protected:
  void SetUp() override {
    OpenerTest::SetUp();
    seen = Seen{};
    FileOpenerHooks hooks{};
    hooks.askPageResolution = AskResolution;
    hooks.readNextPendingPage = ReadNext;
    hooks.openPdf = OpenPdf;
    SetFileOpenerHooks(hooks);
  }
  std::u16string PageName(int row) const { return pageTable.rows[row].name; }
};

TEST_F(FileOpenerTest, AMultiPageTiffBecomesThatManyStoredPages) {
  std::u16string path = scratch_.File(u"Sonata.tif");
  WriteOpenerTiff(path, {OpenerPage{}, OpenerPage{80, 40}, OpenerPage{96, 64, 8}});
  BoxRecorder boxes;
  ASSERT_TRUE(QueueFileToOpen(path.c_str(), u""));
  OpenFileByType();
  ASSERT_EQ(pageTable.pageCount, 3u);
  EXPECT_EQ(PageName(0), u"Sonata.tif");
  EXPECT_EQ(PageName(1), u"Sonata.tif 2");
  EXPECT_EQ(PageName(2), u"Sonata.tif 3");
  EXPECT_EQ(pageTable.rows[2].resolution, 300);
  EXPECT_EQ(seen.readNext, 1);
  EXPECT_EQ(OpenFiles.count, 0);
  EXPECT_FALSE(OpenFiles.busy);
}

TEST_F(FileOpenerTest, AStaveCompanionBesideTheImageGivesItsStaves) {
  std::u16string path = scratch_.File(u"Etude.tif");
  WriteOpenerTiff(path, {OpenerPage{400, 300}});
  WriteFileBytes(path + u".stv", CompanionBytes({{5, 0, 20, 30, 300, 40}, {6, 1, 20, 100, 300, 50}}));
  BoxRecorder boxes;
  ASSERT_EQ(OpenTiffFile(path.c_str(), u".tif"), 1);
  ASSERT_EQ(pageTable.pageCount, 1u);
  EXPECT_NE(pageTable.rows[0].flags & kStavesFromCompanion, 0u);
  ASSERT_EQ(viewPage.staveCount, 2u);
  EXPECT_EQ(viewPage.staves[0].top, 30);
  EXPECT_EQ(viewPage.staves[0].lineCount, 5);
  EXPECT_EQ(viewPage.staves[1].kind, 1);
  EXPECT_EQ(viewPage.staves[1].group, viewPage.staves[0].group);

  // The staves are in the page's data file on disc, and a later load of the
  // page gets them back.
  char16_t dataPath[kPagePathUnits];
  ASSERT_TRUE(PageFilePath(PageFile::kData, pageTable.rows[0].scanId, false, dataPath));
  auto fromFile = std::make_unique<PageData>();
  ASSERT_EQ(ReadPageDataFile(dataPath, fromFile.get(), nullptr), PageDataRead::kRead);
  ASSERT_EQ(fromFile->staveCount, 2u);
  auto loaded = std::make_unique<PageData>();
  LoadPageData(loaded.get(), 0);
  ASSERT_EQ(loaded->staveCount, 2u);
  const int16_t tops[] = {30, 100}, lines[] = {5, 6}, kinds[] = {0, 1};
  for (int s = 0; s < 2; ++s) {
    EXPECT_EQ(loaded->staves[s].top, tops[s]) << s;
    EXPECT_EQ(loaded->staves[s].lineCount, lines[s]) << s;
    EXPECT_EQ(loaded->staves[s].kind, kinds[s]) << s;
    EXPECT_EQ(loaded->staves[s].group, viewPage.staves[s].group) << s;
    EXPECT_EQ(loaded->curvesValid[s], 1u) << s;
  }
  EXPECT_EQ(loaded->staves[0].bottom, 70);
  EXPECT_EQ(loaded->lineCurves.y[1][5][512], 50);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FileOpenerTest, AFileWithTiffBytesAndNoExtensionOpensAsTiff) {
  std::u16string path = scratch_.File(u"scan");
  WriteOpenerTiff(path, {OpenerPage{}, OpenerPage{}});
  BoxRecorder boxes;
  QueueFileToOpen(path.c_str(), u"");
  OpenFileByType();
  EXPECT_EQ(pageTable.pageCount, 2u);
  EXPECT_TRUE(seen.pdfs.empty());
}

TEST_F(FileOpenerTest, TheTypeGoesByTheExtensionFirst) {
  std::u16string path = scratch_.File(u"notes.pdf");
  WriteOpenerTiff(path, {OpenerPage{}});
  QueueFileToOpen(path.c_str(), u"");
  OpenFileByType();
  EXPECT_EQ(pageTable.pageCount, 0u);
  ASSERT_EQ(seen.pdfs.size(), 1u);
  EXPECT_EQ(seen.pdfs[0], path);
  EXPECT_EQ(seen.readNext, 0);
}

TEST_F(FileOpenerTest, TheQueueOpensInNameOrderWithoutRegardToCase) {
  std::u16string b = scratch_.File(u"b.tif"), a = scratch_.File(u"A.tif");
  WriteOpenerTiff(b, {OpenerPage{}});
  WriteOpenerTiff(a, {OpenerPage{}});
  BoxRecorder boxes;
  QueueFileToOpen(b.c_str(), u"");
  QueueFileToOpen(a.c_str(), u"");
  OpenFileByType();
  ASSERT_EQ(pageTable.pageCount, 2u);
  EXPECT_EQ(PageName(0), u"A.tif");
  EXPECT_EQ(PageName(1), u"b.tif");
}

TEST_F(FileOpenerTest, AMissingOrOutOfRangeResolutionAsksTheUser) {
  std::u16string none = scratch_.File(u"none.tif"), low = scratch_.File(u"low.tif"), high = scratch_.File(u"high.tif");
  OpenerPage noResolution;
  noResolution.withResolution = false;
  OpenerPage lowResolution;
  lowResolution.resolution = 72;
  OpenerPage highResolution;
  highResolution.resolution = 1200;
  WriteOpenerTiff(none, {noResolution});
  WriteOpenerTiff(low, {lowResolution});
  WriteOpenerTiff(high, {highResolution});
  BoxRecorder boxes;
  // Nobody chooses a resolution: nothing is stored.
  EXPECT_EQ(OpenTiffFile(none.c_str(), u".tif"), 0);
  EXPECT_EQ(pageTable.pageCount, 0u);
  seen.answer = 400;
  EXPECT_EQ(OpenTiffFile(low.c_str(), u".tif"), 1);
  EXPECT_EQ(OpenTiffFile(high.c_str(), u".tif"), 1);
  EXPECT_EQ(seen.suggested, (std::vector<uint32_t>{150, 150, 600}));
  ASSERT_EQ(pageTable.pageCount, 2u);
  EXPECT_EQ(pageTable.rows[0].resolution, 400);
}

// An 8 x 8 1-bit bitmap with the given pixels per metre (0: none given).
std::vector<uint8_t> SmallBitmap(uint32_t pixelsPerMetre) {
  std::vector<uint8_t> b(62 + 32, 0);
  auto put = [&b](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, uint32_t(b.size()), 4);
  put(10, 62, 4);
  put(14, 40, 4);
  put(18, 8, 4);
  put(22, 8, 4);
  put(26, 1, 2);
  put(28, 1, 2);
  put(38, pixelsPerMetre, 4);
  put(42, pixelsPerMetre, 4);
  put(58, 0xFFFFFF, 4);  // index 1 white, index 0 black
  for (size_t i = 62; i < b.size(); i += 4) b[i] = 0xF0;
  return b;
}

TEST_F(FileOpenerTest, ABitmapWithoutResolutionIsAskedForOne) {
  std::u16string path = scratch_.File(u"plain.bmp");
  WriteFileBytes(path, SmallBitmap(0));
  BoxRecorder boxes;
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".bmp"), 0);
  EXPECT_EQ(seen.suggested, (std::vector<uint32_t>{150}));
  seen.answer = 300;
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".bmp"), 1);
  ASSERT_EQ(pageTable.pageCount, 1u);
  EXPECT_EQ(pageTable.rows[0].resolution, 300);
  WriteFileBytes(path, SmallBitmap(11811));
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".bmp"), 1);
  EXPECT_EQ(seen.suggested.size(), 2u) << "300 dpi needs no question";
}

TEST_F(FileOpenerTest, ATiffThatCannotBeOpenedIsReportedAndCountsNothing) {
  std::u16string path = scratch_.File(u"broken.tif");
  WriteFileBytes(path, {'I', 'I', 42, 0, 9, 9});
  BoxRecorder boxes;
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".tif"), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {UiText(kStrTiffDidNotOpen), path, UiText(kStrTiffCutShort)}));
  EXPECT_EQ(pageTable.pageCount, 0u);
}

TEST_F(FileOpenerTest, ABitmapTheLoaderRefusesShowsItsMessage) {
  std::u16string path = scratch_.File(u"colour.bmp");
  std::vector<uint8_t> bmp(54, 0);
  bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40, bmp[18] = 4, bmp[22] = 4, bmp[26] = 1, bmp[28] = 24;
  WriteFileBytes(path, bmp);
  BoxRecorder boxes;
  QueueFileToOpen(path.c_str(), u"");
  OpenFileByType();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {UiText(kStrFileDidNotOpen), path, UiText(kStrCannotLoad24Bit)}));
  EXPECT_EQ(pageTable.pageCount, 0u);
  EXPECT_EQ(seen.readNext, 0);
}

TEST_F(FileOpenerTest, SniffingKnowsTiffInBothByteOrdersAndPdf) {
  struct Case {
    std::vector<uint8_t> bytes;
    std::u16string type;
  };
  for (const Case& c : {Case{{0x49, 0x49, 0x2A, 0x00, 1}, u".tif"}, Case{{0x4D, 0x4D, 0x00, 0x2A}, u".tif"},
                        Case{{'%', 'P', 'D', 'F', '-'}, u".pdf"}, Case{{'B', 'M', 0, 0}, u""},
                        Case{{0x49, 0x49}, u""}}) {
    std::u16string path = scratch_.File(u"sniff");
    WriteFileBytes(path, c.bytes);
    char16_t type[8] = u"junk";
    SniffFileType(path.c_str(), type);
    EXPECT_EQ(std::u16string(type), c.type);
  }
  char16_t type[8] = u"junk";
  SniffFileType(scratch_.File(u"missing").c_str(), type);
  EXPECT_EQ(std::u16string(type), u"");
}

TEST_F(FileOpenerTest, SavedPageImagesAreRemembered) {
  BlankViewPage(40, 20, 300);
  BoxRecorder boxes;
  std::u16string bmp = scratch_.File(u"out.bmp"), tif = scratch_.File(u"out.tif");
  EXPECT_EQ(SavePageImageBmp(bmp.c_str()), 1);
  EXPECT_EQ(std::u16string(LastImagePath()), bmp);
  EXPECT_EQ(SavePageImageTiff(tif.c_str()), 1);
  EXPECT_EQ(std::u16string(LastImagePath()), tif);
  EXPECT_EQ(SavePageImageBmp(scratch_.File(u"no/such/folder/out.bmp").c_str()), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(kStrFileCannotBeCreated));
  EXPECT_EQ(std::u16string(LastImagePath()), tif);
}

// The free bytes while they are below 4 GB; 2 GB from 4 GB on, or when they
// cannot be measured.
TEST(FreeDiskSpace, GivesTheFreeBytesBelowFourGigabytesElseTwoGigabytes) {
  const uint32_t free = GetFreeDiskSpace(u".");
  const uint64_t onDisc = platform::FreeDiscSpace(u".");
  EXPECT_GT(free, 0u);
  // Other programs write meanwhile, so the two figures may differ a little.
  if (free != 0x80000000u) EXPECT_NEAR(double(free), double(onDisc), 256.0 * 1024 * 1024);
  if (onDisc >= (uint64_t(1) << 32)) EXPECT_EQ(free, 0x80000000u);
}

}  // namespace

namespace {
int scansEnded = 0;
}  // namespace

// Opening an image for reading and loading a stored page into the view both
// leave the scanning state through the page store's one hook.
TEST_F(FileOpenerTest, OpeningAndLoadingAPageEndScanningThroughOneHook) {
  scansEnded = 0;
  PageStoreHooks store{};
  store.endScanning = [] { ++scansEnded; };
  SetPageStoreHooks(store);
  std::u16string path = scratch_.File(u"Prelude.tif");
  WriteOpenerTiff(path, {OpenerPage{}});
  BoxRecorder boxes;
  OpenPageImageForReading(path.c_str());  // without a resolution it is not prepared
  EXPECT_EQ(scansEnded, 1);
  ASSERT_EQ(OpenTiffFile(path.c_str(), u".tif"), 1);
  const int afterOpening = scansEnded;
  EXPECT_GE(afterOpening, 2);
  ASSERT_GE(pageTable.pageCount, 1u);
  ASSERT_EQ(LoadScanImage(0), 1);
  EXPECT_EQ(scansEnded, afterOpening + 1);
  EXPECT_TRUE(boxes.Boxes().empty());
}
