// The hairpin finder: crescendo and diminuendo wedges found on synthesised
// pages over a range of staff spaces; wedges of the wrong size or shape are
// not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findhpin.h"
#include "tests/Code/Quorm/CurveArt.h"

namespace {

int WedgeThickness(int s) { return std::max(2, static_cast<int>(std::lround(0.12 * s))); }

class HairpinFinderSizes : public ::testing::TestWithParam<int> {};

TEST_P(HairpinFinderSizes, FindsWedgesOfBothKindsAndNoOthers) {
  const int s = GetParam();
  const int t = WedgeThickness(s);
  SynthPage page(40 * s, 24 * s);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
  struct Drawn {
    const char* what;
    double apexY;
    int apexX, wideX;
    double half;
    int opening;  // -1: must not be found
  };
  const std::vector<Drawn> drawn = {
      {"crescendo", 16.0 * s, 4 * s, 12 * s, 0.9 * s, 1},
      {"diminuendo", 16.0 * s, 24 * s, 16 * s, 0.9 * s, 0},
      {"four staff spaces long", 16.0 * s, 28 * s, 32 * s, 0.9 * s, -1},
      {"under one staff space high", 21.0 * s, 4 * s, 12 * s, 0.3 * s, -1},
      {"over three staff spaces high", 20.5 * s, 16 * s, 26 * s, 1.7 * s, -1},
  };
  for (const Drawn& d : drawn) DrawWedge(page, d.apexY, d.apexX, d.wideX, d.half, t);

  int staffResult = -1;
  ASSERT_EQ(ReadSynthPage(page, &staffResult), 0) << LastEngineFailure();
  ASSERT_EQ(staffResult, 0);

  const double tol = t / 2.0 + 2;
  int expected = 0;
  for (const Drawn& d : drawn) {
    SCOPED_TRACE(d.what);
    const int left = std::min(d.apexX, d.wideX), right = std::max(d.apexX, d.wideX);
    int match = -1;
    for (int i = 0; i < GetHairpinCount(); ++i)
      if (GetHairpinLeft(i) < right && GetHairpinRight(i) > left && GetHairpinTop(i) < d.apexY &&
          GetHairpinBottom(i) > d.apexY)
        match = i;
    if (d.opening < 0) {
      EXPECT_EQ(match, -1);
      continue;
    }
    ++expected;
    ASSERT_GE(match, 0);
    EXPECT_EQ(GetHairpinOpening(match), d.opening);
    EXPECT_NEAR(GetHairpinLeft(match), left, tol);
    EXPECT_NEAR(GetHairpinRight(match), right, tol + 1);
    EXPECT_NEAR(GetHairpinTop(match), d.apexY - d.half, tol);
    EXPECT_NEAR(GetHairpinBottom(match), d.apexY + d.half, tol + 1);
  }
  EXPECT_EQ(GetHairpinCount(), expected);
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, HairpinFinderSizes, ::testing::Values(12, 16, 20, 25, 32, 38, 45));

// Single components against the test itself, at a staff space of 20.
TEST(HairpinFinderTest, ComponentShapes) {
  const int s = 20;
  SetPageStaffSpace(s * 1024);
  struct Case {
    const char* what;
    void (*draw)(SynthPage& page);
    int found;
    int opening;
  };
  const std::vector<Case> cases = {
      {"crescendo", [](SynthPage& p) { DrawWedge(p, 100, 40, 240, 18, 2); }, 1, 1},
      {"diminuendo", [](SynthPage& p) { DrawWedge(p, 100, 240, 40, 18, 2); }, 1, 0},
      {"wedge under five staff spaces", [](SynthPage& p) { DrawWedge(p, 100, 40, 130, 18, 2); }, 0, 0},
      // A tick across the middle makes the box tall while the lines stay close.
      {"lines too close for the height",
       [](SynthPage& p) {
         DrawWedge(p, 100, 40, 240, 8, 2);
         p.FillRect(75, 140, 126, 142);
       },
       0, 0},
      // Horizontal hatching joined at one side: many runs in every column.
      {"hatched box",
       [](SynthPage& p) {
         for (int y = 80; y < 120; y += 3) p.FillRect(y, 40, y + 1, 240);
         p.FillRect(80, 40, 120, 42);
       },
       0, 0},
      {"two parallel lines",
       [](SynthPage& p) {
         p.FillRect(80, 40, 82, 240);
         p.FillRect(118, 40, 120, 240);
         p.FillRect(80, 40, 120, 42);
       },
       0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SynthPage page(300, 200);
    c.draw(page);
    std::vector<uint32_t> bits;
    const ConnectedComponent component = ComponentOfRegion(page, 0, 0, 200, 300, &bits);
    int32_t opening = -1;
    EXPECT_EQ(IsHairpinComponent(component, &opening), c.found);
    if (c.found) {
      EXPECT_EQ(opening, c.opening);
    }
  }
  FreePageScale();
}

TEST(HairpinFinderTest, BadIndexesAreFailedChecks) {
  FreeEngine();
  EXPECT_EQ(GetHairpinCount(), 0);
  EXPECT_THROW(GetHairpinOpening(0), EngineFailure);
  EXPECT_THROW(GetHairpinRight(-1), EngineFailure);
}

}  // namespace
