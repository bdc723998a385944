// Keeping a floating tool window inside a screen area (the work area of a
// monitor). Plain geometry, in screen pixels.
#pragma once

struct ScreenBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct ScreenSpot {
  int x = 0;
  int y = 0;
};

// The top-left at which the window lies inside the area, moved as little as
// possible. A window larger than the area keeps its left or top edge on the
// area's, so its caption stays reachable.
ScreenSpot KeepInsideArea(const ScreenBox& window, const ScreenBox& area);
