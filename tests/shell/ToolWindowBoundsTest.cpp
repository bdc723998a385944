#include <gtest/gtest.h>

#include "shell/ToolWindowBounds.h"

namespace {

struct Case {
  const char* name;
  ScreenBox window;
  int x;
  int y;
};

TEST(ToolWindowBounds, KeepsTheWindowInsideTheArea) {
  const ScreenBox area{0, 0, 1000, 700};
  const Case cases[] = {
      {"inside stays", {100, 100, 300, 400}, 100, 100},
      {"past the right edge", {900, 100, 1100, 400}, 800, 100},
      {"past the bottom edge", {100, 600, 300, 900}, 100, 400},
      {"left of the area", {-50, 100, 150, 400}, 0, 100},
      {"above the area", {100, -30, 300, 270}, 100, 0},
      {"off a corner", {1200, 900, 1400, 1200}, 800, 400},
      {"touching the edges", {800, 400, 1000, 700}, 800, 400},
      {"wider and taller than the area", {300, 200, 1500, 1100}, 0, 0},
  };
  for (const Case& c : cases) {
    ScreenSpot spot = KeepInsideArea(c.window, area);
    EXPECT_EQ(spot.x, c.x) << c.name;
    EXPECT_EQ(spot.y, c.y) << c.name;
  }
}

TEST(ToolWindowBounds, AnAreaOffTheOriginIsHonoured) {
  const ScreenBox secondMonitor{1920, 40, 3200, 1064};
  ScreenSpot spot = KeepInsideArea({100, 0, 300, 200}, secondMonitor);
  EXPECT_EQ(spot.x, 1920);
  EXPECT_EQ(spot.y, 40);
  spot = KeepInsideArea({3100, 1000, 3300, 1100}, secondMonitor);
  EXPECT_EQ(spot.x, 3000);
  EXPECT_EQ(spot.y, 964);
}

}  // namespace

namespace {

TEST(ToolWindowBounds, DraggedNearTheClientsEdgesItSnapsTwoPixelsInside) {
  const ScreenBox client{100, 50, 1100, 850};
  struct Case {
    const char* name;
    ScreenBox window;
    int x, y;
  };
  const Case cases[] = {
      {"in the middle stays", {500, 400, 700, 500}, 500, 400},
      {"10 pixels from the right edge", {890, 400, 1090, 500}, 898, 400},
      {"past the left edge", {90, 400, 290, 500}, 102, 400},
      {"near the top", {500, 60, 700, 160}, 500, 52},
      {"near the bottom", {500, 740, 700, 840}, 500, 748},
      {"16 pixels off stays", {500, 66, 700, 166}, 500, 66},
  };
  for (const Case& c : cases) {
    const ScreenSpot s = SnapToClientEdges(c.window, client);
    EXPECT_EQ(s.x, c.x) << c.name;
    EXPECT_EQ(s.y, c.y) << c.name;
  }
}

TEST(ToolWindowBounds, TheAnchorIsTheCornerOfTheWindowsCentre) {
  const ScreenBox client{100, 50, 1100, 850};  // centre (600, 450)
  ToolAnchor a = AnchorToClient({898, 400, 1098, 500}, client);
  EXPECT_EQ(a.corner, ToolCorner::kBottomRight) << "the centre (998, 450) is on the middle: bottom";
  EXPECT_EQ(a.dx, -2);
  EXPECT_EQ(a.dy, -350);
  a = AnchorToClient({102, 52, 302, 152}, client);
  EXPECT_EQ(a.corner, ToolCorner::kTopLeft);
  EXPECT_EQ(a.dx, 2);
  EXPECT_EQ(a.dy, 2);
  EXPECT_EQ(AnchorToClient({102, 700, 302, 800}, client).corner, ToolCorner::kBottomLeft);
  EXPECT_EQ(AnchorToClient({800, 60, 1000, 160}, client).corner, ToolCorner::kTopRight);
}

}  // namespace
