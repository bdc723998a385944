// Page image panels: the visible part of a scaled page image and its drawing
// path, the frame with its shadow, and the rectangles of recolouring.
#include <gtest/gtest.h>

#include <string>

#include "DrawingSetUp.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/PageImagePanel.h"
#include "render/RecordingDevice.h"

namespace {

class PageImagePanelTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});
    DrawingState().dc = &device;
  }
  void TearDown() override { ResetDrawingState(); }
  RecordingDevice device;
};

TEST_F(PageImagePanelTest, VisiblePartAndPathOfAScaledImage) {
  struct Case {
    const char* name;
    ImageRatio ratio;
    bool withClip;
    DeviceRect clip;
    bool antiAlias;
    int32_t W, H;
    bool clipEmpty, visible, grey;
    int32_t c0, r0, c1, r1;
    DeviceRect shrunk;
  } cases[] = {
      {"1:1 whole", {1, 1, 1, 1}, false, {}, true, 100, 80, false, true, false, 0, 0, 100, 80, {10, 10, 109, 89}},
      {"1:4 smoothed", {1, 1, 4, 4}, false, {}, true, 25, 20, false, true, true, 0, 0, 25, 20, {10, 70, 34, 89}},
      {"1:4 setting off", {1, 1, 4, 4}, false, {}, false, 25, 20, false, true, false, 0, 0, 25, 20, {10, 70, 34, 89}},
      {"2:1 enlarged", {2, 2, 1, 1}, false, {}, true, 200, 160, false, true, false, 0, 0, 200, 160, {10, -70, 209, 89}},
      {"clipped", {1, 1, 1, 1}, true, {50, 30, 300, 300}, true, 100, 80, false, true, false, 40, 20, 100, 80,
       {50, 30, 109, 89}},
      {"clip beside", {1, 1, 1, 1}, true, {200, 200, 300, 300}, true, 100, 80, false, false, false, 190, 190, 100, 80,
       {200, 200, 109, 89}},
      {"empty clip", {1, 1, 1, 1}, true, {5, 5, 4, 10}, true, 100, 80, true, false, false, 0, 0, 100, 80,
       {10, 10, 109, 89}},
      {"zero ratio", {0, 1, 1, 1}, false, {}, true, 0, 0, false, false, false, 0, 0, 0, 0, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    // A 100 x 80 image with its bottom edge at device row 90.
    const PageImagePlan p = PlanPageImageRegion(100, 80, 10, -90, c.ratio, c.withClip ? &c.clip : nullptr, c.antiAlias);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(p.width, c.W);
    EXPECT_EQ(p.height, c.H);
    EXPECT_EQ(p.clipEmpty, c.clipEmpty);
    EXPECT_EQ(p.visible, c.visible);
    if (!c.visible) continue;
    EXPECT_EQ(p.greyPath, c.grey);
    EXPECT_EQ(p.c0, c.c0);
    EXPECT_EQ(p.r0, c.r0);
    EXPECT_EQ(p.c1, c.c1);
    EXPECT_EQ(p.r1, c.r1);
    EXPECT_EQ(p.clip.left, c.shrunk.left);
    EXPECT_EQ(p.clip.top, c.shrunk.top);
    EXPECT_EQ(p.clip.right, c.shrunk.right);
    EXPECT_EQ(p.clip.bottom, c.shrunk.bottom);
  }
}

TEST_F(PageImagePanelTest, FrameIsPaneOutlineAndShadow) {
  DrawPageImageFrame(10, -90, 100, 80, false);
  std::vector<std::string> rects;
  for (const std::string& l : device.Lines())
    if (l.rfind("rect ", 0) == 0) rects.push_back(l.substr(0, l.find(" solid")));
  const std::vector<std::string> expected = {
      "rect -2 -2 10 8189",      "rect -2 90 8189 8281",  "rect -2 10 8189 -8181",
      "rect 110 -2 8301 8189",   "rect 10 10 110 90",     "rect 110 14 114 94",
      "rect 14 90 114 94",
  };
  EXPECT_EQ(rects, expected);
  // The outline is hollow; the shadow is filled in colour 1.
  EXPECT_NE(device.Lines().back().find("fill"), std::string::npos);
}

TEST_F(PageImagePanelTest, ScreenRectanglesAreCutToThePane) {
  StorePaneRect(DeviceRect{0, 0, 200, 100});
  struct Case {
    int32_t x0, y0, x1, y1;
    bool any;
    DeviceRect r;
  } cases[] = {
      {10, -20, 50, -60, true, {10, 19, 51, 60}},
      {10, -60, 50, -20, true, {10, 19, 51, 60}},
      {-5, -20, 500, -500, true, {0, 19, 200, 100}},
      {10, -20, 50, -20, false, {}},
      {10, -20, 10, -60, false, {}},
      {300, -20, 400, -60, false, {}},
  };
  for (const Case& c : cases) {
    DeviceRect r{};
    EXPECT_EQ(ScreenRecolourRect(c.x0, c.y0, c.x1, c.y1, &r), c.any) << c.x0 << " " << c.y0;
    if (!c.any) continue;
    EXPECT_EQ(r.left, c.r.left);
    EXPECT_EQ(r.top, c.r.top);
    EXPECT_EQ(r.right, c.r.right);
    EXPECT_EQ(r.bottom, c.r.bottom);
  }
}

TEST_F(PageImagePanelTest, WorldRectanglesGetAMarginForStaveHighlights) {
  DrawingState().scale = 2.0;
  int32_t r[4];
  ASSERT_TRUE(WorldRecolourRect(1.5, -2.7, 10.2, -8.9, 3, r));
  EXPECT_EQ(r[0], 3);
  EXPECT_EQ(r[1], -5);
  EXPECT_EQ(r[2], 20);
  EXPECT_EQ(r[3], -17);
  for (int colour : {15, 8}) {
    ASSERT_TRUE(WorldRecolourRect(1.5, -2.7, 10.2, -8.9, colour, r));
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1], -14);
    EXPECT_EQ(r[2], 23);
    EXPECT_EQ(r[3], -8);
  }
  EXPECT_FALSE(WorldRecolourRect(1.2, -2.7, 1.9, -8.9, 3, r));
  EXPECT_FALSE(WorldRecolourRect(1.5, -2.2, 10.2, -2.9, 15, r));
}

TEST(StaveOverlayOverThePage, OnlyTheViewsOwnPageWithItsOverlaySwitchedOn) {
  uint8_t viewArea[16] = {}, otherArea[16] = {};
  const KeptPageTableState kept;
  viewPage.imageArea = viewArea;
  pageTable.pageCount = 2;
  struct Case {
    const char* name;
    const uint8_t* area;
    int32_t current;
    uint32_t flags;
    bool shown;
  } cases[] = {
      {"the view's page, overlay on", viewArea, 1, kPageStaveOverlay, true},
      {"overlay off", viewArea, 1, kPageSelected, false},
      {"another page's image", otherArea, 1, kPageStaveOverlay, false},
      {"no page shown", viewArea, -1, kPageStaveOverlay, false},
      {"a current row past the table", viewArea, 2, kPageStaveOverlay, false},
      {"no image", nullptr, 1, kPageStaveOverlay, false},
  };
  for (const Case& c : cases) {
    pageTable.currentPage = c.current;
    pageTable.rows[1].flags = c.flags;
    pageTable.rows[2].flags = c.flags;
    EXPECT_EQ(PageImageShowsStaveOverlay(c.area), c.shown) << c.name;
  }
}

}  // namespace
