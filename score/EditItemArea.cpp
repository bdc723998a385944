#include "score/EditItemArea.h"

#include <algorithm>

#include "score/ScoreItem.h"
#include "score/SelectionViewHooks.h"

namespace {

void AddChordMargins(const uint8_t* item, size_t available, ItemMargins& m) {
  if (available < kChordHeaderBytes) return;
  if (ChordDurationCode(item) < kDurationWhole) {  // a stem
    if (!ChordStemBit(item)) {                      // stem up
      m.top += 18;
      if (ChordDurationCode(item) < kDurationQuarter && !ChordBeamedToNext(item)) m.right += 6;  // flag
    } else {
      m.bottom += 18;
    }
  }
  if (item[2] > 31) {
    m.left += 3;
    m.right += 3;
  }
  const size_t notes = std::min<size_t>(ChordNoteCount(item), available - kChordHeaderBytes);
  bool accidental = false;
  bool wideAccidental = false;
  for (size_t note = 0; note < notes; ++note) {
    const uint8_t code = NoteAccidentalOf(item, unsigned(note));
    accidental |= code != kAccidentalNone;
    wideAccidental |= code >= kAccidentalDoubleFlat;
  }
  if (accidental) {
    m.left += wideAccidental ? 16 : 8;
    m.top += 6;
    m.bottom += 6;
  }
}

bool IsLongMultiBarRest(const uint8_t* item, size_t available) {
  return available >= 2 && IsMultiBarRest(item) && ((item[0] >> 4) > 1 || (item[1] & 63) != 0);
}

}  // namespace

ItemMargins EditItemMargins(const uint8_t* item, size_t available) {
  ItemMargins m{0, 2, 1, 2};
  if (!item || available == 0) return m;
  switch (KindOf(item)) {
    case kItemBarLine:
      m.left += 1;
      break;
    case kItemClef:
      m.top += 5;
      m.bottom += 5;
      break;
    case kItemChord:
      AddChordMargins(item, available, m);
      break;
    case kItemRest:
      if (IsLongMultiBarRest(item, available)) {
        m.left += 4;
        m.right += 5;
        m.top += 22;
      }
      break;
    case kItemMark:
      if (MarkSubKind(item) == 0) {
        m.left += 9;
        m.right += 10;
        m.top += 10;
        m.bottom += 10;
      }
      break;
    case kItemText:
      m.left += 4;
      m.right += 5;
      m.top += 6;
      m.bottom += 6;
      break;
    default:
      break;
  }
  return m;
}

ScoreBox EditItemArea(const uint8_t* item, size_t available, const ScoreBox& box, int32_t unitX,
                      int32_t unitY, const StaveRowTable& staves) {
  if (unitX < 1) unitX = 1;
  if (unitY < 1) unitY = 1;
  const ItemMargins m = EditItemMargins(item, available);
  ScoreBox area{box.left - m.left * unitX, box.top - m.top * unitY, box.right + m.right * unitX,
                box.bottom + m.bottom * unitY};

  bool overlaps = false;
  ScoreBox limit{};
  const int32_t count = std::min(staves.count, int32_t(kStaveRowCapacity));
  for (int32_t s = 0; s < count; ++s) {
    const StaveRowExtent& e = staves.rows[s];
    const ScoreBox wide{e.left - kStaveRepaintSlack, e.top - kStaveRepaintSlack,
                        e.right + kStaveRepaintSlack, e.bottom + kStaveRepaintSlack};
    if (wide.bottom < area.top || wide.top > area.bottom) continue;
    if (!overlaps) {
      limit = wide;
      overlaps = true;
    } else {
      limit.left = std::min(limit.left, wide.left);
      limit.top = std::min(limit.top, wide.top);
      limit.right = std::max(limit.right, wide.right);
      limit.bottom = std::max(limit.bottom, wide.bottom);
    }
  }
  if (overlaps) {
    area.left = std::max(area.left, limit.left);
    area.top = std::max(area.top, limit.top);
    area.right = std::min(area.right, limit.right);
    area.bottom = std::min(area.bottom, limit.bottom);
  }
  area.right = std::min(area.right, kRepaintRightLimit);
  return area;
}

ScoreBox InvalidateEditItemArea(ScoreViewItems& view, int32_t left, int32_t top, int32_t right,
                                int32_t bottom) {
  const EditItem& edit = view.selection.edit;
  uint32_t length = 0;
  const size_t available =
      ItemLengthWithin(edit.Bytes(), edit.Capacity(), ScoreFormatVersion, &length) ? length
                                                                                  : edit.Capacity();
  const ScoreBox area = EditItemArea(edit.Bytes(), available, ScoreBox{left, top, right, bottom},
                                     view.units.unitX, view.units.unitY, view.staves);
  CurrentSelectionViewHooks().invalidateArea(area);
  return area;
}
