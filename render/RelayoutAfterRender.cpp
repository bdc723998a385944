#include "render/RelayoutAfterRender.h"

#include <algorithm>

#include "pages/CurrentPageData.h"
#include "score/BarOrder.h"
#include "score/ItemIndex.h"
#include "score/ItemSelection.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

const uint8_t* RowItem(const ScoreViewItems& view, const ItemIndexRow& row) {
  if (row.part >= uint32_t(kPartSlots) || !view.streams) return nullptr;
  const uint8_t* stream = StreamBytes(*view.streams, int(row.part));
  if (!stream || row.offset >= StreamUsedLength(*view.streams, int(row.part))) return nullptr;
  return stream + row.offset;
}

bool IsBarLineRow(const ScoreViewItems& view, const ItemIndexRow& row) {
  const uint8_t* item = RowItem(view, row);
  return item && KindOf(item) == kItemBarLine && !IsStructureMark(item);
}

}  // namespace

bool RelayoutAfterRender() {
  ScoreViewItems& view = TheScoreViewItems();
  const int32_t saved = view.selection.selectedRow;
  bool any = false;
  for (int32_t i = 0; i < std::min<int32_t>(view.index.count, kItemIndexCapacity); ++i) {
    const uint8_t* item = RowItem(view, view.index.rows[i]);
    if (!item || KindOf(item) != kItemChord) continue;
    view.selection.selectedRow = i;
    bool moved = false;
    ReorderBarItemsByPosition(view, &moved);
    any = any || moved;
    NormaliseSelectedBar(view);
    const ItemIndexRow& row = view.index.rows[i];
    RelayoutStaveItems(view, int(row.part), int32_t(row.staff));
    // On to the next bar of the page.
    while (i + 1 < view.index.count && !IsBarLineRow(view, view.index.rows[i + 1])) ++i;
  }
  view.selection.selectedRow = saved;
  if (any) SavePageData(false, false);
  return any;
}
