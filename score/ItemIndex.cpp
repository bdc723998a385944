#include "score/ItemIndex.h"

#include "score/ScoreItem.h"

namespace {

int UsableRowCount(const ItemIndex& index) {
  int count = index.count;
  if (count < 0) return 0;
  return count > kItemIndexCapacity ? kItemIndexCapacity : count;
}

}  // namespace

const ItemIndexRow* ItemRowAt(const ItemIndex& index, int row) {
  if (row < 0 || row >= UsableRowCount(index)) return nullptr;
  return &index.rows[row];
}

ItemIndexRow* ItemRowAt(ItemIndex& index, int row) {
  if (row < 0 || row >= UsableRowCount(index)) return nullptr;
  return &index.rows[row];
}

int FindItemRow(const ItemIndex& index, uint32_t part, uint32_t offset) {
  const int count = UsableRowCount(index);
  for (int row = 0; row < count; ++row) {
    if (index.rows[row].part == part && index.rows[row].offset == offset) return row;
  }
  return -1;
}

const uint8_t* RowItem(const StreamSet& streams, const ItemIndexRow& row, uint32_t* length) {
  if (row.part >= uint32_t(kPartSlots)) return nullptr;
  const uint8_t* stream = StreamBytes(streams, int(row.part));
  const uint32_t used = StreamUsedLength(streams, int(row.part));
  if (!stream || row.offset >= used) return nullptr;
  uint32_t itemLength = 0;
  if (!ItemLengthWithin(stream + row.offset, used - row.offset, ScoreFormatVersion, &itemLength)) {
    return nullptr;
  }
  if (length) *length = itemLength;
  return stream + row.offset;
}

const StaveRowExtent* StaveRowAt(const StaveRowTable& staves, int32_t staff) {
  int32_t count = staves.count > kStaveRowCapacity ? kStaveRowCapacity : staves.count;
  if (staff < 0 || staff >= count) return nullptr;
  return &staves.rows[staff];
}
