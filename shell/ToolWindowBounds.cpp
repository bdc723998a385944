#include "shell/ToolWindowBounds.h"

namespace {

// The start of a span of the given length kept within [low, high).
int KeepSpanInside(int start, int length, int low, int high) {
  if (start + length > high) start = high - length;
  if (start < low) start = low;
  return start;
}

}  // namespace

ScreenSpot KeepInsideArea(const ScreenBox& window, const ScreenBox& area) {
  ScreenSpot spot;
  spot.x = KeepSpanInside(window.left, window.right - window.left, area.left, area.right);
  spot.y = KeepSpanInside(window.top, window.bottom - window.top, area.top, area.bottom);
  return spot;
}
