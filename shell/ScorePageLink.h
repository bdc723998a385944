// The link from the score view back to the scanned page: which page record
// holds the current score page's scan, which item of the view lies under the
// pointer, and the box of the page image it was read from.
#pragma once

#include <cstdint>

#include "pages/SpriteDrawing.h"
#include "score/ItemIndex.h"

// The page-table row whose page key is score page scorePage's (from 1); -1
// when the score has no such page or its scan left the page table.
int PageRowOfScorePage(int scorePage);

// The item-index row under the point (score units, y down): of the rows whose
// box holds the point, the one whose centre is nearest (|dx| + |dy|, the
// first on a tie); -1 when none does, or when the row has no box of its own
// on the page (its index is at or past boxCount).
int LinkedItemRow(const ItemIndex& index, int32_t x, int32_t y, int boxCount);

// The highlight on the page image (image pixels) for a stored box (left,
// right, top, bottom as the page data keeps them), grown by 2 / zoom on
// every side.
HighlightRegion LinkHighlight(const int16_t box[4], double zoom);
