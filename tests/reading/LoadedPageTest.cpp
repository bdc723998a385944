// A page's way from a file to the screen: a TIFF or bitmap page loaded into
// the page view's sprite area as the file opener does, prepared, stored in
// the page store (compressed and as a bitmap), loaded back with its border
// cleared, and drawn through the sprite drawing's pixel mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pages/ImageFiles.h"
#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "pages/PageImageStore.h"
#include "pages/SpriteArea.h"
#include "pages/SpriteDrawing.h"
#include "platform/HandleTestControls.h"
#include "platform/Settings.h"
#include "reading/PageSprites.h"
#include "reading/PreparePage.h"
#include "tests/pages/ImageFixtures.h"
#include "tests/pages/PageStoreFixture.h"
#include "tests/reading/SyntheticPages.h"
#include "tests/support/BoxRecorder.h"

namespace {

SyntheticPage MusicPage() { return SizedPage(803, 1000); }

// The synthetic page as file pixels: grey levels, or 1 for ink.
Picture PictureOf(const PageImage& image) {
  Picture pic;
  pic.width = uint32_t(image.width);
  pic.height = uint32_t(image.height);
  pic.pixels.resize(size_t(pic.width) * pic.height);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      pic.pixels[size_t(y) * pic.width + x] = image.bitsPerPixel == 8 ? image.Grey(x, y) : image.Ink(x, y) ? 1 : 0;
  return pic;
}

enum class FileKind { kTiffBilevel, kTiffGrey, kBmpBilevel, kBmpGrey };

struct LoadedCase {
  const char* label;
  FileKind kind;
  const char16_t* name;
  int levels;  // what the opener passes to preparation
};

std::u16string WritePage(const LoadedCase& c, const ScratchFolder& folder) {
  const std::u16string path = folder.File(c.name);
  const bool grey = c.kind == FileKind::kTiffGrey || c.kind == FileKind::kBmpGrey;
  const Picture pic = PictureOf(grey ? MakeGreyPage(MusicPage()) : MakeOneBitPage(MusicPage()));
  switch (c.kind) {
    case FileKind::kTiffBilevel: {
      TiffPageSpec tiff{pic, 1};
      tiff.compression = 4;
      WriteTiff(path, {tiff});
      break;
    }
    case FileKind::kTiffGrey: WriteTiff(path, {TiffPageSpec{pic, 8}}); break;
    case FileKind::kBmpBilevel: {
      BmpSpec bmp{pic, 1};
      bmp.palette = {0xFFFFFF, 0x000000};
      bmp.pixelsPerMetre = 11811;
      WriteBytes(path, MakeBmp(bmp));
      break;
    }
    case FileKind::kBmpGrey: {
      BmpSpec bmp{pic, 8};
      bmp.pixelsPerMetre = 11811;
      WriteBytes(path, MakeBmp(bmp));
      break;
    }
  }
  return path;
}

// Ink pixels of the 1-bit page that differ from the synthetic page, away
// from the two-pixel border.
long InteriorDifferences(const PageImage& page) {
  OwnedPageImage expected = MakeOneBitPage(MusicPage());
  if (page.width != expected.View().width || page.height != expected.View().height) return -1;
  long n = 0;
  for (int32_t y = 2; y < page.height - 2; ++y)
    for (int32_t x = 2; x < page.width - 2; ++x) n += page.Ink(x, y) != expected.View().Ink(x, y);
  return n;
}

long BorderInk(const PageImage& page) {
  long n = 0;
  for (int32_t y = 0; y < page.height; ++y)
    for (int32_t x = 0; x < page.width; ++x)
      if ((x < 2 || y < 2 || x >= page.width - 2 || y >= page.height - 2) && page.Ink(x, y)) ++n;
  return n;
}

constexpr uint8_t kInkIndex = 7;

// Draws the page view's sprite pixel for pixel and counts the drawn pixels
// that differ from the sprite's own; -1 when nothing was drawn.
long DrawnDifferences() {
  static uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
  table[1] = kInkIndex;
  static const uint8_t map[256] = {kPaperColourNumber, 1};
  const PageImage page = SpriteImageView(viewPage.Area());
  ClipRect clip{0, 0, page.width - 1, page.height - 1};
  SpriteBitmap bitmap;
  const SpriteDrawRequest request{viewPage.Area(), "scanned", 0, -page.height, SpriteScale{1, 1, 1, 1},
                                  map, table, nullptr};
  if (RenderSprite(request, &clip, &bitmap) != SpriteDraw::kDrawn) return -1;
  long n = 0;
  for (uint32_t r = 0; r < bitmap.height; ++r)
    for (uint32_t c = 0; c < bitmap.width; ++c) {
      const uint8_t want = page.Ink(int32_t(c), int32_t(r)) ? kInkIndex : kPaperIndex;
      n += bitmap.indices[size_t(r) * bitmap.width + c] != want;
    }
  return n;
}

class LoadedPageTest : public PageStoreTest, public ::testing::WithParamInterface<LoadedCase> {
 protected:
  void SetUp() override {
    PageStoreTest::SetUp();
    General() = GeneralSettings();
    Global() = GlobalSettings();
    General().autoRotate = false;
    PreparationServices() = PreparationHooks();
    ConnectPageStoreToPreparation();
    viewPage.imageArea = nullptr;
    viewPage.resolution = 300;
    ImagePageIndex() = 0;
  }
  void TearDown() override {
    FailAllocationsForTest(false);
    FreeHandle(&SourceArea());
    FreeHandle(&viewPage.imageArea);
    PreparationServices() = PreparationHooks();
    General() = GeneralSettings();
    Global() = GlobalSettings();
    PageStoreTest::TearDown();
  }

  // Loads the file into a fresh area sized as the file opener sizes it.
  static Handle LoadPageFile(const std::u16string& path) {
    uint32_t areaBytes = 0, widthWords = 0, heightRows = 0, mode = 0, resolution = 0;
    EXPECT_EQ(ReadImageFileInfo(path.c_str(), &areaBytes, &widthWords, &heightRows, &mode, &resolution, false),
              nullptr);
    Handle area = nullptr;
    EXPECT_EQ(AllocHandle(&area, size_t(areaBytes) + 8), 1);
    if (!area) return nullptr;
    InitSpriteArea(static_cast<uint8_t*>(area), areaBytes + 8);
    EXPECT_EQ(LoadTiffPage(static_cast<uint8_t*>(area), path.c_str()), nullptr);
    return area;
  }
};

TEST_P(LoadedPageTest, IsPreparedStoredReloadedAndDrawn) {
  const LoadedCase& c = GetParam();
  Handle loaded = LoadPageFile(WritePage(c, scratch_));
  ASSERT_NE(loaded, nullptr);
  const uint8_t* area = static_cast<uint8_t*>(loaded);
  const PageImage view = SpriteImageView(static_cast<uint8_t*>(loaded));
  ASSERT_NE(view.rows, nullptr) << "the loaded page has a view";
  EXPECT_EQ(uint64_t(AreaWord(area, kAreaSizeOffset)), SpriteAreaBytes(view.rowBytes * uint64_t(view.height)));

  SourceArea() = loaded;
  std::memcpy(viewPage.imageName, "scanned", 8);
  ASSERT_EQ(PreparePage(c.levels, 0), 1) << "the loaded page is prepared";
  PageImage prepared = SpriteImageView(viewPage.Area());
  ASSERT_EQ(prepared.bitsPerPixel, 1);
  EXPECT_EQ(InteriorDifferences(prepared), 0);
  EXPECT_EQ(DrawnDifferences(), 0) << "the prepared page is drawn";

  // Ink on the border, which loading the stored page clears again.
  for (int32_t x = 0; x < prepared.width; ++x) prepared.SetInk(x, 0);
  for (int32_t y = 0; y < prepared.height; ++y) prepared.SetInk(prepared.width - 1, y);

  StoreScannedPage(true, c.name);  // compressed
  {
    BoxRecorder boxes;  // says the page goes uncompressed
    FailAllocationsForTest(true);
    StoreScannedPage(true, c.name);  // no memory to compress: a bitmap
    FailAllocationsForTest(false);
  }
  ASSERT_EQ(pageTable.pageCount, 2u);

  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row == 0 ? "compressed" : "bitmap");
    FreeHandle(&viewPage.imageArea);
    ASSERT_EQ(LoadScanImage(row), 1);
    const PageImage reloaded = SpriteImageView(viewPage.Area());
    ASSERT_NE(reloaded.rows, nullptr) << "the reloaded page has a view";
    EXPECT_EQ(BorderInk(reloaded), 0) << "its border was cleared";
    EXPECT_EQ(InteriorDifferences(reloaded), 0);
    EXPECT_EQ(DrawnDifferences(), 0) << "the reloaded page is drawn";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadedPageTest,
    ::testing::Values(LoadedCase{"TiffBilevel", FileKind::kTiffBilevel, u"bilevel.tif", 2},
                      LoadedCase{"TiffGrey", FileKind::kTiffGrey, u"grey.tif", 256},
                      LoadedCase{"BmpBilevel", FileKind::kBmpBilevel, u"bilevel.bmp", 2},
                      LoadedCase{"BmpGrey", FileKind::kBmpGrey, u"grey.bmp", 256}),
    [](const ::testing::TestParamInfo<LoadedCase>& info) { return std::string(info.param.label); });

}  // namespace
