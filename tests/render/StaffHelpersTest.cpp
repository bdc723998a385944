// Small helpers of the score page painter: the device-pixel snap of x, the
// staff colour of tablature parts, and the scroll extents of a paint.
#include <gtest/gtest.h>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/ScorePagePainter.h"
#include "render/SymbolRoutines.h"
#include "score/ScoreStream.h"

namespace {

class StaffHelpersTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});
  }
  void TearDown() override {
    PartTablatureFlags[2] = PartTablature{};
    ResetDrawingState();
  }
};

TEST_F(StaffHelpersTest, XSnapsToTheNearestDevicePixel) {
  struct Case {
    double scale, offsetX, x, snapped;
  } cases[] = {
      {1.0, 0, 10.4, 10.0},     {1.0, 0, 10.5, 11.0},       {2.0, 0, 10.3, 10.5},
      {1.33, 0, 10.0, 13 / 1.33},  // 13.3 device pixels: the 13th
      {2.0, 0.25, 10.0, 10.25}, {2.0, 0, -3.3, -3.5},
  };
  for (const Case& c : cases) {
    DrawingState().scale = c.scale;
    DrawingState().offsetX = c.offsetX;
    EXPECT_NEAR(SnapXToDevice(c.x), c.snapped, 1e-9) << c.scale << " " << c.offsetX << " " << c.x;
    // Snapped once, it stays.
    EXPECT_NEAR(SnapXToDevice(SnapXToDevice(c.x)), SnapXToDevice(c.x), 1e-9);
  }
}

TEST_F(StaffHelpersTest, TablaturePartsTakeTheFirstColourWhileTabRhythmIsHidden) {
  PartTablatureFlags[2].flag = 1;
  struct Case {
    int part;
    bool printTabRhythm;
    int colour;
    int32_t value;
  } cases[] = {{2, false, 3, 30}, {2, true, 7, 70}, {1, false, 7, 70}, {-1, false, 7, 70}, {99, false, 7, 70}};
  for (const Case& c : cases) {
    int32_t value = 0;
    EXPECT_EQ(SelectStaffColour(c.part, c.printTabRhythm, 3, 7, 30, 70, &value), c.colour) << c.part;
    EXPECT_EQ(value, c.value) << c.part;
    EXPECT_EQ(DrawingState().colour, NearestColour(ColourTable[c.colour])) << c.part;
  }
}

TEST_F(StaffHelpersTest, ScrollExtentsReachAtLeastAViewBeyondTheScrollPosition) {
  struct Case {
    int32_t right, bottom, scrollX, scrollY, width, height;
    int32_t expectRight, expectBottom;
  } cases[] = {
      // A page larger than the view: relative to the scroll position.
      {2000, 3000, 100, 0, 800, 600, 1900, -3000},
      {2000, 3000, 100, 200, 800, 600, 1900, -2800},
      // A page smaller than the view: a view's size less 16.
      {300, 200, 0, 0, 800, 600, 784, -616},
      // Scrolled far: the rest of the page fits in the view.
      {2000, 3000, 1500, 2800, 800, 600, 784, -616},
  };
  for (const Case& c : cases) {
    const ScrollExtents e = ScrollExtentsFor(c.right, c.bottom, c.scrollX, c.scrollY, c.width, c.height);
    EXPECT_EQ(e.right, c.expectRight) << c.scrollX;
    EXPECT_EQ(e.bottom, c.expectBottom) << c.scrollY;
  }
}

}  // namespace
