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

namespace {

constexpr int kSnapDistance = 16;
constexpr int kSnapInset = 2;

// The start of a span snapped to [low, high) when one of its ends is near.
int SnapSpan(int start, int length, int low, int high) {
  if (start - low < kSnapDistance && start - low > -kSnapDistance) return low + kSnapInset;
  const int end = start + length;
  if (high - end < kSnapDistance && high - end > -kSnapDistance) return high - kSnapInset - length;
  return start;
}

}  // namespace

ScreenSpot SnapToClientEdges(const ScreenBox& window, const ScreenBox& client) {
  ScreenSpot spot;
  spot.x = SnapSpan(window.left, window.right - window.left, client.left, client.right);
  spot.y = SnapSpan(window.top, window.bottom - window.top, client.top, client.bottom);
  return spot;
}

ToolAnchor AnchorToClient(const ScreenBox& window, const ScreenBox& client) {
  const bool right = window.left + window.right >= client.left + client.right;
  const bool bottom = window.top + window.bottom >= client.top + client.bottom;
  ToolAnchor a;
  a.corner = static_cast<ToolCorner>((bottom ? 2 : 0) + (right ? 1 : 0));
  a.dx = right ? window.right - client.right : window.left - client.left;
  a.dy = bottom ? window.bottom - client.bottom : window.top - client.top;
  return a;
}
