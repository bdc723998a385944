#include "playback/PlayItems.h"

std::u16string ItemTextOf(const uint8_t* item, uint32_t length) {
  if (length < TextHeaderBytes(ScoreFormatVersion) || TextStart(item, ScoreFormatVersion) > length) return {};
  char16_t text[kTextRowUnits];
  size_t n = ReadItemText(item, ScoreFormatVersion, text, kTextRowUnits);
  std::u16string result(text, n);
  size_t end = result.find(u'\0');
  if (end != std::u16string::npos) result.resize(end);
  return result;
}

bool NavigationTextOf(const uint8_t* item, uint32_t length, NavKind* kind, std::u16string* text, int* count) {
  if (KindOf(item) != kItemText) return false;
  switch (TextSubKindOf(item)) {
    case kTextSegno: *kind = NavKind::kJump; break;
    case kTextCoda: *kind = NavKind::kCoda; break;
    case kTextBracket: *kind = NavKind::kVolta; break;
    default: return false;
  }
  *text = ItemTextOf(item, length);
  *count = 0;
  if (*kind == NavKind::kVolta) {
    uint32_t at = TextHeaderBytes(ScoreFormatVersion) + 2;
    if (at < length) *count = item[at];
  }
  return true;
}

void ApplyStateItem(const uint8_t* item, PartPlayState* state) {
  switch (KindOf(item)) {
    case kItemClef:
      state->clef = ClefCodeOf(item);
      state->octaveShift = ClefOctaveShift(item);
      break;
    case kItemKey:
      if (KeyIsNotPlayed(item)) break;
      state->keyCount = KeyAccidentalCount(item);
      state->keySharps = KeyIsSharps(item) ? 1 : 0;
      break;
    case kItemTime:
      if (TimeIsHidden(item)) break;
      state->numerator = TimeNumerator(item);
      state->denominatorCode = TimeDenominatorCode(item);
      break;
    default:
      break;
  }
}
