#include "editor/core/BarStructure.h"

#include <algorithm>
#include <vector>

#include "editor/core/StreamWrites.h"
#include "platform/Messages.h"
#include "score/MusicalState.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

// The class of items matched across parts: bar lines, key signatures, time
// signatures in force.
enum class Matched { kNone, kBarLine, kKey, kTime };

Matched MatchedKind(const uint8_t* item) {
  if (IsBarLine(item)) return Matched::kBarLine;
  if (KindOf(item) == kItemKey) return Matched::kKey;
  if (KindOf(item) == kItemTime && !TimeIsHidden(item)) return Matched::kTime;
  return Matched::kNone;
}

struct PagePart {
  const uint8_t* stream;
  uint32_t begin;
  uint32_t end;
};

PagePart CurrentPageOf(const StreamSet& set, int slot) {
  const int page = ScorePages.current - 1;
  PagePart part{StreamBytes(set, slot), 0, StreamUsedLength(set, slot)};
  if (page >= 0 && page < kMaxScorePages) part.begin = PageStarts[page][slot];
  if (page + 1 < ScorePages.count && page + 1 < kMaxScorePages) part.end = PageStarts[page + 1][slot];
  if (part.begin > part.end) part.begin = part.end;
  return part;
}

// Walks the current page's items of a part: visit(offset, item, system).
template <class Visit>
void WalkPage(const StreamSet& set, int slot, Visit&& visit) {
  const PagePart part = CurrentPageOf(set, slot);
  if (!part.stream) return;
  int system = 0;
  WalkStream(part.stream + part.begin, part.end - part.begin, ScoreFormatVersion,
             [&](uint32_t offset, const uint8_t* item, uint32_t) {
               if (!visit(part.begin + offset, item, system)) return false;
               if (item[0] == kBarBoundary) ++system;
               return true;
             });
}

// Where an item stands in its part: its system and its ordinal among the
// matched items of its class there.
struct Place {
  int system = -1;
  int ordinal = -1;
};

Place PlaceOf(const StreamSet& set, int slot, uint32_t offset) {
  Place place;
  const Matched kind = MatchedKind(StreamBytes(set, slot) + offset);
  int ordinal = 0, lastSystem = -1;
  WalkPage(set, slot, [&](uint32_t at, const uint8_t* item, int system) {
    if (system != lastSystem) ordinal = 0, lastSystem = system;
    if (at == offset) {
      place = Place{system, ordinal};
      return false;
    }
    if (MatchedKind(item) == kind) ++ordinal;
    return true;
  });
  return place;
}

// The offset of the counterpart in another part; UINT32_MAX when it has none.
uint32_t Counterpart(const StreamSet& set, int slot, Matched kind, const Place& place) {
  uint32_t found = UINT32_MAX;
  int ordinal = 0;
  WalkPage(set, slot, [&](uint32_t at, const uint8_t* item, int system) {
    if (system < place.system) return true;
    if (system > place.system) return false;
    if (MatchedKind(item) != kind) return true;
    if (ordinal++ == place.ordinal) {
      found = at;
      return false;
    }
    return true;
  });
  return found;
}

// Whether a key signature may go into a part at an offset: never into
// tablature, nor under a percussion or tablature clef.
bool TakesKeySignature(int slot, uint32_t offset) {
  if (PartTablatureFlags[slot].flag != 0) return false;
  PartMusicalState state{};
  FindPartStateAt(slot, offset, &state);
  return !IsPercussionClef(static_cast<uint8_t>(state.clef)) && state.clef != kClefTablature;
}

bool Refuse() {
  MessageById(nullptr, kStrPartsDifferInSystems);
  return false;
}

// The row of an item; -1 when the index holds none.
int RowOf(const ScoreViewItems& view, int slot, uint32_t offset) {
  return FindItemRow(view.index, static_cast<uint32_t>(slot), offset);
}

// The row before which a new item goes in a part's system: the first item
// right of x that is a real event (not a chord sharing the column before it,
// a text or a rest standing with the chord before it), else the system's
// end mark. -1 when the part lacks the system or its rows.
int InsertionRow(const ScoreViewItems& view, int slot, int system, int32_t x) {
  int row = -1;
  WalkPage(*view.streams, slot, [&](uint32_t at, const uint8_t* item, int s) {
    if (s < system) return true;
    if (s > system) return false;
    const int r = RowOf(view, slot, at);
    if (item[0] == kBarBoundary) {
      row = r;
      return false;
    }
    if (r < 0) return true;
    const bool passed = (KindOf(item) == kItemChord && ChordSharesColumn(item)) || KindOf(item) == kItemText ||
                        (KindOf(item) == kItemRest && !IsMultiBarRest(item) && (item[0] & 0x80));
    if (!passed && view.index.rows[r].left > x) {
      row = r;
      return false;
    }
    return true;
  });
  return row;
}

// The rows of the counterparts of the item at ownOffset in every part (its
// own included), as (slot, row); a key signature skips the parts that take
// none. 1 found, 0 when a part that must have one lacks it, -1 when the
// item is of no matched kind.
int CounterpartRows(const ScoreViewItems& view, int ownSlot, uint32_t ownOffset, bool key,
                    std::vector<std::pair<int, int>>* rows) {
  const Matched kind = MatchedKind(StreamBytes(*view.streams, ownSlot) + ownOffset);
  if (kind == Matched::kNone) return -1;
  const Place place = PlaceOf(*view.streams, ownSlot, ownOffset);
  for (int slot = 1; slot < PartCount; ++slot) {
    if (key && slot != ownSlot && PartTablatureFlags[slot].flag != 0) continue;
    const uint32_t at = slot == ownSlot ? ownOffset : Counterpart(*view.streams, slot, kind, place);
    if (at == UINT32_MAX && key && !TakesKeySignature(slot, CurrentPageOf(*view.streams, slot).begin)) continue;
    if (at == UINT32_MAX) return 0;
    if (key && slot != ownSlot && !TakesKeySignature(slot, at)) continue;
    const int row = RowOf(view, slot, at);
    if (row < 0) return 0;
    rows->emplace_back(slot, row);
  }
  return 1;
}

}  // namespace

bool IsBarStructureItem(const uint8_t* item, bool ctrl) {
  return IsBarLine(item) || KindOf(item) == kItemTime || (ctrl && KindOf(item) == kItemKey);
}

int WriteBarStructure(ScoreViewItems& view, bool replace, bool insertBefore) {
  SelectionState& selection = view.selection;
  const ItemIndexRow* selected = ItemRowAt(view.index, selection.selectedRow);
  if (!selected) return 0;
  const uint8_t* bytes = selection.edit.Bytes();
  const bool key = KindOf(bytes) == kItemKey;
  const int ownSlot = static_cast<int>(selected->part);
  const uint32_t ownOffset = selected->offset;
  const std::vector<uint8_t> item(bytes, bytes + ItemLength(bytes));

  // Every part's place first: nothing is written unless all have one.
  struct Target {
    int slot;
    int row;
  };
  std::vector<Target> targets;
  if (replace) {
    std::vector<std::pair<int, int>> rows;
    const int found = CounterpartRows(view, ownSlot, ownOffset, key, &rows);
    if (found < 0) return 0;
    if (found == 0) return Refuse();
    for (const auto& [slot, row] : rows) targets.push_back({slot, row});
  } else {
    const Place place = PlaceOf(*view.streams, ownSlot, ownOffset);
    const int32_t x = selection.editBox.left;
    for (int slot = 1; slot < PartCount; ++slot) {
      int row = -1;
      if (slot == ownSlot) {
        row = selection.selectedRow;
      } else {
        row = InsertionRow(view, slot, place.system, x);
      }
      if (key && slot != ownSlot && PartTablatureFlags[slot].flag != 0) continue;
      if (row < 0) return Refuse();
      if (key && slot != ownSlot && !TakesKeySignature(slot, view.index.rows[row].offset)) continue;
      targets.push_back({slot, row});
    }
  }

  int written = 0;
  int ownNewRow = -1;
  for (const Target& target : targets) {
    // Earlier writes may have moved rows: find the target's row again by its item.
    int row = target.row;
    if (replace) {
      if (ReplaceRowItem(view, row, item.data())) ++written;
      continue;
    }
    const bool before = target.slot == ownSlot ? insertBefore : true;
    const int fresh = InsertRowItem(view, row, before, item.data());
    if (fresh >= 0) {
      ++written;
      if (target.slot == ownSlot) ownNewRow = fresh;
      // Later targets' rows at or past the new one moved up.
      for (Target& later : targets) {
        if (&later != &target && later.row >= fresh) ++later.row;
      }
    }
  }
  if (!replace && ownNewRow >= 0) {
    selection.selectedRow = ownNewRow;
    selection.edit.SetLength(static_cast<uint32_t>(item.size()));
  }
  return written > 0;
}

int RemoveBarStructure(ScoreViewItems& view) {
  SelectionState& selection = view.selection;
  const ItemIndexRow* selected = ItemRowAt(view.index, selection.selectedRow);
  if (!selected) return 0;
  const int ownSlot = static_cast<int>(selected->part);
  const uint32_t ownOffset = selected->offset;
  const bool key = KindOf(StreamBytes(*view.streams, ownSlot) + ownOffset) == kItemKey;
  std::vector<std::pair<int, int>> found;
  const int result = CounterpartRows(view, ownSlot, ownOffset, key, &found);
  if (result < 0) return 0;
  if (result == 0) return Refuse();
  std::vector<int> rows;
  for (const auto& entry : found) rows.push_back(entry.second);
  // Highest rows first, so that the others keep their numbers.
  std::sort(rows.begin(), rows.end(), [](int a, int b) { return a > b; });
  int removed = 0;
  for (int row : rows) removed += RemoveRowItem(view, row) ? 1 : 0;
  return removed > 0;
}
