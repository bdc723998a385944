// The word pass on numbers: bar numbers at the start of a stave and the
// page number.
#include "building/WordPassSteps.h"

#include "stages/SymbolRecords.h"

namespace wordpass {

namespace {

// The cleaned digits of a number text: control units removed, look-alikes
// read as digits.
void CleanNumberText(const char16_t* text, char16_t* out, int capacity) {
  StripControlChars(text, out, capacity);
  FixDigitLookalikes(out);
}

}  // namespace

int LeadingNumber(const char16_t* text) {
  int i = 0;
  while (text[i] == u' ' || text[i] == u'\t') ++i;
  long value = 0;
  bool any = false;
  for (; IsDigit(text[i]) && value < 100000; ++i) {
    value = value * 10 + (text[i] - u'0');
    any = true;
  }
  return any ? static_cast<int>(value) : 0;
}

namespace {

bool IsTimeDigit(const SymbolRecord& s) { return s.type >= kSymbolDigitZero && s.type <= kSymbolDigitZero + 9; }

}  // namespace

int ClassifyBarNumber(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || TextLength(r.text) > kCharTextLimit) return 0;
  char16_t digits[kCharTextUnits + 1];
  CleanNumberText(r.text, digits, kCharTextUnits + 1);
  const int number = LeadingNumber(digits);
  if (number < 1 || number > 9999) return 0;
  int32_t distance = 0;
  const int row = NearestRowByCentre(pass, r, &distance);
  if (row < 0 || !RowInGroup(pass, row)) return 0;
  const StaveRow& stave = pass.Row(row);
  if (*r.bottom > stave.top || distance > pass.dpi * 60 / 100) return 0;
  PageLists& l = pass.Lists();
  const int16_t staveIndex = static_cast<int16_t>(stave.number - 1);
  if (std::abs(*r.left - stave.left) > pass.dpi / 2) {
    bool digit = false;
    for (uint32_t i = 0; i < *l.symbolCount && !digit; ++i) {
      const SymbolRecord& s = l.symbols[i];
      digit = IsTimeDigit(s) && s.stave == staveIndex && std::abs((s.left + s.right) / 2 - CentreX(r)) <= pass.dpi / 2;
    }
    if (!digit) return 0;
  }
  int chosen = -1, leftmost = -1;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (n.quality > 5 || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
    if (leftmost < 0 || n.left < l.notes[leftmost].left) leftmost = static_cast<int>(i);
    if (n.left <= *r.left && (chosen < 0 || n.left > l.notes[chosen].left)) chosen = static_cast<int>(i);
  }
  if (chosen < 0) chosen = leftmost;
  if (chosen < 0) return 0;
  CopyText(r.text, r.capacity, digits);
  AttachText(pass, NoteChoice{false, chosen}, kAttachBarNumber, r, false);
  *r.kind = kTextConsumed;
  return 1;
}

int ClassifyShortNumber(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative()) return 0;
  const bool above = *r.bottom < FirstStave(pass).top;
  const bool below = *r.top > LastStave(pass).bottom;
  if ((!above && !below) || r.Height() < pass.dpi / 20 || TextLength(r.text) > kCharTextLimit) return 0;
  char16_t clean[kCharTextUnits + 1];
  CleanNumberText(r.text, clean, kCharTextUnits + 1);
  int start = 0;
  while (clean[start] && !IsDigit(clean[start])) ++start;
  if (!clean[start]) return 0;
  int end = start;
  long number = 0;
  while (IsDigit(clean[end])) {
    if (number < 100000) number = number * 10 + (clean[end] - u'0');
    ++end;
  }
  if (TextLength(clean) - (end - start) > 5 || number < 1 || number > 9999) return 0;
  *r.anchor = static_cast<int16_t>(*r.left > pass.pageWidth / 2 ? pass.pageWidth - *r.right : *r.left);
  if (pass.LastGroup()) *r.kind = kTextKindPageNumber;
  return 1;
}

void KeepOnePageNumber(WordPass& pass) {
  PageLists& l = pass.Lists();
  int keep = -1;
  for (uint32_t i = 0; i < pass.CharCount(); ++i)
    if (l.chars[i].kind == kTextKindPageNumber && (keep < 0 || l.chars[i].anchor < l.chars[keep].anchor))
      keep = static_cast<int>(i);
  for (uint32_t i = 0; i < pass.CharCount(); ++i)
    if (l.chars[i].kind == kTextKindPageNumber && static_cast<int>(i) != keep) l.chars[i].kind = kTextConsumed;
}

}  // namespace wordpass
