// The finder's staff stage on synthesised pages: staves across the searched
// spacings, skew, bowed and broken lines, noise, systems, and the pages on
// which it must fail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/vertsegs.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

struct SpacingCase {
  double spacing;
  int thickness;
};

class StaffSpacingTest : public ::testing::TestWithParam<SpacingCase> {};

// Three staves of one spacing, wide enough for the finder's length test.
TEST_P(StaffSpacingTest, FindsEveryStaffWithItsLinesAndSpace) {
  const SpacingCase c = GetParam();
  const int width = static_cast<int>(50 * c.spacing) + 200;
  const int gap = static_cast<int>(9 * c.spacing);
  SynthPage page(width, 100 + 3 * gap + static_cast<int>(4 * c.spacing) + 100);
  StaffPainter painter(page);
  for (int i = 0; i < 3; ++i) {
    SynthStaff s;
    s.top = 100 + i * gap;
    s.left = 100;
    s.right = width - 100;
    s.spacing = c.spacing;
    s.thickness = c.thickness;
    painter.AddStaff(s);
  }
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetStaffLineCount(i), 5);
    EXPECT_NEAR(GetStaffSpace(i) / 1024.0, c.spacing, 0.03 * c.spacing + 0.3) << "staff " << i;
    EXPECT_LE(LineError(painter, i, i), 1.01) << "staff " << i;
    EXPECT_NEAR(GetStaffLeftX(i), 100, c.spacing);
    EXPECT_NEAR(GetStaffRightX(i), width - 100, c.spacing);
  }
  EXPECT_NEAR(GetPageStaffSpace() / 1024.0, c.spacing, 0.05 * c.spacing + 0.5);
}

INSTANTIATE_TEST_SUITE_P(SearchedRange, StaffSpacingTest,
                         ::testing::Values(SpacingCase{10, 1}, SpacingCase{12, 2}, SpacingCase{17, 2},
                                           SpacingCase{20, 2}, SpacingCase{24, 3}, SpacingCase{31, 3},
                                           SpacingCase{38, 4}, SpacingCase{45, 4}, SpacingCase{49, 5}));

}  // namespace

namespace {

// A page of three 20-pixel staves drawn by the painter's settings.
struct PageCase {
  const char* name;
  double skew;
  double bow;
  int breaks;     // gaps cut into every line
  int speckle;    // random black pixels
  int blots;      // random discs
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

class StaffPageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(StaffPageTest, FindsStavesOnDifficultPages) {
  const PageCase c = GetParam();
  SynthPage page(1400, 760);
  StaffPainter painter(page, c.skew, c.bow);
  for (int i = 0; i < 3; ++i) {
    painter.AddStaff(PlainStaff(120 + 200 * i, 100, 1300));
    for (int b = 0; b < c.breaks; ++b)
      for (int line = 0; line < 5; ++line) painter.BreakLine(i, line, 200 + 250 * b + 13 * line, 206 + 250 * b + 13 * line);
  }
  page.Speckle(c.speckle, 7);
  page.Blots(c.blots, 4.0, 11);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetStaffLineCount(i), 5);
    EXPECT_LE(LineError(painter, i, i), 1.51) << "staff " << i;
    EXPECT_NEAR(GetStaffLeftX(i), 100, 25);
    EXPECT_NEAR(GetStaffRightX(i), 1300, 25);
  }
  // Skew within a thousandth of a column's rise.
  EXPECT_NEAR(MeasurePageSkew() / 1024.0, c.skew, 0.002);
  EXPECT_NEAR(GetStaffFinderState().pageSkew / 1024.0, c.skew, 0.002);
}

INSTANTIATE_TEST_SUITE_P(Pages, StaffPageTest,
                         ::testing::Values(PageCase{"plain", 0, 0, 0, 0, 0}, PageCase{"skewedDown", 0.02, 0, 0, 0, 0},
                                           PageCase{"skewedUp", -0.015, 0, 0, 0, 0},
                                           PageCase{"slightSkew", 0.004, 0, 0, 0, 0}, PageCase{"bowed", 0, 6, 0, 0, 0},
                                           PageCase{"bowedAndSkewed", 0.01, 4, 0, 0, 0},
                                           PageCase{"brokenLines", 0, 0, 4, 0, 0},
                                           PageCase{"speckled", 0, 0, 0, 2500, 0}, PageCase{"blotted", 0, 0, 0, 0, 40},
                                           PageCase{"everything", 0.008, 3, 3, 2000, 20}),
                         [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

// The first two staves joined by two bar lines, the next two only by a line
// at their left ends; the last two by a single bar line, which is not enough.
TEST(StaffSystemsTest, GroupsStavesByTheirBarLinesAndBrackets) {
  SynthPage page(1400, 1300);
  StaffPainter painter(page, 0.005);
  for (int i = 0; i < 6; ++i) {
    painter.AddStaff(PlainStaff(100 + 200 * i, 120, 1300));
  }
  painter.BarLine(0, 1, 500);
  painter.BarLine(0, 1, 900);
  painter.BarLine(2, 3, 120, 3);
  painter.BarLine(4, 5, 700);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 6);
  const int expected[6] = {0, 0, 1, 1, 2, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(GetStaffSystem(i), expected[i]) << "staff " << i;
  EXPECT_EQ(GetSystemCount(), 4);
  EXPECT_EQ(GetSystemStaffCount(1), 2);
  EXPECT_EQ(GetStaffOfSystem(1, 1), 3);
  EXPECT_EQ(GetStaffIndexInSystem(3), 1);
}

TEST(StaffFinderTest, ReportsProgressInOrder) {
  SynthPage page(1200, 300);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(100, 100, 1100));
  std::vector<unsigned> progress;
  ASSERT_EQ(RunStaffStageOn(page, &progress), 0);
  const std::vector<unsigned> expected = {0, 10, 25, 75, 85, 95, 100};
  EXPECT_EQ(progress, expected);
}

TEST(StaffFinderTest, PageWithoutStavesEndsWithNoStaves) {
  SynthPage page(900, 700);
  page.Speckle(3000, 3);
  page.Blots(30, 6.0, 5);
  page.FillRect(300, 100, 304, 700);  // one lone line is not a staff
  std::vector<unsigned> progress;
  EXPECT_EQ(RunStaffStageOn(page, &progress), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xnostaves");
  EXPECT_EQ(GetStaffCount(), 0);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100u);
}

// Narrow strokes and specks: no horizontal line piece at all, so no line
// thickness and no skew to measure.
TEST(StaffFinderTest, PageWithoutLinePiecesHasNoStaves) {
  SynthPage page(600, 600);
  for (int x = 20; x < 580; x += 37) page.FillRect(50 + x / 3, x, 400 + x / 4, x + 3);
  page.Speckle(500, 21);
  EXPECT_EQ(RunStaffStageOn(page), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xnostaves");
  EXPECT_EQ(GetStaffFinderState().pageThickness, 0);
}

// Staves spaced wider than the searched range are not staves to the finder.
TEST(StaffFinderTest, StavesBeyondTheSearchedRangeAreNotFound) {
  SynthPage page(3500, 700);
  StaffPainter painter(page);
  SynthStaff s;
  s.left = 100;
  s.right = 3400;
  s.spacing = 90;
  s.thickness = 6;
  painter.AddStaff(s);
  EXPECT_EQ(RunStaffStageOn(page), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xnostaves");
}

TEST(StaffFinderTest, FindsSixLineStaves) {
  SynthPage page(1300, 500);
  StaffPainter painter(page);
  const SynthStaff five = PlainStaff(100, 100, 1200);
  painter.AddStaff(five);
  SynthStaff six = five;
  six.top = 280;
  six.lines = 6;
  six.spacing = 22;
  painter.AddStaff(six);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 2);
  EXPECT_EQ(GetStaffLineCount(0), 5);
  EXPECT_EQ(GetStaffLineCount(1), 6);
  EXPECT_LE(LineError(painter, 1, 1), 1.01);
}

}  // namespace

namespace {

int g_answersLeft = 0;
int StopAfterAnswers(int) { return g_answersLeft-- > 0 ? 1 : 0; }

TEST(StaffFinderTest, LinesThatFadeEndTheStaffWhereMostOfThemStop) {
  SynthPage page(1300, 300);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(100, 100, 1200));
  for (int line = 0; line < 3; ++line) painter.BreakLine(0, line, 800, 1200);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 1);
  EXPECT_NEAR(GetStaffRightX(0), 800, 20);
  EXPECT_NEAR(GetStaffLeftX(0), 100, 20);
}

TEST(StaffFinderTest, HintedStageStopsWhenTheContinueCallbackSaysSo) {
  SynthPage page(1200, 300);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(100, 100, 1100));
  StaffHints hints;
  hints.AddFromPainter(painter, 0, 0);
  for (int answers = 0; answers < 3; ++answers) {
    FreeEngine();
    ASSERT_EQ(LoadPageImage(page.bits(), page.width(), page.height(), 0), kEngineOk);
    g_answersLeft = answers;
    EXPECT_EQ(RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), 1, nullptr, StopAfterAnswers), 1);
  }
  EXPECT_EQ(RunHintedStageOn(page, hints), 0);
}

}  // namespace

namespace {

// More staves than a page can hold: the checks keep the first 65.
TEST(StaffFinderTest, StavesPastSixtyFiveAreDropped) {
  SynthPage page(360, 66 * 62 + 60);
  StaffPainter painter(page);
  for (int i = 0; i < 66; ++i) {
    SynthStaff s;
    s.top = 30 + 62 * i;
    s.left = 20;
    s.right = 350;
    s.spacing = 10;
    s.thickness = 1;
    painter.AddStaff(s);
  }
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 65);
  EXPECT_NEAR(StaffTopLineY(64, 200), 30 + 62 * 64, 1);
}

}  // namespace

namespace {

// Vertical runs are labelled against the lines: lying on a line, ending on
// one, starting on one.
TEST(StaffFinderTest, VerticalSegmentsAreLabelledAgainstTheLines) {
  SynthPage page(1200, 300);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(100, 100, 1100));
  const int line1 = static_cast<int>(std::lround(painter.LineY(0, 1, 500)));
  page.FillRect(line1, 500, line1 + 9, 502);       // from line 1 down into the space
  page.FillRect(line1 + 12, 700, line1 + 21, 702);  // from the space down onto line 2
  page.FillRect(line1 - 30, 900, line1 + 30, 902);  // across three lines
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  const VerticalSegment* onLine = GetVerticalSegment(FindVerticalSegment(300, line1));
  EXPECT_EQ(onLine->mark1, 1);
  const VerticalSegment* starts = GetVerticalSegment(FindVerticalSegment(500, line1 + 4));
  EXPECT_EQ(starts->mark3, 1);
  EXPECT_EQ(starts->mark2, 0);
  EXPECT_EQ(starts->mark1, 0);
  const VerticalSegment* ends = GetVerticalSegment(FindVerticalSegment(700, line1 + 15));
  EXPECT_EQ(ends->mark2, 1);
  EXPECT_EQ(ends->mark3, 0);
  const VerticalSegment* across = GetVerticalSegment(FindVerticalSegment(900, line1));
  EXPECT_EQ(across->mark1 + across->mark2 + across->mark3, 0);
}

}  // namespace
