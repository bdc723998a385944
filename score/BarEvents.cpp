#include "score/BarEvents.h"

#include <algorithm>

namespace {

constexpr uint8_t kNumberHintByte = 127;  // a text item of sub-kind 15: ten 4-bit numbers
constexpr uint32_t kHintPayload = 5;
constexpr uint32_t kHintFirst = 3;  // hint state on the first chord after the hint
constexpr uint32_t kHintLater = 2;

bool AttachesToLastEvent(uint8_t subKind) {
  return subKind <= kTextRehearsal || subKind == kTextChordSymbol;
}

// The box rows of a range: the running index counts the boxed items.
struct BoxSource {
  const EventBox* boxes = nullptr;
  int32_t boxCount = 0;
  const ObjectBoxList* list = nullptr;
  int32_t first = -1;
  EventBox At(int32_t index) const {
    if (first < 0) return {};
    const int64_t row = int64_t{first} + index;
    if (row < 0 || row >= INT32_MAX) return {};
    if (list) return ObjectBoxRow(*list, static_cast<int32_t>(row));
    if (!boxes || row >= boxCount) return {};
    return boxes[row];
  }
};

struct Context {
  uint32_t tupletTotal = 0;
  uint8_t tupletCount = 0;
  uint8_t tupletNormal = 0;
  EventBox tupletBox;
  uint32_t tupletHigh = 0;
  uint8_t hintDigits[kHintPayload] = {};
  EventBox hintBox;
  uint32_t hintState = 0;
  bool attachNext = false;
};

void BuildEvents(const uint8_t* stream, uint32_t start, uint32_t end, BarEvents* out, const BoxSource& source,
                 uint8_t version) {
  std::fill(std::begin(out->counts), std::end(out->counts), 0u);
  std::fill(out->events.begin(), out->events.end(), BarEvent{});
  out->positions = 0;
  int position = -1;
  BarEvent* last = nullptr;
  Context c;
  int32_t index = 0;
  for (uint32_t at = start; at < end;) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + at, end - at, version, &length)) break;
    const uint8_t* item = stream + at;
    at += length;
    const EventBox box = ItemHasBoxRow(item) ? source.At(index++) : EventBox{};
    const ItemKind kind = KindOf(item);
    if (kind == kItemBarLine) {
      c.attachNext = false;
      last = nullptr;
      continue;
    }
    if (kind == kItemMark && MarkSubKind(item) == kMarkTuplet) {
      c.tupletTotal = MarkSpan(item);
      c.tupletCount = MarkParameter1(item) & 0x7F;
      c.tupletNormal = MarkParameter2(item);
      c.tupletHigh = MarkParameter1(item) >> 7;
      c.tupletBox = box;
      continue;
    }
    if (kind == kItemText) {
      const uint8_t subKind = TextSubKindOf(item);
      if (item[0] == kNumberHintByte) {
        // The five bytes follow the first byte and the length field.
        const uint32_t payload = TextHeaderBytes(version);
        if (length >= payload + kHintPayload) {
          std::copy(item + payload, item + payload + kHintPayload, c.hintDigits);
          c.hintBox = box;
          c.hintState = kHintFirst;
        }
      }
      if (subKind == kTextNumberBlock) {
        c.attachNext = true;
      } else if (AttachesToLastEvent(subKind) && last) {
        last->flags |= kEventTextAttached;
      }
      continue;
    }
    const bool chord = kind == kItemChord;
    if (!chord && kind != kItemRest) continue;
    if (chord && ChordNoteCount(item) == 0) continue;
    const bool joins = chord ? ChordSharesColumn(item) : RestSharesColumn(item);
    if (joins && position >= 0 && out->counts[position] < kEventsPerPosition) {
      // stays at the open position
    } else if (joins && position < 0) {
      position = 0;
    } else {
      ++position;
    }
    if (position >= kBarPositions) break;
    BarEvent& e = out->At(position, static_cast<int>(out->counts[position]++));
    out->positions = std::max(out->positions, position + 1);
    e.boxA = static_cast<uint16_t>(box.top);
    e.boxB = static_cast<uint16_t>(box.bottom);
    if (chord) {
      e.voice = ChordVoice(item);
      e.code = ChordDurationCode(item);
      e.dots = ChordDots(item);
      e.duration = DurationTicks(e.code, e.dots);
      e.flags = kEventChord;
      if (e.code <= 6) e.flags |= kEventShortChord;
      if (ChordIsSmall(item)) e.flags |= kEventSmallNotes;
      if (ChordIsGrace(item)) e.flags |= kEventNoTime;
      if (e.code <= 4 && ChordBeamedToNext(item)) {
        e.flags |= kEventBeamedToNext;
        if (!ChordStartsBeamGroup(item)) e.flags |= kEventBeamContinues;
      }
      if (ChordStemBit(item)) e.flags |= kEventStemBit;
      if (item[2] & 0x04) e.flags |= kEventNewPosition;
      if (ChordIsLarge(item)) e.flags |= kEventCue;
      for (unsigned n = 0; n < ChordNoteCount(item) && kChordHeaderBytes + n < length; ++n) {
        e.lowPos = std::min(e.lowPos, NotePosition(item, n));
        e.highPos = std::max(e.highPos, NotePosition(item, n));
      }
      const uint8_t placement = ChordPlacementOf(item);
      e.cross = placement == kPlacementAbove ? -1 : placement == kPlacementBelow ? 1 : 0;
      e.hintState = c.hintState;
      std::copy(c.hintDigits, c.hintDigits + kHintPayload, e.hintDigits);
      e.hintBox = c.hintBox;
      if (c.hintState == kHintFirst) c.hintState = kHintLater;
    } else {
      e.voice = RestVoice(item);
      if (IsMultiBarRest(item)) {
        e.code = 8;
        e.dots = 0;
        e.duration = 0;
      } else {
        e.code = RestDurationCode(item);
        e.dots = RestDots(item);
        e.duration = DurationTicks(e.code, e.dots);
        if (RestIsHidden(item)) e.flags |= kEventHiddenRest;
        if (RestIsCue(item)) e.flags |= kEventCue;
      }
    }
    e.tupletTotal = c.tupletTotal;
    e.tupletCount = c.tupletCount;
    e.tupletNormal = c.tupletNormal;
    e.tupletBox = c.tupletBox;
    e.tupletHigh = c.tupletHigh;
    c.tupletCount = 0;
    if (c.attachNext) {
      e.flags |= kEventTextAttached;
      c.attachNext = false;
    }
    last = &e;
  }
}

}  // namespace

void BuildBarEvents(const uint8_t* stream, uint32_t start, uint32_t end, BarEvents* out, const EventBox* boxes,
                    int32_t boxCount, int32_t firstItemIndex, uint8_t version) {
  BoxSource source;
  source.boxes = boxes;
  source.boxCount = boxCount;
  source.first = firstItemIndex;
  BuildEvents(stream, start, end, out, source, version);
}

void BuildBarEvents(const uint8_t* stream, uint32_t start, uint32_t end, BarEvents* out, const ObjectBoxList* boxes,
                    int32_t firstItemIndex, uint8_t version) {
  BoxSource source;
  source.list = boxes;
  source.first = boxes ? firstItemIndex : -1;
  BuildEvents(stream, start, end, out, source, version);
}

uint32_t SumVoiceDurations(const BarEvents& bar, VoiceTotals* totals, int* maxEvents) {
  *totals = VoiceTotals{};
  VoiceAlignment alignment;
  struct Span {
    int64_t raw = 0;       // the written length of the span; 0 none open
    int64_t real = 0;      // what it sounds as
    int64_t progress = 0;
    int64_t remainder = 0;
  } spans[kRhythmVoices];
  int eventsPerVoice[kRhythmVoices] = {};
  uint32_t result = 0;
  for (int p = 0; p < bar.positions; ++p) {
    int32_t chord[kRhythmVoices] = {}, rest[kRhythmVoices] = {};
    bool present[kRhythmVoices] = {};
    bool takesTime = false;
    for (uint32_t k = 0; k < bar.counts[p] && k < kEventsPerPosition; ++k) {
      const BarEvent& e = bar.At(p, static_cast<int>(k));
      if (!e.Live()) continue;
      const int v = e.voice;
      if (e.duration >= kTicksPerWhole) result = 1;
      if (e.tupletCount) {
        Span& s = spans[v];
        s.raw = int64_t{e.tupletNormal + 1} * e.tupletCount * 8;
        s.real = int64_t{e.tupletTotal} * 8;
        s.progress = 0;
        s.remainder = s.real;
        if (s.real <= 0) s.raw = 0;
      }
      if (e.flags & kEventNoTime) continue;
      takesTime = true;
      present[v] = true;
      ++eventsPerVoice[v];
      if (e.flags & kEventChord) {
        chord[v] = std::max(chord[v], e.duration);
      } else {
        rest[v] = std::max(rest[v], e.duration);
      }
    }
    if (!takesTime) continue;
    AlignVoiceTimes(&alignment, totals, chord, rest);
    for (int v = 0; v < kRhythmVoices; ++v) {
      if (!present[v]) continue;
      int64_t value = std::max(chord[v], rest[v]);
      Span& s = spans[v];
      if (s.raw > 0) {
        s.progress += value;
        if (s.progress > s.raw) {
          s.raw = 0;
        } else if (s.progress == s.raw) {
          value = s.remainder;
          s.raw = 0;
        } else {
          value = (value * s.real * 2 / s.raw + 1) / 2;
          value = std::min(value, s.remainder);
          s.remainder -= value;
        }
      }
      totals->t[v] = static_cast<int32_t>(std::min<int64_t>(int64_t{totals->t[v]} + value, INT32_MAX));
    }
  }
  if (maxEvents) *maxEvents = *std::max_element(eventsPerVoice, eventsPerVoice + kRhythmVoices);
  return result;
}
