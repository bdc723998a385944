// The ledger-line finder on synthesised pages: lines above and below staves
// of every common size, found at their rows and steps; what is no ledger
// line; and pages that give it nothing to find.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/LineArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

// Runs the staff stage, then the ledger-line finder as the page stage does.
void FindLedgerLinesOn(const SynthPage& page) {
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  MeasurePageSkew();
  InitialiseObjectPoints();
  DetectLedgerLines();
}

// The found line that matches the painted one (same step, row within rowSlack,
// ends within endSlack); -1 when none, -2 when more than one.
int MatchLine(const PaintedLedger& p, double rowSlack, int endSlack) {
  int found = -1;
  for (int i = 0; i < GetLedgerLineCount(); ++i) {
    int row = 0, staff = 0, step = 0;
    GetLedgerLinePlace(i, &row, &staff, &step);
    if (step != p.step || std::fabs(row - p.row) > rowSlack) continue;
    if (std::abs(GetLedgerLineLeftX(i) - p.left) > endSlack || std::abs(GetLedgerLineRightX(i) - p.right) > endSlack)
      continue;
    found = found == -1 ? i : -2;
  }
  return found;
}

struct LedgerCase {
  int spacing;
  int thickness;
  double skew;
};

class LedgerLinesBySize : public ::testing::TestWithParam<LedgerCase> {};

// One to four lines above and below, each group with a head on its outermost
// line, on one staff of the size; every painted line is found once, at its
// step, within a pixel and a quarter of the line thickness of its middle row
// and two pixels (plus the skew over a staff space) of its ends, and nothing
// else.
TEST_P(LedgerLinesBySize, FindsOneToFourLinesOnEachSide) {
  const LedgerCase c = GetParam();
  const int s = c.spacing;
  const int width = 37 * s + 220;
  SynthPage page(width, 24 * s + 200);
  StaffPainter painter(page, c.skew);
  SynthStaff staff;
  staff.top = 10 * s + 60;
  staff.left = 60;
  staff.right = width - 60;
  staff.spacing = s;
  staff.thickness = c.thickness;
  painter.AddStaff(staff);
  std::vector<PaintedLedger> painted;
  int x = 60 + 4 * s;
  for (int count = 1; count <= 4; ++count)
    for (int side : {-1, 1}) {
      for (const PaintedLedger& line : DrawLedgerLines(page, painter, 0, side, count, x)) painted.push_back(line);
      x += 4 * s;
    }
  ASSERT_LT(x, width - 60);
  FindLedgerLinesOn(page);
  ASSERT_EQ(GetStaffCount(), 1);
  // A row of the line's own ink, within a quarter of its thickness of its middle.
  const double rowSlack = 1.0 + c.thickness / 4.0;
  const int endSlack = 2 + static_cast<int>(std::ceil(std::fabs(c.skew) * s));
  for (const PaintedLedger& line : painted)
    EXPECT_GE(MatchLine(line, rowSlack, endSlack), 0)
        << "step " << line.step << " at column " << line.left << " row " << line.row;
  EXPECT_EQ(GetLedgerLineCount(), static_cast<int>(painted.size()));
  if (::testing::Test::HasFailure())
    for (int i = 0; i < GetLedgerLineCount(); ++i) {
      int row = 0, staffIndex = 0, step = 0;
      GetLedgerLinePlace(i, &row, &staffIndex, &step);
      ADD_FAILURE() << "found step " << step << " row " << row << " columns " << GetLedgerLineLeftX(i) << ".."
                    << GetLedgerLineRightX(i);
    }
  for (int i = 0; i < GetLedgerLineCount(); ++i) {
    EXPECT_EQ(GetLedgerLineCost(i), kLedgerLineCost);
    int staffIndex = -1;
    GetLedgerLinePlace(i, nullptr, &staffIndex, nullptr);
    EXPECT_EQ(staffIndex, 0);
  }
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, LedgerLinesBySize,
                         ::testing::Values(LedgerCase{12, 1, 0}, LedgerCase{14, 2, 0.004}, LedgerCase{18, 2, 0},
                                           LedgerCase{22, 2, -0.005}, LedgerCase{26, 3, 0}, LedgerCase{31, 3, 0.003},
                                           LedgerCase{37, 4, 0}, LedgerCase{45, 4, -0.002}));

// Every found line has its two anchor points; releasing the line removes them.
TEST(LedgerLinesTest, AnchorPointsFollowTheLines) {
  SynthPage page(900, 500);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(200, 50, 850));
  DrawLedgerLines(page, painter, 0, -1, 2, 300);
  FindLedgerLinesOn(page);
  ASSERT_EQ(GetLedgerLineCount(), 2);
  for (int i = 0; i < 2; ++i) {
    const int kinds[2] = {kPointLedgerLeft, kPointLedgerRight};
    const int xs[2] = {GetLedgerLineLeftX(i), GetLedgerLineRightX(i)};
    for (int k = 0; k < 2; ++k) {
      int32_t* objects = nullptr;
      const int y = GetLedgerLineY(i);
      const int n = FindObjectPointsInBox(kinds[k], xs[k], y, xs[k] + 1, y + 1, &objects);
      ASSERT_EQ(n, 1);
      EXPECT_EQ(objects[0], i);
      EngineFree(objects);
    }
  }
  ReleaseLedgerLine(0);
  int32_t* objects = nullptr;
  EXPECT_EQ(FindObjectPointsInBox(kPointLedgerLeft, 0, 0, 900, 500, &objects), 1);
  EngineFree(objects);
  EXPECT_THROW(GetLedgerLineY(2), EngineFailure);
  EXPECT_THROW(GetLedgerLineCost(-1), EngineFailure);
  EXPECT_THROW(ReleaseLedgerLine(5), EngineFailure);
  FreeEngine();
  EXPECT_EQ(GetLedgerLineCount(), 0);
}

// A line that runs to the page's right edge keeps its right anchor point on
// the page.
TEST(LedgerLinesTest, LineAtTheRightPageEdge) {
  SynthPage page(900, 500);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(200, 50, 900));
  DrawLedgerLines(page, painter, 0, -1, 2, 890);
  FindLedgerLinesOn(page);
  ASSERT_GE(GetLedgerLineCount(), 1);
  for (int i = 0; i < GetLedgerLineCount(); ++i) {
    int32_t* objects = nullptr;
    const int y = GetLedgerLineY(i);
    EXPECT_EQ(FindObjectPointsInBox(kPointLedgerRight, 0, y, 900, y + 1, &objects), 1);
    EngineFree(objects);
  }
  FreeEngine();
}

// What the finder must not take, each on a staff of 20 pixels.
struct Rejection {
  const char* what;
  int lines;         // of the staff
  int ledgers;       // painted above the staff
  double width;      // in staff spaces
  int expected;      // lines found
};

class LedgerRejections : public ::testing::TestWithParam<Rejection> {};

TEST_P(LedgerRejections, FindsOnlyWhatIsThere) {
  const Rejection r = GetParam();
  SynthPage page(900, 700);
  StaffPainter painter(page);
  SynthStaff staff;
  staff.top = 260;
  staff.left = 50;
  staff.right = 850;
  staff.lines = r.lines;
  painter.AddStaff(staff);
  if (r.lines == 5)
    DrawLedgerLines(page, painter, 0, -1, r.ledgers, 400, r.width);
  else
    for (int n = 1; n <= r.ledgers; ++n) page.FillRect(260 - 20 * n, 380, 262 - 20 * n, 420);
  if (r.lines == 5) {
    FindLedgerLinesOn(page);
  } else {
    StaffHints hints;
    hints.AddFromPainter(painter, 0, 1);
    ASSERT_EQ(RunHintedStageOn(page, hints), 0);
    ASSERT_EQ(GetStaffLineCount(0), r.lines);
    InitialiseObjectPoints();
    DetectLedgerLines();
  }
  EXPECT_EQ(GetLedgerLineCount(), r.expected) << r.what;
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LedgerRejections,
    ::testing::Values(Rejection{"six lines found, the seventh not sought", 5, 7, 1.8, 6},
                      Rejection{"a stroke shorter than a staff space", 5, 1, 0.8, 0},
                      Rejection{"a four-line staff", 4, 2, 2.0, 0},
                      Rejection{"a six-line staff", 6, 2, 2.0, 0}));

// Erasing a line clears its ink but leaves a stem that crosses it.
TEST(LedgerLinesTest, ErasingKeepsCrossingStrokes) {
  SynthPage page(900, 500);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(200, 50, 850));
  const PaintedLedger line = DrawLedgerLines(page, painter, 0, -1, 1, 300, 1.8, false)[0];
  page.FillRect(120, 305, 200, 307);  // a stem through the line
  FindLedgerLinesOn(page);
  ASSERT_EQ(GetLedgerLineCount(), 1);
  EraseLedgerLine(0);
  const int row = static_cast<int>(std::lround(line.row));
  EXPECT_EQ(CountBoxInk(row - 3, line.left, row + 4, 305), 0);
  EXPECT_EQ(CountBoxInk(row - 3, 307, row + 4, line.right), 0);
  EXPECT_EQ(CountBoxInk(120, 305, 200, 307), 160);
  FreeEngine();
}

int AlwaysGoOn(int) { return 1; }

// Hinted staves so small that their tolerances round to nothing, and pages
// without staves or with only noise, read to the end; a good page after
// them is read as before.
TEST(LedgerLinesTest, BadPagesReadToTheEnd) {
  std::vector<SynthPage> pages;
  pages.emplace_back(800, 600);  // blank: it does not even load
  pages.emplace_back(800, 600);
  DrawTextLine(pages.back(), 200, 50, 750, 14, 7);
  DrawTextLine(pages.back(), 260, 50, 750, 14, 8);
  pages.emplace_back(800, 600);
  pages.back().Speckle(4000, 3);
  pages.back().Blots(40, 6, 4);
  for (const SynthPage& page : pages) {
    FreeEngine();
    const bool loaded = LoadPageImage(page.bits(), page.width(), page.height(), 0) == kEngineOk;
    if (loaded) RunStaffStage(1, nullptr, nullptr);
    EXPECT_EQ(RecognisePage(1.0f, nullptr, AlwaysGoOn), loaded ? 0 : 1);
    EXPECT_EQ(GetLedgerLineCount(), 0);
  }
  for (int spacing : {3, 4}) {
    SynthPage page(800, 400);
    StaffPainter painter(page);
    SynthStaff staff;
    staff.top = 150;
    staff.left = 50;
    staff.right = 750;
    staff.spacing = spacing;
    staff.thickness = 1;
    painter.AddStaff(staff);
    for (int x = 100; x < 700; x += 40) {
      DrawLedgerLines(page, painter, 0, -1, 3, x, 2.0, false);
      DrawLedgerLines(page, painter, 0, 1, 3, x + 20, 2.0, false);
    }
    StaffHints hints;
    hints.AddFromPainter(painter, 0, 1);
    ASSERT_EQ(RunHintedStageOn(page, hints), 0) << "spacing " << spacing;
    ASSERT_EQ(GetStaffCount(), 1);
    EXPECT_EQ(RecognisePage(1.0f, nullptr, AlwaysGoOn), 0) << "spacing " << spacing;
    EXPECT_EQ(GetLedgerLineCount(), 0);
  }
  // Hinted staves have no upper size: a staff of 60 pixels reads its lines.
  {
    SynthPage page(1000, 1000);
    StaffPainter painter(page);
    SynthStaff staff;
    staff.top = 350;
    staff.left = 50;
    staff.right = 950;
    staff.spacing = 60;
    staff.thickness = 5;
    painter.AddStaff(staff);
    DrawLedgerLines(page, painter, 0, -1, 2, 300);
    DrawLedgerLines(page, painter, 0, 1, 3, 600);
    StaffHints hints;
    hints.AddFromPainter(painter, 0, 1);
    ASSERT_EQ(RunHintedStageOn(page, hints), 0);
    EXPECT_EQ(RecognisePage(1.0f, nullptr, AlwaysGoOn), 0);
    EXPECT_EQ(GetLedgerLineCount(), 5);
  }
  SynthPage good(900, 500);
  StaffPainter painter(good);
  painter.AddStaff(PlainStaff(200, 50, 850));
  DrawLedgerLines(good, painter, 0, 1, 2, 400);
  ASSERT_EQ(RunStaffStageOn(good), 0);
  EXPECT_EQ(RecognisePage(1.0f, nullptr, AlwaysGoOn), 0);
  EXPECT_EQ(GetLedgerLineCount(), 2);
  FreeEngine();
}

}  // namespace
