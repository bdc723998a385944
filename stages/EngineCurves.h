// The engine's curves (slurs and ties) of a stave group as the stages read
// them: the centre of a curve's circle and whether a curve passes through a
// box of the page.
#pragma once

#include <cstdint>

// The engine's record (Code/Quorm/Mscript.h), whose note names would clash
// with the work lists' if it were included here.
struct MscriptSlur;

// A curve of the engine in page pixels: its two ends and the signed radius of
// the circle through them (the sign gives the side of the centre).
struct EngineCurve {
  int32_t x0, y0;  // left end
  int32_t x1, y1;  // right end
  int32_t radius;
};
EngineCurve EngineCurveFromSlur(const MscriptSlur& slur);

struct EngineArcPoint {
  int32_t x, y;
};
// Centre of the circle through the curve's ends, each coordinate rounded.
// Ends that coincide give their own point.
EngineArcPoint EngineArcCentre(const EngineCurve& curve);
EngineArcPoint EngineArcCentre(const MscriptSlur& slur);

// Whether the curve passes through the box xFrom..xTo, yFrom..yTo.
bool EngineCurveCrossesBox(const EngineCurve& curve, int32_t xFrom, int32_t yFrom, int32_t xTo, int32_t yTo);
// 1 when an engine curve of the stave group (the engine's system) passes
// through the box, else 0.
int EngineSlurCrosses(int32_t group, int32_t xFrom, int32_t yFrom, int32_t xTo, int32_t yTo);
