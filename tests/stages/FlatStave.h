// A stave row as the stage tests that need no page under it describe one.
#pragma once

#include <cstdint>

#include "reading/StaveTypes.h"

// A straight five-line stave from column 100 to 1100 (its middle and right
// end at its top), lines 2 pixels thick; number within its group from 1.
inline StaveRow FlatStave(int16_t top, int16_t bottom, int16_t group, int16_t number) {
  StaveRow row;
  row.left = 100;
  row.right = 1100;
  row.top = top;
  row.bottom = bottom;
  row.midTop = row.rightTop = top;
  row.lineCount = 5;
  row.lineThickness = 2;
  row.group = group;
  row.number = number;
  return row;
}
