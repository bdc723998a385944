// Short staves (a one-bar last system, a coda, a music example, a short
// tablature staff), staves whose lines are broken by a gap, and what must not
// pass for a staff: lines of text, ruled tables and beams.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/vertsegs.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

// A bar of music on a painted staff: bar lines at both ends, a clef-like
// sign after the left one and notes with stems.
void PaintBar(SynthPage& page, StaffPainter& painter, int staff) {
  const SynthStaff& s = painter.staff(staff);
  const double sp = s.spacing;
  painter.BarLine(staff, staff, s.left, 2);
  painter.BarLine(staff, staff, s.right - 2, 2);
  const int lines = s.lines;
  const double top = painter.LineY(staff, 0, s.left);
  const double bottom = painter.LineY(staff, lines - 1, s.left);
  // The sign: a tall stroke with a ring round the middle lines.
  const int cx = s.left + static_cast<int>(1.3 * sp);
  page.FillRect(static_cast<int>(top - 0.8 * sp), cx, static_cast<int>(bottom + 0.8 * sp), cx + 3);
  page.FillEllipse((top + bottom) / 2, cx, 1.1 * sp, 0.9 * sp);
  page.FillEllipse((top + bottom) / 2, cx, 0.7 * sp, 0.5 * sp);  // kept black: a dense sign
  const int steps[] = {3, 5, 1, 4, 6, 2, 7, 0};
  int i = 0;
  for (double x = s.left + 3.5 * sp; x < s.right - 1.5 * sp; x += 2.2 * sp, ++i) {
    const int step = steps[i % 8];
    painter.NoteHead(staff, step, static_cast<int>(x));
    const double y = painter.StepY(staff, step, x);
    const int stemX = static_cast<int>(x + 0.55 * sp);
    page.FillRect(static_cast<int>(y - 3.3 * sp), stemX, static_cast<int>(y), stemX + 2);
  }
}

SynthStaff StaffAt(double top, int left, double widthInSpaces, double spacing, int lines) {
  SynthStaff s;
  s.top = top;
  s.left = left;
  s.right = left + static_cast<int>(std::lround(widthInSpaces * spacing));
  s.spacing = spacing;
  s.lines = lines;
  s.thickness = spacing < 15 ? 1 : spacing < 30 ? 2 : 3;
  return s;
}

struct ShortCase {
  const char* name;
  double spacing;
  int lines;
  double widthInSpaces;  // of the short staff
  bool alone;            // no full staves on the page
};

void PrintTo(const ShortCase& c, std::ostream* os) { *os << c.name; }

class ShortStaffTest : public ::testing::TestWithParam<ShortCase> {};

// Full staves above (unless alone) and a short staff holding one bar below.
TEST_P(ShortStaffTest, IsFoundWithItsLinesAndEnds) {
  const ShortCase c = GetParam();
  const int fullWidth = static_cast<int>(50 * c.spacing);
  SynthPage page(fullWidth + 200, static_cast<int>(32 * c.spacing) + 200);
  StaffPainter painter(page);
  if (!c.alone)
    for (int i = 0; i < 2; ++i) {
      painter.AddStaff(StaffAt(100 + 10 * c.spacing * i, 100, 50, c.spacing, 5));
      PaintBar(page, painter, i);
    }
  const int shortStaff = painter.AddStaff(StaffAt(100 + 20 * c.spacing, 100, c.widthInSpaces, c.spacing, c.lines));
  PaintBar(page, painter, shortStaff);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), painter.staffCount());
  const int found = GetStaffCount() - 1;
  const SynthStaff& s = painter.staff(shortStaff);
  EXPECT_EQ(GetStaffLineCount(found), c.lines);
  EXPECT_NEAR(GetStaffSpace(found) / 1024.0, c.spacing, 0.05 * c.spacing + 0.3);
  EXPECT_LE(LineError(painter, shortStaff, found), 1.51);
  EXPECT_NEAR(GetStaffLeftX(found), s.left, c.spacing);
  EXPECT_NEAR(GetStaffRightX(found), s.right, c.spacing);
  EXPECT_EQ(GetStaffSystem(found), GetSystemCount() - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ShortStaffTest,
    ::testing::Values(ShortCase{"oneBarOfNine", 20, 5, 9, false}, ShortCase{"oneBarOfTwelve", 20, 5, 12, false},
                      ShortCase{"codaOfTwenty", 20, 5, 20, false}, ShortCase{"justUnderTheOldLimit", 20, 5, 31, false},
                      ShortCase{"smallSpacing", 12, 5, 10, false}, ShortCase{"largeSpacing", 32, 5, 10, false},
                      ShortCase{"tablatureBesideFull", 20, 6, 12, false}, ShortCase{"aloneOnThePage", 20, 5, 10, true},
                      ShortCase{"tablatureAlone", 22, 6, 10, true}),
    [](const ::testing::TestParamInfo<ShortCase>& info) { return std::string(info.param.name); });

// A last system of one bar on a grand staff, under a full one: both short
// staves are found and joined into their own system by the bar lines.
TEST(ShortSystemTest, OneBarGrandStaffIsItsOwnSystem) {
  SynthPage page(1200, 900);
  StaffPainter painter(page);
  const double tops[4] = {100, 260, 500, 660};
  for (int i = 0; i < 4; ++i) {
    painter.AddStaff(StaffAt(tops[i], 100, i < 2 ? 50 : 11, 20, 5));
    PaintBar(page, painter, i);
  }
  for (int first : {0, 2}) {
    painter.BarLine(first, first + 1, painter.staff(first).left, 2);
    painter.BarLine(first, first + 1, painter.staff(first).right - 2, 2);
  }
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 4);
  const int systems[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(GetStaffSystem(i), systems[i]) << "staff " << i;
    EXPECT_NEAR(GetStaffRightX(i), painter.staff(i).right, 20) << "staff " << i;
    EXPECT_LE(LineError(painter, i, i), 1.51) << "staff " << i;
  }
}

// Two short examples side by side on one line: neither is lost. Across a
// blank of up to 10 staff spaces they are one staff (as a staff whose lines
// are all broken is); set further apart they are two, left to right.
TEST(ShortSystemTest, ExamplesSideBySideAreNotLost) {
  const int gaps[] = {100, 200, 250, 400, 700};
  for (int gap : gaps) {
    SynthPage page(1400, 400);
    StaffPainter painter(page);
    painter.AddStaff(StaffAt(150, 100, 15, 20, 5));
    painter.AddStaff(StaffAt(150, 400 + gap, 15, 20, 5));
    for (int i = 0; i < 2; ++i) PaintBar(page, painter, i);
    ASSERT_EQ(RunStaffStageOn(page), 0) << "gap " << gap << ": " << LastStaffFinderCode();
    for (int i = 0; i < 2; ++i) {
      const SynthStaff& s = painter.staff(i);
      bool covered = false;
      for (int f = 0; f < GetStaffCount(); ++f)
        covered = covered || (GetStaffLeftX(f) <= s.left + 20 && GetStaffRightX(f) >= s.right - 20);
      EXPECT_TRUE(covered) << "gap " << gap << ", example " << i;
    }
    if (gap > 10 * 20) {
      ASSERT_EQ(GetStaffCount(), 2) << "gap " << gap;
      EXPECT_LT(GetStaffRightX(0), GetStaffLeftX(1)) << "gap " << gap;
      for (int i = 0; i < 2; ++i) EXPECT_LE(LineError(painter, i, i), 1.51) << "gap " << gap;
    }
  }
}

}  // namespace

namespace {

// What must give no staff, however short staves may now be.
struct NotStaffCase {
  const char* name;
  void (*paint)(SynthPage& page);
};

void PrintTo(const NotStaffCase& c, std::ostream* os) { *os << c.name; }

// A page of text: lines of made-up words at a book's line pitch.
void TextPage(SynthPage& page, int xHeight, int pitch) {
  for (int i = 0, y = 120; y + pitch < page.height(); ++i, y += pitch)
    DrawTextLine(page, y, 100, page.width() - 100 - (i % 5 == 4 ? 500 : 0), xHeight, 100u + i);
}

void SmallText(SynthPage& page) { TextPage(page, 10, 24); }
void TightText(SynthPage& page) { TextPage(page, 12, 20); }
void LargeText(SynthPage& page) { TextPage(page, 18, 40); }

void Table(SynthPage& page, int rowHeight, int rows, int columns, int width, bool text) {
  SynthTable t;
  t.top = 100;
  t.left = 100;
  t.right = 100 + width;
  t.rowHeight = rowHeight;
  t.rows = rows;
  t.columns = columns;
  t.text = text;
  DrawRuledTable(page, t, 5);
}

void WideTableOfTwentyPixelRows(SynthPage& page) { Table(page, 20, 8, 4, 1200, true); }
void TableOfThirtyPixelRows(SynthPage& page) { Table(page, 30, 6, 3, 900, true); }
void NarrowTableOfFourRows(SynthPage& page) { Table(page, 24, 4, 2, 400, true); }
void TableOfFortyPixelRows(SynthPage& page) { Table(page, 40, 10, 5, 1200, true); }
void TableBesideText(SynthPage& page) {
  Table(page, 26, 5, 3, 600, true);
  for (int y = 350; y < 700; y += 26) DrawTextLine(page, y, 100, 1200, 11, static_cast<uint32_t>(y));
}

// Beams of eighth to sixty-fourth notes: four evenly spaced thick bands,
// rising, falling and level, with their stems.
void Beams(SynthPage& page) {
  for (int group = 0; group < 6; ++group) {
    const int x0 = 100 + 180 * group, x1 = x0 + 150;
    const double rise = (group % 3 - 1) * 25.0;
    const double y0 = 150 + 120 * (group / 3);
    for (int b = 0; b < 4; ++b) DrawBeam(page, x0, y0 + 16 * b, x1, y0 + 16 * b + rise, 8);
    for (int x = x0; x < x1; x += 37) page.FillRect(static_cast<int>(y0), x, static_cast<int>(y0 + 120), x + 2);
  }
}

class NotAStaffTest : public ::testing::TestWithParam<NotStaffCase> {};

TEST_P(NotAStaffTest, GivesNoStaff) {
  SynthPage page(1400, 900);
  GetParam().paint(page);
  EXPECT_EQ(RunStaffStageOn(page), 9999);
  EXPECT_STREQ(LastStaffFinderCode(), "Xnostaves");
  EXPECT_EQ(GetStaffCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, NotAStaffTest,
                         ::testing::Values(NotStaffCase{"smallText", SmallText}, NotStaffCase{"tightText", TightText},
                                           NotStaffCase{"largeText", LargeText},
                                           NotStaffCase{"wideTableOfTwentyPixelRows", WideTableOfTwentyPixelRows},
                                           NotStaffCase{"tableOfThirtyPixelRows", TableOfThirtyPixelRows},
                                           NotStaffCase{"narrowTableOfFourRows", NarrowTableOfFourRows},
                                           NotStaffCase{"tableOfFortyPixelRows", TableOfFortyPixelRows},
                                           NotStaffCase{"tableBesideText", TableBesideText},
                                           NotStaffCase{"beams", Beams}),
                         [](const ::testing::TestParamInfo<NotStaffCase>& info) { return std::string(info.param.name); });

// A staff with all its lines broken by one gap in the middle is still one
// staff; the pieces on either side are joined across the gap.
class BrokenStaffTest : public ::testing::TestWithParam<int> {};

TEST_P(BrokenStaffTest, PiecesAcrossTheGapAreOneStaff) {
  const int gap = GetParam();
  SynthPage page(1400, 400);
  StaffPainter painter(page);
  const SynthStaff s = PlainStaff(150, 100, 1300);
  painter.AddStaff(s);
  const int middle = (s.left + s.right) / 2;
  for (int line = 0; line < 5; ++line) painter.BreakLine(0, line, middle - gap / 2, middle - gap / 2 + gap);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), 1);
  EXPECT_LE(LineError(painter, 0, 0), 1.01);
  EXPECT_NEAR(GetStaffLeftX(0), s.left, 20);
  EXPECT_NEAR(GetStaffRightX(0), s.right, 20);
}

INSTANTIATE_TEST_SUITE_P(Gaps, BrokenStaffTest, ::testing::Values(40, 70, 120, 200));

}  // namespace

namespace {

// A vertical run is marked by the line nearest each of its parts: lying on
// a line by its middle, ending on a line by its bottom row, starting on one
// by its top row.
struct MarkCase {
  const char* name;
  double from;  // top row: a line number, or halfway between lines
  double to;    // bottom row likewise
  int onLine, endsOnLine, startsOnLine;
};

void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }

class SegmentMarkTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(SegmentMarkTest, EachMarkIsJudgedAgainstItsOwnLine) {
  const MarkCase c = GetParam();
  SynthPage page(1200, 300);
  StaffPainter painter(page);
  const SynthStaff s = PlainStaff(100, 100, 1100);
  painter.AddStaff(s);
  const int x = 600;
  // A line's pixel rows are its rounded centre and the row below.
  auto row = [&](double line) {
    return static_cast<int>(std::lround(painter.LineY(0, 0, x) + line * s.spacing - 0.5));
  };
  const int top = row(c.from);
  const int bottom = row(c.to) + 1;
  page.FillRect(top, x, bottom + 1, x + 2);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  const VerticalSegment* seg = GetVerticalSegment(FindVerticalSegment(x, (top + bottom) / 2));
  ASSERT_EQ(seg->top, top);
  ASSERT_EQ(seg->end - 1, bottom);
  EXPECT_EQ(seg->mark1, c.onLine);
  EXPECT_EQ(seg->mark2, c.endsOnLine);
  EXPECT_EQ(seg->mark3, c.startsOnLine);
}

INSTANTIATE_TEST_SUITE_P(
    Strokes, SegmentMarkTest,
    ::testing::Values(MarkCase{"topLineToBottomLine", 0, 4, 0, 1, 1}, MarkCase{"secondLineToFourthLine", 1, 3, 0, 1, 1},
                      MarkCase{"neighbouringLines", 2, 3, 0, 1, 1}, MarkCase{"lineDownIntoASpace", 1, 1.5, 0, 0, 1},
                      MarkCase{"spaceDownOntoALine", 1.5, 2, 0, 1, 0},
                      MarkCase{"spaceToSpaceAcrossLines", 0.5, 3.5, 0, 0, 0}, MarkCase{"onOneLine", 2, 2, 1, 1, 1}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.name); });

}  // namespace
