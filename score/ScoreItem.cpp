#include "score/ScoreItem.h"

uint8_t ScoreFormatVersion = kCurrentScoreFormatVersion;

namespace {

uint8_t Replace(uint8_t byte, uint8_t mask, unsigned shift, unsigned value) {
  return static_cast<uint8_t>((byte & ~mask) | ((value << shift) & mask));
}

}  // namespace

// ---- Field writers ----

void SetClef(uint8_t* item, uint8_t code, uint8_t octaveShift) {
  item[0] = static_cast<uint8_t>(((code & 15) << 3) | kItemClef);
  item[1] = Replace(item[1], 0x07, 0, octaveShift);
}

uint8_t MakeKeySignature(uint8_t count, bool sharps, bool notPlayed) {
  return static_cast<uint8_t>(((count & 7) << 4) | (sharps ? 0x08 : 0) | (notPlayed ? 0x80 : 0) | kItemKey);
}

void SetTimeSignature(uint8_t* item, uint8_t numerator, uint8_t denominatorCode, bool hidden) {
  item[0] = static_cast<uint8_t>(((numerator & 31) << 3) | kItemTime);
  item[1] = static_cast<uint8_t>((item[1] & 0x78) | (denominatorCode & 7) | (hidden ? 0x80 : 0));
}

void SetChordNoteCount(uint8_t* item, uint8_t count) {
  item[0] = static_cast<uint8_t>(((count & 31) << 3) | kItemChord);
}
void SetChordDuration(uint8_t* item, uint8_t durationCode, uint8_t dots) {
  item[1] = Replace(item[1], 0x3C, 2, durationCode);
  item[1] = Replace(item[1], 0xC0, 6, dots);
}
void SetChordPlacement(uint8_t* item, uint8_t placement) { item[2] = Replace(item[2], 0x18, 3, placement); }
void SetChordNotehead(uint8_t* item, uint8_t notehead) { item[4] = Replace(item[4], 0x03, 0, notehead); }
void SetChordVoice(uint8_t* item, uint8_t voice) { item[4] = Replace(item[4], 0x18, 3, voice); }
void SetChordStemBit(uint8_t* item, bool set) { item[4] = Replace(item[4], 0x20, 5, set); }
void SetChordBeamedToNext(uint8_t* item, bool set) { item[4] = Replace(item[4], 0x40, 6, set); }
void SetChordStartsBeamGroup(uint8_t* item, bool set) { item[4] = Replace(item[4], 0x80, 7, set); }
void SetNote(uint8_t* item, unsigned note, uint8_t position, uint8_t accidental) {
  item[kChordHeaderBytes + note] = static_cast<uint8_t>((position & 31) | ((accidental & 7) << 5));
}

void SetRest(uint8_t* item, uint8_t durationCode, uint8_t dots, uint8_t voice) {
  item[0] = static_cast<uint8_t>(((durationCode & 7) << 4) | kItemRest);
  item[1] = static_cast<uint8_t>((item[1] & 0x3C) | (dots & 3) | ((voice & 3) << 6));
}
void SetRestFields(uint8_t* item, uint8_t fields) { item[1] = Replace(item[1], 0x3C, 2, fields); }
void SetMultiBarRest(uint8_t* item, uint32_t bars, uint8_t voice) {
  item[0] = static_cast<uint8_t>(((bars & 15) << 4) | 0x08 | kItemRest);
  item[1] = static_cast<uint8_t>(((bars >> 4) & 63) | ((voice & 3) << 6));
}

void SetMarkSpan(uint8_t* item, uint32_t span) {
  item[1] = static_cast<uint8_t>(span & 0xFF);
  item[2] = Replace(item[2], 0x3F, 0, (span >> 8) & 63);
}
void SetMarkVoice(uint8_t* item, uint8_t voice) { item[2] = Replace(item[2], 0xC0, 6, voice); }

// ---- Texts ----

uint32_t TextStart(const uint8_t* item, uint8_t version) {
  uint32_t start = version < 3 ? 4u : 5u;
  return TextSubKindOf(item) == kTextExtraByte ? start + 1 : start;
}

uint32_t TextByteCount(const uint8_t* item, uint8_t version) {
  uint32_t length = ItemLength(item, version);
  uint32_t start = TextStart(item, version);
  return length > start ? length - start : 0;
}

void SetTextPayloadLength(uint8_t* item, uint32_t payload, uint8_t version) {
  item[1] = static_cast<uint8_t>(payload & 0xFF);
  if (version >= 3) item[2] = static_cast<uint8_t>((payload >> 8) & 0xFF);
}

// ---- Lengths ----

uint32_t ItemLength(const uint8_t* item, uint8_t version) {
  switch (KindOf(item)) {
    case kItemBarLine:
    case kItemKey:
      return 1;
    case kItemClef:
    case kItemTime:
    case kItemRest:
      return 2;
    case kItemChord:
      return (item[0] >> 3) + kChordHeaderBytes;
    case kItemMark:
      return 5;
    case kItemText:
      return TextPayloadLength(item, version) + TextHeaderBytes(version);
  }
  return 1;
}

uint32_t ItemLengthBytesNeeded(uint8_t firstByte, uint8_t version) {
  if ((firstByte & 7) != kItemText) return 1;
  return version < 3 ? 2 : 3;
}

bool ItemLengthWithin(const uint8_t* item, size_t remaining, uint8_t version, uint32_t* length) {
  if (remaining < 1 || remaining < ItemLengthBytesNeeded(item[0], version)) return false;
  uint32_t n = ItemLength(item, version);
  if (n > remaining) return false;
  *length = n;
  return true;
}

bool IsStreamWellFormed(const uint8_t* stream, uint32_t used, uint8_t version, uint32_t* badOffset) {
  return WalkStream(stream, used, version, [](uint32_t, const uint8_t*, uint32_t) { return true; },
                    badOffset) == WalkResult::kComplete;
}

bool ItemCursor::Next() {
  if (malformed_) return false;
  uint32_t next = started_ ? offset_ + length_ : 0;
  started_ = true;
  offset_ = next;
  length_ = 0;
  if (next >= used_) {
    offset_ = used_;
    return false;
  }
  uint32_t length = 0;
  if (!ItemLengthWithin(stream_ + next, used_ - next, version_, &length)) {
    malformed_ = true;
    return false;
  }
  length_ = length;
  return true;
}

// ---- Hidden items ----

int IsItemHidden(const uint8_t* item) {
  switch (KindOf(item)) {
    case kItemTime:
      return TimeIsHidden(item) ? 1 : 0;
    case kItemMark:
      return MarkSubKind(item) == kMarkSubKindHidden ? 1 : 0;
    default:
      return 0;
  }
}
