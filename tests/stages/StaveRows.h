// Stave rows as the stage tests that need no page under them describe them.
#pragma once

#include <cstdint>

#include "score/StaveTypes.h"

// A five-line stave between top and bottom, from left to right, the first
// of its group; nothing else of it measured.
inline StaveRow FiveLineStave(int16_t left, int16_t right, int16_t top, int16_t bottom) {
  StaveRow row;
  row.left = left;
  row.right = right;
  row.top = top;
  row.bottom = bottom;
  row.lineCount = 5;
  row.number = 1;
  return row;
}

// A straight five-line stave from column 100 to 1100 (its middle and right
// end at its top), lines 2 pixels thick; number within its group from 1.
inline StaveRow FlatStave(int16_t top, int16_t bottom, int16_t group, int16_t number) {
  StaveRow row = FiveLineStave(100, 1100, top, bottom);
  row.midTop = row.rightTop = top;
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
  StaveRow row = FiveLineStave(50, 1150, top, static_cast<int16_t>(top + 100));
  row.lineThickness = 2;
  row.number = number;
  return row;
}
