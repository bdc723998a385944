#include "reading/ObjectSearch.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Mscrptio.h"
#include "reading/NoteGroupAdapter.h"
#include "reading/StaveSpacing.h"

struct ObjectSearchCache::Slots {
  std::map<std::tuple<int32_t, int32_t, int32_t>, std::vector<EngineEventView>> events;
};

namespace {

thread_local ObjectSearchCache::Slots* activeCache = nullptr;
thread_local ObjectSearchCache* activeOwner = nullptr;

// The slot's note events: from the cache while one is held, else read now.
const std::vector<EngineEventView>& SlotEvents(int32_t system, int32_t stave, int32_t slot) {
  if (activeCache) {
    const auto key = std::make_tuple(system, stave, slot);
    auto found = activeCache->events.find(key);
    if (found == activeCache->events.end()) {
      std::vector<EngineEventView> read;
      ReadEngineSlotEvents(system, stave, slot, &read);
      found = activeCache->events.emplace(key, std::move(read)).first;
    }
    return found->second;
  }
  static thread_local std::vector<EngineEventView> events;
  ReadEngineSlotEvents(system, stave, slot, &events);
  return events;
}

struct Query {
  int32_t left, top, right, bottom;
};

bool Overlaps(const Query& q, int32_t oLeft, int32_t oTop, int32_t oRight, int32_t oBottom) {
  return q.left < oRight && q.right >= oLeft && q.top < oBottom && q.bottom >= oTop;
}
bool Overlaps(const Query& q, const EngineBox& b) {
  return b.x0 != kNoBoxWord && Overlaps(q, b.x0, b.y0, b.x1, b.y1);
}
int32_t RightEdge(int32_t right) { return std::max(right, 0); }

bool IsHeadType(int32_t type) { return type >= kNoteBreve && type <= kNoteGrace; }
bool IsSearchedRestType(int32_t type) {
  const int32_t last = CurrentObjectSearchOptions().multiBarRests ? kMultiBarRest : kHDSQuaverRest;
  return type > kBreveRest && type <= last;  // a breve rest is never matched
}

// A found-object reference (kind, index) of a sign event.
EngineBox ReferencedBox(int32_t kind, int32_t index) {
  if (kind <= 0 || index < 0) return EngineBox{kNoBoxWord, kNoBoxWord, kNoBoxWord, kNoBoxWord};
  return GetFoundObjectBox(kind, index);
}

// The notes of one event that belong to the queried stave; -1 when none.
int32_t SearchEvent(const EngineEventView& e, int32_t offset, const Query& q, uint32_t mask, int32_t tolerance) {
  int32_t firstOwn = -1;
  for (int32_t i = 0; i < e.noteCount && firstOwn < 0; ++i)
    if (e.notes[i].staveOffset == offset) firstOwn = i;
  if (firstOwn < 0) return -1;
  if (!(mask & kSkipEventBoxes) && Overlaps(q, e.box)) return RightEdge(std::max(e.upperRight, e.lowerRight));
  for (int32_t i = firstOwn; i < e.noteCount; ++i) {
    const EngineNoteView& n = e.notes[i];
    if (n.staveOffset != offset || n.type >= kInvisibleRest || n.type == kBreveRest) continue;
    const bool head = IsHeadType(n.type);
    const bool wanted = head ? !(mask & kSkipNoteheads) : IsSearchedRestType(n.type) && !(mask & kSkipRests);
    const EngineBox& box = n.box;
    if (wanted && Overlaps(q, box)) return RightEdge(box.x1);
    // The stem's end, widened by the tolerance on the side where a beam or
    // flag leaves it.
    if ((mask & kSearchGraceStemEnds) && n.type == kNoteGrace && e.hasStem) {
      const int32_t x0 = e.stemX - (e.leftBeams > 0 ? tolerance : 0);
      const int32_t x1 = e.stemX + (e.rightBeams > 0 || e.flagCount > 0 ? tolerance : 0);
      const int32_t y0 = e.stemUp ? e.stemTopY : e.stemBottomY - tolerance;
      if (Overlaps(q, x0, y0, x1, y0 + tolerance)) return RightEdge(e.stemUp ? e.upperRight : e.lowerRight);
    }
    // The note's two parts: the head or rest with half its height above and
    // below, and its accidental.
    if (!(mask & kSkipNoteParts)) {
      if (box.x0 != kNoBoxWord) {
        const int32_t half = (box.y1 - box.y0) / 2;
        if (Overlaps(q, box.x0, box.y0 - half, box.x1, box.y1 + half)) return RightEdge(box.x1);
      }
      if (Overlaps(q, n.accidentalBox)) return RightEdge(n.accidentalBox.x1);
    }
    // The engine lists no beam or flag boxes with its events (kSkipListedBoxes).
  }
  return -1;
}

int32_t SearchSigns(int32_t system, int32_t t, int32_t slot, int32_t staff, const Query& q, uint32_t mask) {
  if (!(mask & kSkipClefs)) {
    int32_t n = 0;
    const int32_t(*clefs)[kClefWords] = GetTimeSlotClefs(0, system, t, slot, &n);
    for (int32_t i = 0; i < n; ++i) {
      const EngineBox b = ReferencedBox(clefs[i][3], clefs[i][4]);
      if (Overlaps(q, b)) return RightEdge(b.x1);
    }
  }
  if (!(mask & kSkipKeySignatures)) {
    int32_t n = 0;
    const int32_t(*keys)[kKeySignatureWords] = GetTimeSlotKeySignatures(0, system, t, slot, &n);
    for (int32_t i = 0; i < n; ++i) {
      const EngineBox b = ReferencedBox(keys[i][3], keys[i][4]);
      if (Overlaps(q, b)) return RightEdge(b.x1);
    }
  }
  if (!(mask & kSkipBarlines)) {
    int32_t bar[kBarlineWords] = {};
    int32_t found = 0;
    GetTimeSlotBarline(0, system, t, slot, bar, &found);
    if (found) {
      const int32_t a = ScriptXToPageX(bar[1], staff);
      const int32_t b = ScriptXToPageX(bar[2], staff);
      const int32_t left = std::min(a, b);
      const int32_t right = std::max(a, b);
      if (q.left < right && q.right >= left) return RightEdge(right);  // on x only
    }
  }
  if (!(mask & kSkipTimeSignatures)) {
    int32_t time[kTimeSignatureWords] = {};
    int32_t found = 0;
    GetTimeSlotTimeSignature(0, system, t, slot, time, &found);
    if (found) {
      const EngineBox b = ReferencedBox(time[5], time[6]);
      if (Overlaps(q, b)) return RightEdge(b.x1);
    }
  }
  return -1;
}

}  // namespace

ObjectSearchCache::ObjectSearchCache() : slots_(new Slots), previous_(activeOwner) {
  activeOwner = this;
  activeCache = slots_;
}

ObjectSearchCache::~ObjectSearchCache() {
  activeOwner = previous_;
  activeCache = previous_ ? previous_->slots_ : nullptr;
  delete slots_;
}

ObjectSearchOptions& CurrentObjectSearchOptions() {
  static ObjectSearchOptions options;
  return options;
}

int32_t FindObjectNearBox(const StaveRow* rows, int count, int s, int32_t left, int32_t top, int32_t right,
                          int32_t bottom, uint32_t mask, int32_t tolerance) {
  if (!rows || s < 0 || s >= count) return 0;
  const int32_t system = rows[s].group;
  const int32_t t0 = StaveIndexInGroup(rows, count, s);
  if (system < 0 || system >= GetPageSystemCount(0)) return 0;
  const int32_t staves = GetSystemStaveCount(0, system);
  if (t0 >= staves) return 0;
  const Query q{left, top, right, bottom};
  const bool neighbours = CurrentObjectSearchOptions().searchNeighbours;

  for (int32_t d = -1; d <= 1; ++d) {
    if (d != 0 && !neighbours) continue;
    if ((d < 0 && t0 < 1) || (d > 0 && t0 + 1 >= staves)) continue;
    const int32_t t = t0 + d;
    const int32_t staff = GetStaffOfSystem(system, t);
    const int32_t slots = GetStaveTimeSlotCount(0, system, t);
    for (int32_t slot = 0; slot < slots; ++slot) {
      for (const EngineEventView& view : SlotEvents(system, t, slot)) {
        const int32_t found = SearchEvent(view, -d, q, mask, tolerance);
        if (found >= 0) return found;
      }
      if (d == 0) {
        const int32_t found = SearchSigns(system, t, slot, staff, q, mask);
        if (found >= 0) return found;
      }
    }
  }

  if (!(mask & kSkipDynamics)) {
    for (int32_t i = 0; i < GetStaveDynamicCount(0, system, t0); ++i) {
      const EngineBox b = GetStaveDynamic(0, system, t0, i).box;
      if (Overlaps(q, b)) return RightEdge(b.x1);
    }
  }
  if (!(mask & kSkipWords)) {
    for (int32_t line = 0; line < GetStaveTextLineCount(0, system, t0); ++line)
      for (int32_t w = 0; w < GetTextLineWordCount(0, system, t0, line); ++w) {
        const EngineBox b = GetTextLineWord(0, system, t0, line, w).box;
        if (Overlaps(q, b)) return RightEdge(b.x1);
      }
  }
  if (!(mask & kSkipRepeatMarks)) {
    for (int32_t i = 0; i < GetStaveRepeatMarkCount(0, system, t0); ++i) {
      const EngineBox b = GetStaveRepeatMark(0, system, t0, i).box;
      if (Overlaps(q, b)) return RightEdge(b.x1);
    }
  }
  if (mask & kStopBeforePedalMarks) return -1;
  for (int32_t i = 0; i < GetStavePedalOrnamentCount(0, system, t0); ++i) {
    const EngineBox b = GetStavePedalOrnament(0, system, t0, i).box;
    if (Overlaps(q, b)) return RightEdge(b.x1);
  }
  return -1;
}
