// Points, boxes and distances of the engine. Points are (y, x) pairs, boxes
// (x0, y0, x1, y1), both in pixels.
#pragma once

#include <cstdint>

struct EnginePoint {
  int32_t y;
  int32_t x;
};

struct EngineBox {
  int32_t x0;
  int32_t y0;
  int32_t x1;
  int32_t y1;
};

// Position of p's projection along a -> b in Q10 (0 at a, 1024 at b);
// 0x7FFFFFFF when a and b coincide.
int32_t ProjectPointOnSegment(EnginePoint p, EnginePoint a, EnginePoint b);
int32_t PointDistance(EnginePoint p, EnginePoint q);
// Signed distance of p from the line through a and b: the cross product
// (b - a) x (p - a) over |b - a|, positive below a line that runs to the
// right; the distance from a when a and b coincide.
int32_t PointToLineDistance(EnginePoint p, EnginePoint a, EnginePoint b);
EngineBox UnionBox(const EngineBox& a, const EngineBox& b);
