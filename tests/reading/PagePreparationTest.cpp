#include "reading/PagePreparation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "reading/PageOrientation.h"
#include "reading/PageThreshold.h"
#include "tests/reading/SyntheticPages.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

SyntheticPage SmallPage(int width = 1000, int height = 1300) { return SizedPage(width, height); }

PreparationSettings NoRotation() {
  PreparationSettings settings;
  settings.resolution = 300;
  settings.autoRotate = false;
  return settings;
}

OwnedPageImage Copy(const PageImage& image) {
  OwnedPageImage copy(image.width, image.height, image.bitsPerPixel);
  for (int y = 0; y < image.height; ++y) memcpy(copy.View().Row(y), image.Row(y), image.rowBytes);
  return copy;
}

// Pixels that differ inside a frame (by default the two pixels that
// preparation blanks).
long DifferingPixels(const PageImage& a, const PageImage& b, int frame = 2) {
  if (a.width != b.width || a.height != b.height) return -1;
  long n = 0;
  for (int y = frame; y < a.height - frame; ++y)
    for (int x = frame; x < a.width - frame; ++x) n += a.Ink(x, y) != b.Ink(x, y);
  return n;
}

TEST(PreparePageImage, AGreyPageBecomesItsBlackAndWhitePage) {
  ResetPaperPeak();
  PreparationResult result;
  OwnedPageImage page = PreparePageImage(MakeGreyPage(SmallPage()), 256, NoRotation(), &result);
  ASSERT_TRUE(page.Valid());
  EXPECT_GT(result.threshold, 60);
  EXPECT_LT(result.threshold, 220);
  EXPECT_FALSE(result.inverted);
  EXPECT_FALSE(result.patternedPaper);
  EXPECT_EQ(DifferingPixels(page, MakeOneBitPage(SmallPage())), 0);
}

TEST(PreparePageImage, ASixteenLevelPageTakesItsOwnThreshold) {
  ResetPaperPeak();
  OwnedPageImage grey = MakeGreyPage(SmallPage());
  OwnedPageImage nibbles(grey.View().width, grey.View().height, 4);
  for (int y = 0; y < grey.View().height; ++y)
    for (int x = 0; x < grey.View().width; ++x)
      nibbles.View().Row(y)[x / 2] |= static_cast<uint8_t>((grey.View().Grey(x, y) / 17) << ((x & 1) ? 0 : 4));
  PreparationResult result;
  OwnedPageImage page = PreparePageImage(std::move(nibbles), 16, NoRotation(), &result);
  ASSERT_TRUE(page.Valid());
  EXPECT_GT(result.threshold, 60);
  EXPECT_LT(result.threshold, 220);
  EXPECT_EQ(DifferingPixels(page, MakeOneBitPage(SmallPage())), 0);
}

TEST(PreparePageImage, ANegativePageIsInverted) {
  SyntheticPage negative = SmallPage();
  negative.negative = true;
  PreparationResult result;
  OwnedPageImage page = PreparePageImage(MakeGreyPage(negative), 256, NoRotation(), &result);
  ASSERT_TRUE(page.Valid());
  EXPECT_TRUE(result.inverted);
  EXPECT_EQ(DifferingPixels(page, MakeOneBitPage(SmallPage())), 0);
}

// 1-bit pages of widths 8k + 3 and 8k + 5: inverted or not, every pixel
// comes out as it should, the last partial byte too.
TEST(PreparePageImage, OddWidthsComeOutPixelForPixel) {
  for (int width : {1003, 1005}) {
    OwnedPageImage positive = MakeOneBitPage(SmallPage(width));
    OwnedPageImage negative = Copy(positive);
    InvertPixels(negative);
    for (bool inverted : {false, true}) {
      PreparationResult result;
      OwnedPageImage page = PreparePageImage(inverted ? Copy(negative) : Copy(positive), 2, NoRotation(), &result);
      ASSERT_TRUE(page.Valid());
      EXPECT_EQ(result.inverted, inverted);
      EXPECT_EQ(DifferingPixels(page, positive), 0) << width << " inverted " << inverted;
      EXPECT_EQ(page.View().Row(100)[(width - 1) / 8] >> (width % 8), 0);
    }
  }
}

TEST(PreparePageImage, ADotScreenIsFoundAndRemoved) {
  ResetPaperPeak();
  SyntheticPage dotted = SmallPage();
  dotted.dotted = true;
  PreparationResult result;
  OwnedPageImage page = PreparePageImage(MakeGreyPage(dotted), 256, NoRotation(), &result);
  ASSERT_TRUE(page.Valid());
  EXPECT_TRUE(result.patternedPaper);
  // No dot is left on open paper; the clean-up leaves the first and last
  // byte of each row alone, and a dot that touches ink stays part of it.
  OwnedPageImage clean = MakeOneBitPage(SmallPage());
  const PageImage& p = page.View();
  const PageImage& c = clean.View();
  long onPaper = 0;
  for (int y = 16; y < p.height - 16; ++y)
    for (int x = 16; x < p.width - 16; ++x) {
      if (!p.Ink(x, y) || c.Ink(x, y)) continue;
      bool touches = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) touches = touches || c.Ink(x + dx, y + dy);
      onPaper += touches ? 0 : 1;
    }
  EXPECT_EQ(onPaper, 0);
  EXPECT_LT(DifferingPixels(page, clean, 16), CountInk(clean, 0, 0, c.width, c.height) / 50);
}

TEST(PreparePageImage, APageOnItsSideIsTurnedUpright) {
  SyntheticPage side = SmallPage();
  side.onSide = true;
  PreparationResult result;
  OwnedPageImage page = PreparePageImage(MakeGreyPage(side), 256, NoRotation(), &result);
  ASSERT_TRUE(page.Valid());
  EXPECT_TRUE(result.turnedOnSide);
  EXPECT_EQ(page.View().width, 1000);
  EXPECT_EQ(page.View().height, 1300);
  EXPECT_EQ(OnSideTest(page, 2, 1, 1, 300), 0);
  // The synthetic page lies a quarter turn clockwise: turned back it is the upright page.
  EXPECT_EQ(DifferingPixels(page, MakeOneBitPage(SmallPage())), 0);
}

TEST(PreparePageImage, AutomaticAngleLevelsASkewedOrSidewaysPage) {
  PreparationSettings settings;
  settings.resolution = 300;
  struct Case {
    double angle;
    bool onSide;
    double expected;
  } cases[] = {{1.5, false, 1.5}, {-0.05, false, 0.0}, {0.0, true, 90.0}};
  for (const Case& c : cases) {
    SyntheticPage skewed = SmallPage();
    skewed.angle = c.angle;
    skewed.onSide = c.onSide;
    PreparationResult result;
    OwnedPageImage page = PreparePageImage(MakeOneBitPage(skewed), 2, settings, &result);
    ASSERT_TRUE(page.Valid());
    EXPECT_NEAR(result.angle, c.expected, 0.051) << c.angle;
    EXPECT_EQ(OnSideTest(page, 2, 1, 1, 300), 0);
    EXPECT_NEAR(FindPageAngle(page, 2, 1, false, 300), 0.0, 0.101) << c.angle;
  }
}

TEST(PreparePageImage, RefusesOtherDepths) {
  BoxRecorder boxes;
  EXPECT_FALSE(PreparePageImage(OwnedPageImage(40, 40, 8), 2, NoRotation(), nullptr).Valid());
  EXPECT_FALSE(PreparePageImage(OwnedPageImage(40, 40, 8), 64, NoRotation(), nullptr).Valid());
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].text, U16("Sorry, only black & white and 4,16 or 256 gray-scale scans can be read."));
}

}  // namespace
