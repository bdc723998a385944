// The vertical-line table: one record per found vertical line (stem
// candidates), read through range-checked accessors.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct FoundVerticalLine {
  int32_t topY, topX;
  int32_t bottomY, bottomX;
  int32_t width;    // mean run width, pixels x1024
  int32_t cost;
  int32_t longestGap;  // per cent of the local staff space
};
static_assert(sizeof(FoundVerticalLine) == 28, "7 words");

int32_t AddFoundVerticalLine(const FoundVerticalLine& line);  // returns its index
int32_t GetVerticalLineCount();
FoundVerticalLine GetFoundVerticalLine(int32_t i);  // checked 0..count-1
int32_t GetVerticalLineCost(int32_t i);
// The module's free function.
void FreeVerticalLines();
