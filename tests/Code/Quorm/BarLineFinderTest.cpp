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
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findbarl.h"
#include "tests/Code/Quorm/BarLineArt.h"
#include "tests/Code/Quorm/StaffFixture.h"
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

// A lone staff and a grand staff, with 3-pixel bars through the grand staff
// at 400 and 800 and on the lone staff at 500.
struct GrandStaffPage {
  SynthPage page{1200, 520};
  StaffPainter painter{page};
  GrandStaffPage() {
    SynthStaff s;
    s.top = 60;
    s.left = 100;
    s.right = 1100;
    painter.AddStaff(s);
    s.top = 240;
    painter.AddStaff(s);
    s.top = 380;
    painter.AddStaff(s);
    PaintBar(painter, 0, 0, 500, {3}, 6);
    PaintBar(painter, 1, 2, 400, {3}, 6);
    PaintBar(painter, 1, 2, 800, {3}, 6);
  }
};

TEST_F(BarLineFinderTest, AnchorPointsAtTheOuterLinesAndTheirRelease) {
  GrandStaffPage art;
  const SynthPage& page = art.page;
  const StaffPainter* painter = &art.painter;
  ASSERT_EQ(RunBarLineFinderOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetBarLineCount(), 5) << Describe();
  for (int32_t i = 0; i < GetBarLineCount(); ++i) {
    const FoundBarLine b = GetFoundBarLine(i);
    const EnginePoint top = GetBarLineTop(i), bottom = GetBarLineBottom(i);
    EXPECT_EQ(top.x, (b.leftX + b.rightX) / 2);
    EXPECT_EQ(bottom.x, top.x);
    EXPECT_EQ(top.y, StaffTopLineY(b.staff, top.x));
    EXPECT_EQ(bottom.y, StaffBottomLineY(b.staff, top.x));
    EXPECT_NEAR(top.y, painter->LineY(b.staff, 0, top.x), 1.0);
    EXPECT_NEAR(bottom.y, painter->LineY(b.staff, 4, top.x), 1.0);
    EXPECT_EQ(GetBarLineWidth(i), 3 * 1024);
    for (int32_t kind : {kPointBarTop, kPointBarBottom}) {
      const EnginePoint p = kind == kPointBarTop ? top : bottom;
      int32_t* found = nullptr;
      const int32_t n = FindObjectPointsInBox(kind, p.x - 1, p.y - 1, p.x + 2, p.y + 2, &found);
      EXPECT_EQ(std::count(found, found + n, i), 1) << "bar line " << i << " kind " << kind;
      EngineFree(found);
    }
  }
  // The joined bar lines' costs are halved; the lone staff's is not joined.
  EXPECT_EQ(IsBarLineJoined(0), 0);
  for (int32_t i = 1; i < 5; ++i) EXPECT_EQ(IsBarLineJoined(i), 1);

  ReleaseBarLine(1);
  int32_t* found = nullptr;
  const int32_t n = FindObjectPointsInBox(kPointBarTop, 0, 0, 1200, 520, &found);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(std::count(found, found + n, 1), 0);
  EngineFree(found);
  found = nullptr;
  const int32_t m = FindObjectPointsInBox(kPointBarBottom, 0, 0, 1200, 520, &found);
  EXPECT_EQ(m, 4);
  EXPECT_EQ(std::count(found, found + m, 1), 0);
  EngineFree(found);
  ReleaseBarLine(1);  // twice changes nothing
  EXPECT_EQ(GetBarLineCount(), 5);
}

// A 3-pixel bar with a white gap of 7 rows in a space costs more than an
// unjoined bar line may: through a grand staff it is kept at half its cost,
// on a lone staff it is dropped.
TEST_F(BarLineFinderTest, AJoinedBarLineIsKeptWhateverItsCostAtHalfTheCost) {
  GrandStaffPage art;
  SynthPage& page = art.page;
  PaintBar(art.painter, 0, 0, 900, {3}, 6);
  PaintBar(art.painter, 1, 2, 600, {3}, 6);
  page.FillRect(400 + 5, 596, 400 + 12, 610, false);  // lower staff, second space
  page.FillRect(60 + 25, 896, 60 + 32, 910, false);   // lone staff, second space
  ASSERT_EQ(RunBarLineFinderOn(page), 0) << LastStaffFinderCode();
  SCOPED_TRACE(Describe());
  int broken = 0;
  for (int32_t i = 0; i < GetBarLineCount(); ++i) {
    const FoundBarLine b = GetFoundBarLine(i);
    EXPECT_NE(b.leftX, 900) << "the broken bar on the lone staff is dropped";
    if (b.leftX != 600) continue;
    ++broken;
    EXPECT_EQ(IsBarLineJoined(i), 1);
    if (b.staff == 2) {
      EXPECT_GE(b.cost, 1025 / 2);
      EXPECT_LT(b.cost, 1024);
    }
  }
  EXPECT_EQ(broken, 2);
  EXPECT_EQ(GetBarLineCount(), 7);
}

bool InTriangle(const EnginePoint* t, double y, double x) {
  auto side = [&](const EnginePoint& a, const EnginePoint& b) {
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
  };
  const double d0 = side(t[0], t[1]), d1 = side(t[1], t[2]), d2 = side(t[2], t[0]);
  const bool negative = d0 < 0 || d1 < 0 || d2 < 0, positive = d0 > 0 || d1 > 0 || d2 > 0;
  return !(negative && positive);
}

// The erase shape covers every pixel of the painted bar line, through the gap
// to the staff below when it is joined, and little beyond it.
TEST_F(BarLineFinderTest, EraseShapeCoversTheStrokeAndTheJoinedGap) {
  GrandStaffPage art;
  const SynthPage& page = art.page;
  ASSERT_EQ(RunBarLineFinderOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetBarLineCount(), 5) << Describe();
  struct Case {
    int32_t bar;
    int32_t triangles;
    int y0, y1, x0, x1;  // painted stroke's pixels that must be covered
  };
  const Case cases[] = {
      {0, 2, 60, 141, 500, 503},   // lone staff
      {1, 4, 240, 381, 400, 403},  // upper staff of the grand staff and the gap below it
      {3, 2, 380, 461, 400, 403},  // lower staff
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("bar line " + std::to_string(c.bar));
    EnginePoint* points = nullptr;
    ASSERT_EQ(BarLineEraseShape(c.bar, &points), c.triangles);
    auto covered = [&](double y, double x) {
      for (int32_t t = 0; t < c.triangles; ++t)
        if (InTriangle(points + 3 * t, y, x)) return true;
      return false;
    };
    int missed = 0;
    for (int y = c.y0; y < c.y1; ++y)
      for (int x = c.x0; x < c.x1; ++x) missed += page.Get(y, x) && !covered(y, x) ? 1 : 0;
    EXPECT_EQ(missed, 0);
    // Nothing a staff space beside it or beyond its ends.
    EXPECT_FALSE(covered((c.y0 + c.y1) / 2, c.x0 - 20));
    EXPECT_FALSE(covered((c.y0 + c.y1) / 2, c.x1 + 20));
    EXPECT_FALSE(covered(c.y0 - 20, c.x0 + 1));
    EXPECT_FALSE(covered(c.y1 + 20, c.x0 + 1));
    EngineFree(points);
  }
  EnginePoint held{0, 0};
  EnginePoint* full = &held;
  EXPECT_THROW(BarLineEraseShape(0, &full), EngineFailure);
  EXPECT_THROW(BarLineEraseShape(0, nullptr), EngineFailure);
}

TEST_F(BarLineFinderTest, EveryAccessorChecksItsIndex) {
  GrandStaffPage art;
  ASSERT_EQ(RunBarLineFinderOn(art.page), 0) << LastStaffFinderCode();
  const int32_t n = GetBarLineCount();
  ASSERT_GT(n, 0);
  for (int32_t i : {-1, n, INT32_MAX}) {
    SCOPED_TRACE(i);
    EnginePoint* points = nullptr;
    EXPECT_THROW(GetFoundBarLine(i), EngineFailure);
    EXPECT_THROW(ReleaseBarLine(i), EngineFailure);
    EXPECT_THROW(GetBarLineTop(i), EngineFailure);
    EXPECT_THROW(GetBarLineBottom(i), EngineFailure);
    EXPECT_THROW(GetBarLineWidth(i), EngineFailure);
    EXPECT_THROW(IsBarLineJoined(i), EngineFailure);
    EXPECT_THROW(IsBarLineThin(i), EngineFailure);
    EXPECT_THROW(GetBarLineCost(i), EngineFailure);
    EXPECT_THROW(BarLineEraseShape(i, &points), EngineFailure);
    EXPECT_EQ(points, nullptr);
  }
}

// Hand-made staves of one, two and five lines, each crossed by a bar line:
// a staff of one line has no bar lines.
TEST_F(BarLineFinderTest, AStaffOfOneLineHasNoBarLines) {
  struct Case {
    int32_t lines;
    int32_t found;
  };
  for (const Case& c : {Case{1, 0}, Case{2, 1}, Case{3, 1}, Case{5, 1}}) {
    SCOPED_TRACE(std::to_string(c.lines) + " lines");
    FreeEngine();
    SynthPage page(600, 200);
    const int top = 60, spacing = 20;
    for (int line = 0; line < c.lines; ++line) page.FillRect(top + line * spacing - 1, 50, top + line * spacing + 1, 550);
    const int bottom = top + (c.lines - 1) * spacing;
    page.FillRect(top - 1, 300, bottom + 1, 303);
    ASSERT_EQ(LoadOnebppImage(page.bits(), page.width(), page.height(), 0), nullptr);
    ClearStaffTable();
    SetPageStaffSpace(spacing * 1024);
    SetLargestStaffSpace(spacing * 1024);
    AddHandStaff({0, top, spacing, 50, 550, c.lines, 0});
    InitialiseObjectPoints();
    FindBarLines();
    ASSERT_EQ(GetBarLineCount(), c.found) << Describe();
    if (c.found) {
      EXPECT_EQ(GetFoundBarLine(0).leftX, 300);
      EXPECT_EQ(GetFoundBarLine(0).rightX, 303);
    }
  }
}

// Pages that are no music, and hinted staves at the extremes, are read to the
// end without a failed check; a page read after them finds its bar lines.
TEST_F(BarLineFinderTest, BadPagesReadToTheEndAndTheNextPageWorks) {
  struct Case {
    const char* name;
    int hintedSpacing;  // 0: the first staff stage
  };
  const Case cases[] = {{"blank", 0},           {"nearly blank", 0}, {"text", 0}, {"noise and blots", 0},
                        {"staves under noise", 0}, {"hinted 3", 3}, {"hinted 60", 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SynthPage page(1200, 900);
    StaffHints hints;
    if (std::string(c.name) == "nearly blank") page.Speckle(40, 3);
    GrandStaffPage noisy;
    if (std::string(c.name) == "staves under noise") {
      page = noisy.page;
      page.Speckle(3000, 11);
      page.Blots(20, 7.0, 12);
    }
    if (std::string(c.name) == "text")
      for (int y = 80; y < 880; y += 40) DrawTextLine(page, y, 60, 1150, 14, static_cast<uint32_t>(y));
    if (std::string(c.name) == "noise and blots") {
      page.Speckle(4000, 5);
      page.Blots(60, 9.0, 6);
      for (int x = 100; x < 1100; x += 37) page.FillRect(50 + x % 300, x, 400 + x % 400, x + 1 + x % 5);
    }
    if (c.hintedSpacing > 0) {
      StaffPainter painter(page);
      SynthStaff s;
      s.top = 100;
      s.spacing = c.hintedSpacing;
      s.thickness = c.hintedSpacing < 5 ? 1 : 3;
      for (int i = 0; i < 2; ++i) {
        painter.AddStaff(s);
        s.top += 5 * c.hintedSpacing + 40;
      }
      PaintBar(painter, 0, 1, 500, {c.hintedSpacing < 5 ? 1 : 6}, 4);
      PaintBar(painter, 0, 0, 700, {c.hintedSpacing < 5 ? 1 : 6}, 4);
      PaintNoteWithStem(page, painter, 1, 4, 900, 7, true);
      page.Speckle(3000, 9);
      for (int i = 0; i < 2; ++i) hints.AddFromPainter(painter, i, 0);
    }
    FreeEngine();
    // A page without any vertical ink does not load and has nothing to read.
    const bool loaded = LoadPageImage(page.bits(), page.width(), page.height(), 0) == nullptr;
    EXPECT_EQ(loaded, std::string(c.name) != "blank");
    if (c.hintedSpacing > 0)
      RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), hints.count, nullptr, nullptr);
    else
      RunStaffStage(1, nullptr, nullptr);
    EXPECT_EQ(RecognisePage(1.0f, nullptr, nullptr), loaded ? 0 : 1);
    EXPECT_EQ(LastEngineFailure(), nullptr);
    if (c.hintedSpacing > 0) {
      // The bar through both staves, the bar on the upper one; the stem that
      // runs on above the lower staff is refused.
      ASSERT_EQ(GetStaffCount(), 2);
      ASSERT_EQ(GetBarLineCount(), 3) << Describe();
      EXPECT_EQ(GetFoundBarLine(0).leftX, 500);
      EXPECT_EQ(GetFoundBarLine(0).belowIndex, 2);
      EXPECT_EQ(GetFoundBarLine(1).leftX, 700);
      EXPECT_EQ(GetFoundBarLine(2).leftX, 500);
    }
    FreePageBitmap();

    GrandStaffPage good;
    ASSERT_EQ(RunStaffStageOn(good.page), 0);
    EXPECT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
    EXPECT_EQ(LastEngineFailure(), nullptr);
    EXPECT_EQ(GetBarLineCount(), 5) << Describe();
  }
}

}  // namespace
