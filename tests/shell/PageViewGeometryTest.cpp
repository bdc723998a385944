// The page view's numbers: fitting a page, the wheel's zoom steps, the
// scrollable size, the caption and the limits of an edited stave.
#include "shell/PageViewGeometry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PageViewGeometryTest, ZoomToFitFitsByTheTighterSide) {
  struct Case {
    const char* name;
    int cw, ch, iw, ih, zoom;
  };
  const Case cases[] = {
      {"a tall page fits by height", 1000, 826, 2480, 3508, 22},
      {"a wide page fits by width", 1000, 826, 3508, 1000, 28},
      {"an empty workspace", 0, 500, 2480, 3508, 1},
      {"an empty image", 800, 600, 0, 0, 100},
      {"an image without height", 800, 600, 100, 0, 100},
      {"a tiny image is held at 999", 2000, 2000, 10, 10, 999},
      {"a huge image is held at 1", 100, 126, 100000, 100000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ZoomToFit(c.cw, c.ch, c.iw, c.ih), c.zoom);
  }
}

TEST(PageViewGeometryTest, WheelZoomStaysWithinItsRange) {
  EXPECT_EQ(WheelZoom(100, true), 133);
  EXPECT_EQ(WheelZoom(100, false), 75);
  EXPECT_EQ(WheelZoom(800, true), 800) << "1,066 is out of range";
  EXPECT_EQ(WheelZoom(10, false), 10) << "7 is out of range";
}

TEST(PageViewGeometryTest, ExtentAndCaption) {
  const ScrollExtent e = PageViewExtent(2480, 3508, 50);
  EXPECT_EQ(e.width, 1245);
  EXPECT_EQ(e.height, 1758);
  char16_t caption[128];
  ComposePageViewCaption(u"Sonata", 3, 12, 75, false, caption, 128);
  EXPECT_EQ(std::u16string(caption), u"Sonata (page 3 of 12) - at 75%");
  ComposePageViewCaption(u"Sonata", 3, 12, 75, true, caption, 128);
  EXPECT_EQ(std::u16string(caption), u"Sonata (Preview) - at 75%");
  ComposePageViewCaption(u"Sonata", 3, 12, 75, false, caption, 8);
  EXPECT_EQ(std::u16string(caption), u"Sonata ");
}

TEST(PageViewGeometryTest, ViewsShowTheNameWithoutItsExtension) {
  struct Case {
    const char16_t* name;
    const char16_t* shown;
  };
  const Case cases[] = {{u"scan.tif", u"scan"}, {u"page.tiff", u"page.tiff"}, {u".tif", u".tif"}, {u"a.b.bmp", u"a.b"},
                        {u"plain", u"plain"}};
  for (const Case& c : cases) {
    char16_t out[40];
    PageNameForViews(c.name, out, 40);
    EXPECT_EQ(std::u16string(out), c.shown);
  }
}

StaveRecord Stave(int left, int top, int right, int bottom) {
  StaveRecord s;
  s.left = int16_t(left);
  s.top = int16_t(top);
  s.right = int16_t(right);
  s.bottom = int16_t(bottom);
  s.midX = int16_t((left + right) / 2);
  s.midTop = s.rightTop = int16_t(top);
  s.lineCount = 5;
  return s;
}

TEST(PageViewGeometryTest, ClampStaveKeepsItSizedBetweenItsNeighboursAndOnThePage) {
  // A 300 dpi page of 2480 x 3508 pixels.
  struct Case {
    const char* name;
    StaveRecord stave;
    int left, top, right, bottom;
  };
  const Case cases[] = {
      {"narrower than two inches is widened", Stave(200, 1000, 400, 1060), 200, 1000, 800, 1060},
      {"taller than an inch is cut", Stave(200, 1000, 2000, 1400), 200, 1000, 2000, 1300},
      {"lower than 40 pixels grows", Stave(200, 1000, 2000, 1010), 200, 1000, 2000, 1040},
      {"past the left edge is moved in", Stave(-50, 1000, 2000, 1060), 37, 1000, 2051, 1060},
      {"past the right edge is moved in", Stave(700, 1000, 2600, 1060), 579, 1000, 2474, 1060},
      {"into the stave below is moved up", Stave(200, 1980, 2000, 2040), 200, 1940, 2000, 2000},
      {"into the stave above is moved down", Stave(200, 480, 2000, 540), 200, 500, 2000, 560},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StaveRecord staves[3] = {Stave(200, 400, 2000, 500), c.stave, Stave(200, 2000, 2000, 2060)};
    ClampStave(staves, 3, 1, 300, 2480, 3508);
    EXPECT_EQ(staves[1].left, c.left);
    EXPECT_EQ(staves[1].top, c.top);
    EXPECT_EQ(staves[1].right, c.right);
    EXPECT_EQ(staves[1].bottom, c.bottom);
    EXPECT_GE(staves[1].midX, staves[1].left + 300 / 8);
    EXPECT_LE(staves[1].midX, staves[1].right - 300 / 8);
  }
  // The slope follows the top line's ends.
  StaveRecord one[1] = {Stave(200, 1000, 2248, 1060)};
  one[0].rightTop = 1010;
  ClampStave(one, 1, 0, 300, 2480, 3508);
  EXPECT_EQ(one[0].slope, 10 * 4096 / 2048);
}

}  // namespace

namespace {

TEST(PageViewGeometryTest, ADragMovesThePartsItsModeNames) {
  StaveRecord start = Stave(200, 1000, 2000, 1060);
  start.midX = 1100;
  start.midTop = 1004;
  start.rightTop = 1008;
  struct Case {
    const char* name;
    int mode;
    int left, right, midX, top, bottom, midTop, rightTop;
  };
  // Every case moves the pointer by (+30, -20).
  const Case cases[] = {
      {"the whole stave", kMoveStave, 230, 2030, 1130, 980, 1040, 984, 988},
      {"the right end", kDragRightEnd, 200, 2030, 1100, 1000, 1060, 1004, 988},
      {"the left end", kDragLeftEnd, 230, 2000, 1100, 980, 1040, 1004, 1008},
      {"the middle of the top line", kDragTopMiddle, 200, 2000, 1130, 1000, 1060, 984, 1008},
      {"the bottom line", kDragBottomLine, 200, 2000, 1100, 1000, 1040, 1004, 1008},
      {"no drag", kNoStaveDrag, 200, 2000, 1100, 1000, 1060, 1004, 1008},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StaveRecord r = DraggedStave(c.mode, start, 30, -20);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.right, c.right);
    EXPECT_EQ(r.midX, c.midX);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.bottom, c.bottom);
    EXPECT_EQ(r.midTop, c.midTop);
    EXPECT_EQ(r.rightTop, c.rightTop);
  }
}

}  // namespace

namespace {

TEST(PageViewGeometryTest, ThePageToolbarStepsToTheNextPageOrTheNextProblemPage) {
  const int32_t problems[] = {7, 2, 9, 40, -1};
  struct Case {
    const char* name;
    int current, step;
    bool throughProblems;
    int shown;
  };
  const Case cases[] = {
      {"next", 4, 1, false, 5},
      {"previous", 4, -1, false, 3},
      {"no page before the first", 0, -1, false, -1},
      {"no page after the last", 9, 1, false, -1},
      {"the next problem page", 4, 1, true, 7},
      {"the previous problem page", 8, -1, true, 7},
      {"problem pages beyond the table are passed over", 9, 1, true, -1},
      {"no problem page before", 2, -1, true, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SteppedPage(c.current, 10, c.step, c.throughProblems, problems, 5), c.shown);
  }
}

}  // namespace
