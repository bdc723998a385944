#include <gtest/gtest.h>

#include "tests/pages/ImageFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"
#include "pages/BmpFile.h"
#include "pages/ImageFiles.h"
#include "pages/SpriteStrings.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

class BmpFileTest : public ::testing::Test {
 protected:
  std::u16string Write(const BmpSpec& bmp, const std::string& name = "page.bmp") {
    std::u16string path = folder.File(U16(name));
    WriteBytes(path, MakeBmp(bmp));
    return path;
  }
  std::u16string Refused(const std::u16string& path) {
    auto area = MakeArea(1 << 20);
    SpriteError* e = LoadTiffPage(area.data(), path.c_str());
    return e ? std::u16string(e->errorText) : u"(loaded)";
  }
  ScratchFolder folder;
};

TEST_F(BmpFileTest, OneBitLoadsInkAsSetBitsWhicheverPaletteOrder) {
  Picture pic = PatternPicture(75, 10, 2);
  for (bool blackFirst : {true, false}) {
    BmpSpec bmp{pic, 1};
    bmp.palette = blackFirst ? std::vector<uint32_t>{kBlack, kWhite} : std::vector<uint32_t>{kWhite, kBlack};
    auto area = MakeArea(4096);
    ASSERT_EQ(LoadTiffPage(area.data(), Write(bmp).c_str()), nullptr);
    EXPECT_EQ(SpriteWord(area.data(), kSpriteMode), 18u);
    EXPECT_EQ(SpriteWord(area.data(), kSpriteWidthWords), 2u);
    EXPECT_EQ(SpriteWord(area.data(), kSpriteUnusedBits), 21u);
    // The area says what it holds: both headers and the rows.
    EXPECT_EQ(AreaWord(area.data(), kAreaSizeOffset), 120u + 60);
    for (uint32_t y = 0; y < pic.height; ++y)
      for (uint32_t x = 0; x < pic.width; ++x) {
        uint32_t ink = (pic.At(x, y) == 0) == blackFirst ? 1 : 0;
        ASSERT_EQ(SpritePixel(area.data(), x, y), ink) << blackFirst << " " << x << "," << y;
      }
    // Bits past the width stay clear.
    EXPECT_EQ(SpriteRows(area.data())[9] & 0xF8, 0);
    EXPECT_EQ(SpriteRows(area.data())[10], 0);
  }
}

TEST_F(BmpFileTest, FourAndEightBitLoadAsGreyLevels) {
  for (int depth : {4, 8}) {
    uint32_t levels = 1u << depth;
    Picture pic = PatternPicture(13, 7, levels);
    BmpSpec bmp{pic, depth};
    // A reversed grey ramp: index i is level levels - 1 - i.
    for (uint32_t i = 0; i < levels; ++i) {
      uint32_t g = 255 * (levels - 1 - i) / (levels - 1);
      bmp.palette.push_back(g << 16 | g << 8 | g);
    }
    auto area = MakeArea(4096);
    ASSERT_EQ(LoadTiffPage(area.data(), Write(bmp).c_str()), nullptr) << depth;
    EXPECT_EQ(SpriteWord(area.data(), kSpriteMode), depth == 4 ? 20u : 21u);
    for (uint32_t y = 0; y < pic.height; ++y)
      for (uint32_t x = 0; x < pic.width; ++x)
        ASSERT_EQ(SpritePixel(area.data(), x, y), levels - 1 - pic.At(x, y)) << depth << " " << x << "," << y;
  }
}

TEST_F(BmpFileTest, TopDownShortHeaderAndV5HeaderLoadTheSamePicture) {
  Picture pic = PatternPicture(21, 9, 256);
  auto reference = MakeArea(4096);
  ASSERT_EQ(LoadTiffPage(reference.data(), Write(BmpSpec{pic, 8}, "ref.bmp").c_str()), nullptr);
  BmpSpec topDown{pic, 8};
  topDown.topDown = true;
  BmpSpec v5{pic, 8};
  v5.headerSize = 124;
  BmpSpec core{pic, 8};
  core.headerSize = 12;
  for (const BmpSpec& bmp : {topDown, v5, core}) {
    auto area = MakeArea(4096);
    ASSERT_EQ(LoadTiffPage(area.data(), Write(bmp, "other.bmp").c_str()), nullptr) << bmp.headerSize;
    EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 60 + 24 * 9),
              std::vector<uint8_t>(reference.begin(), reference.begin() + 60 + 24 * 9))
        << bmp.headerSize << (bmp.topDown ? " top-down" : "");
  }
}

TEST_F(BmpFileTest, PaletteHoldsOnlyTheColoursUsed) {
  // Two colours in an 8-bit file: the pixels follow the two entries at once.
  Picture pic = PatternPicture(8, 4, 2);
  BmpSpec bmp{pic, 8};
  bmp.coloursUsed = 2;
  bmp.palette = {kWhite, kBlack};
  auto area = MakeArea(4096);
  ASSERT_EQ(LoadTiffPage(area.data(), Write(bmp).c_str()), nullptr);
  for (uint32_t y = 0; y < pic.height; ++y)
    for (uint32_t x = 0; x < pic.width; ++x) ASSERT_EQ(SpritePixel(area.data(), x, y), pic.At(x, y) ? 0u : 255u);
}

TEST_F(BmpFileTest, RefusalsCarryTheirMessages) {
  Picture pic = PatternPicture(16, 4, 2);
  BmpSpec rgb{pic, 24};
  BmpSpec rle{pic, 8};
  rle.compression = 1;
  BmpSpec zeroWidth{pic, 1};
  zeroWidth.widthOverride = -16;
  BmpSpec huge{pic, 1};
  huge.heightOverride = 1 << 30;
  BmpSpec minHeight{pic, 1};
  minHeight.heightOverride = INT32_MIN;
  BmpSpec sixteen{pic, 16};
  EXPECT_EQ(Refused(Write(rgb)), UiText(kStrCannotLoad24Bit));
  EXPECT_EQ(Refused(Write(rle)), UiText(kStrCompressedBmp));
  EXPECT_EQ(Refused(Write(zeroWidth)), UiText(kStrBadBitmapFile));
  EXPECT_EQ(Refused(Write(huge)), UiText(kStrBadBitmapFile));
  EXPECT_EQ(Refused(Write(minHeight)), UiText(kStrBadBitmapFile));
  EXPECT_EQ(Refused(Write(sixteen)), UiText(kStrBadBitmapFile));
  std::vector<uint8_t> notBm = MakeBmp(BmpSpec{pic, 1});
  notBm[0] = 'X';
  WriteBytes(folder.File(u"notbm.bmp"), notBm);
  EXPECT_EQ(Refused(folder.File(u"notbm.bmp")), UiText(kStrBadBitmapFile));
  EXPECT_EQ(Refused(folder.File(u"missing.bmp")), UiText(kStrFileCannotBeOpened));
  uint32_t bytes, w, h, d, dpi;
  SpriteError* e = ReadImageFileInfo(Write(rle).c_str(), &bytes, &w, &h, &d, &dpi, true);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrCompressedBmp));
}

// A header is judged before the caller allocates for its rows: rows the
// file does not hold, or a side longer than a page can be, are refused by
// the facts already, with the message the load would give.
TEST_F(BmpFileTest, HeadersClaimingRowsTheFileLacksOrAnOversizedPageAreRefusedByTheFacts) {
  const Picture pic = PatternPicture(16, 4, 2);
  struct Case {
    const char* name;
    int32_t width, height;
    unsigned message;  // 0: accepted
  } cases[] = {
      {"as written", 0, 0, 0},
      {"more rows than written", 0, 4000, kStrBitmapReadProblem},
      {"top-down, more rows", 0, -4000, kStrBitmapReadProblem},
      {"wider than written", 16000, 0, kStrBitmapReadProblem},
      {"a side past a page", 40000, 1, kStrBadBitmapFile},
      {"the longest side, rows missing", 32767, 0, kStrBitmapReadProblem},
  };
  for (const Case& c : cases) {
    BmpSpec bmp{pic, 1};
    bmp.widthOverride = c.width;
    bmp.heightOverride = c.height;
    const std::u16string path = Write(bmp);
    uint32_t bytes = 0, w = 0, h = 0, d = 0, dpi = 0;
    SpriteError* e = ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true);
    if (c.message == 0) {
      EXPECT_EQ(e, nullptr) << c.name;
      EXPECT_EQ(Refused(path), u"(loaded)") << c.name;
    } else {
      ASSERT_NE(e, nullptr) << c.name;
      EXPECT_EQ(std::u16string(e->errorText), UiText(c.message)) << c.name;
      EXPECT_EQ(Refused(path), UiText(c.message)) << c.name;
    }
  }
}

TEST_F(BmpFileTest, TruncatedFilesAreRefusedAtEveryLength) {
  std::vector<uint8_t> whole = MakeBmp(BmpSpec{PatternPicture(16, 4, 2), 1});
  for (size_t length : {size_t(1), size_t(20), size_t(50), size_t(58), whole.size() - 1}) {
    WriteBytes(folder.File(u"cut.bmp"), std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)));
    EXPECT_NE(Refused(folder.File(u"cut.bmp")), u"(loaded)") << length;
  }
  WriteBytes(folder.File(u"cut.bmp"), std::vector<uint8_t>(whole.begin(), whole.end() - 1));
  EXPECT_EQ(Refused(folder.File(u"cut.bmp")), UiText(kStrBitmapReadProblem));
}

TEST_F(BmpFileTest, AreaTooSmallIsRefused) {
  auto area = MakeArea(60 + 120 - 1);
  SpriteError* e = LoadTiffPage(area.data(), Write(BmpSpec{PatternPicture(75, 10, 2), 1}).c_str());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrBitmapMemoryTooSmall));
}

TEST_F(BmpFileTest, InfoGivesPlainValuesOrSpriteTerms) {
  BmpSpec bmp{PatternPicture(75, 10, 2), 1};
  bmp.pixelsPerMetre = 11811;  // 300 x 39.37
  std::u16string path = Write(bmp);
  uint32_t bytes = 0, w = 0, h = 0, d = 0, dpi = 0;
  ASSERT_EQ(ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
  EXPECT_EQ(bytes, 120u);
  EXPECT_EQ(w, 75u);
  EXPECT_EQ(h, 10u);
  EXPECT_EQ(d, 1u);
  EXPECT_EQ(dpi, 300u);
  ASSERT_EQ(ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, false), nullptr);
  EXPECT_EQ(bytes, 120u + 1024);
  EXPECT_EQ(w, 2u);
  EXPECT_EQ(h, 9u);
  EXPECT_EQ(d, 18u);
}

TEST(BmpResolution, PixelsPerMetreBecomeDotsPerInchAndMissingIsZero) {
  EXPECT_EQ(DpiFromPixelsPerMetre(11811), 300u);
  EXPECT_EQ(DpiFromPixelsPerMetre(3780), 96u);
  EXPECT_EQ(DpiFromPixelsPerMetre(23622), 600u);
  EXPECT_EQ(DpiFromPixelsPerMetre(0), 0u);
  EXPECT_EQ(DpiFromPixelsPerMetre(-5), 0u);
}

TEST_F(BmpFileTest, SavedSpritesLoadBackUnchanged) {
  for (int depth : {1, 4, 8}) {
    Picture pic = PatternPicture(37, 6, 1u << depth);
    auto area = MakeArea(4096);
    ASSERT_EQ(LoadTiffPage(area.data(), Write(BmpSpec{pic, depth}).c_str()), nullptr);
    std::u16string saved = folder.File(u"saved.bmp");
    ASSERT_EQ(SaveSpriteBmp(area.data(), saved.c_str(), 300), nullptr) << depth;
    auto again = MakeArea(4096);
    ASSERT_EQ(LoadTiffPage(again.data(), saved.c_str()), nullptr);
    EXPECT_EQ(std::vector<uint8_t>(again.begin(), again.begin() + 60 + 40 * 6),
              std::vector<uint8_t>(area.begin(), area.begin() + 60 + 40 * 6))
        << depth;
    uint32_t bytes, w, h, d, dpi;
    ASSERT_EQ(ReadImageFileInfo(saved.c_str(), &bytes, &w, &h, &d, &dpi, true), nullptr);
    EXPECT_EQ(dpi, 300u);
    if (depth == 1) {
      std::vector<uint8_t> file = ReadBytes(saved);
      ASSERT_GE(file.size(), 62u);
      EXPECT_EQ(file[54], 0xFF) << "index 0 is white";
      EXPECT_EQ(file[58], 0x00);
    }
  }
}

TEST_F(BmpFileTest, AnAbsurdResolutionIsWrittenAsTheLargestPixelsPerMetre) {
  // The largest pixels per metre a file can give reads as this resolution;
  // saved again, it must stay within the field.
  const uint32_t dpi = DpiFromPixelsPerMetre(INT32_MAX);
  std::vector<uint8_t> area(60 + 4 * 2 + 64);
  InitSpriteArea(area.data(), uint32_t(area.size()));
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 8, 2, 18), nullptr);
  std::u16string path = folder.File(u"absurd.bmp");
  ASSERT_EQ(SaveSpriteBmp(area.data(), path.c_str(), dpi), nullptr);
  const std::vector<uint8_t> file = ReadBytes(path);
  ASSERT_GE(file.size(), 46u);
  const uint32_t perMetre = file[38] | file[39] << 8 | file[40] << 16 | uint32_t(file[41]) << 24;
  EXPECT_EQ(perMetre, uint32_t(INT32_MAX));
}

TEST_F(BmpFileTest, TooWideToSaveLeavesNoFile) {
  std::vector<uint8_t> area(60 + 2052 * 1 + 64);
  InitSpriteArea(area.data(), uint32_t(area.size()));
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 16384, 1, 18), nullptr);
  std::u16string path = folder.File(u"wide.bmp");
  SpriteError* e = SaveSpriteBmp(area.data(), path.c_str(), 0);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrBitmapTooWide));
  EXPECT_TRUE(ReadBytes(path).empty());
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 16383, 1, 18), nullptr);
  EXPECT_EQ(SaveSpriteBmp(area.data(), path.c_str(), 0), nullptr);
  EXPECT_EQ(ReadBytes(path).size(), 62u + 2048);
}

TEST(ReverseBits8, MirrorsTheByte) {
  for (auto [in, out] : std::vector<std::pair<uint8_t, uint8_t>>{{0x01, 0x80}, {0xF0, 0x0F}, {0xA5, 0xA5}, {0x12, 0x48}}) {
    uint8_t b = in;
    ReverseBits8(&b);
    EXPECT_EQ(b, out);
  }
}

}  // namespace
