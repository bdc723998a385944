// The score view's item index: one row per drawn item, filled by the score
// painter as it walks the page, read by the editor's hit tests and the
// selection services. Beside it, the extent of each stave row of the page.
#pragma once

#include <cstdint>

#include "score/ScoreStream.h"

// Box of an item in page units: x grows to the right, top and bottom are
// distances below the top of the page.
struct ItemIndexRow {
  int16_t left;
  int16_t right;
  int16_t top;
  int16_t bottom;
  uint32_t part;    // part slot 0..12
  uint32_t offset;  // offset of the item's first byte in that part's stream
  int32_t staff;    // stave row of the page, -1 for none
};

constexpr int kItemIndexCapacity = 4096;

struct ItemIndex {
  ItemIndexRow rows[kItemIndexCapacity];
  int16_t count;
};

// The row, or null when row lies outside 0..count-1.
const ItemIndexRow* ItemRowAt(const ItemIndex& index, int row);
ItemIndexRow* ItemRowAt(ItemIndex& index, int row);
// The first row whose part and offset match; -1 when none does.
int FindItemRow(const ItemIndex& index, uint32_t part, uint32_t offset);

inline int32_t RowCentreX(const ItemIndexRow& row) { return (int32_t(row.left) + row.right) / 2; }
inline int32_t RowCentreY(const ItemIndexRow& row) { return (int32_t(row.top) + row.bottom) / 2; }


// The item a row points to, when its part is a slot with a stream and the
// item lies wholly inside the used length; null otherwise. length receives
// the item's length.
const uint8_t* RowItem(const StreamSet& streams, const ItemIndexRow& row, uint32_t* length);

// A box in page units (wider than the 16-bit rows: margins may reach past them).
struct ScoreBox {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

constexpr int kStaveRowCapacity = 256;

// The extent of the staves of one stave row, as the painter laid them out.
struct StaveRowExtent {
  int32_t left;
  int32_t right;
  int32_t top;
  int32_t bottom;
};

struct StaveRowTable {
  StaveRowExtent rows[kStaveRowCapacity];
  int32_t count;
};

// The stave row's extent, or null when staff lies outside the table.
const StaveRowExtent* StaveRowAt(const StaveRowTable& staves, int32_t staff);
