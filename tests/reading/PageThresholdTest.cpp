#include "reading/PageThreshold.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/reading/SyntheticPages.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

bool SamePixels(const PageImage& a, const PageImage& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.Ink(x, y) != b.Ink(x, y)) return false;
  return true;
}

SyntheticPage SmallPage() {
  SyntheticPage page;
  page.resolution = 300;
  page.width = 1200;
  page.height = 1500;
  return page;
}

TEST(GreyThreshold, FollowsTheRulesWithAndWithoutDottedPaper) {
  struct Case {
    int t1, t2;
    bool pattern;
    int expected;
  } cases[] = {
      {120, 0, false, 130}, {200, 0, false, 209}, {255, 0, false, 255}, {250, 0, false, 250},
      {190, 160, true, 170}, {140, 140, true, 175}, {230, 250, true, 203}, {150, 255, true, 220},
  };
  for (const Case& c : cases) EXPECT_EQ(GreyThreshold(c.t1, c.t2, c.pattern), c.expected) << c.t1 << " " << c.t2;
}

TEST(CalculateThreshold, LiesBetweenInkAndPaperOfAGreyPage) {
  ResetPaperPeak();
  OwnedPageImage grey = MakeGreyPage(SmallPage());
  Histogram h;
  BuildHistogram(grey, 256, h);
  RefineHistogram(h, 256, grey, 300);
  int t1 = CalculateThreshold(h, 256, false, true);
  EXPECT_GT(t1, 60);
  EXPECT_LT(t1, 200);
  int t = GreyThreshold(t1, 0, false);
  OwnedPageImage bits = ConvertToBlackAndWhite(grey, t);
  ASSERT_TRUE(bits.Valid());
  EXPECT_TRUE(SamePixels(bits, MakeOneBitPage(SmallPage())));
}

TEST(CalculateThreshold, KeepsThePaperPeakOnlyWhenAsked) {
  ResetPaperPeak();
  Histogram h;
  h.level[20] = 0.1;
  h.level[240] = 0.9;
  // A lone ink level is found by the first window that holds it (ink peak
  // 30); a lone paper level at the top is the highest occupied level.
  int first = CalculateThreshold(h, 256, false, false);
  EXPECT_EQ(first, ((240 - 30) / 2 + 240 + 30) / 2);
  Histogram darker;
  darker.level[20] = 0.1;
  darker.level[180] = 0.9;
  // The kept peak is 240 from the first page.
  EXPECT_EQ(CalculateThreshold(darker, 256, false, true), (240 + 30) / 2 + 30 / 20);
  EXPECT_EQ(CalculateThreshold(darker, 256, false, false), ((180 - 30) / 2 + 180 + 30) / 2);
}

TEST(InvertIfNegative, TwoLevelPagesFollowTheirInkShare) {
  struct Case {
    int inkRows;
    bool inverted;
  } cases[] = {{6, true}, {4, false}, {5, true}};
  for (const Case& c : cases) {
    OwnedPageImage page(40, 40, 1);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        if ((y / 4) % 10 < c.inkRows) page.View().SetInk(x, y);
    Histogram h;
    BuildHistogram(page, 2, h);
    EXPECT_EQ(InvertIfNegative(h, 2, page), c.inverted) << c.inkRows;
  }
}

TEST(InvertIfNegative, ANegativeGreyPageBecomesThePositiveOne) {
  SyntheticPage negative = SmallPage();
  negative.negative = true;
  OwnedPageImage grey = MakeGreyPage(negative);
  Histogram h;
  BuildHistogram(grey, 256, h);
  ASSERT_TRUE(InvertIfNegative(h, 256, grey));
  OwnedPageImage positive = MakeGreyPage(SmallPage());
  for (int y = 0; y < positive.View().height; ++y)
    ASSERT_EQ(0, memcmp(grey.View().Row(y), positive.View().Row(y), positive.View().width)) << y;
  EXPECT_FALSE(InvertIfNegative(h, 256, grey));
}

// Odd widths: every pixel of the last partial byte turns, the padding stays clear.
TEST(InvertPixels, TreatsTheLastPartialByteAndLeavesThePadding) {
  for (int width : {19, 21, 24, 1}) {
    OwnedPageImage page(width, 3, 1);
    page.View().SetInk(0, 1);
    page.View().SetInk(width - 1, 2);
    InvertPixels(page);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x) {
        bool wasInk = (x == 0 && y == 1) || (x == width - 1 && y == 2);
        EXPECT_EQ(page.View().Ink(x, y), !wasInk) << width << " " << x << "," << y;
      }
    for (int y = 0; y < 3; ++y)
      for (size_t bit = width; bit < page.View().rowBytes * 8; ++bit)
        EXPECT_EQ((page.View().Row(y)[bit / 8] >> (bit % 8)) & 1, 0) << width;
  }
}

TEST(InvertPixels, FourBitRowsOfOddWidthTurnTheirLastPixel) {
  OwnedPageImage page(5, 1, 4);
  uint8_t* row = page.View().Row(0);
  row[0] = 0x12;
  row[1] = 0x34;
  row[2] = 0x50;
  InvertPixels(page);
  EXPECT_EQ(row[0], 0xED);
  EXPECT_EQ(row[1], 0xCB);
  EXPECT_EQ(row[2], 0xA0);
  EXPECT_EQ(row[3], 0x00);
}

TEST(ExpandTo256Greys, EachNibbleTimesSeventeen) {
  OwnedPageImage page(3, 2, 4);
  page.View().Row(0)[0] = 0x0F;
  page.View().Row(0)[1] = 0x90;
  page.View().Row(1)[0] = 0x38;
  OwnedPageImage grey = ExpandTo256Greys(page);
  ASSERT_TRUE(grey.Valid());
  const uint8_t expected[2][3] = {{0, 255, 153}, {51, 136, 0}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(grey.View().Grey(x, y), expected[y][x]);
}

TEST(DetectPatternedPaper, FindsADotScreenAndNothingOnPlainPaper) {
  SyntheticPage dotted = SmallPage();
  dotted.dotted = true;
  OwnedPageImage withDots = MakeGreyPage(dotted);
  OwnedPageImage plain = MakeGreyPage(SmallPage());
  EXPECT_EQ(DetectPatternedPaper(withDots, 150, 256, 300), 1);
  EXPECT_EQ(DetectPatternedPaper(plain, 150, 256, 300), 0);
  EXPECT_EQ(DetectPatternedPaper(withDots, 150, 16, 300), 0);
  OwnedPageImage dotBits = MakeOneBitPage(dotted);
  EXPECT_EQ(DetectPatternedPaper(dotBits, 1, 2, 300), 1);
}

TEST(NormalizePalette, MapsPackedIndicesToPackedLevels) {
  uint8_t table[256];
  const uint8_t blackWhite[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  ASSERT_TRUE(NormalizePalette(blackWhite, 1, table));
  EXPECT_EQ(table[0x00], 0xFF);
  EXPECT_EQ(table[0xFF], 0x00);
  EXPECT_EQ(table[0x0F], 0xF0);
  const uint8_t whiteBlack[8] = {255, 255, 255, 0, 0, 0, 0, 0};
  ASSERT_TRUE(NormalizePalette(whiteBlack, 1, table));
  EXPECT_EQ(table[0x01], 0x01);
  uint8_t greys[64];
  for (int i = 0; i < 16; ++i) greys[4 * i] = greys[4 * i + 1] = greys[4 * i + 2] = static_cast<uint8_t>(17 * i);
  ASSERT_TRUE(NormalizePalette(greys, 4, table));
  for (int v : {0x00, 0x1F, 0xA5, 0xFF}) EXPECT_EQ(table[v], v);
}

TEST(NormalizePalette, RefusesMoreThan256Colours) {
  BoxRecorder boxes;
  uint8_t table[256];
  uint8_t palette[4] = {};
  EXPECT_FALSE(NormalizePalette(palette, 16, table));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, U16("Cannot normalize palette with more than 256 colours!"));
  EXPECT_FALSE(NormalizePalette(palette, 3, table));
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

}  // namespace
