// The bar-line finder and its table: vertical strokes that fill the spaces
// between a staff's lines, with clean edges and empty columns on both sides.
// One record per found bar line, read through range-checked accessors; each
// bar line also leaves two anchor points (top and bottom) and, where it goes
// on into the next staff of its system, a link to the bar line there.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

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

// Finds the bar lines of every staff of at least two lines, links those that
// go on into the next staff of their system, drops the strokes that are no
// bar lines and adds two anchor points per bar line (the object points must
// be initialised). Whatever the table held before is dropped.
void FindBarLines();

// Appends a bar line (its stroke must be at least one column wide) and
// returns its index.
int32_t AddFoundBarLine(const FoundBarLine& bar);
int32_t GetBarLineCount();
FoundBarLine GetFoundBarLine(int32_t i);  // checked 0..count-1

// Every accessor below checks its index.
// Takes the bar line's two anchor points out of the point index.
void ReleaseBarLine(int32_t i);
// The staff's top or bottom line at the bar line's middle column, and that column.
EnginePoint GetBarLineTop(int32_t i);
EnginePoint GetBarLineBottom(int32_t i);
int32_t GetBarLineWidth(int32_t i);  // pixels x1024
int32_t IsBarLineJoined(int32_t i);  // joined from above or below
int32_t IsBarLineThin(int32_t i);    // narrower than a third of a staff space
int32_t GetBarLineCost(int32_t i);

// The triangles that cover bar line i for erasing: its box widened by a small
// margin, and for a bar line joined below also the gap down to the joined
// one. *points must be empty; it receives an engine block of three points per
// triangle, which the caller frees with EngineFree. Returns the triangle
// count (2 or 4).
int32_t BarLineEraseShape(int32_t i, EnginePoint** points);

// The module's free function.
void FreeBarLines();
