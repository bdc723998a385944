// The hinted staff stage: staves taken from the application's stave rows,
// each row checked on its own.
#include <gtest/gtest.h>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

struct HintedPage {
  SynthPage page{1200, 700};
  StaffPainter painter{page, 0.006, 2};
  HintedPage() {
    SynthStaff s;
    s.left = 100;
    s.right = 1100;
    for (int i = 0; i < 3; ++i) {
      s.top = 100 + 200 * i;
      s.lines = i == 1 ? 4 : 5;
      painter.AddStaff(s);
    }
  }
};

TEST(StaffHintsTest, HintedStavesFollowThePage) {
  HintedPage p;
  StaffHints hints;
  hints.AddFromPainter(p.painter, 0, 4);
  hints.AddFromPainter(p.painter, 1, 4);
  hints.AddFromPainter(p.painter, 2, 9);
  ASSERT_EQ(RunHintedStageOn(p.page, hints), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 3);
  const int lines[3] = {5, 4, 5};
  const int systems[3] = {0, 0, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetStaffLineCount(i), lines[i]);
    EXPECT_EQ(GetStaffSystem(i), systems[i]);
    EXPECT_LE(LineError(p.painter, i, i), 1.01) << "staff " << i;
    EXPECT_NEAR(GetStaffSpace(i) / 1024.0, 20.0, 0.5);
  }
  EXPECT_NEAR(GetPageStaffSpace() / 1024.0, 20.0, 1.0);
  // The staves of one system end together (the page skew taken out).
  EXPECT_NEAR(GetStaffLeftX(0), GetStaffLeftX(1), 2);
  EXPECT_NEAR(GetStaffRightX(0), GetStaffRightX(1), 2);
}

// Rows that cannot be staves are refused one by one; the good rows stay.
TEST(StaffHintsTest, BadRowsAreRefusedRowByRow) {
  HintedPage p;
  StaffHints hints;
  hints.AddFromPainter(p.painter, 0, 0);
  hints.Add(100, 1100, 300, {0, 20, 40, 60, 80, 100, 120}, 1);  // seven lines
  hints.rows[hints.rows.size() - 24 + 4] = 7;
  hints.Add(100, 1100, 300, {}, 1);                 // no lines
  hints.Add(600, 600, 300, {0, 20, 40, 60}, 1);     // no width
  hints.Add(900, 200, 300, {0, 20, 40, 60}, 1);     // ends swapped
  hints.Add(100, 1100, 300, {0, 20, 20, 60}, 1);    // two lines at one place
  hints.Add(100, 1100, 300, {0, 20, 10, 60}, 1);    // lines out of order
  hints.Add(100, 1100, -50, {0, 20, 40, 60}, 1);    // above the page
  hints.Add(3000, 4000, 300, {0, 20, 40, 60}, 1);   // right of the page
  hints.AddFromPainter(p.painter, 2, 2);
  ASSERT_EQ(RunHintedStageOn(p.page, hints), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 2);
  EXPECT_LE(LineError(p.painter, 0, 0), 1.01);
  EXPECT_LE(LineError(p.painter, 2, 1), 1.01);
  EXPECT_EQ(GetStaffSystem(0), 0);
  EXPECT_EQ(GetStaffSystem(1), 1);
}

TEST(StaffHintsTest, TwoAndThreeLineHintsAreWidened) {
  SynthPage page(1200, 500);
  StaffPainter painter(page);
  SynthStaff s;
  s.left = 100;
  s.right = 1100;
  s.lines = 3;
  painter.AddStaff(s);
  s.top = 300;
  s.lines = 5;
  painter.AddStaff(s);
  StaffHints hints;
  hints.Add(100, 1100, 100, {0, 40}, 0);
  hints.Add(100, 1100, 300, {0, 40, 80}, 1);
  ASSERT_EQ(RunHintedStageOn(page, hints), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 2);
  EXPECT_EQ(GetStaffLineCount(0), 3);
  EXPECT_EQ(GetStaffLineCount(1), 5);
  EXPECT_NEAR(StaffLineY(0, 1, 600), 120, 1);
  EXPECT_NEAR(StaffLineY(1, 1, 600), 320, 1);
  EXPECT_NEAR(StaffLineY(1, 3, 600), 360, 1);
}

TEST(StaffHintsTest, NoUsableRowEndsWithNoStaves) {
  HintedPage p;
  StaffHints none;
  EXPECT_EQ(RunHintedStageOn(p.page, none), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xnostaves");
  // Coincident lines would give a staff space of 0.
  StaffHints flat;
  flat.Add(100, 1100, 100, {0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(RunHintedStageOn(p.page, flat), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xnostaves");
  EXPECT_EQ(GetStaffCount(), 0);
}

TEST(StaffHintsTest, StavesBeyondSeventyPixelsAreTooBig) {
  SynthPage page(2400, 700);
  StaffPainter painter(page);
  SynthStaff s;
  s.left = 100;
  s.right = 2300;
  s.spacing = 80;
  s.thickness = 5;
  painter.AddStaff(s);
  StaffHints hints;
  hints.AddFromPainter(painter, 0, 0);
  EXPECT_EQ(RunHintedStageOn(page, hints), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xbigstaves");
}

// One staff beyond the limit among readable ones is dropped; the page goes
// on with the others and their systems stay numbered from 0.
TEST(StaffHintsTest, OneStaffBeyondSeventyPixelsIsDroppedAndThePageGoesOn) {
  SynthPage page(2400, 1100);
  StaffPainter painter(page);
  SynthStaff big;
  big.left = 100;
  big.right = 2300;
  big.spacing = 80;
  big.thickness = 5;
  painter.AddStaff(big);
  SynthStaff normal;
  normal.top = 600;
  normal.left = 100;
  normal.right = 2300;
  painter.AddStaff(normal);
  normal.top = 800;
  painter.AddStaff(normal);
  StaffHints hints;
  hints.AddFromPainter(painter, 0, 0);
  hints.AddFromPainter(painter, 1, 1);
  hints.AddFromPainter(painter, 2, 2);
  ASSERT_EQ(RunHintedStageOn(page, hints), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 2);
  EXPECT_NEAR(StaffTopLineY(0, 1000), 600, 1);
  EXPECT_NEAR(StaffTopLineY(1, 1000), 800, 1);
  EXPECT_EQ(GetStaffSystem(0), 0);
  EXPECT_EQ(GetStaffSystem(1), 1);
  EXPECT_EQ(GetSystemCount(), 2);
  EXPECT_NEAR(GetPageStaffSpace() / 1024.0, 20, 0.5);
}

TEST(StaffHintsTest, CountBeyondTheTableIsCut) {
  SynthPage page(400, 200);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(50, 50, 350));
  StaffHints hints;
  for (int i = 0; i < kStaffTableRows + 5; ++i) hints.AddFromPainter(painter, 0, i);
  ASSERT_EQ(RunHintedStageOn(page, hints), 0) << LastStaffFinderCode();
  EXPECT_EQ(GetStaffCount(), kMaxStaves);
}

TEST(StaffHintsTest, NegativeCountIsAFailedCheckAndTheEngineGoesOn) {
  HintedPage p;
  StaffHints hints;
  hints.AddFromPainter(p.painter, 0, 0);
  FreeEngine();
  ASSERT_EQ(LoadPageImage(p.page.bits(), p.page.width(), p.page.height(), 0), kEngineOk);
  EXPECT_EQ(RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), -1, nullptr, nullptr),
            EngineErrorNumber(kCodeFailedCheck));
  EXPECT_EQ(RunHintedStageOn(p.page, hints), 0);
  EXPECT_EQ(GetStaffCount(), 1);
}

}  // namespace
