#include "score/ScoreItem.h"

#include "platform/Platform.h"

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
void SetChordArticulation(uint8_t* item, uint8_t code) { item[2] = Replace(item[2], 0xE0, 5, code); }
void SetChordMarkFlags(uint8_t* item, uint8_t flags) { item[3] = Replace(item[3], 0x7F, 0, flags); }
void SetChordStemDown(uint8_t* item, bool down) { item[4] = Replace(item[4], 0x20, 5, down); }
void SetChordBeamedToNext(uint8_t* item, bool set) { item[4] = Replace(item[4], 0x40, 6, set); }
void SetChordStartsBeamGroup(uint8_t* item, bool set) { item[4] = Replace(item[4], 0x80, 7, set); }
void SetNote(uint8_t* item, unsigned note, uint8_t position, uint8_t accidental) {
  item[kChordHeaderBytes + note] = static_cast<uint8_t>((position & 31) | ((accidental & 7) << 5));
}

void SetRest(uint8_t* item, uint8_t durationCode, uint8_t dots, uint8_t voice) {
  uint8_t column = (item[0] & 0x0F) == kItemRest ? (item[0] & 0x80) : 0;
  item[0] = static_cast<uint8_t>(column | ((durationCode & 7) << 4) | kItemRest);
  item[1] = static_cast<uint8_t>((item[1] & 0x3C) | (dots & 3) | ((voice & 3) << 6));
}
void SetRestFields(uint8_t* item, uint8_t fields) { item[1] = Replace(item[1], 0x3C, 2, fields); }
void SetRestHidden(uint8_t* item, bool hidden) { item[1] = Replace(item[1], 0x20, 5, hidden); }
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

TextLayout TextLayoutOf(uint8_t subKind) {
  switch (subKind) {
    case kTextTitle:
    case kTextComposer:
    case kTextLyricist:
    case kTextCopyright:
    case kTextGeneral:
    case kTextPageNumber:
    case kTextSubtitle:
      return TextLayout::kPageText;
    case kTextBracket:
      return TextLayout::kBracketText;
    case kTextChordSymbol:
    case kTextNumberBlock:
    case kTextStaffStart:
    case kTextHairpin18:
    case kTextHairpin19:
      return TextLayout::kNoText;
    default:
      return TextLayout::kStaffText;
  }
}

uint32_t TextStart(const uint8_t* item, uint8_t version) {
  uint32_t header = TextHeaderBytes(version);
  switch (TextLayoutOf(TextSubKindOf(item))) {
    case TextLayout::kStaffText:
      return header + 2;
    case TextLayout::kBracketText:
      return header + 3;
    case TextLayout::kPageText:
      return header + 4;
    case TextLayout::kNoText:
      break;
  }
  return ItemLength(item, version);
}

uint32_t TextByteCount(const uint8_t* item, uint8_t version) {
  uint32_t length = ItemLength(item, version);
  uint32_t start = TextStart(item, version);
  return length > start ? length - start : 0;
}

size_t ReadItemText(const uint8_t* item, uint8_t version, char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  const uint8_t* text = item + TextStart(item, version);
  uint32_t bytes = TextByteCount(item, version);
  size_t units = 0;
  if (TextIsWide(version)) {
    uint32_t count = bytes / 2;
    while (units < count && units + 1 < capacity) {
      out[units] = static_cast<char16_t>(text[2 * units] | (text[2 * units + 1] << 8));
      ++units;
    }
  } else if (bytes > 0) {
    int limit = static_cast<int>(capacity - 1);
    int written = platform::MultiByteToWide(platform::kAnsiCodePage, reinterpret_cast<const char*>(text),
                                            static_cast<int>(bytes), out, limit);
    if (written <= 0) {
      // A text longer than the room: take it byte for byte as Latin-1.
      for (; units < bytes && units + 1 < capacity; ++units) out[units] = text[units];
    } else {
      units = static_cast<size_t>(written);
    }
  }
  out[units] = 0;
  return units;
}

void SetTextPayloadLength(uint8_t* item, uint32_t payload, uint8_t version) {
  item[1] = static_cast<uint8_t>(payload & 0xFF);
  if (version >= 3) item[2] = static_cast<uint8_t>((payload >> 8) & 0xFF);
}

uint8_t MakeSignMagnitude(int value) {
  if (value > 127) value = 127;
  if (value < -127) value = -127;
  return static_cast<uint8_t>(value < 0 ? 128 - value : value);
}

void SetTextWordAt(uint8_t* item, uint8_t version, unsigned index, uint32_t value) {
  uint8_t* p = item + TextHeaderBytes(version) + 2 * index;
  p[0] = static_cast<uint8_t>(value & 0xFF);
  p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
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
