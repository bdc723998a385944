#include "score/ItemSelection.h"

#include <cmath>
#include <memory>

#include "score/ScoreItem.h"

namespace {

// Clef b1 bit 3: the clef takes a row but is not drawn.
constexpr uint8_t kClefNotDrawnBit = 0x08;

int MultiCount(const SelectionState& selection) {
  int count = selection.multiCount;
  if (count < 0) return 0;
  return count > kMultiSelectionCapacity ? kMultiSelectionCapacity : count;
}

int32_t SafeUnit(int32_t unit) { return unit > 0 ? unit : 1; }
double SafeZoom(double zoom) { return zoom > 0 ? zoom : 1.0; }

ScoreBox BoxOf(const ItemIndexRow& row) {
  return ScoreBox{row.left, row.top, row.right, row.bottom};
}

// Whether an item ahead of or behind the selected one is a neighbour that
// bounds its drag: not a mark or text, not hidden.
bool BoundsDrag(const uint8_t* item) { return KindOf(item) < kItemMark && !IsItemHidden(item); }

bool VoicesAgree(int a, int b) { return a < 0 || b < 0 || a == b; }

// The nearest neighbour of the selected row on its stave, looking back
// (step -1) or forward (step +1); null when there is none.
const ItemIndexRow* NearestBound(const ScoreViewItems& view, int selected, int step,
                                 const uint8_t** neighbour) {
  const ItemIndexRow& own = view.index.rows[selected];
  for (int r = selected + step; const ItemIndexRow* row = ItemRowAt(view.index, r); r += step) {
    if (row->part != own.part || row->staff != own.staff) continue;
    const uint8_t* item = RowItem(*view.streams, *row, nullptr);
    if (item && BoundsDrag(item)) {
      *neighbour = item;
      return row;
    }
  }
  return nullptr;
}

const ItemIndexRow* HoveredRow(ScoreViewItems& view) {
  return ItemRowAt(view.index, view.selection.hoverRow);
}

void SetEdges(SelectionState& selection, bool left, bool right) {
  selection.dragLeftEdge = left;
  selection.dragRightEdge = right;
}

int32_t ClampScroll(int32_t value, int32_t maximum) {
  if (value > maximum) value = maximum;
  return value < 0 ? 0 : value;
}

// Along one axis: when [low, high] is not wholly in the view of size from
// scroll, the scroll that centres it (kept within 0..maxScroll) into
// *target; true when that moves the view.
bool CentringScroll(int32_t low, int32_t high, int32_t scroll, int32_t size, int32_t maxScroll, int32_t* target) {
  if (low >= scroll && high <= scroll + size) return false;
  const int32_t centred = ClampScroll((low + high) / 2 - size / 2, maxScroll);
  if (centred == scroll) return false;
  *target = centred;
  return true;
}

}  // namespace

ScoreViewItems& TheScoreViewItems() {
  static const std::unique_ptr<ScoreViewItems> view = std::make_unique<ScoreViewItems>();
  return *view;
}

int32_t MinSelectedItem(const SelectionState& selection) {
  int32_t found = -1;
  for (int i = 0; i < MultiCount(selection); ++i) {
    const uint16_t row = selection.multiRows[i];
    if (row == kRemovedSelectionEntry) continue;
    if (found < 0 || row < found) found = row;
  }
  return found < 0 ? selection.selectedRow : found;
}

int32_t MaxSelectedItem(const SelectionState& selection) {
  int32_t found = -1;
  for (int i = 0; i < MultiCount(selection); ++i) {
    const uint16_t row = selection.multiRows[i];
    if (row == kRemovedSelectionEntry) continue;
    if (row > found) found = row;
  }
  return found < 0 ? selection.selectedRow : found;
}

int IsItemDrawn(const uint8_t* item) {
  switch (KindOf(item)) {
    case kItemBarLine:
      return (item[0] & 0x80) ? 0 : 1;
    case kItemClef:
      return (item[1] & kClefNotDrawnBit) ? 0 : 1;
    case kItemKey:
      return KeyIsNotPlayed(item) ? 0 : 1;
    case kItemTime:
      return (TimeIsScreenOnly(item) || TimeIsHidden(item)) ? 0 : 1;
    case kItemRest:
      return RestIsHidden(item) ? 0 : 1;  // never the bar count of a multi-bar rest
    default:
      return 1;
  }
}

int ItemVoice(const uint8_t* item) {
  switch (KindOf(item)) {
    case kItemChord:
      return ChordVoice(item);
    case kItemRest:
      return RestVoice(item);
    case kItemMark:
      return MarkVoice(item);
    default:
      return -1;
  }
}

DragLimits MeasureSelectedItem(ScoreViewItems& view) {
  DragLimits limits;
  const int selected = view.selection.selectedRow;
  const ItemIndexRow* row = ItemRowAt(view.index, selected);
  const uint8_t* item = row ? RowItem(*view.streams, *row, nullptr) : nullptr;
  if (item) {
    if (const StaveRowExtent* stave = StaveRowAt(view.staves, row->staff)) {
      limits.left = stave->left;
      limits.right = stave->right;
    }
    if (KindOf(item) < kItemMark) {
      const bool drawn = IsItemDrawn(item) != 0;
      const int voice = ItemVoice(item);
      const uint8_t* other = nullptr;
      if (const ItemIndexRow* before = NearestBound(view, selected, -1, &other)) {
        const bool close = drawn && IsItemDrawn(other) && VoicesAgree(voice, ItemVoice(other));
        limits.left = close ? before->right : before->left;
      }
      if (const ItemIndexRow* after = NearestBound(view, selected, +1, &other)) {
        const bool close = drawn && IsItemDrawn(other) && VoicesAgree(voice, ItemVoice(other));
        limits.right = close ? after->left : after->right;
      }
    }
  }
  view.selection.limits = limits;
  return limits;
}

namespace {

// The hovered row's width and how far x lies into it; false when no row is
// hovered.
bool HoveredSpan(ScoreViewItems& view, int32_t x, int64_t* width, int64_t* into) {
  const ItemIndexRow* row = HoveredRow(view);
  if (!row) return false;
  *width = int64_t(row->right) - row->left;
  *into = int64_t(x) - row->left;
  return true;
}

}  // namespace

int ItemThirdAtX(ScoreViewItems& view, int32_t x, int32_t /*y*/, bool testOnly) {
  int64_t width = 0, into = 0;
  if (!HoveredSpan(view, x, &width, &into)) return -1;
  int third = 1;
  if (4 * into < width) {
    third = 0;
  } else if (4 * into > 3 * width) {
    third = 2;
  }
  if (!testOnly) SetEdges(view.selection, third != 2, third != 0);
  return third;
}

int ItemHalfAtX(ScoreViewItems& view, int32_t x, int32_t /*y*/, bool testOnly) {
  int64_t width = 0, into = 0;
  if (!HoveredSpan(view, x, &width, &into)) return -1;
  const int half = 2 * into < width ? 0 : 1;
  if (!testOnly) SetEdges(view.selection, half == 0, half == 1);
  return half;
}

int TakeItemIntoSelection(ScoreViewItems& view) {
  SelectionState& selection = view.selection;
  const ItemIndexRow* row = HoveredRow(view);
  if (!row) {
    const double zoom = SafeZoom(view.units.zoom);
    selection.insertX = int32_t(std::lround(selection.pointerX / zoom)) - view.units.offsetX;
    selection.insertY = int32_t(std::lround(selection.pointerY / zoom)) - view.units.offsetY;
    return 0;
  }
  if (row->part >= uint32_t(kPartSlots)) return 0;
  const uint8_t* stream = StreamBytes(*view.streams, int(row->part));
  if (!selection.edit.TakeFrom(stream, StreamUsedLength(*view.streams, int(row->part)), row->offset,
                               ScoreFormatVersion)) {
    return 0;
  }
  selection.selectedRow = selection.hoverRow;
  const int32_t unitX = SafeUnit(view.units.unitX);
  const int32_t unitY = SafeUnit(view.units.unitY);
  selection.editBox = BoxOf(*row);
  selection.editArea = ScoreBox{row->left - 4 * unitX, row->top - 4 * unitY,
                                row->right + 4 * unitX, row->bottom + 4 * unitY};
  selection.editCentreX = RowCentreX(*row);
  selection.editCentreY = RowCentreY(*row);
  selection.editStepX = selection.editCentreX / unitX;
  selection.editStepY = selection.editCentreY / unitY;
  return 1;
}

ScrollPlan PlanScrollToBox(const ScoreBox& box, double zoom, const ViewScrollState& state) {
  zoom = SafeZoom(zoom);
  const int32_t left = int32_t(std::lround(box.left * zoom));
  const int32_t right = int32_t(std::lround(box.right * zoom));
  const int32_t top = int32_t(std::lround(box.top * zoom));
  const int32_t bottom = int32_t(std::lround(box.bottom * zoom));
  ScrollPlan plan;
  plan.horizontal = CentringScroll(left, right, state.scrollX, state.clientWidth, state.maxScrollX, &plan.scrollX);
  plan.vertical = CentringScroll(top, bottom, state.scrollY, state.clientHeight, state.maxScrollY, &plan.scrollY);
  return plan;
}

bool ScrollItemIntoView(ScoreViewItems& view, int row) {
  const ItemIndexRow* found = ItemRowAt(view.index, row);
  if (!found) return false;
  const SelectionViewHooks& hooks = CurrentSelectionViewHooks();
  ViewScrollState state{};
  if (!hooks.queryScroll(&state)) return false;
  const ScrollPlan plan = PlanScrollToBox(BoxOf(*found), view.units.zoom, state);
  bool scrolled = false;
  if (plan.horizontal) scrolled |= hooks.setScrollPosition(ScrollBarKind::kHorizontal, plan.scrollX);
  if (plan.vertical) scrolled |= hooks.setScrollPosition(ScrollBarKind::kVertical, plan.scrollY);
  if (scrolled) hooks.repaintNow();
  return scrolled;
}
