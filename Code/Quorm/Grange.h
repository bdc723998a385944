// The spatial grid: item indexes filed under power-of-two cells by their key
// point, so that a finder can collect the items near a box.
#pragma once

#include <cstdint>

struct GrangePoint {
  int32_t x;  // along the width
  int32_t y;  // along the height
};
// The key of an item (an index into the caller's table).
using GrangeKey = GrangePoint (*)(int32_t item);

struct GrangeGrid;  // one named block ("grange") of 8-byte slots

// The slot must be empty; width, height, cell width and cell height >= 1.
// itemSlots: the item slots to make room for at once (a caller that knows how
// many items it will file spares the grid its growth); fewer than the usual
// first room are that room.
void GrangeCreate(GrangeGrid** slot, GrangeKey key, int32_t cellWidth, int32_t cellHeight, int32_t width,
                  int32_t height, int32_t itemSlots = 0);
// Files the item under its key's cell (the key must lie inside the grid);
// returns the cell's slot index.
int32_t GrangeAdd(GrangeGrid** slot, int32_t item);
void GrangeAddRange(GrangeGrid** slot, int32_t n);  // items 0 .. n-1
// Unlinks the item from its cell (nothing when it is not there).
void GrangeRemove(GrangeGrid** slot, int32_t item);
// The items whose keys lie in the half-open box [x0, x1) x [y0, y1), clipped
// to the grid; returns their number, or max + 1 when there are more.
int32_t GrangeQuery(GrangeGrid** slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t* result,
                    int32_t max);
void GrangeFree(GrangeGrid** slot);

// The grid's shape, for tests and debugging.
struct GrangeShape {
  int32_t xShift, yShift, columns, rows, capacity;
};
GrangeShape GrangeShapeOf(const GrangeGrid* grid);
