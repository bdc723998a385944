// The bar-line finder on synthesised pages: single, double, final and repeat
// bars on lone staves and through grand staves, over staff spaces from 12 to
// 45 pixels, and the strokes that must not be taken for bar lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findbarl.h"
#include "tests/Code/Quorm/BarLineArt.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

struct Expected {
  int staff;
  double left;  // first column at the staff's top line
  int width;
  bool joinedAbove;
  bool joinedBelow;
};

std::string Describe() {
  std::ostringstream out;
  for (int32_t i = 0; i < GetBarLineCount(); ++i) {
    const FoundBarLine b = GetFoundBarLine(i);
    out << "  [" << i << "] staff " << b.staff << " x " << b.leftX << ".." << b.rightX << " joined " << b.joinedAbove
        << b.joinedBelow << " below " << b.belowIndex << " cost " << b.cost << "\n";
  }
  return out.str();
}

// Where the painted strokes cross the top line of each staff they span.
void ExpectStrokes(const StaffPainter& painter, double skew, int firstStaff, int lastStaff,
                   const std::vector<PaintedStroke>& strokes, std::vector<Expected>* expected) {
  for (const PaintedStroke& s : strokes) {
    const double yBottom = painter.LineY(lastStaff, painter.staff(lastStaff).lines - 1, s.x);
    for (int staff = firstStaff; staff <= lastStaff; ++staff) {
      const double yTop = painter.LineY(staff, 0, s.x);
      expected->push_back({staff, s.x + skew * (yBottom - yTop), s.width, staff > firstStaff, staff < lastStaff});
    }
  }
}

class BarLineFinderTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeEngine(); }
};

struct SizeCase {
  double spacing;
  double skew;
};

// Every kind of bar on a lone staff and through a grand staff.
TEST_F(BarLineFinderTest, FindsEveryKindOfBarAtEveryStaffSpace) {
  const SizeCase cases[] = {{12, 0}, {14, 0.004}, {16, 0}, {20, 0}, {20, -0.006}, {25, 0.003},
                            {30, 0}, {36, -0.002}, {40, 0}, {45, 0}};
  for (const SizeCase& c : cases) {
    const double S = c.spacing;
    SCOPED_TRACE("staff space " + std::to_string(S) + " skew " + std::to_string(c.skew));
    const int width = 1700;
    SynthPage page(width, static_cast<int>(26 * S) + 80);
    StaffPainter painter(page, c.skew);
    const int thickness = std::max(1, static_cast<int>(std::lround(S / 10)));
    SynthStaff lone;
    lone.top = 3 * S + 20;
    lone.left = 100;
    lone.right = 1500;
    lone.spacing = S;
    lone.thickness = thickness;
    painter.AddStaff(lone);
    SynthStaff upper = lone;
    upper.top = lone.top + 9 * S;
    painter.AddStaff(upper);
    SynthStaff lower = lone;
    lower.top = upper.top + 7 * S;
    painter.AddStaff(lower);

    const BarWidths w = BarWidthsFor(S);
    std::vector<Expected> expected;
    // The lone staff: single, double, final, and a start repeat.
    ExpectStrokes(painter, c.skew, 0, 0, PaintBar(painter, 0, 0, 300, {w.thin}, w.gap), &expected);
    ExpectStrokes(painter, c.skew, 0, 0, PaintBar(painter, 0, 0, 600, {w.thin, w.thin}, w.gap), &expected);
    ExpectStrokes(painter, c.skew, 0, 0, PaintBar(painter, 0, 0, 900, {w.thin, w.thick}, w.gap), &expected);
    ExpectStrokes(painter, c.skew, 0, 0, PaintBar(painter, 0, 0, 1200, {w.thick, w.thin}, w.gap), &expected);
    PaintRepeatDots(page, painter, 0, 0, static_cast<int>(1200 + w.thick + w.gap + w.thin + w.gap + S * 0.3));
    // The grand staff: single, double, an end repeat and a final bar.
    ExpectStrokes(painter, c.skew, 1, 2, PaintBar(painter, 1, 2, 400, {w.thin}, w.gap), &expected);
    ExpectStrokes(painter, c.skew, 1, 2, PaintBar(painter, 1, 2, 700, {w.thin, w.thin}, w.gap), &expected);
    PaintRepeatDots(page, painter, 1, 2, static_cast<int>(1000 - w.gap - S * 0.3));
    ExpectStrokes(painter, c.skew, 1, 2, PaintBar(painter, 1, 2, 1000, {w.thin, w.thick}, w.gap), &expected);
    ExpectStrokes(painter, c.skew, 1, 2, PaintBar(painter, 1, 2, 1300, {w.thin, w.thick}, w.gap), &expected);

    ASSERT_EQ(RunBarLineFinderOn(page), 0) << LastStaffFinderCode();
    ASSERT_EQ(GetStaffCount(), 3);
    ASSERT_EQ(GetStaffSystem(1), GetStaffSystem(2));
    std::sort(expected.begin(), expected.end(),
              [](const Expected& a, const Expected& b) { return a.staff != b.staff ? a.staff < b.staff : a.left < b.left; });
    ASSERT_EQ(GetBarLineCount(), static_cast<int32_t>(expected.size())) << Describe();
    const double tolerance = c.skew == 0 ? 1.0 : 2.0;
    for (int32_t i = 0; i < GetBarLineCount(); ++i) {
      const FoundBarLine b = GetFoundBarLine(i);
      const Expected& e = expected[i];
      SCOPED_TRACE("bar line " + std::to_string(i) + "\n" + Describe());
      EXPECT_EQ(b.staff, e.staff);
      EXPECT_NEAR(b.leftX, e.left, tolerance);
      EXPECT_NEAR(b.rightX - b.leftX, e.width, 1.0);
      EXPECT_EQ(b.joinedAbove, e.joinedAbove ? 1 : 0);
      EXPECT_EQ(b.joinedBelow, e.joinedBelow ? 1 : 0);
      EXPECT_EQ(IsBarLineThin(i), e.width < S * 0.33 ? 1 : 0);
      if (e.joinedBelow) {
        ASSERT_GE(b.belowIndex, 0);
        const FoundBarLine below = GetFoundBarLine(b.belowIndex);
        EXPECT_EQ(below.staff, b.staff + 1);
        EXPECT_NEAR(below.rightX - below.leftX, b.rightX - b.leftX, 1);
      }
      EXPECT_GE(b.cost, 0);
      EXPECT_LT(b.cost, e.joinedAbove || e.joinedBelow ? 1024 : 1025);
    }
  }
}

// Found bar lines of a staff whose left edge lies in [x0, x1).
int CountBarsNear(int staff, int x0, int x1) {
  int n = 0;
  for (int32_t i = 0; i < GetBarLineCount(); ++i) {
    const FoundBarLine b = GetFoundBarLine(i);
    n += b.staff == staff && b.leftX >= x0 && b.leftX < x1 ? 1 : 0;
  }
  return n;
}

// Stems that run on above or below a lower staff of a grand staff, columns of
// heads that leave a space empty or run on with their stem, text over a staff, a thin stroke broken across half a space, the
// staff's bare ends and a black page border: none of them is a bar line,
// while the real bars beside them are found.
TEST_F(BarLineFinderTest, StrokesThatAreNoBarLinesAreRefused) {
  for (double S : {12.0, 16.0, 20.0, 30.0, 45.0}) {
    SCOPED_TRACE("staff space " + std::to_string(S));
    const int width = 1600;
    SynthPage page(width, static_cast<int>(28 * S) + 80);
    StaffPainter painter(page);
    const int thickness = std::max(1, static_cast<int>(std::lround(S / 10)));
    SynthStaff upper;
    upper.top = 4 * S + 20;
    upper.left = 200;
    upper.right = 1500;
    upper.spacing = S;
    upper.thickness = thickness;
    painter.AddStaff(upper);
    SynthStaff lower = upper;
    lower.top = upper.top + 8 * S;
    painter.AddStaff(lower);
    SynthStaff lone = upper;
    lone.top = lower.top + 10 * S;
    lone.right = width;  // runs into the page's black border
    painter.AddStaff(lone);
    page.FillRect(0, width - 12, page.height(), width);

    const BarWidths w = BarWidthsFor(S);
    painter.Bracket(0, 1, static_cast<int>(200 - 2 * S - 8), 6);
    PaintBar(painter, 0, 1, 250, {w.thin}, w.gap);
    PaintBar(painter, 0, 1, 1400, {w.thin}, w.gap);
    PaintBar(painter, 2, 2, 1400, {w.thin}, w.gap);
    // Stems through the lower staff of the grand staff, running on above and below it.
    PaintNoteWithStem(page, painter, 1, 8, 400, 6.0, true);
    PaintNoteWithStem(page, painter, 1, 0, 500, 6.0, false);
    // Columns of heads that leave a space empty, and a column that fills
    // every space of the lower staff but goes on with its stem above it.
    for (int step : {1, 3, 5}) {
      painter.NoteHead(0, step, 650);
      painter.NoteHead(2, step, 650);
      painter.NoteHead(2, step + 2, 800);
    }
    for (int step : {1, 3, 5}) painter.NoteHead(1, step, 650);
    PaintNoteWithStem(page, painter, 1, 7, 650, 5.5, true);
    // Text over the lone staff and above the grand staff.
    DrawTextLine(page, static_cast<int>(painter.StepY(2, 6, 900)), 900, 1250, static_cast<int>(S), 7);
    DrawTextLine(page, static_cast<int>(upper.top - 1.5 * S), 300, 1300, static_cast<int>(S), 8);
    // A thin stroke with a white gap across half a space.
    PaintBar(painter, 2, 2, 1300, {w.thin}, w.gap);
    page.FillRect(static_cast<int>(painter.StepY(2, 4, 1300) - S / 4), 1290,
                  static_cast<int>(painter.StepY(2, 4, 1300) + S / 4), 1320, false);

    ASSERT_EQ(RunBarLineFinderOn(page), 0) << LastStaffFinderCode();
    ASSERT_EQ(GetStaffCount(), 3);
    SCOPED_TRACE(Describe());
    EXPECT_EQ(CountBarsNear(0, 245, 256), 1);
    EXPECT_EQ(CountBarsNear(1, 245, 256), 1);
    EXPECT_EQ(CountBarsNear(0, 1395, 1406), 1);
    EXPECT_EQ(CountBarsNear(1, 1395, 1406), 1);
    EXPECT_EQ(CountBarsNear(2, 1395, 1406), 1);
    EXPECT_EQ(GetBarLineCount(), 5);
  }
}

}  // namespace
