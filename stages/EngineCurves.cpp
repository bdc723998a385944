#include "stages/EngineCurves.h"

#include <algorithm>
#include <cmath>

#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"

namespace {

int32_t RoundHalfAway(double v) { return static_cast<int32_t>(v < 0 ? v - 0.5 : v + 0.5); }

// Height of the arc at x: on the centre's far side from the chord's middle.
int32_t ArcHeightAt(const EngineCurve& curve, EngineArcPoint centre, int32_t x) {
  const double r = static_cast<double>(curve.radius);
  const double dx = static_cast<double>(x) - centre.x;
  const double sq = std::sqrt(std::max(0.0, r * r - dx * dx));
  const int32_t midY = (curve.y0 + curve.y1) / 2;
  return RoundHalfAway(midY < centre.y ? centre.y - sq : centre.y + sq);
}

}  // namespace

EngineCurve EngineCurveFromSlur(const MscriptSlur& slur) {
  // The page ends are kept as the engine gave them: y before x.
  EngineCurve c{};
  c.y0 = slur.pageEnds.x0;
  c.x0 = slur.pageEnds.y0;
  c.y1 = slur.pageEnds.x1;
  c.x1 = slur.pageEnds.y1;
  c.radius = slur.pageCurvature;
  return c;
}

EngineArcPoint EngineArcCentre(const EngineCurve& curve) {
  const double x0 = curve.x0, y0 = curve.y0, x1 = curve.x1, y1 = curve.y1;
  const double r = curve.radius;
  const double d = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
  const double mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
  if (d == 0.0) return EngineArcPoint{RoundHalfAway(mx), RoundHalfAway(my)};
  const double h = std::sqrt(std::max(0.0, r * r - d * d / 4));
  const double s = r < 0 ? -1.0 : 1.0;
  return EngineArcPoint{RoundHalfAway(mx + s * h * (y1 - y0) / d), RoundHalfAway(my + s * h * (x0 - x1) / d)};
}

EngineArcPoint EngineArcCentre(const MscriptSlur& slur) { return EngineArcCentre(EngineCurveFromSlur(slur)); }

bool EngineCurveCrossesBox(const EngineCurve& curve, int32_t xFrom, int32_t yFrom, int32_t xTo, int32_t yTo) {
  if (!(curve.x0 < xTo && curve.x1 >= xFrom)) return false;
  const EngineArcPoint centre = EngineArcCentre(curve);
  const int32_t a = ArcHeightAt(curve, centre, std::max(xFrom, curve.x0));
  const int32_t b = ArcHeightAt(curve, centre, std::min(xTo, curve.x1));
  return std::min(a, b) < yTo && std::max(a, b) >= yFrom;
}

int EngineSlurCrosses(int32_t group, int32_t xFrom, int32_t yFrom, int32_t xTo, int32_t yTo) {
  const int32_t count = GetSystemSlurCount(0, group);
  for (int32_t i = 0; i < count; ++i)
    if (EngineCurveCrossesBox(EngineCurveFromSlur(GetSystemSlur(0, group, i)), xFrom, yFrom, xTo, yTo)) return 1;
  return 0;
}
