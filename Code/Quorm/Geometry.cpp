// Points, boxes and distances.
#include "Code/Quorm/Geometry.h"

#include <cmath>

#include "Code/Quorm/Intmath.h"

int32_t ProjectPointOnSegment(EnginePoint p, EnginePoint a, EnginePoint b) {
  int64_t dy = static_cast<int64_t>(b.y) - a.y;
  int64_t dx = static_cast<int64_t>(b.x) - a.x;
  int64_t lengthSquared = dx * dx + dy * dy;
  if (lengthSquared == 0) return 0x7FFFFFFF;
  int64_t dot = (static_cast<int64_t>(p.y) - a.y) * dy + (static_cast<int64_t>(p.x) - a.x) * dx;
  // dot x 1024 stays inside 64 bits for any page coordinates that fit 31 bits
  // less 10 bits of headroom; larger ones are scaled in double.
  if (dot > (INT64_MAX >> 11) || dot < -(INT64_MAX >> 11))
    return SaturateToInt32(static_cast<int64_t>(std::llround(static_cast<double>(dot) * 1024.0 / lengthSquared)));
  return SaturateToInt32(DivRound64(dot * 1024, lengthSquared));
}

int32_t PointDistance(EnginePoint p, EnginePoint q) {
  int64_t dy = static_cast<int64_t>(p.y) - q.y;
  int64_t dx = static_cast<int64_t>(p.x) - q.x;
  if (dy >= INT32_MIN && dy <= INT32_MAX && dx >= INT32_MIN && dx <= INT32_MAX)
    return Hypot(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
  return SaturateToInt32(static_cast<int64_t>(std::llround(std::hypot(static_cast<double>(dx), static_cast<double>(dy)))));
}

int32_t PointToLineDistance(EnginePoint p, EnginePoint a, EnginePoint b) {
  int64_t dy = static_cast<int64_t>(b.y) - a.y;
  int64_t dx = static_cast<int64_t>(b.x) - a.x;
  if (dx == 0 && dy == 0) return PointDistance(p, a);
  double cross = static_cast<double>(dx) * (static_cast<double>(p.y) - a.y) -
                 static_cast<double>(dy) * (static_cast<double>(p.x) - a.x);
  double length = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
  double distance = cross / length;
  if (distance >= 2147483647.0) return INT32_MAX;
  if (distance <= -2147483648.0) return INT32_MIN;
  return RoundToInt(distance);
}

EngineBox UnionBox(const EngineBox& a, const EngineBox& b) {
  return EngineBox{MinOfInts(a.x0, b.x0), MinOfInts(a.y0, b.y0), MaxOfInts(a.x1, b.x1), MaxOfInts(a.y1, b.y1)};
}
