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

// A tool window dragged near the MDI client's edges: an edge within 16
// pixels of the client's matching edge snaps to 2 pixels inside it. The
// window's new top-left.
ScreenSpot SnapToClientEdges(const ScreenBox& window, const ScreenBox& client);

// The client corner a tool window keeps its distance from: by where its
// centre lies against the client's (a centre on the middle counts as right
// or bottom), and the offsets from that corner's edges.
enum class ToolCorner { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3 };
struct ToolAnchor {
  ToolCorner corner = ToolCorner::kTopLeft;
  int dx = 0;  // window's left - client's left, or window's right - client's right
  int dy = 0;  // the same with top and bottom
};
ToolAnchor AnchorToClient(const ScreenBox& window, const ScreenBox& client);
