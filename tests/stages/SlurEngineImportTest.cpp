// The engine's curves and hairpins of a group taken into the group's lists
// (kept apart from the work-list records, whose note names the engine's
// description shares).
#include <gtest/gtest.h>

#include <vector>

#include "Code/Quorm/Mscript.h"
#include "stages/SlursTiesHairpins.h"
#include "tests/stages/CurveEnginePage.h"
#include "tests/Code/Quorm/StaffFixture.h"

void MakeEnginePageWithSlur(int32_t x0, int32_t x1, int32_t y, int32_t radius) {
  LoadHandPage(1200, 900, 20);
  AddHandStaff({0, 100, 20, 50, 1150, 5, 0});
  ResetPageDescription("t");
  AddPageDescription("page.tif");
  AddSystemSlur(0, EnginePoint{y, x0}, EnginePoint{y, x1}, radius);
}

void FreeEnginePage() { FreeHandPage(); }

namespace {

TEST(SlurEngineImport, EngineCurvesAndHairpinsComeIntoTheGroupsLists) {
  LoadHandPage(1200, 900, 20);
  AddHandStaff({0, 100, 20, 50, 1150, 5, 0});
  ResetPageDescription("t");
  AddPageDescription("page.tif");
  AddSystemSlur(0, EnginePoint{200, 200}, EnginePoint{200, 300}, 100);  // sags to y 213
  AddStaveDynamic(0, 1, EngineBox{400, 150, 600, 170});                 // opens to the right
  AddStaveDynamic(0, 0, EngineBox{700, 150, 900, 170});                 // opens to the left
  AddStaveDynamic(0, 5, EngineBox{950, 150, 990, 170});                 // a dynamic: no lines

  std::vector<CurveItem> curves(kCurveItemLimit);
  uint32_t curveCount = 0;
  ImportEngineSlurs(0, curves.data(), curveCount);
  ASSERT_EQ(curveCount, 1u);
  EXPECT_EQ(curves[0].x0, 200);
  EXPECT_EQ(curves[0].x1, 300);
  EXPECT_EQ(curves[0].apexPos, 63);
  EXPECT_EQ(curves[0].bulge, 13 * 127 / 100);  // below the chord
  int32_t ax, ay;
  CurveApex(curves[0], &ax, &ay);
  EXPECT_EQ(ay, 212);  // 200 + 100 x 16 / 127

  std::vector<LineItem> lines(kLineItemLimit);
  uint32_t lineCount = 0;
  ImportEngineHairpins(0, 0, lines.data(), lineCount);
  ASSERT_EQ(lineCount, 4u);
  // Kind 1: the lines meet at the left; kind 0: at the right.
  EXPECT_EQ(lines[0].y0, 160);
  EXPECT_EQ(lines[1].y0, 160);
  EXPECT_EQ(lines[0].y1, 150);
  EXPECT_EQ(lines[1].y1, 170);
  EXPECT_EQ(lines[2].y1, 160);
  EXPECT_EQ(lines[3].y1, 160);
  EXPECT_EQ(lines[2].y0, 150);
  EXPECT_EQ(lines[3].y0, 170);
  for (uint32_t i = 0; i < lineCount; ++i) EXPECT_EQ(lines[i].lineFlags, 0u);

  // A full list takes no more; a stave the engine does not know gives none.
  curveCount = kCurveItemLimit;
  ImportEngineSlurs(0, curves.data(), curveCount);
  EXPECT_EQ(curveCount, kCurveItemLimit);
  lineCount = kLineItemLimit - 1;
  ImportEngineHairpins(0, 0, lines.data(), lineCount);
  EXPECT_EQ(lineCount, kLineItemLimit - 1);
  lineCount = 0;
  ImportEngineHairpins(0, 3, lines.data(), lineCount);
  ImportEngineHairpins(4, 0, lines.data(), lineCount);
  EXPECT_EQ(lineCount, 0u);
  FreeHandPage();
}

}  // namespace
