// The score window's arithmetic: zoom limits, the fit zoom, the
// scan strip's height, the scroll ranges, scroll steps and their page turns,
// and the stave menu's ids.
#include <gtest/gtest.h>

#include <vector>

#include "shell/ScoreViewGeometry.h"

namespace {

TEST(ScoreViewGeometry, ZoomLimitsAllowBothEnds) {
  EXPECT_TRUE(ZoomWithinLimits(0.1));
  EXPECT_TRUE(ZoomWithinLimits(8.0));
  EXPECT_FALSE(ZoomWithinLimits(0.0999));
  EXPECT_FALSE(ZoomWithinLimits(8.0001));
  EXPECT_DOUBLE_EQ(ClampZoom(0.01), 0.1);
  EXPECT_DOUBLE_EQ(ClampZoom(12.0), 8.0);
  EXPECT_DOUBLE_EQ(ClampZoom(1.5), 1.5);
}

TEST(ScoreViewGeometry, FitTakesTheTighterSideAndTheStrip) {
  FitZoomInputs in;
  in.pageWidth = 999;  // 1000 with the one added
  in.pageHeight = 1399;
  in.viewClientWidth = 1104;
  in.childClientHeight = 726;
  // Across: 1000 / 1000 = 1; down: 700 / 1400 = 0.5.
  EXPECT_NEAR(FitZoomFactor(in), 0.499, 1e-9);
  in.stripUnits = 100;  // height 1500
  EXPECT_NEAR(FitZoomFactor(in), 700.0 / 1500.0 - 0.001, 1e-9);
  in.stripUnits = kStripHidden;
  in.pageWidth = in.pageHeight = 0;  // a page of no size fits at the largest zoom
  EXPECT_DOUBLE_EQ(FitZoomFactor(in), 8.0);
}

StaveRecord Stave(int group, int top) {
  StaveRecord s;
  s.group = int16_t(group);
  s.top = int16_t(top);
  s.bottom = int16_t(top + 24);
  return s;
}

TEST(ScoreViewGeometry, StripHeightFromNeighbouringStaves) {
  struct Case {
    const char* name;
    std::vector<StaveRecord> staves;
    int32_t units;
  };
  const Case cases[] = {
      {"no stave", {}, 120},
      {"one stave", {Stave(0, 100)}, 120},
      {"100 apart in one group: 168 cut to 120", {Stave(0, 100), Stave(0, 200)}, 120},
      {"40 apart: 48 raised to 60", {Stave(0, 100), Stave(0, 140)}, 60},
      {"70 apart: 108", {Stave(0, 100), Stave(0, 170)}, 108},
      {"the largest of the group's neighbours", {Stave(0, 100), Stave(0, 150), Stave(0, 220)}, 108},
      {"other groups' neighbours only when none shares one",
       {Stave(0, 100), Stave(1, 145), Stave(2, 185)},
       60},
      {"a group's pair wins over a wider gap between groups",
       {Stave(0, 100), Stave(0, 150), Stave(1, 400)},
       68},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScanStripUnits(c.staves.data(), int(c.staves.size())), c.units) << c.name;
}

TEST(ScoreViewGeometry, StripPixelsAreZoomedAndAtMostHalfTheChild) {
  EXPECT_EQ(ScanStripPixels(kStripHidden, 1.33, 800), 0);
  EXPECT_EQ(ScanStripPixels(100, 1.33, 800), 133);
  EXPECT_EQ(ScanStripPixels(120, 4.0, 426), 200);  // (426 - 26) / 2
  EXPECT_EQ(ScanStripPixels(60, 1.0, 10), 0);
}

TEST(ScoreViewGeometry, TheStripFollowsTheLinkedRowOrTheViewsTop) {
  const int32_t middles[3] = {72, 206, 340};  // page units
  struct Case {
    double scale;
    int32_t scrollY;
    int32_t linked;
    int32_t row;
  } const cases[] = {
      {1.0, 0, -1, 0},     // the page's top: the first stave
      {1.0, 100, -1, 1},   // scrolled past the first stave's middle
      {2.0, 412, -1, 1},   // 206 x 2 = 412: still in view
      {2.0, 413, -1, 2},
      {1.0, 900, -1, 2},   // below every stave: the last
      {1.0, 0, 2, 2},      // a linked item's row wins
      {1.0, 0, 3, 0},      // a row beyond the table is no link
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StripFollowedRow(middles, 3, c.scale, c.scrollY, c.linked), c.row)
        << "scale " << c.scale << " scroll " << c.scrollY << " linked " << c.linked;
  }
  EXPECT_EQ(StripFollowedRow(middles, 0, 1.0, 0, -1), -1);
}

TEST(ScoreViewGeometry, DetailFollowsItsRowDownTheView) {
  // 100 + 200 x 1.5 - 50 + 140 + 40 - 6 = 524.
  EXPECT_EQ(DetailTopForRow(200, 1.5, 80, 100, 50, 0, 1000), 524);
  // Kept inside the client's bounds.
  EXPECT_EQ(DetailTopForRow(200, 1.5, 80, 100, 50, 0, 400), 400);
  EXPECT_EQ(DetailTopForRow(0, 1.0, 0, -500, 0, 10, 400), 10);
  // A client too small for the window: its top edge.
  EXPECT_EQ(DetailTopForRow(200, 1.0, 0, 0, 0, 10, 5), 10);
}

TEST(ScoreViewGeometry, ScrollRangesMakeRoomForTheOtherBar) {
  struct Case {
    const char* name;
    int32_t contentW, contentH, clientW, clientH;
    int32_t horizontal, vertical, maxX, maxY;
  };
  const Case cases[] = {
      {"exactly the client's size: no bar", 500, 400, 500, 400, 500, 400, 0, 0},
      {"one pixel taller: both bars", 500, 401, 500, 400, 516, 417, 16, 17},
      {"taller, with room beside", 400, 800, 500, 400, 416, 800, 0, 400},
      {"wider only", 800, 300, 500, 400, 800, 316, 300, 0},
      {"wider, the bar makes it taller", 800, 390, 500, 400, 816, 406, 316, 6},
      {"smaller both ways", 100, 100, 500, 400, 100, 100, 0, 0},
  };
  for (const Case& c : cases) {
    const ViewScrollRanges r = ComputeViewScrollRanges(c.contentW, c.contentH, c.clientW, c.clientH);
    EXPECT_EQ(r.horizontal, c.horizontal) << c.name;
    EXPECT_EQ(r.vertical, c.vertical) << c.name;
    EXPECT_EQ(r.maxX, c.maxX) << c.name;
    EXPECT_EQ(r.maxY, c.maxY) << c.name;
  }
}

TEST(ScoreViewGeometry, ScrollRequestsStayWithinTheRange) {
  struct Case {
    int request;
    int32_t position, range, page, thumb, target;
  };
  const Case cases[] = {
      {kScrollLineDown, 0, 100, 50, 0, 16},  {kScrollLineUp, 10, 100, 50, 0, 0},
      {kScrollPageDown, 60, 100, 50, 0, 100}, {kScrollPageUp, 60, 100, 50, 0, 10},
      {kScrollPageDown, 0, 100, 0, 0, 1},     {kScrollThumbTrack, 0, 100, 50, 70, 70},
      {kScrollThumbPosition, 0, 100, 50, 170, 100}, {kScrollTop, 40, 100, 50, 0, 0},
      {kScrollBottom, 40, 100, 50, 0, 100},   {kScrollKeepPosition, 40, 100, 50, 0, 40},
      {kScrollEnd, 40, 100, 50, 0, -1},       {kScrollKeepPosition + 1, 40, 100, 50, 0, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScrollTargetFor(c.request, c.position, c.range, c.page, c.thumb), c.target) << c.request;
}

TEST(ScoreViewGeometry, PagingPastAnEndTurnsTheScorePage) {
  // At the bottom of page 2 of 3: page 3 from its top.
  ScrollPageTurn t = PageTurnOfScroll(kScrollPageDown, 300, 300, 2, 3);
  EXPECT_EQ(t.page, 3);
  EXPECT_TRUE(t.toTop);
  // At the bottom of the last page: nothing.
  EXPECT_EQ(PageTurnOfScroll(kScrollPageDown, 300, 300, 3, 3).page, 0);
  // At the top of page 2: page 1 from its bottom.
  t = PageTurnOfScroll(kScrollPageUp, 0, 0, 2, 3);
  EXPECT_EQ(t.page, 1);
  EXPECT_FALSE(t.toTop);
  EXPECT_EQ(PageTurnOfScroll(kScrollPageUp, 0, 0, 1, 3).page, 0);
  // A page-down that moved the view turns nothing; nor does a line step.
  EXPECT_EQ(PageTurnOfScroll(kScrollPageDown, 100, 300, 1, 3).page, 0);
  EXPECT_EQ(PageTurnOfScroll(kScrollLineDown, 300, 300, 1, 3).page, 0);
}

TEST(ScoreViewGeometry, ToolbarPageStepsStayWithinTheScore) {
  EXPECT_EQ(StepScorePage(1, -1, 3), 1);
  EXPECT_EQ(StepScorePage(1, 1, 3), 2);
  EXPECT_EQ(StepScorePage(3, 1, 3), 3);
  EXPECT_EQ(StepScorePage(1, 1, 0), 0);
}

TEST(ScoreViewGeometry, OnlyTheStaveMenusIdsAreStaves) {
  struct Case {
    int id, parts;
    ChildCommand kind;
  };
  const Case cases[] = {{1, 3, ChildCommand::kStave},       {2, 3, ChildCommand::kStave},
                        {3, 3, ChildCommand::kPartDialog},  {0, 3, ChildCommand::kNotOurs},
                        {4, 3, ChildCommand::kNotOurs},     {57607, 3, ChildCommand::kNotOurs},
                        {40035, 3, ChildCommand::kNotOurs}, {1, 0, ChildCommand::kNotOurs}};
  for (const Case& c : cases) EXPECT_EQ(ClassifyChildCommand(c.id, c.parts), c.kind) << c.id;
}

}  // namespace
