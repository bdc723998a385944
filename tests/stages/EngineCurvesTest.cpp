// The engine's curves as the stages see them: the circle's centre, a curve
// through a box, and the group's curves read from the page description.
#include <gtest/gtest.h>

#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "stages/EngineCurves.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

TEST(EngineCurves, CentreLiesOnTheRadiusSideOfTheChord) {
  const struct {
    EngineCurve curve;
    int32_t x, y;
  } cases[] = {
      {{0, 0, 100, 0, 100}, 50, -87},    // positive: centre above a level chord
      {{0, 0, 100, 0, -100}, 50, 87},    // negative: below
      {{0, 0, 100, 0, 50}, 50, 0},       // radius half the chord: the middle
      {{0, 0, 100, 0, 20}, 50, 0},       // too short a radius: the middle too
      {{10, 10, 10, 10, 100}, 10, 10},   // ends that coincide: no division by zero
      {{0, 0, 0, 100, 100}, 87, 50},     // upright chord
  };
  for (const auto& c : cases) {
    const EngineArcPoint p = EngineArcCentre(c.curve);
    EXPECT_EQ(p.x, c.x) << c.curve.radius;
    EXPECT_EQ(p.y, c.y) << c.curve.radius;
  }
}

TEST(EngineCurves, ABoxIsCrossedWhereTheArcRuns) {
  // Centre (50, -87): the arc sags to y 13 in the middle and meets the ends at 0.
  const EngineCurve sag{0, 0, 100, 0, 100};
  const struct {
    int32_t x0, y0, x1, y1;
    bool crosses;
  } cases[] = {
      {45, 10, 55, 20, true},     // around the lowest point
      {45, 20, 55, 30, false},    // below it
      {45, 0, 55, 12, false},     // above it, inside the bow
      {-20, -5, 2, 5, true},      // over the left end
      {101, -5, 120, 20, false},  // right of the curve
      {-30, -5, 0, 20, false},    // ends where the curve starts: x0 < xTo fails
      {0, 0, 100, 1, true},       // the whole chord: heights 0 and 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(EngineCurveCrossesBox(sag, c.x0, c.y0, c.x1, c.y1), c.crosses) << c.x0 << "," << c.y0;
  // The bulge upward: a negative radius.
  const EngineCurve arch{0, 0, 100, 0, -100};
  EXPECT_TRUE(EngineCurveCrossesBox(arch, 45, -20, 55, -10));
  EXPECT_FALSE(EngineCurveCrossesBox(arch, 45, 10, 55, 20));
}

TEST(EngineCurves, TheGroupsCurvesComeFromThePageDescription) {
  LoadHandPage(1200, 900, 20);
  AddHandStaff({0, 100, 20, 50, 1150, 5, 0});
  AddHandStaff({1, 500, 20, 50, 1150, 5, 0});
  ResetPageDescription("t");
  AddPageDescription("page.tif");
  // A tie under the first system: ends (200, 200) and (300, 200), radius 100.
  AddSystemSlur(0, EnginePoint{200, 200}, EnginePoint{200, 300}, 100);
  const MscriptSlur slur = GetSystemSlur(0, 0, 0);
  const EngineCurve c = EngineCurveFromSlur(slur);
  EXPECT_EQ(c.x0, 200);
  EXPECT_EQ(c.y0, 200);
  EXPECT_EQ(c.x1, 300);
  EXPECT_EQ(c.radius, 100);
  EXPECT_EQ(EngineArcCentre(slur).y, 113);
  EXPECT_EQ(EngineSlurCrosses(0, 245, 210, 255, 220), 1);
  EXPECT_EQ(EngineSlurCrosses(0, 245, 220, 255, 240), 0);
  EXPECT_EQ(EngineSlurCrosses(1, 245, 210, 255, 220), 0);   // the other system has none
  EXPECT_EQ(EngineSlurCrosses(7, 245, 210, 255, 220), 0);   // no such system
  FreeHandPage();
}

}  // namespace
