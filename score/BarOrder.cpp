#include "score/BarOrder.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "score/ScoreItem.h"
#include "score/SelectionViewHooks.h"
#include "score/TupletDurations.h"

namespace {

struct Entry {
  uint32_t offset;
  uint32_t length;
};

// The items of a stream between two item boundaries; false when an item is
// cut or overruns the used length.
bool ReadItems(const uint8_t* stream, uint32_t used, uint32_t from, uint32_t to,
               std::vector<Entry>* entries) {
  entries->clear();
  for (uint32_t offset = from; offset < to;) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + offset, used - offset, ScoreFormatVersion, &length)) return false;
    entries->push_back(Entry{offset, length});
    offset += length;
  }
  return true;
}

int IndexAt(const std::vector<Entry>& entries, uint32_t offset) {
  auto it = std::lower_bound(entries.begin(), entries.end(), offset,
                             [](const Entry& e, uint32_t o) { return e.offset < o; });
  if (it == entries.end() || it->offset != offset) return -1;
  return int(it - entries.begin());
}

// The bar around an item: from the item after the kind-0 item before it to
// the next kind-0 item (the item itself when it is one).
struct Bar {
  uint32_t start;
  uint32_t end;
};

bool FindBar(const uint8_t* stream, uint32_t used, uint32_t offset, Bar* bar) {
  std::vector<Entry> entries;
  if (!ReadItems(stream, used, 0, used, &entries)) return false;
  const int at = IndexAt(entries, offset);
  if (at < 0) return false;
  bar->start = 0;
  for (int i = at - 1; i >= 0; --i) {
    if (KindOf(stream + entries[i].offset) == kItemBarLine) {
      bar->start = entries[i].offset + entries[i].length;
      break;
    }
  }
  bar->end = used;
  for (size_t i = size_t(at); i < entries.size(); ++i) {
    if (KindOf(stream + entries[i].offset) == kItemBarLine) {
      bar->end = entries[i].offset;
      break;
    }
  }
  return true;
}

// Moves the item at from (length bytes) in front of the item at before and
// brings the part's index rows along.
void MoveItemBefore(ItemIndex& index, uint32_t part, uint8_t* stream, uint32_t from,
                    uint32_t length, uint32_t before) {
  if (before == from || before == from + length) return;
  const int count = std::clamp<int>(index.count, 0, kItemIndexCapacity);
  if (before > from) {
    std::rotate(stream + from, stream + from + length, stream + before);
    for (int r = 0; r < count; ++r) {
      ItemIndexRow& row = index.rows[r];
      if (row.part != part || row.offset < from || row.offset >= before) continue;
      row.offset = row.offset < from + length ? row.offset - from + before - length : row.offset - length;
    }
  } else {
    std::rotate(stream + before, stream + from, stream + from + length);
    for (int r = 0; r < count; ++r) {
      ItemIndexRow& row = index.rows[r];
      if (row.part != part || row.offset < before || row.offset >= from + length) continue;
      row.offset = row.offset >= from ? row.offset - from + before : row.offset + length;
    }
  }
}

bool IsChordOrRest(const uint8_t* item) {
  return KindOf(item) == kItemChord || KindOf(item) == kItemRest;
}

struct PartStream {
  uint8_t* bytes;
  uint32_t used;
};

bool SelectedPart(ScoreViewItems& view, const ItemIndexRow** row, PartStream* stream) {
  *row = ItemRowAt(view.index, view.selection.selectedRow);
  if (!*row || (*row)->part >= uint32_t(kPartSlots)) return false;
  stream->bytes = StreamBytes(*view.streams, int((*row)->part));
  stream->used = StreamUsedLength(*view.streams, int((*row)->part));
  return stream->bytes != nullptr;
}

// ---- Beams and stems of one voice of a bar ----

struct VoiceChord {
  uint8_t* item;
  const ItemIndexRow* row;  // null when the chord is not drawn
  bool restBefore;          // a plain rest of the voice stands between it and the chord before
};

// The beam bit of b4 marks every chord of a beam group, the start bit its
// first chord.
bool InBeam(const uint8_t* chord) { return ChordBeamedToNext(chord); }
bool Beamable(const uint8_t* chord) { return ChordDurationCode(chord) <= kDurationEighth; }
bool CrossStaff(const uint8_t* chord) { return ChordPlacementOf(chord) != kPlacementOwnStave; }

void SetBeam(uint8_t* chord, bool inBeam, bool start) {
  SetChordBeamedToNext(chord, inBeam);
  SetChordStartsBeamGroup(chord, start);
}

void NormaliseVoice(std::vector<VoiceChord>& chords, std::vector<bool>& changed) {
  std::vector<uint8_t> before(chords.size());
  for (size_t i = 0; i < chords.size(); ++i) before[i] = chords[i].item[4];

  // A beam holds only quavers and shorter; a start bit needs a beam.
  for (VoiceChord& c : chords) {
    if (!Beamable(c.item)) SetBeam(c.item, false, false);
    if (!InBeam(c.item)) SetChordStartsBeamGroup(c.item, false);
  }
  // Groups: runs of beamed chords, a new one at each start bit. The first
  // chord starts its group; a group of one is no beam; the stems follow the
  // first chord unless the group reaches across staves.
  std::vector<bool> grouped(chords.size(), false);
  for (size_t i = 0; i < chords.size();) {
    if (!InBeam(chords[i].item)) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < chords.size() && InBeam(chords[end].item) && !ChordStartsBeamGroup(chords[end].item)) {
      ++end;
    }
    if (end - i == 1) {
      SetBeam(chords[i].item, false, false);
    } else {
      SetChordStartsBeamGroup(chords[i].item, true);
      bool across = false;
      for (size_t k = i; k < end; ++k) across |= CrossStaff(chords[k].item);
      const bool down = ChordStemDown(chords[i].item);
      for (size_t k = i; k < end; ++k) {
        grouped[k] = true;
        if (!across) SetChordStemDown(chords[k].item, down);
      }
    }
    i = end;
  }
  // Two unbeamed chords of the voice standing at one place (the earlier box
  // spans the midpoint of the two) share one stem direction.
  for (size_t i = 1; i < chords.size(); ++i) {
    const VoiceChord& earlier = chords[i - 1];
    const VoiceChord& chord = chords[i];
    if (chord.restBefore || !earlier.row || !chord.row || grouped[i - 1] || grouped[i]) continue;
    if (CrossStaff(earlier.item) || CrossStaff(chord.item)) continue;
    const int32_t middle = (RowCentreX(*earlier.row) + RowCentreX(*chord.row)) / 2;
    if (earlier.row->left <= middle && middle <= earlier.row->right) {
      SetChordStemDown(chord.item, ChordStemDown(earlier.item));
    }
  }
  for (size_t i = 0; i < chords.size(); ++i) changed[i] = chords[i].item[4] != before[i];
}

}  // namespace

uint32_t ReorderBarItemsByPosition(ScoreViewItems& view, bool* moved) {
  if (moved) *moved = false;
  const ItemIndexRow* selected = nullptr;
  PartStream stream{};
  if (!SelectedPart(view, &selected, &stream)) return 0;
  const uint32_t part = selected->part;
  Bar bar{};
  if (!FindBar(stream.bytes, stream.used, selected->offset, &bar)) return selected->offset;

  std::vector<Entry> items;
  if (!ReadItems(stream.bytes, stream.used, bar.start, bar.end, &items)) return selected->offset;
  // The x of each chord and rest that has a row; kNoX for the other items.
  constexpr int64_t kNoX = INT64_MIN;
  std::vector<int64_t> xs(items.size(), kNoX);
  for (size_t i = 0; i < items.size(); ++i) {
    if (!IsChordOrRest(stream.bytes + items[i].offset)) continue;
    if (const ItemIndexRow* row = ItemRowAt(view.index, FindItemRow(view.index, part, items[i].offset))) {
      xs[i] = RowCentreX(*row);
    }
  }
  // Insertion by x: each chord or rest goes in front of the first earlier
  // one that lies to its right (the marks that lead that one stay with it).
  for (size_t k = 0; k < items.size(); ++k) {
    if (xs[k] == kNoX) continue;
    size_t target = 0;
    while (target < k && (xs[target] == kNoX || xs[target] <= xs[k])) ++target;
    if (target == k) continue;
    while (target > 0 && KindOf(stream.bytes + items[target - 1].offset) == kItemMark) --target;
    MoveItemBefore(view.index, part, stream.bytes, items[k].offset, items[k].length,
                   items[target].offset);
    std::rotate(xs.begin() + long(target), xs.begin() + long(k), xs.begin() + long(k) + 1);
    if (moved) *moved = true;
    if (!ReadItems(stream.bytes, stream.used, bar.start, bar.end, &items)) break;
  }
  return selected->offset;
}

int NormaliseSelectedBar(ScoreViewItems& view) {
  const ItemIndexRow* selected = nullptr;
  PartStream stream{};
  if (!SelectedPart(view, &selected, &stream)) return 0;
  const uint32_t part = selected->part;
  Bar bar{};
  std::vector<Entry> items;
  if (!FindBar(stream.bytes, stream.used, selected->offset, &bar) ||
      !ReadItems(stream.bytes, stream.used, bar.start, bar.end, &items)) {
    return 0;
  }
  std::vector<VoiceChord> voices[4];
  bool restSince[4] = {};
  for (const Entry& e : items) {
    uint8_t* item = stream.bytes + e.offset;
    if (KindOf(item) == kItemRest && !IsMultiBarRest(item)) {
      restSince[RestVoice(item)] = true;
    } else if (KindOf(item) == kItemChord) {
      const int voice = ChordVoice(item);
      voices[voice].push_back(
          VoiceChord{item, ItemRowAt(view.index, FindItemRow(view.index, part, e.offset)), restSince[voice]});
      restSince[voice] = false;
    }
  }
  int changedCount = 0;
  for (auto& chords : voices) {
    std::vector<bool> changed(chords.size(), false);
    NormaliseVoice(chords, changed);
    changedCount += int(std::count(changed.begin(), changed.end(), true));
  }
  return changedCount;
}

int RelayoutStaveItems(ScoreViewItems& view, int part, int32_t stave) {
  static const char kOverloadTrace[] = "Found overloaded dstaveptr";
  if (part < 0 || part >= kPartSlots) return 0;
  if (stave != -1 && !StaveRowAt(view.staves, stave)) {
    CurrentSelectionViewHooks().trace(kOverloadTrace);
    return 0;
  }
  uint8_t* stream = StreamBytes(*view.streams, part);
  const uint32_t used = StreamUsedLength(*view.streams, part);
  std::vector<Entry> entries;
  if (!stream || !ReadItems(stream, used, 0, used, &entries)) return 0;

  int movedCount = 0;
  const int count = std::clamp<int>(view.index.count, 0, kItemIndexCapacity);
  for (int r = 0; r < count; ++r) {
    const ItemIndexRow& markRow = view.index.rows[r];
    if (markRow.part != uint32_t(part) || (stave != -1 && markRow.staff != stave)) continue;
    const int markAt = IndexAt(entries, markRow.offset);
    if (markAt < 0) continue;
    const uint8_t* mark = stream + markRow.offset;
    if (mark[0] != kAttachedTupletByte && mark[0] != kAttachedPedalByte && mark[0] != kAttachedOrnamentByte) {
      continue;
    }

    const int voice = MarkVoice(mark);
    int nearest = -1;
    int64_t nearestDistance = 0;
    for (int c = 0; c < count; ++c) {
      const ItemIndexRow& row = view.index.rows[c];
      if (row.part != markRow.part || row.staff != markRow.staff) continue;
      if (IndexAt(entries, row.offset) < 0) continue;
      const uint8_t* item = stream + row.offset;
      if (!IsChordOrRest(item) || ItemVoice(item) != voice) continue;
      const int64_t dx = int64_t(RowCentreX(row)) - RowCentreX(markRow);
      const int64_t dy = int64_t(RowCentreY(row)) - RowCentreY(markRow);
      const int64_t distance = dx * dx + dy * dy;
      if (nearest < 0 || distance < nearestDistance) {
        nearest = c;
        nearestDistance = distance;
      }
    }
    if (nearest < 0) continue;

    // Already in front of it: only marks and texts lie between the two.
    const int targetAt = IndexAt(entries, view.index.rows[nearest].offset);
    bool inFront = markAt < targetAt;
    for (int i = markAt + 1; inFront && i < targetAt; ++i) {
      if (IsChordOrRest(stream + entries[i].offset) || KindOf(stream + entries[i].offset) == kItemBarLine) {
        inFront = false;
      }
    }
    if (inFront) continue;
    MoveItemBefore(view.index, uint32_t(part), stream, entries[markAt].offset, entries[markAt].length,
                   entries[targetAt].offset);
    ++movedCount;
    if (!ReadItems(stream, used, 0, used, &entries)) break;
  }
  FillTupletDurations(view.streams, part);
  return movedCount;
}
