// The editor's three writes on a part stream: replace the item of an index
// row, insert an item beside it, remove it. Each keeps in step with the
// stream's bytes the item index (offsets, rows), the page's object boxes
// (one per row), the painter's stave-row ends, the page starts of the pages
// after the current one and the selection (selected, hover and listed rows).
// A full index (4096 rows) keeps its size: an insertion drops the last row,
// which the next layout pass makes again.
#pragma once

#include <cstdint>

#include "pages/PageData.h"
#include "score/ItemSelection.h"

// The page's object boxes that the writes keep beside the index (the view's
// page by default; tests may point it elsewhere).
PageData*& EditedPageBoxes();

// Replaces the item of row by the item at bytes (its length from its first
// bytes). False, nothing changed, when the row names no item, the item is a
// structure mark or the stream cannot grow (reported by the stream).
bool ReplaceRowItem(ScoreViewItems& view, int row, const uint8_t* bytes);

// Inserts the item at bytes after the item of row (before it with before).
// The new index row takes the place after row (before: row's own place) with
// row's box and stave row, and so does its object box. Returns the new row;
// -1 when nothing was written, or when the index was full and the new row
// was the one dropped (written is then set).
int InsertRowItem(ScoreViewItems& view, int row, bool before, const uint8_t* bytes, bool* written = nullptr);

// Removes the item of row and its index row and object box. A listed row
// becomes a removed entry; the selected and hover rows become -1 when they
// were that row.
bool RemoveRowItem(ScoreViewItems& view, int row);

// Sets the page starts and the page count again from the page marks, by the
// rule the score reader counts them with.
void RebuildPageOffsets();
