#include <gtest/gtest.h>

#include "tests/pages/ImageFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"
#include "pages/ImageFiles.h"
#include "pages/SpriteStrings.h"
#include "pages/TiffFile.h"

namespace {

class TiffFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ImagePageIndex() = 0; }
  void TearDown() override { ImagePageIndex() = 0; }
  std::u16string Write(const std::vector<TiffPageSpec>& pages, const char16_t* name = u"page.tif") {
    std::u16string path = folder.File(name);
    WriteTiff(path, pages);
    return path;
  }
  ScratchFolder folder;
};

TiffPageSpec Bilevel(Picture pic) {
  TiffPageSpec tiff{std::move(pic), 1};
  tiff.compression = 4;  // CCITT group 4
  return tiff;
}

TEST_F(TiffFileTest, GroupFourBilevelLoadsAsOneBitWithInkSet) {
  Picture pic = PatternPicture(77, 23, 2);
  std::u16string path = Write({Bilevel(pic)});
  auto area = MakeArea(1 << 16);
  ASSERT_EQ(LoadTiffPage(area.data(), path.c_str()), nullptr);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteMode), 18u);
  char name[13];
  GetSpriteName(area.data(), name, 1);
  EXPECT_STREQ(name, "scanned");
  for (uint32_t y = 0; y < pic.height; ++y)
    for (uint32_t x = 0; x < pic.width; ++x) ASSERT_EQ(SpritePixel(area.data(), x, y), pic.At(x, y)) << x << "," << y;
}

TEST_F(TiffFileTest, EightBitGreyAndRgbLoadAsGreyBytes) {
  Picture pic = PatternPicture(31, 9, 256);
  TiffPageSpec grey{pic, 8};
  TiffPageSpec rgb{pic, 8, 3};
  for (const TiffPageSpec& tiff : {grey, rgb}) {
    auto area = MakeArea(1 << 16);
    ASSERT_EQ(LoadTiffPage(area.data(), Write({tiff}).c_str()), nullptr);
    EXPECT_EQ(SpriteWord(area.data(), kSpriteMode), 21u);
    for (uint32_t y = 0; y < pic.height; ++y)
      for (uint32_t x = 0; x < pic.width; ++x) ASSERT_EQ(SpritePixel(area.data(), x, y), pic.At(x, y));
    uint32_t bytes, w, h, d, dpi;
    ASSERT_EQ(ReadImageFileInfo(folder.File(u"page.tif").c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
    EXPECT_EQ(d, 8u);
    EXPECT_EQ(bytes, 32u * 9);
  }
}

TEST_F(TiffFileTest, OtherDepthsBecomeOneBitAndInfoAgrees) {
  // 4 bits a sample, min-is-black: levels below 8 are darker than 128.
  Picture pic = PatternPicture(19, 5, 16);
  std::u16string path = Write({TiffPageSpec{pic, 4}});
  uint32_t bytes, w, h, d, dpi;
  ASSERT_EQ(ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
  EXPECT_EQ(d, 1u);
  EXPECT_EQ(bytes, 4u * 5);
  auto area = MakeArea(60 + bytes);
  ASSERT_EQ(LoadTiffPage(area.data(), path.c_str()), nullptr);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteMode), 18u);
  for (uint32_t y = 0; y < pic.height; ++y)
    for (uint32_t x = 0; x < pic.width; ++x) ASSERT_EQ(SpritePixel(area.data(), x, y), pic.At(x, y) < 8 ? 1u : 0u);
}

TEST_F(TiffFileTest, PagesOfAMultiPageFileAreCountedAndLoadedByIndex) {
  std::u16string path =
      Write({Bilevel(PatternPicture(10, 4, 2)), Bilevel(PatternPicture(20, 5, 2)), TiffPageSpec{PatternPicture(30, 6, 256), 8}});
  EXPECT_EQ(CountTiffPages(path.c_str()), 3);
  const uint32_t widths[] = {10, 20, 30};
  for (uint16_t page = 0; page < 3; ++page) {
    ImagePageIndex() = page;
    uint32_t bytes, w, h, d, dpi;
    ASSERT_EQ(ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
    EXPECT_EQ(w, widths[page]);
    auto area = MakeArea(1 << 12);
    ASSERT_EQ(LoadTiffPage(area.data(), path.c_str()), nullptr);
    SpriteInfo info;
    ASSERT_EQ(GetSpriteInfo(area.data(), "scanned", &info), nullptr);
    EXPECT_EQ(info.width, widths[page]);
  }
  ImagePageIndex() = 3;
  auto area = MakeArea(1 << 12);
  SpriteError* e = LoadTiffPage(area.data(), path.c_str());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrTiffReadProblem));
}

struct ResolutionCase {
  bool with;
  float x;
  uint16_t unit;
  uint32_t dpi;
};

TEST_F(TiffFileTest, ResolutionFollowsItsUnitAndMissingIsZero) {
  for (const ResolutionCase& c : {ResolutionCase{true, 300, 2, 300}, ResolutionCase{true, 100, 3, 254},
                                  ResolutionCase{true, 72, 1, 200}, ResolutionCase{false, 0, 2, 0},
                                  ResolutionCase{true, 0, 2, 0}}) {
    TiffPageSpec tiff = Bilevel(PatternPicture(8, 8, 2));
    tiff.withResolution = c.with;
    tiff.xResolution = c.x;
    tiff.resolutionUnit = c.unit;
    std::u16string path = Write({tiff});
    uint32_t bytes, w, h, d, dpi = 12345;
    ASSERT_EQ(ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
    EXPECT_EQ(dpi, c.dpi) << c.x << " unit " << c.unit;
  }
}

TEST_F(TiffFileTest, AFileThatIsNoTiffFailsInsteadOfGivingAnEmptyImage) {
  std::u16string path = folder.File(u"junk.tif");
  WriteBytes(path, {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
  uint32_t bytes = 1, w = 1, h = 1, d = 1, dpi = 1;
  SpriteError* e = ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrTiffReadProblem));
  e = ReadImageFileInfo(folder.File(u"missing.tif").c_str(), &bytes, &w, &h, &d, &dpi, true);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(CountTiffPages(path.c_str()), -1);
  auto area = MakeArea(1 << 12);
  EXPECT_NE(LoadTiffPage(area.data(), path.c_str()), nullptr);
}

TEST_F(TiffFileTest, AreaTooSmallIsRefused) {
  std::u16string path = Write({Bilevel(PatternPicture(64, 10, 2))});
  auto area = MakeArea(60 + 80 - 1);
  SpriteError* e = LoadTiffPage(area.data(), path.c_str());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrBitmapMemoryTooSmall));
}

TEST_F(TiffFileTest, SavedOneBitSpriteLoadsBackWithItsResolution) {
  Picture pic = PatternPicture(45, 17, 2);
  auto area = MakeArea(1 << 12);
  ASSERT_EQ(LoadTiffPage(area.data(), Write({Bilevel(pic)}).c_str()), nullptr);
  std::u16string saved = folder.File(u"saved.tif");
  ASSERT_EQ(SaveSpriteTiff(area.data(), saved.c_str(), 400), nullptr);
  auto again = MakeArea(1 << 12);
  ASSERT_EQ(LoadTiffPage(again.data(), saved.c_str()), nullptr);
  EXPECT_EQ(std::vector<uint8_t>(again.begin(), again.begin() + 60 + 8 * 17),
            std::vector<uint8_t>(area.begin(), area.begin() + 60 + 8 * 17));
  uint32_t bytes, w, h, d, dpi;
  ASSERT_EQ(ReadImageFileInfo(saved.c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
  EXPECT_EQ(dpi, 400u);
  // Grey sprites are not written as TIFF.
  auto grey = MakeArea(1 << 12);
  ASSERT_EQ(CreateSprite(grey.data(), "scanned", 8, 8, 21), nullptr);
  EXPECT_NE(SaveSpriteTiff(grey.data(), saved.c_str(), 300), nullptr);
}

}  // namespace
