#include "reading/StaveFitting.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/reading/StavePageTables.h"

namespace {

// A 300 dpi strip with staves drawn as lines of the given spacing.
struct StripPage {
  static constexpr int kWidth = 1200, kHeight = 400, kStride = kWidth / 8;
  std::vector<uint8_t> bits = std::vector<uint8_t>(size_t(kStride) * kHeight, 0);
  StavePageTables tables;
  StavePage page = tables.Over(OneBitImage(bits.data(), kWidth, kHeight, kStride));

  void Lines(int top, int count, int spacing, int thickness, int left = 100, int right = 1100) {
    for (int k = 0; k < count; ++k)
      for (int y = top + k * spacing; y < top + k * spacing + thickness; ++y)
        for (int x = left; x < right; ++x) bits[size_t(y) * kStride + x / 8] |= uint8_t(1u << (x % 8));
  }
};

StaveFit Outline(int top, int bottom, int lines, int left = 100, int right = 1100) {
  StaveFit fit{};
  fit.left = int16_t(left);
  fit.right = int16_t(right);
  fit.top = int16_t(top);
  fit.bottom = int16_t(bottom);
  fit.midX = int16_t((left + right) / 2);
  fit.midTop = fit.rightTop = int16_t(top);
  fit.lineCount = int16_t(lines);
  fit.lineThickness = 2;
  return fit;
}

TEST(RebuildStaveRows, FourMarkedLinesOfAFiveLineStaveBecomeFive) {
  StripPage strip;
  strip.Lines(100, 5, 16, 2);
  // The user marked the lower four lines.
  StaveFit fit = Outline(116, 164, 4);
  RebuildStaveRows(&fit, 0, false, false, strip.page);
  EXPECT_EQ(fit.lineCount, 5);
  EXPECT_EQ(fit.kind, 0);
  EXPECT_NEAR(fit.top, 100, 2);
  EXPECT_NEAR(fit.bottom, 164, 3);
}

TEST(RebuildStaveRows, SixLinesAreTablature) {
  StripPage strip;
  strip.Lines(100, 6, 16, 2);
  StaveFit fit = Outline(100, 180, 6);
  RebuildStaveRows(&fit, 0, true, false, strip.page);
  EXPECT_EQ(fit.lineCount, 6);
  EXPECT_EQ(fit.kind, 1);
  EXPECT_EQ(fit.lineThickness, 2);
}

TEST(RebuildStaveRows, ALowOutlineIsAOneLineStaveWithTheShortStaveOption) {
  StripPage strip;
  strip.Lines(200, 1, 8, 2);
  StaveFit fit = Outline(196, 204, 5);
  RebuildStaveRows(&fit, 0, true, true, strip.page);
  EXPECT_EQ(fit.lineCount, 1);
  EXPECT_EQ(fit.kind, 2);
}

TEST(RebuildStaveRows, OutlinesOfNoWidthAndThickInkAreSafe) {
  StripPage strip;
  // Solid ink: every run is longer than the thickness histogram.
  strip.Lines(50, 1, 1, 300);
  StaveFit fit = Outline(100, 164, 5);
  RebuildStaveRows(&fit, 0, true, false, strip.page);
  EXPECT_GE(fit.lineThickness, 1);
  EXPECT_LT(fit.lineThickness, 32);
  StaveFit flat = Outline(100, 164, 5, 500, 500);
  RebuildStaveRows(&flat, 0, true, false, strip.page);
  EXPECT_EQ(flat.slope, 0);
  EXPECT_EQ(ModelTopLineOffset(500, 500, 500, 100, 100, 100, 500), 1);
}

TEST(ModelTopLineOffset, FollowsARisingTopLine) {
  EXPECT_EQ(ModelTopLineOffset(0, 1000, 500, 100, 100, 100, 700), 1);
  const int32_t middle = ModelTopLineOffset(0, 1000, 500, 100, 110, 120, 500);
  EXPECT_GT(middle, 5);
  EXPECT_LT(middle, 17);
}

}  // namespace
