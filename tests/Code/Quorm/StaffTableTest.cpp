// Staff table queries on staves taken from exact hints.
#include <gtest/gtest.h>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

// Three straight staves 20 pixels apart: five lines, six lines, five lines;
// the first two in one system.
class StaffTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SynthPage page(1000, 800);
    StaffPainter painter(page);
    const int tops[3] = {100, 300, 560};
    const int lines[3] = {5, 6, 5};
    StaffHints hints;
    for (int i = 0; i < 3; ++i) {
      SynthStaff s;
      s.top = tops[i];
      s.left = 100;
      s.right = 900;
      s.lines = lines[i];
      painter.AddStaff(s);
      hints.AddFromPainter(painter, i, i == 2 ? 1 : 0);
    }
    ASSERT_EQ(RunHintedStageOn(page, hints), 0) << LastStaffFinderCode();
    ASSERT_EQ(GetStaffCount(), 3);
  }
};

TEST_F(StaffTableTest, ColumnsOutsideTheStaffTakeItsEndColumns) {
  const int left = GetStaffLeftX(0), right = GetStaffRightX(0);
  EXPECT_EQ(StaffLineY(0, 2, 0), StaffLineY(0, 2, left));
  EXPECT_EQ(StaffLineY(0, 2, 5000), StaffLineY(0, 2, right - 1));
  EXPECT_EQ(StaffTopLineY(1, 500), StaffLineY(1, 0, 500));
  EXPECT_EQ(StaffBottomLineY(1, 500), StaffLineY(1, 5, 500));
  EXPECT_NEAR(StaffLineY(1, 5, 500), 400, 1);
}

TEST_F(StaffTableTest, StepsOfFiveAndSixLineStaves) {
  for (int line = 0; line < 5; ++line)
    EXPECT_EQ(YToStaffStepIndex(StaffLineY(0, line, 500), 500, 0), -4 + 2 * line) << line;
  for (int line = 0; line < 6; ++line)
    EXPECT_EQ(YToStaffStepIndex(StaffLineY(1, line, 500), 500, 1), 2 * line) << line;
  EXPECT_EQ(GetStaffStepMin(6), -1);
  EXPECT_EQ(GetStaffStepMax(6), 11);
  EXPECT_EQ(GetStaffStepMin(5), -5);
  EXPECT_EQ(GetStaffLedgerStepMax(5), 15);
  EXPECT_EQ(GetStaffLedgerStepMin(6), -1);
  // Two spaces above the top line, and halfway between two lines.
  const StaffStep above = YToStaffStep(StaffLineY(0, 0, 500) - 20, 500, 0);
  EXPECT_EQ(above.step, -6);
  EXPECT_EQ(above.remainder, 0);
  EXPECT_EQ(YToStaffStepIndex(StaffLineY(0, 4, 500) + 11, 500, 0), 5);
  const int32_t space = GetStaffSpace(0);
  EXPECT_EQ(StaffStepY(0, -6, 500), StaffStepY(0, -4, 500) - space);
  EXPECT_EQ(StaffStepY(0, 1, 500), (StaffStepY(0, 0, 500) + StaffStepY(0, 2, 500)) / 2);
  EXPECT_EQ(StaffStepY(1, 12, 500), StaffStepY(1, 10, 500) + space / 2 * 2);
}

TEST_F(StaffTableTest, NearestStaffAboveBelowAndHalfway) {
  EXPECT_EQ(FindStaffAbove(10, 500), -1);
  EXPECT_EQ(NearestStaff(10, 500), 0);
  EXPECT_EQ(NearestStaff(790, 500), 2);
  const int upper = StaffMiddleY(1, 500), lower = StaffMiddleY(2, 500);
  ASSERT_EQ((lower - upper) % 2, 0);
  EXPECT_EQ(NearestStaff((upper + lower) / 2, 500), 2);
  EXPECT_EQ(NearestStaff((upper + lower) / 2 - 1, 500), 1);
}

TEST_F(StaffTableTest, SystemsAndTheirCorners) {
  EXPECT_EQ(GetSystemCount(), 2);
  EXPECT_EQ(GetSystemStaffCount(0), 2);
  EXPECT_EQ(GetStaffOfSystem(1, 0), 2);
  EXPECT_EQ(GetStaffOfSystem(7, 1), 4);  // no such system: count + i, unchecked
  EXPECT_THROW(GetSystemStaffCount(7), EngineFailure);
  int32_t corners[8];
  GetSystemCorners(0, corners);
  EXPECT_EQ(corners[0], StaffTopLineY(0, GetStaffLeftX(0)));
  EXPECT_EQ(corners[2], StaffBottomLineY(1, GetStaffLeftX(1)));
  EXPECT_EQ(corners[5], GetStaffRightX(0));
  EXPECT_EQ(corners[6], StaffBottomLineY(1, GetStaffRightX(1)));
  GetStaffCorners(0, 1, corners);
  EXPECT_EQ(corners[0], StaffTopLineY(1, GetStaffLeftX(1)));
  EXPECT_EQ(corners[2], StaffBottomLineY(1, GetStaffLeftX(1)));
}

TEST_F(StaffTableTest, BadIndexesAreFailedChecks) {
  EXPECT_THROW(GetStaffSpace(3), EngineFailure);
  EXPECT_THROW(GetStaffLineCount(-1), EngineFailure);
  EXPECT_THROW(StaffLineY(0, 5, 100), EngineFailure);
}

TEST_F(StaffTableTest, RemoveStaffMovesLaterRowsUp) {
  const int32_t bottom = StaffLineY(2, 0, 500);
  RemoveStaff(1);
  EXPECT_EQ(GetStaffCount(), 2);
  EXPECT_EQ(StaffLineY(1, 0, 500), bottom);
  ClearStaffTable();
  EXPECT_EQ(GetStaffCount(), 0);
  EXPECT_EQ(EstimateStaffSpace(), 25600);
  EXPECT_THROW(GetSystemCount(), EngineFailure);
}

TEST(StaffScaleTest, PerCentOfTheStaffSpaceInPixels) {
  SetPageStaffSpace(20480);
  EXPECT_EQ(ScaleToPixels(50), 10);
  EXPECT_EQ(ScaleToPixels(-50), -10);
  EXPECT_EQ(ScaleToPixels(20479), 4096);
  EXPECT_EQ(ScaleToPixels(20480), 4100);  // 204.8 whole spaces round to 205
  EXPECT_EQ(PercentOfStaffSpace(25), 5120);
  EXPECT_THROW(PercentOfStaffSpace(-1), EngineFailure);
  // A staff space far beyond the 70-pixel limit does not overflow.
  SetPageStaffSpace(400000);
  EXPECT_EQ(ScaleToPixels(20000), 78125);
  SetLargestStaffSpace(30720);
  EXPECT_EQ(ScaleToPixelsLargest(100), 30);
  FreePageScale();
  EXPECT_EQ(ScaleToPixels(100), 0);
}

TEST(StaffScaleTest, PageSkewWithoutStavesStaysAsItIs) {
  FreeEngine();
  SetPageSkew(17);
  EXPECT_EQ(MeasurePageSkew(), 17);
  FreeEngine();
}

}  // namespace
