#include "building/TextItems.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/TextUtils.h"
#include "score/ChordSymbols.h"
#include "score/ScoreItem.h"
#include "stages/EngineText.h"

namespace {

// The longest item: a header of 3, five fields and a word of 159 units.
constexpr uint32_t kItemBufferBytes = 3 + 5 + 2 * kWordTextUnits + 8;

// Header bytes: the first byte and the length field.
uint32_t PutHeader(uint8_t* item, uint8_t firstByte, uint32_t payload, uint8_t version) {
  item[0] = firstByte;
  SetTextPayloadLength(item, payload, version);
  return TextHeaderBytes(version);
}

// The largest payload a length field holds.
uint32_t PayloadLimit(uint8_t version) { return version < 3 ? 255u : 65535u; }

bool Emit(BuildContext& context, int slot, const uint8_t* item, uint32_t length, int16_t left, int16_t right,
          int16_t top, int16_t bottom) {
  if (!EnsureStreamRoom(context, slot, length) || !AppendStreamBytes(context, slot, item, length)) return false;
  AppendObjectBox(context, ObjectBox{left, right, top, bottom}, 0.0f);
  return true;
}

int32_t StaveMiddle(const StaveRow& row) { return (row.top + row.bottom) / 2; }

uint8_t StyleByte(const TextRecordRef& r) { return static_cast<uint8_t>(*r.anchor & 0xFF); }

}  // namespace

uint8_t WordItemFirstByte(int code) {
  switch (code) {
    case 19: return MakeTextFirstByte(kTextLyric);      // 0x0F
    case 20: return MakeTextFirstByte(kTextDynamic);    // 0xAF
    case 21: return MakeTextFirstByte(kTextTechnique);  // 0xB7
    case 22: return MakeTextFirstByte(kTextTempo);      // 0xBF
    case 23: return MakeTextFirstByte(kTextItalic);     // 0xC7
    case 24: return MakeTextFirstByte(kTextStaff);      // 0x07
    default: return 0;
  }
}

uint8_t PageTextFirstByte(uint16_t kind) {
  switch (kind) {
    case kTextKindTitle: return MakeTextFirstByte(kTextTitle);
    case kTextKindComposer: return MakeTextFirstByte(kTextComposer);
    case kTextKindLyricist: return MakeTextFirstByte(kTextLyricist);
    case kTextKindCopyright: return MakeTextFirstByte(kTextCopyright);
    case kTextKindSubtitle: return MakeTextFirstByte(kTextSubtitle);
    case kTextKindBelowLastStave: return MakeTextFirstByte(kTextGeneral);
    default: return 0;
  }
}

uint32_t ItemTextBytes(const char16_t* text, uint8_t version, uint32_t limit, uint8_t* out) {
  uint32_t n = 0;
  if (version < 3) {
    // The length comes from the converted bytes: a double-byte code page
    // gives more bytes than characters.
    const char* ansi = WideToAnsi(text);
    const uint32_t bytes = ansi ? static_cast<uint32_t>(std::strlen(ansi)) : 0;
    n = std::min(bytes, limit);
    if (n) std::memcpy(out, ansi, n);
    return n;
  }
  for (; text[n / 2] && n + 2 <= limit; n += 2) {
    out[n] = static_cast<uint8_t>(text[n / 2] & 0xFF);
    out[n + 1] = static_cast<uint8_t>(text[n / 2] >> 8);
  }
  return n;
}

bool WriteTextItem(BuildContext& context, int slot, uint8_t firstByte, const TextRecordRef& r, int32_t referenceX,
                   const StaveRow& row) {
  const uint8_t version = context.version;
  const bool styled = firstByte == kNavigationTextByte;
  const uint32_t fields = styled ? 3 : 2;
  uint8_t item[kItemBufferBytes];
  const uint32_t header = TextHeaderBytes(version);
  uint8_t* p = item + header;
  p[0] = TextOffsetByte(context, *r.left - referenceX);
  p[1] = TextOffsetByte(context, StaveMiddle(row) - *r.baseline);
  if (styled) p[2] = StyleByte(r);
  const uint32_t textBytes = ItemTextBytes(r.text, version, PayloadLimit(version) - fields, p + fields);
  PutHeader(item, firstByte, fields + textBytes, version);
  if (!Emit(context, slot, item, header + fields + textBytes, *r.left, *r.right, *r.top, *r.bottom)) return false;
  *r.kind = kTextConsumed;
  return true;
}

void ChordSymbolBytes(const char16_t* text, uint8_t* byte1, uint8_t* byte2) {
  int taken = 0;
  const int root = ParseChordRoot(text, &taken);
  if (root < 0) {
    *byte1 = *byte2 = 0;
    return;
  }
  int at = taken;
  int kind = ParseChordSuffix(text + at, &taken);
  if (kind < 0) kind = 0;
  at += taken;
  char16_t rest[kChordSymbolTextUnits] = {};
  for (int i = 0; text[at + i] && i + 1 < kChordSymbolTextUnits; ++i) rest[i] = text[at + i];
  int bass = ParseChordBass(rest, &taken);
  if (bass < 0) bass = root;
  *byte1 = static_cast<uint8_t>(((kind & 7) << 5) | (root & 31));
  *byte2 = static_cast<uint8_t>(((bass & 31) << 3) | ((kind >> 3) & 7));
}

namespace {

// The chord-symbol layout: 0x77, the length 7, dx, dy, the flags byte and
// four bytes (diagram fields, then root, kind and bass).
uint32_t StartChordItem(uint8_t* item, uint8_t version, uint8_t dx, uint8_t dy) {
  const uint32_t header = PutHeader(item, kChordSymbolFirstByte, kChordSymbolPayload, version);
  std::memset(item + header, 0, kChordSymbolPayload);
  item[header] = dx;
  item[header + 1] = dy;
  return header + kChordSymbolPayload;
}

}  // namespace

bool WriteChordSymbolItem(BuildContext& context, int slot, const TextRecordRef& r, int32_t referenceX,
                          const StaveRow& row) {
  const uint8_t version = context.version;
  uint8_t item[16];
  const uint32_t length = StartChordItem(item, version, TextOffsetByte(context, *r.left - referenceX),
                                         TextOffsetByte(context, StaveMiddle(row) - *r.baseline));
  uint8_t* p = item + ChordSymbolFlagsOffset(version);
  p[0] = 2;
  ChordSymbolBytes(r.text, &p[3], &p[4]);
  if (!Emit(context, slot, item, length, *r.left, *r.right, *r.top, *r.bottom)) return false;
  *r.kind = kTextConsumed;
  return true;
}

bool WriteChordGridItem(BuildContext& context, int slot, const ChordGridRecord& grid, int32_t referenceX,
                        const StaveRow& row) {
  const uint8_t version = context.version;
  uint8_t item[16];
  const uint32_t length = StartChordItem(item, version, TextOffsetByte(context, grid.left - referenceX),
                                         TextOffsetByte(context, StaveMiddle(row) - grid.bottom));
  uint8_t* p = item + ChordSymbolFlagsOffset(version);
  const bool named = grid.name[0] != 0;
  if (grid.baseFret != 255) {
    // Every field is masked to its width before it is packed.
    const uint8_t fields[kChordDiagramFieldCount] = {
        static_cast<uint8_t>(grid.baseFret & 15), static_cast<uint8_t>(grid.strings[0] & 7),
        static_cast<uint8_t>(grid.strings[1] & 7), static_cast<uint8_t>(grid.strings[2] & 7),
        static_cast<uint8_t>(grid.strings[3] & 7), static_cast<uint8_t>(grid.strings[4] & 7),
        static_cast<uint8_t>(grid.strings[5] & 7)};
    SetChordDiagramFields(item, 1, fields, version);
  }
  if (named) {
    p[0] = static_cast<uint8_t>(p[0] | 2);
    ChordSymbolBytes(grid.name, &p[3], &p[4]);
  }
  return Emit(context, slot, item, length, grid.left, grid.right, grid.top, grid.bottom);
}

bool WritePageTextItems(BuildContext& context) {
  const uint8_t version = context.version;
  bool ok = true;
  auto write = [&](TextRecordRef r) {
    const uint8_t first = PageTextFirstByte(*r.kind);
    if (!ok || !first) return;
    uint8_t item[kItemBufferBytes];
    const uint32_t header = TextHeaderBytes(version);
    uint8_t* p = item + header;
    const uint32_t x = static_cast<uint32_t>(std::max(0, StreamUnits(context, *r.left))) & 0xFFFF;
    const uint32_t y = static_cast<uint32_t>(std::max(0, StreamUnits(context, *r.baseline))) & 0xFFFF;
    p[0] = static_cast<uint8_t>(x & 0xFF);
    p[1] = static_cast<uint8_t>(x >> 8);
    p[2] = static_cast<uint8_t>(y & 0xFF);
    p[3] = static_cast<uint8_t>(y >> 8);
    const uint32_t textBytes = ItemTextBytes(r.text, version, PayloadLimit(version) - 4, p + 4);
    PutHeader(item, first, 4 + textBytes, version);
    if (!Emit(context, 0, item, header + 4 + textBytes, *r.left, *r.right, *r.top, *r.bottom)) {
      ok = false;
      return;
    }
    *r.kind = kTextConsumed;
  };
  PageLists& l = context.lists;
  const uint32_t chars = l.charCount ? *l.charCount : 0, words = l.wordCount ? *l.wordCount : 0;
  for (uint32_t i = 0; i < chars; ++i) write(CharRef(l.chars[i], i));
  for (uint32_t i = 0; i < words; ++i) write(WordRef(l.words[i], i));
  return ok;
}

int WriteLinkedTextItem(BuildContext& context, int slot, int code, uint32_t link, int32_t referenceX,
                        const StaveRow& row) {
  PageLists& l = context.lists;
  TextRecordRef r;
  if (link & kWordLinkBit) {
    const uint32_t index = link - kWordRecordIdBase;
    if (!l.words || !l.wordCount || index >= *l.wordCount) return 0;
    r = WordRef(l.words[index], index);
  } else {
    if (!l.chars || !l.charCount || link >= *l.charCount) return 0;
    r = CharRef(l.chars[link], link);
  }
  if (*r.kind == kTextConsumed) return 0;
  uint8_t first = 0;
  switch (code) {
    case kAttachChordSymbol: return WriteChordSymbolItem(context, slot, r, referenceX, row) ? 1 : 0;
    case kAttachCoda: first = kCodaTextByte; break;
    case kAttachSegno: first = kSegnoTextByte; break;
    case kAttachEnding: first = kNavigationTextByte; break;
    default: first = WordItemFirstByte(code); break;
  }
  if (!first) return 0;
  return WriteTextItem(context, slot, first, r, referenceX, row) ? 1 : 0;
}

int WritePageTexts(BuildContext& context) { return WritePageTextItems(context) ? 1 : 0; }

int WriteLinkedChordGrid(BuildContext& context, int slot, uint32_t link, int32_t referenceX, const StaveRow& row) {
  const PageLists& l = context.lists;
  if (!l.grids || link >= l.gridCount) return 0;
  return WriteChordGridItem(context, slot, l.grids[link], referenceX, row) ? 1 : 0;
}

void InstallTextItemWriters() {
  TextItemWriters& writers = ReadingBuildContext().textItems;
  writers.text = WriteLinkedTextItem;
  writers.chordGrid = WriteLinkedChordGrid;
  writers.pageTexts = WritePageTexts;
  writers.prePassKinds = GiveEngineTextPrePassKinds;
}

void GiveEngineTextPrePassKinds(BuildContext& context) {
  PageLists& l = context.lists;
  if (l.chars && l.charCount && l.words && l.wordCount)
    TakeEngineTextForWordPass(l.chars, l.charCount, l.words, l.wordCount);
}
