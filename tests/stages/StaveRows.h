// Stave rows as the stage tests that need no page under them describe them.
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

// A five-line stave from column 50 to 1150 whose bottom lies 100 below its
// top, so that the straight look-up (with no traced lines) spaces its lines
// 20 apart; lines 2 pixels thick; number within its group from 1. Its middle
// and right end are left at 0.
inline StaveRow LookUpStave(int16_t top, int16_t number) {
  StaveRow row;
  row.left = 50;
  row.right = 1150;
  row.top = top;
  row.bottom = static_cast<int16_t>(top + 100);
  row.lineCount = 5;
  row.lineThickness = 2;
  row.number = number;
  return row;
}
