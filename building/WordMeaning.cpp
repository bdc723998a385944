#include "building/WordMeaning.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

#include "building/ChordSymbolWords.h"
#include "building/NavigationMarks.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "reading/StaveSpacing.h"
#include "stages/EngineText.h"
#include "stages/NoteRecords.h"
#include "stages/SymbolRecords.h"

namespace {

constexpr int kJoinBufferUnits = 256;
constexpr int kCharTextLimit = 15;   // units a character record holds
constexpr int kWordTextLimit = 158;  // units a joined or marked word may reach

bool IsControl(char16_t c) { return c < 32 || (c >= 127 && c <= 159); }
bool IsAlnum(char16_t c) { return std::iswalnum(static_cast<wint_t>(c)) != 0; }
bool IsAlpha(char16_t c) { return std::iswalpha(static_cast<wint_t>(c)) != 0; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int CountIf(const char16_t* text, bool (*test)(char16_t)) {
  int n = 0;
  for (; *text; ++text) n += test(*text) ? 1 : 0;
  return n;
}

void CopyText(char16_t* out, int capacity, const char16_t* text) {
  int i = 0;
  for (; text[i] && i + 1 < capacity; ++i) out[i] = text[i];
  out[i] = 0;
}

bool IsSignKind(uint16_t kind) {
  return (kind >= kTextKindCoda && kind <= kTextKindEnding) ||
         (kind >= kTextKindSymbolWordFirst && kind <= kTextKindSymbolWordLast);
}

int32_t CentreY(const StaveRow& r) { return (r.top + r.bottom) / 2; }
int32_t CentreY(const TextRecordRef& t) { return (*t.top + *t.bottom) / 2; }
int32_t CentreX(const TextRecordRef& t) { return (*t.left + *t.right) / 2; }

// The stave row nearest to the record by vertical centres (ties: the later row).
int NearestRowByCentre(const WordPass& pass, const TextRecordRef& r, int32_t* distance) {
  int best = -1;
  int32_t bestD = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    const int32_t d = std::abs(CentreY(pass.Row(i)) - CentreY(r));
    if (best < 0 || d <= bestD) {
      best = i;
      bestD = d;
    }
  }
  if (distance) *distance = bestD;
  return best;
}

const StaveRow& FirstStave(const WordPass& pass) { return pass.Row(0); }
const StaveRow& LastStave(const WordPass& pass) { return pass.Row(pass.Rows() - 1); }

bool LiveNote(const NoteRecord& n) { return n.quality < kRejectedQuality; }
bool HasRoom(int16_t count) { return count < kMaxAppenditures; }

// ---- The classifiers of this pass ----

bool PassesAsPlainText(const char16_t* text) {
  if (!text[0]) return false;
  auto roman = [](char16_t c) {
    const char16_t l = FoldCase(c);
    return l == u'i' || l == u'v' || l == u'x';
  };
  if (roman(text[0]) || (text[1] && roman(text[1]))) return true;
  return CountIf(text, IsAlnum) >= 3;
}

int ClassifyPlainText(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || !PassesAsPlainText(r.text)) return 0;
  if (*r.bottom >= FirstStave(pass).top) return 0;
  *r.kind = !pass.switches.title ? kTextConsumed : pass.LastGroup() ? kTextKindTitle : kTextKindUndecided;
  return 1;
}

// The ratio of two margins, large when the divisor is no margin at all (text
// at the page's edge).
int32_t MarginRatio(int32_t numerator, int32_t denominator) {
  if (denominator <= 0) return INT32_MAX;
  return numerator / denominator;
}

int ClassifyRightHeading(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || CountIf(r.text, IsAlpha) < 3 || *r.bottom >= FirstStave(pass).top) return 0;
  if (MarginRatio(*r.left, pass.pageWidth - *r.right) < 2) return 0;
  if (pass.LastGroup()) *r.kind = pass.switches.composer ? kTextKindComposer : kTextKindUndecided;
  return 1;
}

int ClassifyLeftHeading(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || CountIf(r.text, IsAlpha) < 2 || *r.bottom >= FirstStave(pass).top) return 0;
  if (MarginRatio(pass.pageWidth - *r.right, *r.left) < 2) return 0;
  *r.kind = !pass.LastGroup() ? kTextKindUndecided : pass.switches.lyricist ? kTextKindLyricist : kTextConsumed;
  return 1;
}

bool ContainsUiString(const char16_t* text, unsigned id) {
  char16_t part[64];
  return platform::LoadUiString(id, part, 64) > 0 && ContainsNoCase(text, part);
}

int ClassifyCopyright(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || *r.top < LastStave(pass).bottom) return 0;
  const bool marked = ContainsUiString(r.text, 10257) || ContainsUiString(r.text, 10258) ||
                      ContainsNoCase(r.text, u"@") || ContainsUiString(r.text, 10287) || ContainsBracketedC(r.text);
  if (!marked) return 0;
  if (!pass.LastGroup()) return 1;
  if (pass.switches.copyright) {
    NormaliseCopyrightSign(r.text, r.capacity);
    *r.kind = kTextKindCopyright;
  } else {
    *r.kind = kTextConsumed;
  }
  return 1;
}

void SpreadCopyrightKind(WordPass& pass) {
  bool any = false;
  int32_t top = 0;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextKindCopyright && (!any || *t.top < top)) {
      top = *t.top;
      any = true;
    }
  });
  if (!any) return;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextConsumed || (*t.kind >= 50 && *t.kind <= 99) || *t.top < top) return;
    *t.kind = t.Alternative() ? kTextConsumed : kTextKindCopyright;
  });
}

// The cleaned digits of a number text: control units removed, look-alikes
// read as digits.
void CleanNumberText(const char16_t* text, char16_t* out, int capacity) {
  StripControlChars(text, out, capacity);
  FixDigitLookalikes(out);
}

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

bool IsTimeDigit(const SymbolRecord& s) { return s.type >= kSymbolDigitZero && s.type <= kSymbolDigitZero + 9; }

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

int ClassifyBelowStaveText(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || !pass.switches.lyrics) return 0;
  if (TextLength(r.text) < 3 || CountIf(r.text, IsAlnum) < 1) return 0;
  const int row = NearestRowByCentre(pass, r, nullptr);
  if (row < 0 || !RowInGroup(pass, row)) return 0;
  PageLists& l = pass.Lists();
  const int16_t staveIndex = static_cast<int16_t>(pass.Row(row).number - 1);
  int chosen = -1;
  int32_t best = 0;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (!LiveNote(n) || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
    const int32_t d = std::abs((n.left + n.right) / 2 - CentreX(r));
    if (chosen < 0 || d < best) {
      chosen = static_cast<int>(i);
      best = d;
    }
  }
  if (chosen < 0) return 0;
  AttachText(pass, NoteChoice{false, chosen}, kAttachLyric, r, false);
  *r.kind = kTextKindLyricWord;
  return 1;
}

int ClassifyFingering(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || !pass.switches.fingering || TextLength(r.text) >= 16) return 0;
  char16_t stripped[kCharTextUnits + 1], digits[kCharTextUnits + 1];
  StripControlChars(r.text, stripped, kCharTextUnits + 1);
  int n = 0;
  for (int i = 0; stripped[i]; ++i)
    if (stripped[i] != u'#' && stripped[i] != u'b') digits[n++] = stripped[i];
  digits[n] = 0;
  FixDigitLookalikes(digits);
  if (n == 0) return 0;
  for (int i = 0; i < n; ++i)
    if (!IsDigit(digits[i])) return 0;
  const int number = LeadingNumber(digits);
  if (number < 1 || number > 9) return 0;
  int32_t nearD = 0;
  const int nearRow = NearestRowByCentre(pass, r, &nearD);
  if (nearRow < 0 || !RowInGroup(pass, nearRow) || nearD > pass.dpi * 60 / 100) return 0;
  const StaveRow& nearStave = pass.Row(nearRow);
  if (*r.right < nearStave.left) return 0;
  // A second stave of the group, when the digit lies between the two.
  int secondRow = -1;
  int32_t secondD = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    if (i == nearRow || pass.Row(i).group != nearStave.group) continue;
    const int32_t d = std::abs(CentreY(pass.Row(i)) - CentreY(r));
    if (secondRow < 0 || d <= secondD) {
      secondRow = i;
      secondD = d;
    }
  }
  if (secondRow >= 0) {
    const StaveRow& second = pass.Row(secondRow);
    const int32_t mid = (nearStave.top + second.bottom) / 2;
    if (secondD > pass.dpi * 60 / 100 || std::abs(CentreY(r) - mid) > nearD || *r.right < second.left) secondRow = -1;
  }
  const int32_t space = pass.StaveSpace(nearRow);
  if (r.Height() > 4 * space) return 0;
  PageLists& l = pass.Lists();
  int chosen = -1;
  int32_t best = 0;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& note = l.notes[i];
    if (!LiveNote(note) || !HasRoom(note.appenditureCount)) continue;
    if (!(note.left < *r.right && note.right > *r.left)) continue;
    int32_t extra = 0;
    if (note.stave == nearStave.number - 1) {
      extra = 0;
    } else if (secondRow >= 0 && note.stave == pass.Row(secondRow).number - 1) {
      extra = pass.StaveSpace(secondRow);
    } else {
      continue;
    }
    const int32_t d = std::abs((note.left + note.right) / 2 - CentreX(r)) + extra;
    if (chosen < 0 || d < best) {
      chosen = static_cast<int>(i);
      best = d;
    }
  }
  if (chosen < 0) return 0;
  CopyText(r.text, r.capacity, digits);
  AttachText(pass, NoteChoice{false, chosen}, kAttachFingering, r, false);
  *r.kind = kTextKindFingering;
  return 1;
}

int OverlapsRecognisedSign(WordPass& pass, const TextRecordRef& word) {
  int found = 0;
  const int reach = word.Width() * 3 / 4;
  ForEachTextRecord(pass, [&](TextRecordRef s) {
    if (found || (s.word && s.id == word.id) || !IsSignRecord(s) || s.Width() <= reach) return;
    found = *s.left < *word.right && *s.right > *word.left && *s.top < *word.bottom && *s.bottom > *word.top;
  });
  return found;
}

// One record of kind 0 or 100 through the rules in their order.
void ClassifyRecord(WordPass& pass, TextRecordRef r) {
  if (r.text[0] == kNavigationSignMark) {
    ClassifyNavigationWord(pass, r);
    return;
  }
  if (r.text[0] == kSymbolWordMark) {
    ClassifySymbolWord(pass, r);
    return;
  }
  if (ClassifyNavigationWord(pass, r)) return;
  if (OverlapsRecognisedSign(pass, r)) {
    *r.kind = kTextConsumed;
    return;
  }
  if (*r.bottom < FirstStave(pass).top && r.Height() > pass.dpi / 3) {
    ClassifyPlainText(pass, r);
    return;
  }
  if (ClassifyChordSymbol(pass, r)) return;
  if (!r.word && ClassifyFingering(pass, r)) return;
  if (ClassifyCopyright(pass, r)) {
    SpreadCopyrightKind(pass);
    return;
  }
  if (ClassifyBarNumber(pass, r) || ClassifyShortNumber(pass, r) || ClassifyRightHeading(pass, r) ||
      ClassifyLeftHeading(pass, r))
    return;
  if (*r.bottom <= FirstStave(pass).top) {
    ClassifyPlainText(pass, r);
    return;
  }
  if (ClassifyBelowStaveText(pass, r)) return;
  ClassifyPlainText(pass, r);
}

// ---- The later steps ----

void MarkBelowLastStave(WordPass& pass) {
  const int32_t bottom = LastStave(pass).bottom;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if ((*t.kind == 0 || *t.kind == kTextKindLyricWord) && !t.Alternative() && *t.top > bottom)
      *t.kind = pass.switches.lyrics ? kTextKindBelowLastStave : kTextConsumed;
  });
  bool any = false;
  int32_t top = 0;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextKindBelowLastStave && (!any || *t.top < top)) {
      top = *t.top;
      any = true;
    }
  });
  if (!any) return;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextKindTextLine && *t.top >= top)
      *t.kind = t.Alternative() ? kTextConsumed : kTextKindBelowLastStave;
  });
}

bool JoinsNothing(uint16_t k) {
  switch (k) {
    case 255: case 0: case 5: case 6: case 7: case 8: case 10: case 11: case 13: case 14: case 15: case 16:
      return true;
    default:
      return IsSignKind(k);
  }
}

// One pass of joining over one list; true when something was joined.
template <class Ref>
bool JoinPass(WordPass& pass, uint32_t count, Ref ref, int lengthLimit) {
  bool joined = false;
  for (uint32_t i = 0; i < count; ++i) {
    TextRecordRef a = ref(i);
    if (JoinsNothing(*a.kind)) continue;
    for (uint32_t j = 0; j < count; ++j) {
      if (j == i || *a.kind == kTextConsumed) continue;
      TextRecordRef b = ref(j);
      const uint16_t k = *b.kind;
      const bool companion = k == kTextKindLyricWord || k == kTextKindTextLine || k == kTextKindPageNumber;
      if (k != *a.kind && !companion) continue;
      if (companion) {
        bool a13, a15, b13, b15;
        ReadLeadingStyleMarks(a.text, &a13, &a15);
        ReadLeadingStyleMarks(b.text, &b13, &b15);
        if (a15 != b15) continue;
      }
      const int32_t c = CentreY(a), half = a.Height() / 2, h = a.Height();
      if (!(*b.top <= c && *b.bottom >= c && *b.top >= *a.top - half && *b.bottom <= *a.bottom + half)) continue;
      if (TextLength(b.text) + TextLength(a.text) + 1 >= lengthLimit) continue;
      if (!(*b.right > *a.left - h && *b.left < *a.right + h)) continue;
      char16_t other[kJoinBufferUnits], joinedText[kJoinBufferUnits];
      StripControlChars(b.text, other, kJoinBufferUnits);
      if (*b.left <= *a.left)
        FormatWide(joinedText, kJoinBufferUnits, u"%s %s", other, a.text);
      else
        FormatWide(joinedText, kJoinBufferUnits, u"%s %s", a.text, other);
      if (*a.kind == kTextKindCopyright && pass.switches.copyright) NormaliseCopyrightSign(joinedText, kJoinBufferUnits);
      CopyText(a.text, a.capacity, joinedText);
      *a.left = std::min(*a.left, *b.left);
      *a.top = std::min(*a.top, *b.top);
      *a.right = std::max(*a.right, *b.right);
      *a.bottom = std::max(*a.bottom, *b.bottom);
      *b.kind = kTextConsumed;
      joined = true;
    }
  }
  return joined;
}

void JoinNeighbours(WordPass& pass) {
  PageLists& l = pass.Lists();
  while (JoinPass(pass, pass.WordCount(), [&](uint32_t i) { return WordRef(l.words[i], i); }, kWordTextLimit)) {
  }
  while (JoinPass(pass, pass.CharCount(), [&](uint32_t i) { return CharRef(l.chars[i], i); }, kCharTextLimit)) {
  }
}

void MarkSubtitles(WordPass& pass) {
  bool any = false;
  int32_t tallest = 1;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind != kTextKindTitle) return;
    any = true;
    tallest = std::max(tallest, std::max(1, t.Height()));
  });
  if (!any) return;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextKindTitle && t.Height() * 100 / tallest < 80) *t.kind = kTextKindSubtitle;
  });
}

void ApplySizeLimits(WordPass& pass) {
  const bool last = pass.LastGroup();
  const int32_t d = pass.dpi;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    const uint16_t k = *t.kind;
    if (k == kTextConsumed || k == 0 || IsSignKind(k)) return;
    if (last && k != kTextKindTitle && k != kTextKindSubtitle && (t.Height() > d / 3 || t.Height() < 1)) {
      *t.kind = kTextConsumed;
      return;
    }
    if (t.Width() <= d / 40 && t.Height() <= d / 40) {
      *t.kind = kTextConsumed;
      return;
    }
    if (k == kTextKindTextLine && !(t.Width() > d / 100 && t.Height() > d / 40)) *t.kind = kTextConsumed;
  });
}

// ---- Text over music ----

struct Band {
  int32_t left, right, low, high;
  bool Meets(int32_t l, int32_t r, int32_t t, int32_t b) const { return r >= left && l <= right && t <= high && b >= low; }
};

void JudgeTextOverMusic(WordPass& pass, TextRecordRef t) {
  PageLists& l = pass.Lists();
  const bool sign = IsSignRecord(t);
  int shape = WordShape(t.text);
  if (*t.kind == kTextKindChordSymbol || sign) shape = 0;
  const uint16_t k = *t.kind;
  bool symbolLike = sign || k == 6 || k == 7 || k == 8 || k == kTextKindChordSymbol;
  if (shape == 2 && !sign) symbolLike = false;
  const int alnum = CountIf(t.text, IsAlnum);
  int units = 0;
  for (const char16_t* p = t.text; *p; ++p) units += IsControl(*p) ? 0 : 1;
  if (!symbolLike && (alnum == 0 || alnum * 100 / std::max(1, units) < 33)) {
    *t.kind = kTextConsumed;
    return;
  }
  const int32_t h = t.Height();
  const Band band{*t.left, *t.right, *t.top + h / 4, *t.bottom - (h / 4) / 2};
  auto discard = [&]() { *t.kind = kTextConsumed; };
  // Notes under the text.
  for (uint32_t i = 0; i < *l.noteCount;) {
    const NoteRecord& n = l.notes[i];
    if (!LiveNote(n) || !band.Meets(n.left, n.right, n.top, n.top + (n.bottom - n.top))) {
      ++i;
      continue;
    }
    const int row = FindStaveInGroup(l.rows, l.staveCount, pass.firstStave, n.stave);
    const bool manyLines = row >= 0 && pass.Row(row).lineCount >= 4;
    if (n.confidence >= 100 || (shape >= 2 && !n.uncertain) ||
        (!symbolLike && n.kind < kNoteMinim && manyLines && n.quality != 5 && !n.uncertain)) {
      discard();
      return;
    }
    if (shape == 0 || n.uncertain || n.kind >= kNoteMinim) {
      DeleteNoteRecord(l.notes, *l.noteCount, i);
      continue;
    }
    ++i;
  }
  if (alnum >= 2) return;
  // Marks on notes.
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    NoteRecord& n = l.notes[i];
    if (!LiveNote(n)) continue;
    for (int a = 0; a < n.appenditureCount && a < kMaxAppenditures;) {
      const Appenditure& s = n.appenditures[a];
      if (s.kind < 144 || s.kind > 159 || !band.Meets(s.left, s.right, s.top, s.bottom)) {
        ++a;
        continue;
      }
      if (s.kind == 144 || s.kind == 145 || shape >= 2 || (!symbolLike && units < 2 && s.score < 1)) {
        discard();
        return;
      }
      if (shape == 0) {
        std::copy(n.appenditures + a + 1, n.appenditures + n.appenditureCount, n.appenditures + a);
        --n.appenditureCount;
        continue;
      }
      ++a;
    }
  }
  // Symbols under the text.
  for (uint32_t i = 0; i < *l.symbolCount;) {
    const SymbolRecord& s = l.symbols[i];
    const int row = s.quality < kRejectedQuality ? FindStaveInGroup(l.rows, l.staveCount, pass.firstStave, s.stave) : -1;
    if (row < 0) {
      ++i;
      continue;
    }
    const int32_t y0 = StavePositionY(l.rows, l.staveCount, row, s.left, s.stepTop, pass.geometry);
    const int32_t y1 = StavePositionY(l.rows, l.staveCount, row, s.left, s.stepBottom, pass.geometry);
    if (!band.Meets(s.left, s.right, std::min(y0, y1), std::max(y0, y1))) {
      ++i;
      continue;
    }
    if (s.confidence >= 100 || shape >= 2 || !symbolLike) {
      discard();
      return;
    }
    if (shape == 0) {
      DeleteSymbolRecord(l.symbols, *l.symbolCount, i);
      continue;
    }
    ++i;
  }
  if (symbolLike) return;
  // Slurs, ties and hairpins.
  for (uint32_t i = 0; i < l.curveCount; ++i) {
    const CurveItem& c = l.curves[i];
    if (c.apexPos == kCurveDiscarded) continue;
    const int32_t mid = (c.y0 + c.y1) / 2;
    const int32_t bulge = (c.bulge & 127) * (c.x1 - c.x0) / 127;
    const int32_t far = (c.bulge & 128) ? mid - bulge : mid + bulge;
    if (band.Meets(std::min(c.x0, c.x1), std::max(c.x0, c.x1), std::min<int32_t>(far, c.y0), std::max<int32_t>(far, c.y1))) {
      discard();
      return;
    }
  }
  for (uint32_t i = 0; i < l.lineCount; ++i) {
    const LineItem& h = l.lines[i];
    if ((h.lineFlags & 1) &&
        band.Meets(std::min(h.x0, h.x1), std::max(h.x0, h.x1), std::min(h.y0, h.y1), std::max(h.y0, h.y1))) {
      discard();
      return;
    }
  }
  // Stems and flags of solid heads.
  const int32_t cy = CentreY(t);
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (n.quality > 5 || n.kind > kNoteCrotchet) continue;
    const int row = FindStaveInGroup(l.rows, l.staveCount, pass.firstStave, n.stave);
    if (row < 0) continue;
    const int32_t s = pass.StaveSpace(row);
    // The stem offset correction: the scale times the stave's fine unit
    // (about 2 per cent of its height).
    const int32_t g = pass.stemOffsetScale * std::max(1, (pass.Row(row).bottom - pass.Row(row).top + 25) / 50);
    const int slot = (n.stemDown ? 2 : 0) + (n.stemRight ? 1 : 0);
    const int32_t offset = n.stemOffset[slot] & 0xFF;
    const int32_t length = n.stemLength[slot];
    const int32_t stemX = n.stemRight ? n.right + g - offset : n.left + offset - g;
    int32_t a0, a1;
    if (n.stemRight)
      n.countRight ? (a0 = stemX - s / 2, a1 = stemX + 2 * s) : (a0 = stemX - 2 * s - s / 2, a1 = stemX);
    else
      n.countRight ? (a0 = stemX, a1 = stemX + s / 2 + 2 * s) : (a0 = stemX - 2 * s, a1 = stemX + s / 2);
    int32_t yA = n.top, yB = n.top + s;
    if (n.stemDown)
      yB += (length - 1) * s;
    else
      yA -= (length - 1) * s;
    const int32_t f0 = std::min(n.stemEndTop, n.stemEndBottom), f1 = std::max(n.stemEndTop, n.stemEndBottom);
    if ((*t.right > a0 && *t.left < a1 && cy > f0 && cy < f1) ||
        (*t.right >= stemX && stemX >= *t.left && cy > yA && cy < yB)) {
      discard();
      return;
    }
  }
}

void DiscardTextOverMusic(WordPass& pass) {
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind != kTextConsumed && *t.kind != 0) JudgeTextOverMusic(pass, t);
  });
}

// Records lying on the top or bottom edge of a tuplet digit are parts of its
// bracket read as text.
void DiscardTupletDigitEdges(WordPass& pass) {
  PageLists& l = pass.Lists();
  const int32_t reach = pass.dpi / 16;
  for (uint32_t i = 0; i < pass.CharCount(); ++i) {
    const CharRecord& digit = l.chars[i];
    if (digit.kind != kTextKindTupletDigit) continue;
    auto judge = [&](TextRecordRef t) {
      if (*t.kind == kTextConsumed || *t.kind == 0) return;
      if (!(*t.left < digit.right && *t.right > digit.left)) return;
      const int32_t c = CentreY(t);
      if (std::abs(c - digit.top) <= reach || std::abs(c - digit.bottom) <= reach) *t.kind = kTextConsumed;
    };
    for (uint32_t j = 0; j < pass.CharCount(); ++j)
      if (j != i) judge(CharRef(l.chars[j], j));
    // Each word is judged by its own kind (the tempo, dynamic and technique
    // words given before the pass stay).
    for (uint32_t j = 0; j < pass.WordCount(); ++j) {
      const uint16_t k = l.words[j].kind;
      if (k != 6 && k != 7 && k != 8) judge(WordRef(l.words[j], j));
    }
  }
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

// The words that the engine's reader already placed (sung lines, tempo,
// dynamic and technique words) go to the nearest note of their stave.
void AttachEngineTexts(WordPass& pass) {
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    const uint16_t k = *t.kind;
    uint16_t code = 0;
    if (k == kTextKindTextLine && pass.switches.lyrics) code = kAttachTextLine;
    if (k == kTextKindDynamicWord || k == kTextKindTechniqueWord || k == kTextKindTempoWord) code = 14 + k;
    if (!code) return;
    const int row = NearestRowByCentre(pass, t, nullptr);
    if (row < 0 || !RowInGroup(pass, row)) return;
    PageLists& l = pass.Lists();
    const int16_t staveIndex = static_cast<int16_t>(pass.Row(row).number - 1);
    for (uint32_t i = 0; i < *l.noteCount; ++i)
      for (int a = 0; a < l.notes[i].appenditureCount && a < kMaxAppenditures; ++a)
        if (l.notes[i].appenditures[a].markIndex == t.id && l.notes[i].appenditures[a].kind >= 16 &&
            l.notes[i].appenditures[a].kind <= 31)
          return;  // already attached
    int chosen = -1;
    int32_t best = 0;
    for (uint32_t i = 0; i < *l.noteCount; ++i) {
      const NoteRecord& n = l.notes[i];
      if (!LiveNote(n) || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
      const int32_t d = k == kTextKindTextLine ? std::abs((n.left + n.right) / 2 - CentreX(t)) : std::abs(n.left - *t.left);
      if (chosen < 0 || d < best) {
        chosen = static_cast<int>(i);
        best = d;
      }
    }
    if (chosen >= 0) AttachText(pass, NoteChoice{false, chosen}, code, t, false);
  });
}

}  // namespace

// ---- Public pieces ----

TextTypeSwitches CurrentTextTypeSwitches() {
  const bool* off = Unsaved().textClassSwitches;
  TextTypeSwitches s;
  s.title = !off[0];
  s.composer = !off[1];
  s.lyricist = !off[2];
  s.copyright = !off[3];
  s.lyrics = !off[4];
  s.chordSymbols = !off[5];
  s.fingering = !off[6];
  return s;
}

namespace {

// The fields a character and a word record share, by name.
template <typename Record>
TextRecordRef RecordRef(Record& record, int capacity, uint32_t id, bool word) {
  TextRecordRef r;
  r.text = record.text;
  r.capacity = capacity;
  r.kind = &record.kind;
  r.left = &record.left;
  r.top = &record.top;
  r.right = &record.right;
  r.bottom = &record.bottom;
  r.baseline = &record.baseline;
  r.anchor = &record.anchor;
  r.flags = &record.flags;
  r.id = id;
  r.word = word;
  return r;
}

}  // namespace

TextRecordRef WordRef(WordRecord& w, uint32_t index) {
  return RecordRef(w, kWordTextUnits, kWordRecordIdBase + index, true);
}

TextRecordRef CharRef(CharRecord& c, uint32_t index) { return RecordRef(c, kCharTextUnits, index, false); }

bool WordPass::LastGroup() const {
  return Rows() > 0 && Row(firstStave).group == Row(Rows() - 1).group;
}

int32_t WordPass::StaveSpace(int row) const {
  StavePage page = geometry;
  return std::max<int32_t>(1, RoundedInterlineSpacing(build->lists.rows, Rows(), row, page));
}

void PrepareWordPass(WordPass& pass, BuildContext& build, int firstStave) {
  pass.build = &build;
  pass.firstStave = firstStave;
  pass.dpi = build.resolution > 0 ? build.resolution : 300;
  pass.geometry = StavePage{};
  pass.geometry.resolution = pass.dpi;
  if (build.page) {
    pass.pageWidth = static_cast<int32_t>(build.page->width);
    pass.geometry.lines = &build.page->lineCurves;
    pass.geometry.curvesValid = build.page->curvesValid;
    pass.geometry.modelCurves = build.page->modelCurves;
  }
}

bool IsSignRecord(const TextRecordRef& r) {
  return IsSignKind(*r.kind) || r.text[0] == kNavigationSignMark || r.text[0] == kSymbolWordMark;
}

bool RowInGroup(const WordPass& pass, int row) {
  return row >= pass.firstStave && row < pass.Rows() && pass.Row(row).group == pass.Row(pass.firstStave).group;
}

bool NearestNoteOrRest(WordPass& pass, int row, int32_t x, NoteChoice* choice) {
  PageLists& l = pass.Lists();
  const int16_t staveIndex = static_cast<int16_t>(pass.Row(row).number - 1);
  NoteChoice best;
  int32_t bestD = 0;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (!LiveNote(n) || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
    const int32_t d = std::abs((n.left + n.right) / 2 - x);
    if (best.index < 0 || d < bestD) {
      best = NoteChoice{false, static_cast<int>(i)};
      bestD = d;
    }
  }
  for (uint32_t i = 0; i < *l.symbolCount; ++i) {
    const SymbolRecord& s = l.symbols[i];
    if (s.type < kSymbolRestBase || s.type > kSymbolMultiBarRest || s.quality > 5 || s.stave != staveIndex ||
        !HasRoom(s.appenditureCount))
      continue;
    const int32_t d = std::abs((s.left + s.right) / 2 - x);
    if (best.index < 0 || d < bestD) {
      best = NoteChoice{true, static_cast<int>(i)};
      bestD = d;
    }
  }
  if (best.index < 0) return false;
  *choice = best;
  return true;
}

void AttachText(WordPass& pass, const NoteChoice& choice, uint16_t code, const TextRecordRef& r, bool withBox) {
  PageLists& l = pass.Lists();
  Appenditure* list;
  int16_t* count;
  int16_t stave;
  if (choice.rest) {
    SymbolRecord& s = l.symbols[choice.index];
    list = s.appenditures;
    count = &s.appenditureCount;
    stave = s.stave;
  } else {
    NoteRecord& n = l.notes[choice.index];
    list = n.appenditures;
    count = &n.appenditureCount;
    stave = n.stave;
  }
  if (*count < 0 || *count >= kMaxAppenditures) return;
  Appenditure a{};
  if (withBox) {
    a.left = *r.left;
    a.right = *r.right;
    a.top = *r.top;
    a.bottom = *r.bottom;
  }
  a.kind = code;
  a.stave = stave;
  a.markIndex = r.id;
  list[(*count)++] = a;
}

int DiscardOverlappedTexts(WordPass& pass, const TextRecordRef& self, bool longTextRule) {
  const int16_t left = *self.left, top = *self.top, right = *self.right, bottom = *self.bottom;
  int conflict = 0;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (conflict || t.Alternative() || *t.kind == kTextConsumed || (t.word == self.word && t.id == self.id)) return;
    const int32_t q = t.Height() / 4;
    if (!(left < *t.right && right > *t.left && top < *t.bottom - q && bottom > *t.top + q)) return;
    if (longTextRule && TextLength(t.text) > 3) {
      conflict = 1;
      return;
    }
    *t.kind = kTextConsumed;
  });
  return conflict;
}

int InterpretWords(WordPass& pass) {
  if (!pass.build || pass.Rows() <= 0 || pass.firstStave < 0 || pass.firstStave >= pass.Rows()) return 1;
  PageLists& l = pass.Lists();
  for (uint32_t i = 0; i < pass.WordCount(); ++i)
    if (l.words[i].kind == 0 || l.words[i].kind == kTextKindUndecided) ClassifyRecord(pass, WordRef(l.words[i], i));
  for (uint32_t i = 0; i < pass.CharCount(); ++i)
    if (l.chars[i].kind == 0 || l.chars[i].kind == kTextKindUndecided) ClassifyRecord(pass, CharRef(l.chars[i], i));
  if (pass.LastGroup()) MarkBelowLastStave(pass);
  AlignTextLines(pass);
  JoinNeighbours(pass);
  MarkSubtitles(pass);
  ApplySizeLimits(pass);
  DiscardTextOverMusic(pass);
  DiscardTupletDigitEdges(pass);
  if (pass.LastGroup()) KeepOnePageNumber(pass);
  AttachEngineTexts(pass);
  return 1;
}

// ---- Text helpers ----

int TextLength(const char16_t* text) {
  int n = 0;
  while (text[n]) ++n;
  return n;
}

void StripControlChars(const char16_t* text, char16_t* out, int capacity) {
  int n = 0;
  for (; *text && n + 1 < capacity; ++text)
    if (!IsControl(*text)) out[n++] = *text;
  out[n] = 0;
}

void FixDigitLookalikes(char16_t* text) {
  for (; *text; ++text) {
    switch (*text) {
      case u'B': *text = u'8'; break;
      case u'O': case u'o': *text = u'0'; break;
      case u'S': case u's': *text = u'5'; break;
      case u'Z': case u'z': *text = u'2'; break;
      case u'q': *text = u'9'; break;
      default: break;
    }
  }
}

void ReadLeadingStyleMarks(const char16_t* text, bool* mark13, bool* mark15) {
  *mark13 = *mark15 = false;
  for (; *text && IsControl(*text); ++text) {
    if (*text == 13) *mark13 = true;
    if (*text == 15) *mark15 = true;
  }
}

int WordShape(const char16_t* text) {
  if (!text[0]) return 1;
  int vowels = 0, digits = 0, letters = 0, hyphens = 0;
  for (; *text; ++text) {
    vowels += IsVowelChar(*text) ? 1 : 0;
    digits += IsDigit(*text) ? 1 : 0;
    letters += IsAlpha(*text) ? 1 : 0;
    hyphens += *text == u'-' ? 1 : 0;
  }
  if (vowels == 0 && digits == 0 && hyphens != 1) return 2;
  if (letters < 2) return 1;
  return 0;
}

namespace {
bool IsCLetter(char16_t c) { return c == 0x43 || c == 0x63 || c == 0xC7 || c == 0xE7 || (c >= 0x106 && c <= 0x10D); }
bool IsBracketedCAt(const char16_t* t) {
  return t[0] == u'(' && t[1] && IsCLetter(t[1]) && (t[2] == u')' || t[2] == u'J' || t[2] == u'j');
}
}  // namespace

bool ContainsBracketedC(const char16_t* text) {
  const int n = TextLength(text);
  for (int i = 0; i + 3 <= n; ++i)
    if (IsBracketedCAt(text + i)) return true;
  return false;
}

void NormaliseCopyrightSign(char16_t* text, int capacity) {
  int out = 0;
  for (int i = 0; text[i] && out + 1 < capacity;) {
    if (text[i] == u'@') {
      text[out++] = 0xA9;
      ++i;
    } else if (TextLength(text + i) >= 3 && IsBracketedCAt(text + i)) {
      text[out++] = 0xA9;
      i += 3;
    } else {
      text[out++] = text[i++];
    }
  }
  text[out] = 0;
}

int MakeLowerWide(char16_t* text) {
  int n = 0;
  for (; text[n]; ++n) text[n] = FoldCase(text[n]);
  return n;
}

void AlignTextLines(WordPass& pass) {
  constexpr int kMaxLines = 128;
  const int32_t reach = std::max(1, pass.dpi / 24);
  int32_t bands[kMaxLines];
  int bandCount = 0;
  auto inBand = [&](int32_t y) {
    for (int b = 0; b < bandCount; ++b)
      if (std::abs(y - bands[b]) <= reach) return true;
    return false;
  };
  while (bandCount < kMaxLines) {
    int bestCount = 0;
    int32_t bestSum = 0, bestN = 0;
    ForEachTextRecord(pass, [&](TextRecordRef seed) {
      if (*seed.kind != kTextKindTextLine || inBand(*seed.baseline)) return;
      int n = 0;
      int64_t sum = 0;
      ForEachTextRecord(pass, [&](TextRecordRef o) {
        if (*o.kind == kTextKindTextLine && std::abs(*o.baseline - *seed.baseline) < reach) {
          ++n;
          sum += *o.baseline;
        }
      });
      if (n > bestCount) {
        bestCount = n;
        bestSum = static_cast<int32_t>(sum);
        bestN = n;
      }
    });
    if (bestCount == 0) return;
    const int32_t mean = bestSum / bestN;
    int members = 0, with13 = 0, with15 = 0;
    ForEachTextRecord(pass, [&](TextRecordRef o) {
      if ((*o.kind != kTextKindTextLine && *o.kind != kTextKindLyricWord) || std::abs(*o.baseline - mean) >= reach) return;
      bool m13, m15;
      ReadLeadingStyleMarks(o.text, &m13, &m15);
      ++members;
      with13 += m13 ? 1 : 0;
      with15 += m15 ? 1 : 0;
    });
    ForEachTextRecord(pass, [&](TextRecordRef o) {
      if (*o.kind != kTextKindTextLine || std::abs(*o.baseline - mean) >= reach) return;
      *o.baseline = static_cast<int16_t>(mean);
      int n = 0;
      for (int i = 0; o.text[i]; ++i)
        if (o.text[i] < 13 || o.text[i] > 18) o.text[n++] = o.text[i];
      o.text[n] = 0;
      // Marks go in front only while the text stays below the record's limit.
      const int limit = o.word ? kWordTextLimit : kCharTextLimit;
      auto prepend = [&](char16_t mark) {
        if (TextLength(o.text) + 1 >= limit) return;
        for (int i = TextLength(o.text); i >= 0; --i) o.text[i + 1] = o.text[i];
        o.text[0] = mark;
      };
      if (2 * with13 > members) prepend(13);
      if (2 * with15 > members) prepend(15);
    });
    bands[bandCount++] = mean;
  }
}

// ---- The stage ----

int WordMeaningStage(StageContext& context) {
  BuildContext& build = ReadingBuildContext();
  BindStageContext(build, context);
  PageLists& l = build.lists;
  if (!l.chars || !l.words || !l.charCount || !l.wordCount || !l.rows) return 1;
  if (context.firstStave == 0) TakeEngineTextForWordPass(l.chars, l.charCount, l.words, l.wordCount);
  WordPass pass;
  PrepareWordPass(pass, build, context.firstStave);
  pass.switches = CurrentTextTypeSwitches();
  pass.stemOffsetScale = build.stemOffsetScale;
  return InterpretWords(pass);
}
