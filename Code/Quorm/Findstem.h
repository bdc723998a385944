// The vertical-line finder and its table: stems and other thin vertical
// lines (bar lines have their own finder). Thin horizontal black runs are
// stacked into segments, segments are chained across gaps with a statistical
// cost, and every chain long and solid enough becomes one line, extended to a
// head or a beam at its ends. One record per line, read through
// range-checked accessors; each line leaves two anchor points (top, bottom).
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct FoundVerticalLine {
  int32_t topY, topX;
  int32_t bottomY, bottomX;  // the last row of the line
  int32_t width;    // mean run width, pixels x1024
  int32_t cost;     // at most kMaxVerticalLineCost for a found line
  int32_t longestGap;  // per cent of the local staff space
};
static_assert(sizeof(FoundVerticalLine) == 28, "7 words");

constexpr int32_t kMaxVerticalLineCost = 1379;
// A line whose longest white gap is below this (per cent of a staff space)
// is solid.
constexpr int32_t kSolidLineGap = 16;

// The driver: needs the page image, the staff table, the page scale and skew,
// and the object points with the heads and beams already found. A page
// without a usable staff space (no staves, or staves under five pixels) has
// no lines; lines beside such a staff are not kept.
void DetectVerticalLines();

int32_t AddFoundVerticalLine(const FoundVerticalLine& line);  // returns its index
int32_t GetVerticalLineCount();
// Accessors: 0 <= i < count, else a failed check.
FoundVerticalLine GetFoundVerticalLine(int32_t i);
EnginePoint GetVerticalLineTop(int32_t i);     // (row, column)
EnginePoint GetVerticalLineBottom(int32_t i);
int32_t GetVerticalLineWidth(int32_t i);       // x1024
int32_t GetVerticalLineCost(int32_t i);
int32_t IsVerticalLineSolid(int32_t i);
// Cuts a copy of line i at a row strictly between its top and bottom: two
// new lines, the first from i's top to the row, the second from the next
// row to i's bottom (columns on the line), with i's width, cost and gap and
// their anchor points; line i stays. Returns 1 with their indices, or 0 when
// the row is not strictly inside the line: then nothing is made and both
// indices are -1.
int32_t SplitVerticalLine(int32_t i, int32_t row, int32_t* first, int32_t* second);
// Set the bottom (top) row of line i to row when top < row < bottom; else
// nothing changes.
void TrimVerticalLineBottom(int32_t i, int32_t row);
void TrimVerticalLineTop(int32_t i, int32_t row);
// The left and the right edge of line i, each from (top - 1) to (bottom + 1),
// one pixel beyond half its width on each side.
struct VerticalLineOutline {
  EnginePoint leftTop, leftBottom;
  EnginePoint rightTop, rightBottom;
};
VerticalLineOutline GetVerticalLineOutline(int32_t i);
// Removes the line's two anchor points.
void ReleaseVerticalLine(int32_t i);
// The module's free function.
void FreeVerticalLines();
