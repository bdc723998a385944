// The bar-line table: one record per found bar line, read through
// range-checked accessors.
#pragma once

#include <cstdint>

struct FoundBarLine {
  int32_t staff;
  int32_t leftX;        // first column of the stroke
  int32_t rightX;       // column past it
  int32_t joinedAbove;  // 1: a bar line of the staff above continues into it
  int32_t joinedBelow;  // 1: it continues into the staff below
  int32_t belowIndex;   // the bar line joined below, -1 when none
  int32_t cost;         // 0..2047 when accepted
  int32_t deleted;
};
static_assert(sizeof(FoundBarLine) == 32, "8 words");

// Appends a bar line (its stroke must be at least one column wide) and
// returns its index.
int32_t AddFoundBarLine(const FoundBarLine& bar);
int32_t GetBarLineCount();
FoundBarLine GetFoundBarLine(int32_t i);  // checked 0..count-1
// The module's free function.
void FreeBarLines();
