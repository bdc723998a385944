#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "tests/pages/ImageFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"
#include "tests/support/TiffBytes.h"
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

// A page's claimed size is judged before the caller allocates for it: past
// the longest side a page may have (10457), or more pixel data than the file
// can hold even at its compression's best (10458).
TEST_F(TiffFileTest, HeadersClaimingMoreThanTheFileOrAPageCanHoldAreRefusedByTheFacts) {
  const struct Case {
    const char* name;
    uint32_t width, height;
    uint16_t compression;
    uint32_t dataBytes;
    unsigned message;  // 0: accepted
  } cases[] = {
      {"whole", 40, 30, COMPRESSION_NONE, 1200, 0},
      {"the longest side", 32767, 1, COMPRESSION_NONE, 32767, 0},
      {"a side past a page", 32768, 1, COMPRESSION_NONE, 32768, kStrTiffMemory},
      {"uncompressed, rows missing", 20000, 20000, COMPRESSION_NONE, 100, kStrTiffReadProblem},
      {"packed runs, far too small", 30000, 30000, COMPRESSION_PACKBITS, 1000, kStrTiffReadProblem},
      {"deflate, far too small", 30000, 30000, COMPRESSION_ADOBE_DEFLATE, 64, kStrTiffReadProblem},
  };
  for (const Case& c : cases) {
    const std::u16string path = folder.File(u"claim.tif");
    WriteBytes(path, ClaimingTiff(c.width, c.height, c.compression, c.dataBytes));
    uint32_t bytes = 0, w = 0, h = 0, d = 0, dpi = 0;
    SpriteError* e = ReadImageFileInfo(path.c_str(), &bytes, &w, &h, &d, &dpi, true);
    if (c.message == 0) {
      ASSERT_EQ(e, nullptr) << c.name;
      EXPECT_EQ(w, c.width) << c.name;
      EXPECT_EQ(h, c.height) << c.name;
    } else {
      ASSERT_NE(e, nullptr) << c.name;
      EXPECT_EQ(std::u16string(e->errorText), UiText(c.message)) << c.name;
    }
  }
}

// Pages read through the RGBA reader come in bands of rows: a page taller
// than a band keeps every row in place, from a file stored top first or
// bottom first.
TEST_F(TiffFileTest, ATallPageLoadsWholeInEitherVerticalOrder) {
  const uint32_t width = 1024, height = 1100;
  auto level = [](uint32_t fileRow, uint32_t x) { return static_cast<uint8_t>((fileRow * 7 + x / 100) % 256); };
  for (uint16_t orientation : {uint16_t(ORIENTATION_TOPLEFT), uint16_t(ORIENTATION_BOTLEFT)}) {
    const std::u16string path = folder.File(u"tall.tif");
    TIFF* tif = OpenTiffFile(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
    std::vector<uint8_t> row(width);
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) row[x] = level(y, x);
      ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
    }
    TIFFClose(tif);
    auto area = MakeArea(60 + width * height);
    ASSERT_EQ(LoadTiffPage(area.data(), path.c_str()), nullptr) << orientation;
    for (uint32_t y = 0; y < height; ++y) {
      const uint32_t fileRow = orientation == ORIENTATION_TOPLEFT ? y : height - 1 - y;
      for (uint32_t x : {0u, 517u, width - 1})
        ASSERT_EQ(SpritePixel(area.data(), x, y), level(fileRow, x)) << orientation << " row " << y << " x " << x;
    }
  }
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

// TIFF layouts as image editors and converters write them, each holding the
// same page: ink or paper per pixel, written in the layout's own way.
enum class InkIn { kColour, kAlpha };  // where a layout keeps the ink

struct LayoutCase {
  const char* label;
  uint16_t photometric;
  uint16_t bits;
  uint16_t extra;  // EXTRASAMPLE_* of one extra sample; kNoExtra for none
  InkIn inkIn;
  uint16_t colourSamples = 1;  // 3: RGB
  bool separatePlanes = false;
  bool tiled = false;
  uint32_t expectedMode = kSpriteMode1Bit;
};
constexpr uint16_t kNoExtra = 0xFFFF;

bool InkPixel(uint32_t x, uint32_t y) { return (x * 7 + y * 3) % 5 < 2 || x == y; }

// The value of one sample of the layout for a pixel: sample 0..colourSamples-1
// the colour, then the alpha.
uint32_t LayoutSample(const LayoutCase& c, uint32_t x, uint32_t y, uint32_t sample) {
  const uint32_t top = (1u << c.bits) - 1;
  const bool ink = InkPixel(x, y);
  if (sample >= c.colourSamples) return c.inkIn == InkIn::kAlpha ? (ink ? top : 0) : top;  // alpha
  const bool dark = c.inkIn == InkIn::kAlpha || ink;  // ink in the alpha: black paint everywhere
  if (c.photometric == PHOTOMETRIC_PALETTE) return dark ? 1 : 0;
  if (c.photometric == PHOTOMETRIC_MINISWHITE) return dark ? top : 0;
  return dark ? 0 : top;
}

void WriteLayoutTiff(const std::u16string& path, const LayoutCase& c, uint32_t width, uint32_t height) {
  TIFF* tif = OpenTiffFile(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  const uint16_t samples = static_cast<uint16_t>(c.colourSamples + (c.extra == kNoExtra ? 0 : 1));
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, c.separatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  if (c.extra != kNoExtra) {
    uint16_t info[1] = {c.extra};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, info);
  }
  std::vector<uint16_t> map(size_t(1) << c.bits, 0);
  if (c.photometric == PHOTOMETRIC_PALETTE) {
    map[0] = 65535;  // index 0 white, 1 black, the rest mid grey
    for (size_t i = 2; i < map.size(); ++i) map[i] = 32768;
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
  }
  const uint32_t tileSide = 16;
  if (c.tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, tileSide);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, tileSide);
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 7);
  }
  const uint32_t planes = c.separatePlanes ? samples : 1;
  const uint32_t perPixel = c.separatePlanes ? 1 : samples;
  // One plane's samples of a rectangle, packed from the most significant bit.
  auto pack = [&](uint32_t plane, uint32_t left, uint32_t top, uint32_t w, uint32_t h) {
    const size_t rowBytes = (size_t(w) * perPixel * c.bits + 7) / 8;
    std::vector<uint8_t> bytes(rowBytes * h, 0);
    for (uint32_t r = 0; r < h; ++r)
      for (uint32_t i = 0; i < w; ++i)
        for (uint32_t k = 0; k < perPixel; ++k) {
          const uint32_t x = left + i, y = top + r;
          const uint32_t v = x < width && y < height ? LayoutSample(c, x, y, c.separatePlanes ? plane : k) : 0;
          const size_t index = size_t(i) * perPixel + k;
          uint8_t* row = bytes.data() + r * rowBytes;
          if (c.bits == 16) {
            const uint16_t word = static_cast<uint16_t>(v);
            std::memcpy(row + index * 2, &word, 2);
          } else if (c.bits == 8) {
            row[index] = static_cast<uint8_t>(v);
          } else {
            const size_t bit = index * c.bits;
            row[bit / 8] |= static_cast<uint8_t>(v << (8 - c.bits - bit % 8));
          }
        }
    return bytes;
  };
  for (uint32_t plane = 0; plane < planes; ++plane) {
    if (c.tiled) {
      for (uint32_t top = 0; top < height; top += tileSide)
        for (uint32_t left = 0; left < width; left += tileSide) {
          std::vector<uint8_t> tile = pack(plane, left, top, tileSide, tileSide);
          ASSERT_GE(TIFFWriteTile(tif, tile.data(), left, top, 0, static_cast<uint16_t>(plane)), 0);
        }
    } else {
      for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row = pack(plane, 0, y, width, 1);
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), y, static_cast<uint16_t>(plane)), 1);
      }
    }
  }
  TIFFClose(tif);
}

class TiffLayouts : public TiffFileTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(TiffLayouts, LoadOnWhitePaperByTheirDepth) {
  const LayoutCase& c = GetParam();
  const uint32_t width = 37, height = 21;  // tiles and bytes cut at the edges
  const std::u16string path = folder.File(u"layout.tif");
  WriteLayoutTiff(path, c, width, height);
  auto area = MakeArea(1 << 14);
  SpriteError* error = LoadTiffPage(area.data(), path.c_str());
  ASSERT_EQ(error, nullptr) << U8(error->errorText);
  ASSERT_EQ(SpriteWord(area.data(), kSpriteMode), c.expectedMode);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t pixel = SpritePixel(area.data(), x, y);
      if (c.expectedMode == kSpriteMode8Bit)
        ASSERT_EQ(pixel, InkPixel(x, y) ? 0u : 255u) << x << "," << y;
      else
        ASSERT_EQ(pixel, InkPixel(x, y) ? 1u : 0u) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, TiffLayouts,
    ::testing::Values(
        LayoutCase{"BilevelWithAlpha", PHOTOMETRIC_MINISBLACK, 1, EXTRASAMPLE_UNASSALPHA, InkIn::kColour},
        LayoutCase{"BilevelInkInAlpha", PHOTOMETRIC_MINISWHITE, 1, EXTRASAMPLE_UNASSALPHA, InkIn::kAlpha},
        LayoutCase{"BilevelInkInAlphaTiled", PHOTOMETRIC_MINISBLACK, 1, EXTRASAMPLE_ASSOCALPHA, InkIn::kAlpha, 1,
                   false, true},
        LayoutCase{"FourBitsWithAlpha", PHOTOMETRIC_MINISBLACK, 4, EXTRASAMPLE_UNASSALPHA, InkIn::kColour},
        LayoutCase{"GreyInkInAlpha", PHOTOMETRIC_MINISBLACK, 8, EXTRASAMPLE_UNASSALPHA, InkIn::kAlpha, 1, false,
                   false, kSpriteMode8Bit},
        LayoutCase{"GreyInkInAssociatedAlpha", PHOTOMETRIC_MINISBLACK, 8, EXTRASAMPLE_ASSOCALPHA, InkIn::kAlpha, 1,
                   false, false, kSpriteMode8Bit},
        LayoutCase{"GreyWithAlphaInPlanes", PHOTOMETRIC_MINISBLACK, 8, EXTRASAMPLE_UNASSALPHA, InkIn::kAlpha, 1, true,
                   false, kSpriteMode8Bit},
        LayoutCase{"GreyWithUnspecifiedExtra", PHOTOMETRIC_MINISBLACK, 8, EXTRASAMPLE_UNSPECIFIED, InkIn::kColour, 1,
                   false, false, kSpriteMode8Bit},
        LayoutCase{"GreyTiled", PHOTOMETRIC_MINISBLACK, 8, kNoExtra, InkIn::kColour, 1, false, true,
                   kSpriteMode8Bit},
        LayoutCase{"Palette", PHOTOMETRIC_PALETTE, 8, kNoExtra, InkIn::kColour, 1, false, false, kSpriteMode8Bit},
        LayoutCase{"PaletteInkInAlpha", PHOTOMETRIC_PALETTE, 4, EXTRASAMPLE_UNASSALPHA, InkIn::kAlpha},
        LayoutCase{"RgbInkInAlpha", PHOTOMETRIC_RGB, 8, EXTRASAMPLE_UNASSALPHA, InkIn::kAlpha, 3, false, false,
                   kSpriteMode8Bit},
        LayoutCase{"RgbInPlanesWithAlpha", PHOTOMETRIC_RGB, 8, EXTRASAMPLE_ASSOCALPHA, InkIn::kColour, 3, true,
                   false, kSpriteMode8Bit},
        LayoutCase{"SixteenBitGrey", PHOTOMETRIC_MINISBLACK, 16, kNoExtra, InkIn::kColour},
        LayoutCase{"SixteenBitInkInAlpha", PHOTOMETRIC_MINISBLACK, 16, EXTRASAMPLE_UNASSALPHA, InkIn::kAlpha}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.label); });

}  // namespace
