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
