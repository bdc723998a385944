// The beam table: one record per found beam model, read through
// range-checked accessors.
#pragma once

#include <cstdint>

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

int32_t AddFoundBeam(const FoundBeam& beam);  // returns its index
int32_t GetBeamCount();
FoundBeam GetFoundBeam(int32_t i);  // checked 0..count-1
int32_t GetBeamCost(int32_t i);
// The module's free function.
void FreeBeams();
