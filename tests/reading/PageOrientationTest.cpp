#include "reading/PageOrientation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/reading/SyntheticPages.h"

namespace {

SyntheticPage SmallPage(double angle = 0.0) {
  SyntheticPage page;
  page.resolution = 300;
  page.width = 1000;
  page.height = 1300;
  page.angle = angle;
  return page;
}

OwnedPageImage PatternImage(int width, int height) {
  OwnedPageImage image(width, height, 1);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((x * 7 + y * 13 + x * y) % 5 == 0) image.View().SetInk(x, y);
  return image;
}

TEST(OnSideTest, TellsAPageOnItsSideFromAnUprightOne) {
  SyntheticPage side = SmallPage();
  side.onSide = true;
  EXPECT_EQ(OnSideTest(MakeOneBitPage(SmallPage()), 2, 1, 1, 300), 0);
  EXPECT_EQ(OnSideTest(MakeOneBitPage(side), 2, 1, 1, 300), 1);
  EXPECT_EQ(OnSideTest(MakeGreyPage(side), 256, 128, 1, 300), 1);
  OwnedPageImage blank(400, 300, 1);
  EXPECT_EQ(OnSideTest(blank, 2, 1, 1, 300), 0);
}

TEST(PatternCell, GrowsWithTheResolution) {
  EXPECT_EQ(PatternCell(300), 4);
  EXPECT_EQ(PatternCell(600), 9);
  EXPECT_EQ(PatternCell(100), 2);
}

TEST(QuarterTurns, MapEveryPixelAndUndoEachOther) {
  for (int width : {19, 21, 32}) {
    OwnedPageImage image = PatternImage(width, 13);
    OwnedPageImage anti = TurnOnSideAnticlockwise(image);
    ASSERT_TRUE(anti.Valid());
    ASSERT_EQ(anti.View().width, 13);
    ASSERT_EQ(anti.View().height, width);
    for (int r = 0; r < width; ++r)
      for (int c = 0; c < 13; ++c) ASSERT_EQ(anti.View().Ink(c, r), image.View().Ink(width - 1 - r, c));
    OwnedPageImage back = TurnOnSideClockwise(anti);
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < width; ++x) ASSERT_EQ(back.View().Ink(x, y), image.View().Ink(x, y)) << width;
  }
}

// Odd widths (8k + 3, 8k + 5) turn pixel for pixel, and the padding stays clear.
TEST(TurnUpsideDown, TurnsEveryPixelAtAnyWidth) {
  for (int width : {19, 21, 16, 3, 1}) {
    for (int height : {7, 8}) {
      OwnedPageImage image = PatternImage(width, height);
      OwnedPageImage turned = PatternImage(width, height);
      TurnUpsideDown(turned);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(turned.View().Ink(x, y), image.View().Ink(width - 1 - x, height - 1 - y))
              << width << "x" << height << " at " << x << "," << y;
        for (size_t bit = width; bit < turned.View().rowBytes * 8; ++bit)
          ASSERT_EQ((turned.View().Row(y)[bit / 8] >> (bit % 8)) & 1, 0);
      }
    }
  }
}

TEST(ScanAngles, TheCoarsePassScoresFortyAnglesAndRefinementsTwoNewOnes) {
  OwnedPageImage page = MakeOneBitPage(SmallPage(1.2));
  std::vector<double> memo(kAngleMemoSize, -1.0);
  int scored = 0;
  double a1 = ScanAngles(0.0, 8.0, 0.4, memo.data(), page, 2, 300, &scored);
  EXPECT_EQ(scored, 40);
  scored = 0;
  ScanAngles(a1, 0.2, 0.2, memo.data(), page, 2, 300, &scored);
  EXPECT_EQ(scored, 2);
}

TEST(FindPageAngle, FindsKnownSkewsWithinTheFinestStep) {
  for (double angle : {-3.0, -1.1, 0.0, 2.4, 6.3}) {
    OwnedPageImage page = MakeOneBitPage(SmallPage(angle));
    EXPECT_NEAR(FindPageAngle(page, 2, 1, false, 300), angle, 0.051) << angle;
  }
  for (double angle : {-0.7, 1.55}) {
    OwnedPageImage grey = MakeGreyPage(SmallPage(angle));
    EXPECT_NEAR(FindPageAngle(grey, 256, 128, false, 300), angle, 0.051) << angle;
  }
}

TEST(LevelPage, LevelsASkewedPage) {
  for (double angle : {-2.0, 1.5}) {
    OwnedPageImage page = MakeOneBitPage(SmallPage(angle));
    OwnedPageImage level = LevelPage(FindPageAngle(page, 2, 1, false, 300), page);
    ASSERT_TRUE(level.Valid());
    EXPECT_NEAR(FindPageAngle(level, 2, 1, false, 300), 0.0, 0.051) << angle;
    OwnedPageImage greyLevel = LevelGreyPage(angle, MakeGreyPage(SmallPage(angle)), 128);
    ASSERT_TRUE(greyLevel.Valid());
    EXPECT_NEAR(FindPageAngle(greyLevel, 2, 1, false, 300), 0.0, 0.051) << angle;
  }
}

TEST(LevelPage, AngleZeroLeavesThePageAndNinetyTurnsIt) {
  OwnedPageImage page = MakeOneBitPage(SmallPage());
  EXPECT_FALSE(LevelPage(0.0, page).Valid());
  int32_t w, h;
  LevelledSize(90.0, 1000, 1300, &w, &h);
  EXPECT_EQ(w, 1301);
  EXPECT_EQ(h, 1000);
}

TEST(FindPageAngle, APageOnItsSideIsSearchedAroundNinetyAndLevelledUpright) {
  SyntheticPage side = SmallPage(0.8);
  side.onSide = true;
  OwnedPageImage page = MakeOneBitPage(side);
  double angle = FindPageAngle(page, 2, 1, false, 300);
  EXPECT_GT(angle, 82.0);
  EXPECT_LT(angle, 98.0);
  OwnedPageImage upright = LevelPage(angle, page);
  ASSERT_TRUE(upright.Valid());
  EXPECT_EQ(OnSideTest(upright, 2, 1, 1, 300), 0);
  EXPECT_NEAR(FindPageAngle(upright, 2, 1, false, 300), 0.0, 0.051);
}

}  // namespace
