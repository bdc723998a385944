#include "score/DownConversion.h"

#include <cstring>

#include "score/ScoreItem.h"

namespace {

constexpr uint8_t kVoiceWrittenForOldVersions = 2;

// Voices 2 and 3 (bits 6-7 of a byte) are written as voice 2.
void FoldHighVoice(uint8_t* byte) {
  if ((*byte >> 6) >= 2) *byte = static_cast<uint8_t>((*byte & 0x3F) | kVoiceWrittenForOldVersions << 6);
}

void DownConvertText(uint8_t* item, uint32_t length, uint8_t fromVersion, uint8_t toVersion) {
  if (toVersion >= 5) return;
  const uint8_t subKind = TextSubKindOf(item);
  if (subKind == kTextCoda || subKind == kTextSegno) {
    item[0] = MakeTextFirstByte(kTextStaff);
  } else if (subKind == kTextBracket) {
    item[0] = MakeTextFirstByte(kTextStaff);
    // The count byte ahead of the text goes; the text moves up to where a
    // staff text has it and a 0 byte keeps the length.
    const uint32_t countByte = TextHeaderBytes(fromVersion) + 2;
    if (length > countByte) {
      std::memmove(item + countByte, item + countByte + 1, length - countByte - 1);
      item[length - 1] = 0;
    }
  }
}

}  // namespace

void DownConvertItem(uint8_t* item, uint32_t length, uint8_t fromVersion, uint8_t toVersion) {
  if (toVersion >= fromVersion) return;
  switch (KindOf(item)) {
    case kItemBarLine:
      if (toVersion < 5 && item[0] == MakeBarLine(kBarBand)) item[0] = MakeBarLine(kBarSingle);
      break;
    case kItemClef:
      if (toVersion < 4 && ClefCodeOf(item) == kClefTablature) item[0] = kItemClef | kClefTreble << 3;
      break;
    case kItemKey:
      if (toVersion < 5) item[0] &= 0x7F;
      break;
    case kItemTime:
      break;
    case kItemChord:
      if (toVersion < 5) item[2] &= static_cast<uint8_t>(~0x1C);
      if (toVersion < 4 && ChordVoice(item) >= 2) SetChordVoice(item, kVoiceWrittenForOldVersions);
      break;
    case kItemRest:
      if (toVersion < 4) FoldHighVoice(&item[1]);
      if (toVersion < 5 && !IsMultiBarRest(item)) item[1] &= static_cast<uint8_t>(~0x3C);
      break;
    case kItemMark:
      if (toVersion < 4) FoldHighVoice(&item[2]);
      if (toVersion < 5 && (MarkSubKind(item) == kMarkPedal || MarkSubKind(item) == kMarkOrnament))
        item[0] = kHiddenMarkByte;
      break;
    case kItemText:
      DownConvertText(item, length, fromVersion, toVersion);
      break;
  }
}

bool AppendStreamForVersion(const uint8_t* stream, uint32_t used, uint8_t fromVersion, uint8_t toVersion,
                            std::vector<uint8_t>* out) {
  const size_t start = out->size();
  if (used == 0) return true;
  out->insert(out->end(), stream, stream + used);
  if (toVersion >= fromVersion) {
    if (IsStreamWellFormed(stream, used, fromVersion)) return true;
    out->resize(start);
    return false;
  }
  // Each item is converted in its own copy, as long as ItemLength says.
  uint8_t* copy = out->data() + start;
  WalkResult walked = WalkStream(stream, used, fromVersion, [&](uint32_t offset, const uint8_t*, uint32_t length) {
    DownConvertItem(copy + offset, length, fromVersion, toVersion);
    return true;
  });
  if (walked == WalkResult::kComplete) return true;
  out->resize(start);
  return false;
}
