// The slur finder: slurs and ties as thin curved strokes, chained from short
// vertical runs in neighbouring columns, followed along a fitted curve
// through gaps and scored for arch, thickness and shape. One record per
// found slur with its columns, read through range-checked accessors.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct SlurColumn {
  int32_t top;           // top row of the stroke in the column
  int32_t bottom;        // bottom row (the last black one)
  int32_t interpolated;  // 1: bridged, not measured
};

struct FoundSlur {
  int32_t columnCount;   // n
  SlurColumn* columns;   // owned: column = startX + index
  int32_t radius;        // pixels
  int32_t startY, startX;
  int32_t endY, endX;    // endX is the last column
  int32_t topY;          // smallest top row
  int32_t bottomY;       // largest bottom row
  int32_t upward;
  int32_t removed;
  int32_t cost;          // below 1024 for a stored slur
};

// Finds the page's slurs (needs the staff table, the page scale and the
// object points); every slur gets anchor points at its start and end.
void DetectSlurs();

// Appends a slur with a copy of its columns (the record's columnCount of
// them, at least one; the record's own columns pointer is ignored) and
// returns its index.
int32_t AddFoundSlur(const FoundSlur& slur, const SlurColumn* columns);
int32_t GetSlurCount();
// The record, its columns still owned by the table. Checked 0..count-1.
const FoundSlur& GetFoundSlur(int32_t i);
EnginePoint GetSlurStart(int32_t i);
EnginePoint GetSlurEnd(int32_t i);
int32_t GetSlurCost(int32_t i);
int32_t GetSlurRadius(int32_t i);
int32_t IsSlurUpward(int32_t i);
// Middle row of the stroke at a column of the slur (a column outside it is
// a failed check).
int32_t SlurYAtX(int32_t i, int32_t x);
// Writes (column, top, bottom) for every measured column of the slur and
// every bridged one that crosses a line of the nearest staff; path holds
// room for three words per column of the slur. Returns how many columns.
int32_t GetSlurColumns(int32_t i, int32_t* path);
// Takes the slur's two anchor points away.
void ReleaseSlur(int32_t i);
// The module's free function: the work tables, every slur's columns and
// the table.
void FreeSlurs();
