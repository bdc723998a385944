// The beam finder on synthesised pages: beamed groups one to three beams
// deep, flat and sloped, short and long, on pages of every common staff
// size; and strokes that are no beams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/LineArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

// The one staff of 20 pixels that the single-stroke cases stand above.
void DrawStaffBelowBeams(SynthPage& page) {
  StaffPainter painter(page);
  SynthStaff staff;
  staff.top = 300;
  staff.left = 40;
  staff.right = 1160;
  painter.AddStaff(staff);
}

// Runs the staff stage, then the beam finder as the page stage does.
void FindBeamsOn(const SynthPage& page) {
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  MeasurePageSkew();
  InitialiseObjectPoints();
  DetectBeams();
}

// Found records (either flag) matching the painted beam: ends within endSlack
// columns, end rows within rowSlack, thickness within a quarter.
std::vector<int> Matches(const PaintedBeam& p, int endSlack, double rowSlack) {
  std::vector<int> found;
  for (int i = 0; i < GetBeamCount(); ++i) {
    const EnginePoint l = GetBeamLeftEnd(i);
    const EnginePoint r = GetBeamRightEnd(i);
    if (std::abs(l.x - p.x0) > endSlack || std::abs(r.x - p.x1) > endSlack) continue;
    if (std::fabs(l.y - p.y0) > rowSlack || std::fabs(r.y - p.y1) > rowSlack) continue;
    if (std::abs(GetBeamThickness(i) - 1024 * p.thickness) > 256 * p.thickness) continue;
    found.push_back(i);
  }
  return found;
}

std::string DescribeBeams() {
  std::string text;
  for (int i = 0; i < GetBeamCount(); ++i) {
    const FoundBeam b = GetFoundBeam(i);
    text += "  (" + std::to_string(b.leftX) + "," + std::to_string(b.leftY) + ")-(" + std::to_string(b.rightX) + "," +
            std::to_string(b.rightY) + ") t=" + std::to_string(b.thickness) + " cost " + std::to_string(b.cost) +
            " short " + std::to_string(b.shortModel) + "\n";
  }
  return text;
}

// A beamed group as the table states it, in staff spaces from its place.
struct GroupCase {
  int depth;
  double length;  // staff spaces
  double rise;    // staff spaces, positive: the right end lower
  bool farRight;  // placed beyond column 1000
};

const GroupCase kGroups[] = {
    {1, 2.5, 0, false},     // short and flat: stored as a short and a long model
    {2, 6, -1.0, false},    // two deep, rising
    {3, 8, 1.2, true},      // three deep, falling, beyond column 1000
    {1, 12, 0.6, true},     // one long gentle slope beyond column 1000
};

class BeamsBySize : public ::testing::TestWithParam<int> {};

TEST_P(BeamsBySize, FindsEveryBeamOfEveryGroup) {
  const int s = GetParam();
  const int thickness = (s + 1) / 2;
  const int lineThickness = s < 16 ? 1 : s / 10 + 1;
  const int width = 1040 + 24 * s + 100;
  const int beamTop = 2 * s + 40;
  SynthPage page(width, 14 * s + 160);
  StaffPainter painter(page);
  SynthStaff staff;
  staff.top = beamTop + 8 * s;
  staff.left = 40;
  staff.right = width - 40;
  staff.spacing = s;
  staff.thickness = lineThickness;
  painter.AddStaff(staff);
  std::vector<std::pair<GroupCase, std::vector<PaintedBeam>>> painted;
  int nearX = 80;
  int farX = 1040;
  for (const GroupCase& g : kGroups) {
    int& x = g.farRight ? farX : nearX;
    const int x1 = x + static_cast<int>(std::lround(g.length * s));
    const double y0 = beamTop + s + (g.rise < 0 ? -g.rise * s : 0);
    painted.push_back({g, DrawBeamedGroup(page, x, y0, x1, y0 + g.rise * s, thickness, g.depth, s, lineThickness,
                                          true)});
    x = x1 + 2 * s;
  }
  ASSERT_LT(nearX, 1000);
  ASSERT_LT(farX, width);
  FindBeamsOn(page);
  const int endSlack = 2;
  const double rowSlack = 2.0;
  for (const auto& [group, beams] : painted)
    for (const PaintedBeam& beam : beams) {
      const std::vector<int> found = Matches(beam, endSlack, rowSlack);
      ASSERT_FALSE(found.empty()) << "beam from (" << beam.x0 << ", " << beam.y0 << ") to (" << beam.x1 << ", "
                                  << beam.y1 << ") of a group " << group.depth << " deep\n"
                                  << DescribeBeams();
      // Between 125 and 300 per cent of a staff space long: both models.
      bool shortModel = false;
      bool longModel = false;
      for (int i : found) (GetBeamFlag(i) ? shortModel : longModel) = true;
      const double length = beam.x1 - beam.x0;
      EXPECT_EQ(shortModel, length <= 3 * s) << "length " << length;
      EXPECT_EQ(longModel, length >= 1.25 * s) << "length " << length;
    }
  // Each record has its two anchor points.
  for (int i = 0; i < GetBeamCount(); ++i) {
    const EnginePoint ends[2] = {GetBeamLeftEnd(i), GetBeamRightEnd(i)};
    const int kinds[2] = {kPointBeamLeft, kPointBeamRight};
    for (int k = 0; k < 2; ++k) {
      int32_t* objects = nullptr;
      const int n = FindObjectPointsInBox(kinds[k], ends[k].x, ends[k].y, ends[k].x + 1, ends[k].y + 1, &objects);
      bool mine = false;
      for (int j = 0; j < n; ++j) mine = mine || objects[j] == i;
      EngineFree(objects);
      EXPECT_TRUE(mine) << "beam " << i << " end " << k;
    }
  }
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, BeamsBySize, ::testing::Values(12, 15, 20, 26, 32, 38, 45));

// Strokes that are no beams, each alone above a staff of 20 pixels.
struct NotBeam {
  const char* what;
  int height;  // pixels
  int width;
};

class NotBeams : public ::testing::TestWithParam<NotBeam> {};

TEST_P(NotBeams, FindsNoBeam) {
  const NotBeam c = GetParam();
  SynthPage page(1200, 500);
  DrawStaffBelowBeams(page);
  page.FillRect(120, 400, 120 + c.height, 400 + c.width);
  FindBeamsOn(page);
  EXPECT_EQ(GetBeamCount(), 0) << c.what << "\n" << DescribeBeams();
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(Cases, NotBeams,
                         ::testing::Values(NotBeam{"a block taller than three beam thicknesses", 70, 200},
                                           NotBeam{"a thin rule", 2, 300},
                                           NotBeam{"a beam-thick stroke under half a staff space", 10, 8}));

// A page without staves has nothing to measure beams by: a beamed group
// alone on it is no beam.
TEST(BeamsTest, PageWithoutStavesHasNoBeams) {
  SynthPage page(1200, 500);
  DrawBeamedGroup(page, 300, 120, 700, 160, 10, 2, 20, 2, true);
  DrawTextLine(page, 400, 50, 1100, 14, 5);
  FreeEngine();
  ASSERT_EQ(LoadPageImage(page.bits(), page.width(), page.height(), 0), kEngineOk);
  ASSERT_NE(RunStaffStage(1, nullptr, nullptr), 0);
  InitialiseObjectPoints();
  DetectBeams();
  EXPECT_EQ(GetBeamCount(), 0) << DescribeBeams();
  FreeEngine();
}

// The accessors check their index; erasing and releasing act on one beam.
TEST(BeamsTest, EraseReleaseAndChecks) {
  SynthPage page(1200, 500);
  DrawStaffBelowBeams(page);
  DrawBeam(page, 300, 120, 460, 140, 10);
  page.FillRect(120, 300, 190, 302);  // stems at both ends only
  page.FillRect(140, 458, 210, 460);
  const PaintedBeam beam{300, 124.5, 460, 144.5, 10};
  FindBeamsOn(page);
  const std::vector<int> found = Matches(beam, 2, 2.0);
  ASSERT_FALSE(found.empty()) << DescribeBeams();
  const int i = found[0];
  EraseBeam(i);
  EXPECT_EQ(CountBoxInk(115, 303, 155, 457), 0) << "the beam's own ink is gone";
  EXPECT_GT(CountBoxInk(160, 300, 180, 302), 0) << "the stems below it stay";
  ReleaseBeam(i);
  int32_t* objects = nullptr;
  const int n = FindObjectPointsInBox(kPointBeamLeft, 0, 0, 1200, 500, &objects);
  for (int j = 0; j < n; ++j) EXPECT_NE(objects[j], i);
  EngineFree(objects);
  EXPECT_THROW(GetBeamLeftEnd(GetBeamCount()), EngineFailure);
  EXPECT_THROW(GetBeamFlag(-1), EngineFailure);
  EXPECT_THROW(EraseBeam(GetBeamCount()), EngineFailure);
  FreeEngine();
  EXPECT_EQ(GetBeamCount(), 0);
}

}  // namespace

namespace {

// Four beam-thick pieces of 5 columns with tall blocks between them (no runs
// there, but black): a chain whose runs fill less than half of its columns
// is not fitted; with narrow blocks it is, and becomes one beam over all.
struct BrokenBeam {
  int blockWidth;
  bool found;
};

class BrokenBeams : public ::testing::TestWithParam<BrokenBeam> {};

TEST_P(BrokenBeams, FittedOnlyWhenRunsFillHalfTheColumns) {
  const BrokenBeam c = GetParam();
  SynthPage page(1200, 500);
  DrawStaffBelowBeams(page);
  int x = 400;
  for (int k = 0; k < 4; ++k) {
    page.FillRect(150, x, 160, x + 5);
    x += 5;
    if (k < 3) {
      page.FillRect(110, x, 200, x + c.blockWidth);
      x += c.blockWidth;
    }
  }
  FindBeamsOn(page);
  bool found = false;
  for (int i = 0; i < GetBeamCount(); ++i)
    found = found || (GetBeamLeftEnd(i).x <= 402 && GetBeamRightEnd(i).x >= x - 2);
  EXPECT_EQ(found, c.found) << "blocks " << c.blockWidth << " wide\n" << DescribeBeams();
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenBeams, ::testing::Values(BrokenBeam{10, false}, BrokenBeam{3, true}));

}  // namespace
