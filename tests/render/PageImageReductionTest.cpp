// The reduced page picture: grey levels of ink blocks at 1:4 and 1:100, the
// dimming outside a marked region, and the paper-tinted palette.
#include <gtest/gtest.h>

#include <vector>

#include "render/PageImageReduction.h"

namespace {

// A page image whose left half (columns below inkColumns) is ink.
struct TestPage {
  TestPage(int32_t w, int32_t h, int32_t inkColumns) : width(w), height(h), bits(PageBitImageStride(w) * h, 0) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < inkColumns && x < w; ++x) bits[y * PageBitImageStride(w) + x / 8] |= 1 << (x % 8);
  }
  PageBitImage Image() const { return {bits.data(), width, height}; }
  int32_t width, height;
  std::vector<uint8_t> bits;
};

TEST(PageImageReductionTest, QuarterSizeBlocksByTheirInk) {
  // Columns 0-3 ink, 4-5 ink (half a block), 6-7 paper ... over 16 columns.
  TestPage page(16, 16, 6);
  const std::vector<uint8_t> out = ReducePageImage(page.Image(), {1, 1, 4, 4}, 0, 0, 4, 4, {});
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(out[0], 0);             // a full block is black
  EXPECT_EQ(out[1], 0);             // half covered: black
  EXPECT_EQ(out[2], GreyRamp[0]);   // empty: the paper colour
  EXPECT_EQ(out[3], GreyRamp[0]);
}

TEST(PageImageReductionTest, HundredthSizeSamplesItsBlocks) {
  TestPage page(400, 400, 100);
  const std::vector<uint8_t> out = ReducePageImage(page.Image(), {1, 1, 100, 100}, 0, 0, 4, 4, {});
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], GreyRamp[0]);
  // A block quarter covered: a middle grey.
  TestPage quarter(400, 400, 25);
  const uint8_t grey = ReducePageImage(quarter.Image(), {1, 1, 100, 100}, 0, 0, 1, 1, {})[0];
  EXPECT_NE(grey, 0);
  EXPECT_NE(grey, GreyRamp[0]);
  // Beyond the image nothing is counted.
  EXPECT_EQ(ReducePageImage(page.Image(), {1, 1, 100, 100}, 10, 10, 11, 11, {})[0], 0);
}

TEST(PageImageReductionTest, OutsideTheMarkedRegionIsDimmed) {
  TestPage page(16, 16, 8);
  const MarkedRegion marked{true, 0, 0, 9, 16};
  const std::vector<uint8_t> out = ReducePageImage(page.Image(), {1, 1, 4, 4}, 0, 0, 4, 1, marked);
  EXPECT_EQ(out[0], 0);                 // inside, black
  EXPECT_EQ(out[2], GreyRamp[2]);       // outside, paper comes out greyer
  TestPage ink(16, 16, 16);
  EXPECT_EQ(ReducePageImage(ink.Image(), {1, 1, 4, 4}, 0, 0, 4, 1, marked)[3], kDimmedInkIndex);
}

TEST(PageImageReductionTest, HighlightPaletteIsTintedWithThePaper) {
  RgbQuad palette[256];
  FillHighlightPalette(palette, RgbQuad{255, 240, 220, 0});
  EXPECT_EQ(palette[31].red, 192);
  EXPECT_EQ(palette[32].red, 220);
  EXPECT_EQ(palette[32].blue, 255);
  EXPECT_EQ(palette[239].blue, 48);
  EXPECT_EQ(palette[240].red, 0);
  EXPECT_EQ(palette[0].green, 0);
}

}  // namespace
