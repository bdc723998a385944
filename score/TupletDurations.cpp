#include "score/TupletDurations.h"

#include <algorithm>

namespace {

constexpr uint8_t kNeverClosed = 255;
constexpr uint32_t kTicksPerBar = 128;
constexpr uint8_t kOneTickCode = 15;

// A note value of code c lasts 2^c ticks (a crotchet 32); each dot adds half
// of the value before it.
uint64_t DottedTicks(unsigned code, unsigned dots) {
  if (code == kOneTickCode) return 1;
  uint64_t value = uint64_t{1} << code;
  uint64_t total = value;
  for (unsigned dot = 1; dot <= dots; ++dot) total += value >> dot;
  return total;
}

uint64_t RestTicks(const uint8_t* item) {
  if (IsMultiBarRest(item)) return uint64_t{MultiBarRestBars(item)} * kTicksPerBar;
  return DottedTicks(RestDurationCode(item), RestDots(item));
}

// Sums the notes after the tuplet item at tuplet (whose length is length) and
// writes the total, or 0, 0 when the range ends first.
void FillOne(uint8_t* stream, uint32_t tupletOffset, uint32_t length, uint32_t end, uint8_t version) {
  uint8_t* tuplet = stream + tupletOffset;
  const uint32_t counted = tuplet[1];
  int voice = -1;
  uint32_t chords = 0;
  uint64_t total = 0;
  uint32_t offset = tupletOffset + length;
  while (offset < end) {
    uint32_t itemLength = 0;
    if (!ItemLengthWithin(stream + offset, end - offset, version, &itemLength)) break;
    const uint8_t* item = stream + offset;
    offset += itemLength;
    if (KindOf(item) == kItemChord) {
      if (voice < 0) {
        voice = ChordVoice(item);
        continue;
      }
      ++chords;
      if (ChordVoice(item) == voice) total += DottedTicks(ChordDurationCode(item), ChordDots(item));
      if (chords >= counted + 1 && total > 0) {
        uint32_t value = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
        tuplet[1] = static_cast<uint8_t>(value & 0xFF);
        tuplet[2] = static_cast<uint8_t>(((value >> 8) & 63) + (voice << 6));
        return;
      }
    } else if (KindOf(item) == kItemRest && voice >= 0 && RestVoice(item) == voice) {
      total += RestTicks(item);
    }
  }
  tuplet[1] = 0;
  tuplet[2] = 0;
}

}  // namespace

void FillTupletDurations(uint8_t* stream, uint32_t start, uint32_t end, uint8_t version) {
  uint32_t offset = start;
  while (offset < end) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + offset, end - offset, version, &length)) return;
    uint8_t* item = stream + offset;
    if (IsBracketTuplet(item)) {
      if (item[1] == kNeverClosed && item[2] == kNeverClosed) {
        item[0] = kHiddenMarkByte;
        item[1] = 0;
        item[2] = 0;
      } else {
        FillOne(stream, offset, length, end, version);
      }
    }
    offset += length;
  }
}

void FillTupletDurations(StreamSet* set, int slot, uint8_t version) {
  uint8_t* bytes = StreamBytes(*set, slot);
  if (!bytes) return;
  uint32_t end = StreamUsedLength(*set, slot);
  FillTupletDurations(bytes, 0, end, version);
}
