// The drawing layer: transforms, pen widths, the 9x limits, the curve buffer,
// the visible rectangle and the deferred part braces, drawn into a recording.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "render/DrawingState.h"
#include "render/RecordingDevice.h"
#include "score/ScoreFile.h"

namespace {

class DrawingStateTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    DrawingState().dc = &device;
  }
  void TearDown() override { ResetDrawingState(); }
  RecordingDevice device;
};

TEST_F(DrawingStateTest, WorldPointsMapThroughScaleOffsetsAndPaintRectangle) {
  DrawingStateRecord& s = DrawingState();
  struct Case {
    double scale, offsetX, offsetY;
    int paintLeft, paintTop;
    bool printing;
    double x, y;
    int X, Y;
  } cases[] = {
      {1.0, 0, 0, 0, 0, false, 10, -20, 20, -40},
      {1.33, 0, 0, 0, 0, false, 10, -20, 26, -54},     // floor(2 * 13.3), floor(2 * -26.6)
      {1.33, 5, 7, 100, 50, false, 10, -20, -161, 65}, // floor(2 * -80.05), floor(2 * 32.71)
      {1.0, 0, 0, 0, 0, true, 10, -20, 160, -320},     // device scale 16 while printing
  };
  for (const Case& c : cases) {
    s.scale = c.scale;
    s.offsetX = c.offsetX;
    s.offsetY = c.offsetY;
    s.paintLeft = c.paintLeft;
    s.paintTop = c.paintTop;
    s.printing = c.printing;
    EXPECT_EQ(WorldToLogicalX(c.x), c.X) << c.scale << " " << c.offsetX;
    EXPECT_EQ(WorldToLogicalY(c.y), c.Y) << c.scale << " " << c.offsetY;
  }
}

TEST_F(DrawingStateTest, CoordinatesBeyondThirtyTwoBitsAreHeldAtTheirEdge) {
  EXPECT_EQ(WorldToLogicalX(1e300), INT32_MAX);
  EXPECT_EQ(WorldToLogicalY(-1e300), INT32_MIN);
  EXPECT_EQ(WorldToLogicalLength(std::nan("")), INT32_MIN);
}

TEST_F(DrawingStateTest, PenWidthsAreAtLeastOnePixelOnScreenOnly) {
  DrawingStateRecord& s = DrawingState();
  s.scale = 1.33;
  struct Case {
    bool printing;
    double in, out;
  } cases[] = {{false, 0.5, 1.01 / 1.33}, {false, -0.2, -1.01 / 1.33}, {false, 0.0, 1.01 / 1.33},
               {false, 2.0, 2.0},         {true, 0.5, 0.5},            {true, -0.2, -0.2}};
  for (const Case& c : cases) {
    s.printing = c.printing;
    double w = c.in;
    EnsureMinimumPenWidth(w);
    EXPECT_DOUBLE_EQ(w, c.out) << c.in << (c.printing ? " printing" : "");
  }
}

TEST_F(DrawingStateTest, DeviceScaleKeepsAPrintedPageInsideTheWin9xLimits) {
  DrawingStateRecord& s = DrawingState();
  const ScorePageSizes saved = ScorePageSize;
  ScorePageSize.width = 1400;
  ScorePageSize.height = 2000;
  EXPECT_DOUBLE_EQ(DeviceScale(), 2.0);
  s.printing = 1;
  EXPECT_DOUBLE_EQ(DeviceScale(), 16.0);
  s.win9xLimits = true;
  EXPECT_DOUBLE_EQ(DeviceScale(), 16383.0 / 2000.0);
  // A page size of 0 falls back to the full scale instead of dividing by it.
  ScorePageSize.width = 0;
  ScorePageSize.height = 0;
  EXPECT_DOUBLE_EQ(DeviceScale(), 16.0);
  ScorePageSize = saved;
}

TEST_F(DrawingStateTest, Win9xRectangleClippingTable) {
  struct Case {
    int x, y, w, h;
    bool drawn;
    int cx, cy, cw, ch;
  } cases[] = {
      {-20000, 0, 3000, 10, false, 0, 0, 0, 0},
      {-20000, 0, 8000, 10, true, -16383, 0, 4383, 10},
      {0, -20000, 10, 8000, true, 0, -16383, 10, 4383},
      {20000, 0, -8000, 10, true, 16383, 0, -4383, 10},
      {20000, 0, 3000, 10, false, 0, 0, 0, 0},
      {16000, 0, 1000, 10, true, 16000, 0, 383, 10},
      {0, 16000, 10, 1000, true, 0, 16000, 10, 383},
      {-16000, 0, -1000, 10, true, -16000, 0, -383, 10},
      {100, 100, 50, 50, true, 100, 100, 50, 50},
  };
  DrawingState().win9xLimits = true;
  for (const Case& c : cases) {
    int x = c.x, y = c.y, w = c.w, h = c.h;
    const bool drawn = ClipDeviceRect(x, y, w, h);
    EXPECT_EQ(drawn, c.drawn) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    if (drawn && c.drawn) {
      EXPECT_EQ(x, c.cx);
      EXPECT_EQ(y, c.cy);
      EXPECT_EQ(w, c.cw);
      EXPECT_EQ(h, c.ch);
    }
  }
  // Without the limits (NT) the same calls draw unchanged.
  DrawingState().win9xLimits = false;
  int x = -20000, y = 0, w = 3000, h = 10;
  EXPECT_TRUE(ClipDeviceRect(x, y, w, h));
  EXPECT_EQ(x, -20000);
  EXPECT_EQ(w, 3000);
}

TEST_F(DrawingStateTest, Win9xLimitsDropPointsAndRectanglesOutsideThem) {
  DrawingState().win9xLimits = true;
  FillRectSolid(-20000, 0, 3000, 10);
  MoveToPoint(20000, 0);
  LineToWidth(0, -17000, 1);
  DrawCircle(0, 16384, 5, 1);
  EXPECT_TRUE(device.Lines().empty()) << device.Text();
  FillRectSolid(-20000, 0, 8000, 10);
  ASSERT_EQ(device.Lines().size(), 1u);
  EXPECT_EQ(device.Lines()[0], "rect -16383 0 -12000 -10 solid 0 #000000 fill #000000");
}

TEST_F(DrawingStateTest, RelativeLinesStepFromTheLayersCurrentPoint) {
  MoveToPoint(10, 20);
  LineToWidth(100, 100, 1);   // leaves the current point
  LineToRelative(5, 5, 2);    // from (10, 20) up 5: (15, -25)
  DottedLineBy(1, -1, 1);
  EXPECT_EQ(device.Text(),
            "move 10 -20\n"
            "line 100 -100 solid 1 #000000\n"
            "line 15 -25 solid 2 #000000\n"
            "line 16 -24 dot 1 #000000\n");
}

TEST_F(DrawingStateTest, CurveBufferStopsGrowingAt199) {
  ResetCurvePoints();
  int count = 0;
  for (int i = 0; i < 250; ++i) count = AddCurvePoint(i, -i);
  EXPECT_EQ(count, 199);
  EXPECT_EQ(DrawingState().curve.count, 199);
  double x = 0, y = 0;
  LastCurvePoint(x, y);
  EXPECT_EQ(x, 249);
  EXPECT_EQ(y, -249);
  EXPECT_EQ(DrawingState().curve.x[198], 198);
}

TEST_F(DrawingStateTest, VisibleRectangleIsOpenOnEveryEdge) {
  DrawingStateRecord& s = DrawingState();
  s.scale = 1.0;
  SetVisibleWorldRect({100, 50, 300, 250});
  EXPECT_DOUBLE_EQ(s.visibleLeft, 75.0);
  EXPECT_DOUBLE_EQ(s.visibleRight, 320.0);
  EXPECT_DOUBLE_EQ(s.visibleTop, -33.0);
  EXPECT_DOUBLE_EQ(s.visibleBottom, -292.0);
  EXPECT_FALSE(IsPointVisible(75, -100));
  EXPECT_FALSE(IsPointVisible(320, -100));
  EXPECT_FALSE(IsPointVisible(100, -33));
  EXPECT_FALSE(IsPointVisible(100, -292));
  EXPECT_TRUE(IsPointVisible(76, -291));
}

TEST_F(DrawingStateTest, LayoutOnlyPassDrawsNothing) {
  DrawingState().LayoutOnlyFlag = 1;
  MoveToWorld(1, 1);
  LineToWorld(2, 2, 1);
  FillWorldRect(0, 0, 5, 5);
  FillWorldCurve(0, 0, 10, 10, 20, 0, 1);
  DrawPointMark(3, 3);
  EXPECT_TRUE(device.Lines().empty());
}

TEST_F(DrawingStateTest, FilledBandOfACurve) {
  DrawFilledBezier(0, 0, 50, 30, 100, 0, 4);
  // lift = trunc(30 * -1/3) = -9 (almost), so c = 39; control x 25 and 75.
  EXPECT_EQ(device.Text(), "curve 0 0 25 -39 75 -39 100 0 75 -43 25 -43 0 0 #000000\n");
}

TEST_F(DrawingStateTest, ExtentsOfTheScaledMapping) {
  Extent window{}, viewport{};
  ScaledExtents(window, viewport, {10, 20, 110, 70});
  EXPECT_EQ(window.cx, 200);
  EXPECT_EQ(window.cy, 100);
  EXPECT_EQ(viewport.cx, 100);
  EXPECT_EQ(viewport.cy, 50);
}

bool JoinedBelowFirst(int32_t staff) { return staff >= 1; }

TEST_F(DrawingStateTest, DeferredBracesQueueOnlyJoinedStaves) {
  SetStavesJoinedRule(JoinedBelowFirst);
  std::deque<PartBraceRecord> queue;
  QueueDeferredBarLine(0, 40.0, -100.7, -140.0, 7, 3, 4, queue);
  EXPECT_TRUE(queue.empty());
  EXPECT_EQ(DrawingState().pendingBarTop, -100);
  QueueDeferredBarLine(1, 40.0, -180.0, -220.0, 7, 3, 4, queue);
  ASSERT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue[0].staff, 1);
  EXPECT_EQ(queue[0].top, -100);
  EXPECT_DOUBLE_EQ(queue[0].bottom, -220.0);
  EXPECT_EQ(queue[0].drawLabel, 1u);
  EXPECT_EQ(queue[0].labelKindA, 3u);
  SetStavesJoinedRule(nullptr);
}

}  // namespace
