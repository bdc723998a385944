// The beam finder and its table: thick straight bars joining stems, found from
// the page's vertical black runs of beam thickness, chained column by column
// and across gaps, fitted with a straight centre line and scored. One record
// per found beam model, read through range-checked accessors.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct FoundBeam {
  int32_t leftX;      // first column of the beam
  int32_t rightX;     // first column after it
  int32_t leftY;      // row of the centre line at the left column
  int32_t rightY;     // and at the right column
  int32_t thickness;  // pixels x1024
  int32_t cost;
  int32_t shortModel;  // 1: stored under the short-beam rule
};
static_assert(sizeof(FoundBeam) == 28, "7 words");

// Costs below which a chain is kept as a short or a long beam model.
constexpr int32_t kShortBeamCostLimit = 1200;
constexpr int32_t kLongBeamCostLimit = 1400;

// The driver: needs the page image with its vertical segments, the staff
// table with its segment marks, the page scale and the object points. Every
// stored beam gets its two anchor points. A page without a staff space (no
// staves) has no beams.
void DetectBeams();
// The shortest vertical run taken as part of a beam, in pixels.
int32_t BeamMinimumRun();

int32_t AddFoundBeam(const FoundBeam& beam);  // returns its index
int32_t GetBeamCount();
// Accessors: 0 <= i < count, else a failed check.
FoundBeam GetFoundBeam(int32_t i);
EnginePoint GetBeamLeftEnd(int32_t i);   // (row, column)
EnginePoint GetBeamRightEnd(int32_t i);
int32_t GetBeamThickness(int32_t i);     // x1024
int32_t GetBeamCost(int32_t i);
int32_t GetBeamFlag(int32_t i);          // the short-model flag
// Clears a parallelogram round the centre line, four pixels beyond half the
// thickness on each side and two columns beyond each end.
void EraseBeam(int32_t i);
// Removes the beam's two anchor points.
void ReleaseBeam(int32_t i);
// The module's free function.
void FreeBeams();
