// Pixel erasing: a found object is described as a shape of triangles and
// horizontal spans, which is scan-converted row by row (overlaps count once)
// and handed to one of four modes: clear the page pixels, grow a box, copy
// the pixels into a raster before clearing them, or count covered pixels.
#pragma once

#include <cstdint>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Geometry.h"

constexpr int32_t kMaxShapeTriangles = 64;
constexpr int32_t kMaxShapeSpans = 256;

// Corners as (row, column) pairs; a pixel is covered when its position lies
// in the closed triangle.
struct ShapeTriangle {
  int32_t y0, x0, y1, x1, y2, x2;
};
struct ShapeSpan {
  int32_t row;
  int32_t x0;  // first column
  int32_t x1;  // one past the last column
};
struct EraseShape {
  int32_t triangleCount;
  int32_t spanCount;
  ShapeTriangle triangles[kMaxShapeTriangles];
  ShapeSpan spans[kMaxShapeSpans];
};

void ClearShape(EraseShape* shape);
void AddShapeTriangle(EraseShape* shape, EnginePoint a, EnginePoint b, EnginePoint c);  // full: failed check
void AddShapeSpan(EraseShape* shape, int32_t row, int32_t x0, int32_t x1);
// A straight band from a to b, halfWidth pixels to each side across it (two
// triangles); a square of side 2 halfWidth + 1 when a and b coincide.
void AddShapeBand(EraseShape* shape, EnginePoint a, EnginePoint b, int32_t halfWidth);
// A box (x1, y1 excluded) as spans.
void AddShapeBox(EraseShape* shape, const EngineBox& box);
// A box (x1, y1 excluded) as two triangles, for boxes of any height.
void AddShapeRectangle(EraseShape* shape, const EngineBox& box);

// Mode 0: clears the covered pixels of the page image.
void EraseShapePixels(const EraseShape& shape);
// Mode 1: the box (x1, y1 excluded) of the covered pixels inside the page;
// false when none is.
bool ShapeBox(const EraseShape& shape, EngineBox* box);
// Modes 1 and 2: copies the covered page pixels into a raster of the box and
// clears them from the page. The raster is kept only when it is at least
// minWidth wide and minHeight high; else out is left empty (rows 0, no bits).
// Returns 1 when a raster was kept.
int32_t ShapeToBitmap(const EraseShape& shape, int32_t minWidth, int32_t minHeight, RasterRecord* out);
// Mode 3, page unchanged: covered counts the pixels inside the page that the
// shape covers; inReference those of them that lie in window and are set in
// reference (one byte per pixel of the window, row after row).
void CountShapePixelsInBox(const EraseShape& shape, const EngineBox& window, const uint8_t* reference,
                           int32_t* covered, int32_t* inReference);

// ---- Found objects ----
// The shape of found object index of a kind: a vertical line (kind 1), a
// notehead (2), a slur (5) or a bar line (6), widened by the kind's margins
// across and along: 1 pixel and a staff space for a vertical line (along its
// length), 40 and 25 per cent of a staff space for noteheads and slurs
// (horizontally and vertically), 1 pixel and two staff spaces for a bar line
// (across and beyond the staff's outer lines). Any other kind, and an index
// outside the kind's table, is a failed check.
void BuildObjectShape(int32_t kind, int32_t index, EraseShape* shape);
// Clears the object's shape from the page image; of a slur's shape only the
// ink that hangs together with its stroke (a dot beside the slur stays).
void EraseObjectPixels(int32_t kind, int32_t index);
// ShapeToBitmap over the object's shape, of a slur's shape only the ink that
// hangs together with its stroke (the rest stays on the page).
int32_t ObjectToBitmap(int32_t kind, int32_t index, int32_t minWidth, int32_t minHeight, RasterRecord* out);
// Counts over the object's shape without changing the page: covered, the
// pixels inside the page that it covers; inReference, those of them that lie
// in window and are set in reference (one byte per pixel of the window).
void CountObjectPixelsInBox(int32_t kind, int32_t index, const EngineBox& window, const uint8_t* reference,
                            int32_t* covered, int32_t* inReference);
