#include "building/TupletCompletion.h"

#include <algorithm>

#include "score/Rhythm.h"
#include "score/ScoreItem.h"
#include "score/TupletDurations.h"

namespace {

// A chord's or single rest's duration in 1/128 notes.
uint32_t Length(const uint8_t* item) {
  if (KindOf(item) == kItemChord) return static_cast<uint32_t>(DurationTicks(ChordDurationCode(item), ChordDots(item)) / 8);
  if (KindOf(item) == kItemRest && !IsMultiBarRest(item))
    return static_cast<uint32_t>(DurationTicks(RestDurationCode(item), RestDots(item)) / 8);
  return 0;
}

int ItemVoice(const uint8_t* item) { return KindOf(item) == kItemChord ? ChordVoice(item) : RestVoice(item); }

// Whether enough notes of chord y repeat those of chord x.
bool RepeatsChord(const uint8_t* x, const uint8_t* y, bool tab) {
  const int nx = ChordNoteCount(x), ny = ChordNoteCount(y);
  if (std::abs(nx - ny) > std::min(nx, ny) / 2) return false;
  int partners = 0;
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) {
      const uint8_t a = x[kChordHeaderBytes + i], b = y[kChordHeaderBytes + j];
      if (tab ? (a >> 5) == (b >> 5) : (a & 31) == (b & 31)) {
        ++partners;
        break;
      }
    }
  return partners >= std::max(1, 2 * nx / 3);
}

}  // namespace

void MarkRepeatedChordTuplets(uint8_t* stream, uint32_t start, uint32_t end, bool tablature, uint8_t version) {
  if (!stream) return;
  const bool tab = tablature;
  bool seen = false;
  uint32_t length = 0;
  const auto mark = [&](uint8_t* item) {
    if (!seen) {
      item[0] = kRepeatedChordMarkByte;
      item[1] = 1;
      item[2] &= 0xC0;
    } else {
      item[0] = kHiddenMarkByte;
    }
    seen = true;
  };
  for (uint32_t offset = start; offset < end && ItemLengthWithin(stream + offset, end - offset, version, &length);
       offset += length) {
    uint8_t* item = stream + offset;
    if (item[0] == kRepeatedChordMarkByte) seen = true;
    if (KindOf(item) == kItemChord) seen = false;
    if (item[0] != kBracketTupletByte) continue;
    const uint32_t value = MarkSpan(item);
    if (value == 0) {
      mark(item);
      continue;
    }
    const int voice = MarkVoice(item);
    const uint8_t* x = nullptr;
    uint32_t next = 0;
    for (uint32_t o = offset + length; o < end && ItemLengthWithin(stream + o, end - o, version, &next); o += next) {
      const uint8_t* it = stream + o;
      if ((KindOf(it) != kItemChord && KindOf(it) != kItemRest) || ItemVoice(it) != voice) continue;
      if (!x) {
        x = it;
        continue;
      }
      if (KindOf(it) == kItemChord && KindOf(x) == kItemChord && Length(it) == value && RepeatsChord(x, it, tab))
        mark(item);
      break;
    }
  }
  for (uint32_t offset = start; offset < end && ItemLengthWithin(stream + offset, end - offset, version, &length);
       offset += length)
    if (stream[offset] == kBracketTupletFarByte) stream[offset] = kBracketTupletByte;
}

void CompleteStreamTuplets(uint8_t* stream, uint32_t used, bool tablature, uint8_t version) {
  if (!stream || !used) return;
  FillTupletDurations(stream, 0, used, version);
  MarkRepeatedChordTuplets(stream, 0, used, tablature, version);
  WalkStream(stream, used, version, [&](uint32_t at, const uint8_t* item, uint32_t) {
    if (item[0] == kBracketTupletByte) stream[at] = kHiddenMarkByte;
    return true;
  });
}

void CompletePageTuplets(BuildContext& context) {
  for (int slot = 1; slot < std::min(context.ReadingPartCount, kPartSlots); ++slot)
    CompleteStreamTuplets(StreamBytes(*context.streams, slot), StreamUsedLength(*context.streams, slot),
                          IsTablatureSlot(context, slot), context.version);
}
