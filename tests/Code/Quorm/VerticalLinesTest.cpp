// The vertical-line finder on synthesised pages: stems up and down on staves
// of every common size, stems that stop short of their beam, strokes that are
// no lines, the line operations of the later stages, and pages without music.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/BadPages.h"
#include "tests/Code/Quorm/CurveArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"
#include "tests/Code/Quorm/StemArt.h"

namespace {

std::string DescribeLines() {
  std::string text;
  for (int i = 0; i < GetVerticalLineCount(); ++i) {
    const FoundVerticalLine l = GetFoundVerticalLine(i);
    text += "  (" + std::to_string(l.topY) + "," + std::to_string(l.topX) + ")-(" + std::to_string(l.bottomY) + "," +
            std::to_string(l.bottomX) + ") w=" + std::to_string(l.width) + " cost " + std::to_string(l.cost) +
            " gap " + std::to_string(l.longestGap) + "\n";
  }
  return text;
}

// The found line whose columns lie on the painted stem, or -1.
int LineOn(const PaintedStem& stem, int slack) {
  const int middle = stem.x + stem.width / 2;
  for (int i = 0; i < GetVerticalLineCount(); ++i) {
    const FoundVerticalLine l = GetFoundVerticalLine(i);
    if (std::abs(l.topX - middle) <= slack && std::abs(l.bottomX - middle) <= slack && l.topY <= stem.bottom &&
        l.bottomY >= stem.top)
      return i;
  }
  return -1;
}

bool HasPoint(int kind, int object, EnginePoint at) {
  int32_t* objects = nullptr;
  const int n = FindObjectPointsInBox(kind, at.x, at.y, at.x + 1, at.y + 1, &objects);
  bool found = false;
  for (int j = 0; j < n; ++j) found = found || objects[j] == object;
  EngineFree(objects);
  return found;
}

// The staff stage, then the page stage's steps up to the vertical lines, with
// the heads put in by hand where the notehead finder would find them.
struct Note {
  double y;
  double cx;
};

// With a painter, its staves are given as hints instead of being sought.
void FindLinesOn(const SynthPage& page, const std::vector<Note>& heads, double space,
                 const StaffPainter* hinted = nullptr) {
  if (hinted != nullptr) {
    StaffHints hints;
    for (int k = 0; k < hinted->staffCount(); ++k) hints.AddFromPainter(*hinted, k, 1);
    ASSERT_EQ(RunHintedStageOn(page, hints), 0) << LastStaffFinderCode();
  } else {
    ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  }
  MeasurePageSkew();
  InitialiseObjectPoints();
  for (const Note& n : heads) AddTestHead(n.y, n.cx, space, 0);
  DetectBeams();
  DetectVerticalLines();
}

SynthStaff StaffOf(int s, int width) {
  SynthStaff staff;
  staff.top = 8 * s;
  staff.left = 40;
  staff.right = width - 40;
  staff.spacing = s;
  staff.thickness = s < 16 ? 1 : s / 10 + 1;
  return staff;
}

class StemsBySize : public ::testing::TestWithParam<int> {};

// Notes on lines and in spaces, stems up and down, 3.5 staff spaces long:
// every stem is one line, its free end within two pixels and its head end
// within half a staff space, its column within two pixels.
TEST_P(StemsBySize, FindsEveryStem) {
  const int s = GetParam();
  const int stemWidth = s < 20 ? 2 : s / 10 + 1;
  const int width = 26 * s + 80;
  SynthPage page(width, 24 * s);
  StaffPainter painter(page);
  const SynthStaff staff = StaffOf(s, width);
  painter.AddStaff(staff);
  std::vector<PaintedStem> stems;
  std::vector<Note> notes;
  const int steps[] = {2, 5, 8, 6, 3, 1};
  for (int k = 0; k < 6; ++k) {
    const bool up = steps[k] >= 4;
    const double cx = 80 + 4 * s * k + 2 * s;
    const double y = staff.top + steps[k] * s / 2.0;
    stems.push_back(DrawNote(page, y, cx, s, stemWidth, static_cast<int>(std::lround(3.5 * s)), up));
    notes.push_back({y, cx});
  }
  FindLinesOn(page, notes, s);
  for (size_t k = 0; k < stems.size(); ++k) {
    const PaintedStem& stem = stems[k];
    const bool up = steps[k] >= 4;
    const int i = LineOn(stem, 2);
    ASSERT_GE(i, 0) << "stem " << k << " at " << stem.x << " rows " << stem.top << ".." << stem.bottom << "\n"
                    << DescribeLines();
    const FoundVerticalLine l = GetFoundVerticalLine(i);
    const int freeEnd = up ? l.topY : l.bottomY;
    const int headEnd = up ? l.bottomY : l.topY;
    EXPECT_LE(std::abs(freeEnd - (up ? stem.top : stem.bottom)), 2) << "stem " << k << "\n" << DescribeLines();
    EXPECT_LE(std::abs(headEnd - (up ? stem.bottom : stem.top)), s / 2 + 1) << "stem " << k << "\n" << DescribeLines();
    EXPECT_LE(l.cost, kMaxVerticalLineCost);
    EXPECT_EQ(IsVerticalLineSolid(i), 1) << DescribeLines();
    EXPECT_NEAR(GetVerticalLineWidth(i) / 1024.0, stemWidth, 1.0);
    EXPECT_TRUE(HasPoint(kPointStemTop, i, GetVerticalLineTop(i)));
    EXPECT_TRUE(HasPoint(kPointStemBottom, i, GetVerticalLineBottom(i)));
  }
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, StemsBySize, ::testing::Values(12, 15, 20, 26, 32, 38, 45));

// A stem with its head at one end that stops short of its beam reaches the
// beam's far edge; a stem without a head stays as drawn.
class StemsToBeams : public ::testing::TestWithParam<int> {};

TEST_P(StemsToBeams, ExtendsTheFreeEndToTheBeam) {
  const int s = GetParam();
  const int stemWidth = s < 20 ? 2 : s / 10 + 1;
  const int thickness = (s + 1) / 2;
  const int width = 30 * s + 80;
  SynthPage page(width, 26 * s);
  StaffPainter painter(page);
  const SynthStaff staff = StaffOf(s, width);
  painter.AddStaff(staff);
  const int gap = std::max(3, static_cast<int>(std::lround(0.4 * s)));
  std::vector<Note> notes;

  // Up: the beam in the second staff space (clear of the lines), the heads
  // 3.5 spaces below it.
  const int beamTop = static_cast<int>(std::lround(staff.top + s + (s - thickness) / 2.0));
  const double headY = beamTop + static_cast<int>(std::lround(3.5 * s));
  const double cxUp = 80 + 2 * s;
  const PaintedStem up = DrawNote(page, headY, cxUp, s, stemWidth, static_cast<int>(std::lround(3.5 * s)) - thickness - gap, true);
  notes.push_back({headY, cxUp});
  const double cxUp2 = cxUp + 5 * s;
  DrawNote(page, headY, cxUp2, s, stemWidth, static_cast<int>(std::lround(3.5 * s)), true);
  notes.push_back({headY, cxUp2});
  const int upLeft = up.x;
  const int upRight = static_cast<int>(std::lround(cxUp2 + 0.65 * s));
  DrawBeam(page, upLeft, beamTop, upRight, beamTop, thickness);

  // Down: heads in the top space, the beam below the stems.
  const double downY = staff.top + 0.5 * s;
  const double cxDown = 80 + 12 * s;
  const int length = static_cast<int>(std::lround(3.5 * s));
  const PaintedStem down = DrawNote(page, downY, cxDown, s, stemWidth, length - thickness - gap, false);
  notes.push_back({downY, cxDown});
  const double cxDown2 = cxDown + 5 * s;
  const PaintedStem down2 = DrawNote(page, downY, cxDown2, s, stemWidth, length, false);
  notes.push_back({downY, cxDown2});
  const int downBeamBottom = down2.bottom + 1;
  DrawBeam(page, down.x, downBeamBottom - thickness, down2.x + stemWidth, downBeamBottom - thickness, thickness);

  // No head: a stroke under a beam, stopping short of it.
  const int bareX = 80 + 22 * s;
  const int bareTop = beamTop + thickness + gap;
  page.FillRect(bareTop, bareX, bareTop + 3 * s, bareX + stemWidth);
  page.FillRect(bareTop, bareX + 5 * s, bareTop + 3 * s, bareX + 5 * s + stemWidth);
  DrawBeam(page, bareX, beamTop, bareX + 5 * s + stemWidth, beamTop, thickness);

  FindLinesOn(page, notes, s, &painter);
  std::string beams;
  for (int b = 0; b < GetBeamCount(); ++b)
    beams += " (" + std::to_string(GetFoundBeam(b).leftX) + ".." + std::to_string(GetFoundBeam(b).rightX) + " cost " +
             std::to_string(GetBeamCost(b)) + ")";
  int i = LineOn(up, 2);
  ASSERT_GE(i, 0) << DescribeLines();
  EXPECT_LE(std::abs(GetVerticalLineTop(i).y - beamTop), 2) << "up stem\n" << DescribeLines() << beams;
  i = LineOn(down, 2);
  ASSERT_GE(i, 0) << DescribeLines();
  // The beam finder places a beam's centre row within a couple of pixels.
  EXPECT_LE(std::abs(GetVerticalLineBottom(i).y - (downBeamBottom - 1)), 3 + s / 20) << "down stem\n" << DescribeLines() << beams;
  i = LineOn({bareX, stemWidth, bareTop, bareTop + 3 * s - 1}, 2);
  ASSERT_GE(i, 0) << DescribeLines();
  EXPECT_LE(std::abs(GetVerticalLineTop(i).y - bareTop), 2) << "no head: not extended\n" << DescribeLines();
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, StemsToBeams, ::testing::Values(12, 15, 20, 26, 32, 38, 45));

// Strokes that are no vertical lines, each alone beside a staff of 20.
struct NotLine {
  const char* what;
  int x, y, width, height, dash;  // dash > 0: that many rows on, that many off
};

class NotLines : public ::testing::TestWithParam<NotLine> {};

TEST_P(NotLines, FindsNoLine) {
  const NotLine c = GetParam();
  SynthPage page(900, 500);
  StaffPainter painter(page);
  painter.AddStaff(StaffOf(20, 900));
  for (int y = c.y; y < c.y + c.height; ++y)
    if (c.dash == 0 || ((y - c.y) / c.dash) % 2 == 0) page.FillRect(y, c.x, y + 1, c.x + c.width);
  FindLinesOn(page, {}, 20);
  EXPECT_EQ(GetVerticalLineCount(), 0) << c.what << "\n" << DescribeLines();
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotLines,
    ::testing::Values(NotLine{"a stroke shorter than a staff space", 760, 100, 2, 14, 0},
                      NotLine{"a stroke at the right page edge", 898, 100, 2, 200, 0},
                      NotLine{"a block wider than a third of a staff space", 760, 100, 12, 200, 0},
                      NotLine{"a dotted column", 760, 100, 2, 200, 2 * 20 / 2}));

// The same page without the edge: the stroke is a line.
TEST(VerticalLinesTest, AStrokeAwayFromTheEdgeIsALine) {
  SynthPage page(900, 500);
  StaffPainter painter(page);
  painter.AddStaff(StaffOf(20, 900));
  page.FillRect(100, 760, 300, 762);
  FindLinesOn(page, {}, 20);
  ASSERT_EQ(GetVerticalLineCount(), 1) << DescribeLines();
  EXPECT_NEAR(GetVerticalLineTop(0).y, 100, 1);
  EXPECT_NEAR(GetVerticalLineBottom(0).y, 299, 1);
  FreeEngine();
}

// Splitting, trimming and the outline; the accessors check their index.
TEST(VerticalLinesTest, LineOperations) {
  SynthPage page(900, 500);
  StaffPainter painter(page);
  painter.AddStaff(StaffOf(20, 900));
  page.FillRect(100, 760, 300, 763);
  FindLinesOn(page, {}, 20);
  ASSERT_EQ(GetVerticalLineCount(), 1) << DescribeLines();
  const FoundVerticalLine line = GetFoundVerticalLine(0);
  int32_t first = 7;
  int32_t second = 7;
  // Only strictly inside the line.
  for (int32_t row : {line.topY, line.bottomY, line.topY - 5, line.bottomY + 1}) {
    EXPECT_EQ(SplitVerticalLine(0, row, &first, &second), 0) << row;
    EXPECT_EQ(first, -1);
    EXPECT_EQ(second, -1);
    EXPECT_EQ(GetVerticalLineCount(), 1);
  }
  ASSERT_EQ(SplitVerticalLine(0, 200, &first, &second), 1);
  EXPECT_EQ(GetVerticalLineCount(), 3);
  EXPECT_EQ(GetVerticalLineTop(first).y, line.topY);
  EXPECT_EQ(GetVerticalLineBottom(first).y, 200);
  EXPECT_EQ(GetVerticalLineTop(second).y, 201);
  EXPECT_EQ(GetVerticalLineBottom(second).y, line.bottomY);
  EXPECT_EQ(GetVerticalLineCost(second), line.cost);
  EXPECT_TRUE(HasPoint(kPointStemBottom, first, GetVerticalLineBottom(first)));
  EXPECT_TRUE(HasPoint(kPointStemTop, second, GetVerticalLineTop(second)));
  ReleaseVerticalLine(0);
  EXPECT_FALSE(HasPoint(kPointStemTop, 0, GetVerticalLineTop(0)));
  // Trims only strictly inside.
  TrimVerticalLineBottom(second, line.bottomY + 10);
  EXPECT_EQ(GetVerticalLineBottom(second).y, line.bottomY);
  TrimVerticalLineBottom(second, 250);
  EXPECT_EQ(GetVerticalLineBottom(second).y, 250);
  TrimVerticalLineTop(second, 201);
  EXPECT_EQ(GetVerticalLineTop(second).y, 201);
  TrimVerticalLineTop(second, 220);
  EXPECT_EQ(GetVerticalLineTop(second).y, 220);
  const VerticalLineOutline outline = GetVerticalLineOutline(0);
  const int half = (line.width / 2 + 512) >> 10;
  EXPECT_EQ(outline.leftTop.y, line.topY - 1);
  EXPECT_EQ(outline.leftTop.x, line.topX - half - 1);
  EXPECT_EQ(outline.rightBottom.y, line.bottomY + 1);
  EXPECT_EQ(outline.rightBottom.x, line.bottomX + half + 1);
  for (int32_t bad : {-1, 3}) {
    EXPECT_THROW(GetFoundVerticalLine(bad), EngineFailure);
    EXPECT_THROW(GetVerticalLineTop(bad), EngineFailure);
    EXPECT_THROW(GetVerticalLineBottom(bad), EngineFailure);
    EXPECT_THROW(GetVerticalLineWidth(bad), EngineFailure);
    EXPECT_THROW(GetVerticalLineCost(bad), EngineFailure);
    EXPECT_THROW(IsVerticalLineSolid(bad), EngineFailure);
    EXPECT_THROW(SplitVerticalLine(bad, 200, &first, &second), EngineFailure);
    EXPECT_THROW(TrimVerticalLineTop(bad, 200), EngineFailure);
    EXPECT_THROW(GetVerticalLineOutline(bad), EngineFailure);
    EXPECT_THROW(ReleaseVerticalLine(bad), EngineFailure);
  }
  FreeEngine();
  EXPECT_EQ(GetVerticalLineCount(), 0);
}

// A hinted staff under five pixels takes no part: a stroke beside it is no
// line, while the same stroke beside a staff of 20 is one.
TEST(VerticalLinesTest, TinyHintedStaffTakesNoPart) {
  SynthPage page(900, 700);
  StaffPainter painter(page);
  SynthStaff tiny = StaffOf(3, 900);
  tiny.top = 100;
  painter.AddStaff(tiny);
  SynthStaff normal = StaffOf(20, 900);
  normal.top = 400;
  painter.AddStaff(normal);
  page.FillRect(60, 500, 160, 502);
  page.FillRect(380, 500, 480, 502);
  StaffHints hints;
  hints.AddFromPainter(painter, 0, 1);
  hints.AddFromPainter(painter, 1, 2);
  ASSERT_EQ(RunHintedStageOn(page, hints), 0);
  ASSERT_EQ(GetStaffCount(), 2);
  MeasurePageSkew();
  InitialiseObjectPoints();
  DetectVerticalLines();
  EXPECT_EQ(LineOn({500, 2, 60, 159}, 2), -1) << DescribeLines();
  EXPECT_GE(LineOn({500, 2, 380, 479}, 2), 0) << DescribeLines();
  FreeEngine();
}

// Pages without music, and hinted staves of 3 and 60 pixels, read to the
// end without a failed check; a page read after them finds its stems.
TEST(VerticalLinesTest, BadPagesThenAGoodOne) {
  const std::vector<BadPage> pages = {
      {"blank but for one dot", [](SynthPage& p) { p.Set(300, 400); }},
      {"text only",
       [](SynthPage& p) {
         for (int line = 0; line < 12; ++line) DrawTextLine(p, 80 + 50 * line, 60, 740, 14, 3 + line);
       }},
      {"a staff alone",
       [](SynthPage& p) {
         StaffPainter painter(p);
         painter.AddStaff(StaffOf(20, 800));
       }},
      {"noise and blots",
       [](SynthPage& p) {
         p.Speckle(6000, 23);
         p.Blots(40, 9.0, 29);
       }},
      {"a staff under noise, blots and strokes",
       [](SynthPage& p) {
         StaffPainter painter(p);
         painter.AddStaff(StaffOf(20, 800));
         p.Speckle(3000, 31);
         p.Blots(30, 6.0, 37);
         for (int k = 0; k < 12; ++k) p.FillRect(40 + 37 * k, 60 + 55 * k, 40 + 37 * k + 20 + 9 * k, 62 + 55 * k);
       }},
  };
  ExpectBadPagesReadToTheEnd(pages);
  for (int spacing : {3, 60}) {
    SCOPED_TRACE(spacing);
    SynthPage page(1000, 900);
    StaffPainter painter(page);
    SynthStaff staff = StaffOf(spacing, 1000);
    staff.top = 200;
    staff.thickness = spacing < 10 ? 1 : 3;
    painter.AddStaff(staff);
    page.Speckle(4000, 41);
    for (int k = 0; k < 10; ++k) page.FillRect(150 + 9 * k, 100 + 80 * k, 150 + 9 * k + 40 + 30 * k, 102 + 80 * k);
    ExpectHintedPageReadToTheEnd(page, spacing);
  }
  // A good page: its stems are found by the whole page reading.
  const int s = 20;
  SynthPage page(30 * s, 20 * s);
  StaffPainter painter(page);
  const SynthStaff staff = StaffOf(s, 30 * s);
  painter.AddStaff(staff);
  std::vector<PaintedStem> stems;
  for (int k = 0; k < 4; ++k)
    stems.push_back(DrawNote(page, staff.top + (k + 2) * s / 2.0, 80 + 4 * s * k + 2 * s, s, 2, 70, k >= 2));
  ASSERT_EQ(ReadSynthPage(page), 0);
  EXPECT_EQ(LastEngineFailure(), nullptr);
  for (const PaintedStem& stem : stems) EXPECT_GE(LineOn(stem, 2), 0) << DescribeLines();
  FreeEngine();
  EXPECT_EQ(GetVerticalLineCount(), 0);
}

}  // namespace
