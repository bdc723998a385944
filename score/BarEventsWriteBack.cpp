// Writing a bar's events back into its items, the page's object box list
// kept parallel, and splicing a rewritten range into a part stream.
#include <algorithm>
#include <cstring>

#include "score/BarEvents.h"

namespace {

constexpr uint8_t kNumberHintByte = 127;
constexpr uint32_t kHintPayload = 5;

bool IsEventItem(const uint8_t* item) {
  const ItemKind kind = KindOf(item);
  if (kind == kItemRest) return true;
  return kind == kItemChord && ChordNoteCount(item) > 0;
}

bool IsRemovedOnWriteBack(const uint8_t* item) {
  return (KindOf(item) == kItemMark && MarkSubKind(item) == kMarkTuplet) || item[0] == kNumberHintByte;
}

struct EventPlace {
  int position;
  int slot;
};

bool EarlierSlotLive(const BarEvents& events, const EventPlace& place) {
  for (int k = 0; k < place.slot; ++k) {
    if (events.At(place.position, k).Live()) return true;
  }
  return false;
}

bool EarlierSlotDeleted(const BarEvents& events, const EventPlace& place) {
  for (int k = 0; k < place.slot; ++k) {
    if (!events.At(place.position, k).Live()) return true;
  }
  return false;
}

// Whether a beamed chord continues the beam of the nearest earlier position
// that holds a live chord of its stem side: that chord starts a beam.
bool ContinuesEarlierBeam(const BarEvents& events, const EventPlace& place, const BarEvent& e) {
  for (int p = place.position - 1; p >= 0; --p) {
    for (uint32_t k = 0; k < events.counts[p] && k < kEventsPerPosition; ++k) {
      const BarEvent& o = events.At(p, static_cast<int>(k));
      if (!o.Live() || !(o.flags & kEventChord)) continue;
      if ((o.flags & kEventStemBit) != (e.flags & kEventStemBit)) continue;
      return (o.flags & kEventBeamedToNext) && !(o.flags & kEventBeamContinues);
    }
  }
  return false;
}

void RewriteChord(uint8_t* item, const BarEvents& events, const EventPlace& place, const BarEvent& e,
                  bool clearCueBits) {
  item[1] = static_cast<uint8_t>((item[1] & ~0x01) | (EarlierSlotLive(events, place) ? 0x01 : 0));
  item[1] = static_cast<uint8_t>((item[1] & 0x03) | (e.code & 15) << 2 | (e.dots & 3) << 6);
  if (clearCueBits) item[1] &= static_cast<uint8_t>(~0x02);
  item[4] = static_cast<uint8_t>((item[4] & ~0x18) | (e.voice & 3) << 3);
  item[3] = static_cast<uint8_t>((item[3] & 0x7F) | ((e.flags & kEventSmallNotes) ? 0x80 : 0));
  item[4] = static_cast<uint8_t>((item[4] & ~0x04) | ((e.flags & kEventNoTime) ? 0x04 : 0));
  item[2] = static_cast<uint8_t>((item[2] & ~0x04) | ((e.flags & kEventNewPosition) ? 0x04 : 0));
  const uint8_t placement = e.cross < 0 ? kPlacementAbove : e.cross > 0 ? kPlacementBelow : kPlacementOwnStave;
  item[2] = static_cast<uint8_t>((item[2] & ~0x18) | placement << 3);
  if ((item[4] & 0x40) && (e.flags & kEventBeamedToNext)) {
    const bool continues = (e.flags & kEventBeamContinues) || ContinuesEarlierBeam(events, place, e);
    item[4] = static_cast<uint8_t>((item[4] & 0x7F) | (continues ? 0 : 0x80));
  }
}

void RewriteRest(uint8_t* item, const BarEvents& events, const EventPlace& place, const BarEvent& e,
                 bool clearCueBits) {
  const bool barRest = IsMultiBarRest(item);
  if (!barRest && EarlierSlotDeleted(events, place) && !EarlierSlotLive(events, place)) item[0] &= 0x7F;
  item[1] = static_cast<uint8_t>((item[1] & 0x3F) | (e.voice & 3) << 6);
  if (barRest || e.code >= 8) return;
  item[0] = static_cast<uint8_t>((item[0] & ~0x70) | (e.code & 7) << 4);
  item[1] = static_cast<uint8_t>((item[1] & ~0x03) | (e.dots & 3));
  item[1] = static_cast<uint8_t>((item[1] & ~0x20) | ((e.flags & kEventHiddenRest) ? 0x20 : 0));
  if (clearCueBits) item[1] &= static_cast<uint8_t>(~0x10);
}

bool IsZeroBox(const EventBox& box) { return box.left == 0 && box.right == 0 && box.top == 0 && box.bottom == 0; }

}  // namespace

EventBox ObjectBoxRow(const ObjectBoxList& list, int32_t row) {
  if (!list.rows || row < 0 || row >= list.count) return {};
  EventBox box;
  box.left = list.rows[row][0];
  box.right = list.rows[row][1];
  box.top = list.rows[row][2];
  box.bottom = list.rows[row][3];
  return box;
}

bool InsertObjectBoxRow(ObjectBoxList* list, int32_t at, const EventBox& box, float value) {
  if (!list || !list->rows || list->capacity <= 0 || at < 0 || at > list->count) return false;
  if (at >= list->capacity) return false;
  const int32_t kept = std::min(list->count, list->capacity - 1);  // a full list drops its last row
  for (int32_t r = kept; r > at; --r) {
    std::memcpy(list->rows[r], list->rows[r - 1], sizeof list->rows[r]);
    if (list->values) list->values[r] = list->values[r - 1];
  }
  list->rows[at][0] = box.left;
  list->rows[at][1] = box.right;
  list->rows[at][2] = box.top;
  list->rows[at][3] = box.bottom;
  if (list->values) list->values[at] = value;
  list->count = kept + 1;
  return true;
}

void RemoveObjectBoxRow(ObjectBoxList* list, int32_t at) {
  if (!list || !list->rows || at < 0 || at >= list->count) return;
  for (int32_t r = at; r + 1 < list->count; ++r) {
    std::memcpy(list->rows[r], list->rows[r + 1], sizeof list->rows[r]);
    if (list->values) list->values[r] = list->values[r + 1];
  }
  --list->count;
}

uint32_t WriteBackBarEvents(std::vector<uint8_t>* bar, uint32_t start, uint32_t end, const BarEvents& events,
                            ObjectBoxList* boxes, int32_t firstItemIndex, bool clearCueBits, uint8_t version,
                            StreamRewrite* rewrite) {
  if (rewrite) *rewrite = StreamRewrite{};
  end = std::min<uint32_t>(end, static_cast<uint32_t>(bar->size()));
  if (start >= end) return end;
  std::vector<EventPlace> order;
  for (int p = 0; p < events.positions && p < kBarPositions; ++p) {
    for (uint32_t k = 0; k < events.counts[p] && k < kEventsPerPosition; ++k) {
      order.push_back({p, static_cast<int>(k)});
    }
  }
  const uint8_t* in = bar->data();
  // The built prefix: the items up to the last event's; a bar cut at its
  // 256th position keeps the rest as it stands.
  uint32_t cut = end;
  {
    size_t seen = 0;
    for (uint32_t at = start; at < end;) {
      uint32_t length = 0;
      if (!ItemLengthWithin(in + at, end - at, version, &length)) {
        cut = at;
        break;
      }
      if (IsEventItem(in + at)) {
        if (seen == order.size()) break;
        ++seen;
        if (seen == order.size()) cut = at + length;
      }
      at += length;
    }
    if (order.empty()) cut = start;
  }
  const bool boxed = boxes && firstItemIndex >= 0;
  int32_t row = firstItemIndex;
  int32_t oldRow = firstItemIndex;  // the row the item had before the rewrite
  StreamRewrite moves;
  const auto keep = [&](uint32_t from, size_t to, bool hasRow) {
    if (!rewrite) return;
    moves.bytes.kept.emplace_back(from, start + static_cast<uint32_t>(to));
    if (boxed && hasRow) moves.rows.kept.emplace_back(oldRow, row);
  };
  std::vector<uint8_t> out;
  out.reserve(end - start + 64);
  size_t next = 0;
  const BarEvent* reference = nullptr;  // the event the marks follow
  for (uint32_t at = start; at < cut;) {
    uint32_t length = 0;
    if (!ItemLengthWithin(in + at, cut - at, version, &length)) break;
    const uint8_t* item = in + at;
    const uint32_t itemFrom = at;
    at += length;
    const bool hasRow = ItemHasBoxRow(item);
    if (IsRemovedOnWriteBack(item)) {
      if (boxed && hasRow) RemoveObjectBoxRow(boxes, row);
      if (hasRow) ++oldRow;
      continue;
    }
    if (IsEventItem(item) && next < order.size()) {
      const EventPlace place = order[next++];
      const BarEvent& e = events.At(place.position, place.slot);
      reference = &e;
      if (!e.Live()) {
        if (boxed) RemoveObjectBoxRow(boxes, row);
        ++oldRow;
        continue;
      }
      const EventBox own = boxed ? ObjectBoxRow(*boxes, row) : EventBox{};
      EventBox made = own;
      made.bottom = made.top;
      if (e.tupletCount) {
        const uint32_t total = e.tupletTotal & kMarkSpanMask;
        out.push_back(kTupletMarkByte);
        out.push_back(static_cast<uint8_t>(total & 0xFF));
        out.push_back(static_cast<uint8_t>((total >> 8) | (e.voice & 3) << 6));
        out.push_back(static_cast<uint8_t>((e.tupletCount & 0x7F) | (e.tupletHigh & 1) << 7));
        out.push_back(e.tupletNormal);
        if (boxed) InsertObjectBoxRow(boxes, row++, IsZeroBox(e.tupletBox) ? made : e.tupletBox);
      }
      if ((e.flags & kEventChord) && (e.hintState & 3) == 3) {
        out.push_back(kNumberHintByte);
        out.push_back(static_cast<uint8_t>(kHintPayload));
        if (version >= 3) out.push_back(0);
        out.insert(out.end(), e.hintDigits, e.hintDigits + kHintPayload);
        if (boxed) InsertObjectBoxRow(boxes, row++, IsZeroBox(e.hintBox) ? made : e.hintBox);
      }
      const size_t itemAt = out.size();
      keep(itemFrom, itemAt, true);
      out.insert(out.end(), item, item + length);
      if (KindOf(item) == kItemChord) {
        RewriteChord(out.data() + itemAt, events, place, e, clearCueBits);
      } else {
        RewriteRest(out.data() + itemAt, events, place, e, clearCueBits);
      }
      if (boxed) ++row;
      ++oldRow;
      continue;
    }
    const size_t itemAt = out.size();
    keep(itemFrom, itemAt, hasRow);
    out.insert(out.end(), item, item + length);
    if (KindOf(item) == kItemMark) {
      const BarEvent* owner = reference;
      if (!owner && next < order.size()) owner = &events.At(order[next].position, order[next].slot);
      const uint8_t voice = owner && owner->Live() ? static_cast<uint8_t>(owner->voice & 3) : 0;
      out[itemAt + 2] = static_cast<uint8_t>((out[itemAt + 2] & 0x3F) | voice << 6);
    }
    if (boxed && hasRow) ++row;
    if (hasRow) ++oldRow;
  }
  if (rewrite) {
    // What lies past the rewritten items (a cut bar's rest, the stream's
    // tail) moves with the run's end.
    moves.bytes.start = start;
    moves.bytes.oldEnd = cut;
    moves.bytes.newEnd = start + static_cast<uint32_t>(out.size());
    if (boxed) {
      moves.rows.start = static_cast<uint32_t>(firstItemIndex);
      moves.rows.oldEnd = static_cast<uint32_t>(oldRow);
      moves.rows.newEnd = static_cast<uint32_t>(row);
    }
    *rewrite = std::move(moves);
  }
  out.insert(out.end(), in + cut, in + end);
  const uint32_t newEnd = start + static_cast<uint32_t>(out.size());
  bar->erase(bar->begin() + start, bar->begin() + end);
  bar->insert(bar->begin() + start, out.begin(), out.end());
  return newEnd;
}

bool SpliceStreamRange(StreamSet* set, int slot, uint32_t start, uint32_t end, const uint8_t* replacement,
                       uint32_t length) {
  if (!set || slot < 0 || slot >= kPartSlots) return false;
  const uint32_t used = StreamUsedLength(*set, slot);
  if (start > end || end > used) return false;
  if (length > end - start && !GrowStream(set, slot, length - (end - start))) return false;
  uint8_t* stream = StreamBytes(*set, slot);
  if (!stream) return length == 0 && start == end;
  std::memmove(stream + start + length, stream + end, used - end);
  if (length) std::memcpy(stream + start, replacement, length);
  set->used[slot] = used - (end - start) + length;
  return true;
}
