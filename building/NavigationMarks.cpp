#include "building/NavigationMarks.h"

#include <algorithm>
#include <cstdlib>

#include "platform/TextUtils.h"

namespace {

constexpr int kMarkBufferUnits = 256;
// A coda's "to" text joined into a word stays within the record with its NUL.
constexpr int kCodaJoinWordLimit = 158;
constexpr int kCodaJoinCharLimit = 14;

bool IsSignKind(uint16_t k) { return (k >= 19 && k <= 21) || (k >= 50 && k <= 99); }

void CopyText(char16_t* out, int capacity, const char16_t* text) {
  int i = 0;
  for (; text[i] && i + 1 < capacity; ++i) out[i] = text[i];
  out[i] = 0;
}

bool Same(const TextRecordRef& a, const TextRecordRef& b) { return a.word == b.word && a.id == b.id; }

// The nearest row whose top lies below y (ties: the later row); firstOnly
// looks only at the first rows of their groups.
int RowBelow(const WordPass& pass, int32_t y, bool firstOnly, int32_t* distance) {
  int best = -1;
  int32_t bestD = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    if (firstOnly && i > 0 && pass.Row(i).group == pass.Row(i - 1).group) continue;
    const int32_t d = pass.Row(i).top - y;
    if (d <= 0) continue;
    if (best < 0 || d <= bestD) {
      best = i;
      bestD = d;
    }
  }
  *distance = bestD;
  return best;
}

bool IsTimeDigitOn(const SymbolRecord& s, int16_t stave) {
  return s.type >= kSymbolDigitZero && s.type <= kSymbolDigitZero + 9 && s.quality <= 5 && s.stave == stave;
}

// "D.S." and its neighbours "al", "fine", "coda" become one mark.
void JoinDalSegnoWords(WordPass& pass, TextRecordRef& r, char16_t* mark) {
  const int ownLength = TextLength(r.text);
  auto tryJoin = [&](TextRecordRef n) {
    if (Same(n, r) || *n.kind == kTextConsumed || IsSignKind(*n.kind)) return false;
    if (TextLength(n.text) + ownLength > kNavigationTextUnits) return false;
    if (!ContainsNoCase(n.text, u"al") && !ContainsNoCase(n.text, u"fine") && !ContainsNoCase(n.text, u"coda"))
      return false;
    if (!(*n.top < *r.bottom && *n.bottom > *r.top)) return false;
    const int32_t half = n.Width() / 2, h = r.Height(), mid = (*r.left + *r.right) / 2;
    const bool onLeft = *n.right < std::min<int32_t>(*r.left + half, mid) && *n.right >= *r.left - h;
    const bool onRight = *n.left > std::max<int32_t>(mid, *r.right - half) && *n.left <= *r.right + h;
    if (!onLeft && !onRight) return false;
    char16_t joined[kMarkBufferUnits];
    if (*n.left < *r.left)
      FormatWide(joined, kMarkBufferUnits, u"%s %s", n.text, mark);
    else
      FormatWide(joined, kMarkBufferUnits, u"%s %s", mark, n.text);
    CopyText(mark, kMarkBufferUnits, joined);
    *r.left = std::min(*r.left, *n.left);
    *r.top = std::min(*r.top, *n.top);
    *r.right = std::max(*r.right, *n.right);
    *r.bottom = std::max(*r.bottom, *n.bottom);
    *n.kind = kTextConsumed;
    return true;
  };
  PageLists& l = pass.Lists();
  for (bool joined = true; joined;) {
    joined = false;
    for (uint32_t i = 0; i < pass.CharCount(); ++i) joined = tryJoin(CharRef(l.chars[i], i)) || joined;
    if (joined) continue;
    for (uint32_t i = 0; i < pass.WordCount(); ++i) joined = tryJoin(WordRef(l.words[i], i)) || joined;
  }
}

// The text of a coda sign: a "coda" text above it or beside it, with a "to"
// text on its left joined in.
void FindCodaText(WordPass& pass, const TextRecordRef& sign, char16_t* mark) {
  mark[0] = 0;
  PageLists& l = pass.Lists();
  const int32_t signWidth = sign.Width();
  auto seekTo = [&](TextRecordRef& c) {
    auto tryTo = [&](TextRecordRef t) {
      if (Same(t, c) || *t.kind == kTextConsumed || IsSignKind(*t.kind) || !ContainsNoCase(t.text, u"to")) return false;
      const int limit = c.word ? kCodaJoinWordLimit : kCodaJoinCharLimit;
      if (TextLength(t.text) + TextLength(c.text) > limit) return false;
      if (!(*t.top < *c.bottom && *t.bottom > *c.top)) return false;
      if (!(*t.right <= *c.left && *t.right >= *c.left - signWidth)) return false;
      char16_t joined[kMarkBufferUnits];
      FormatWide(joined, kMarkBufferUnits, u"%s %s", t.text, c.text);
      CopyText(c.text, c.capacity, joined);
      *c.left = *t.left;
      *t.kind = kTextConsumed;
      return true;
    };
    for (uint32_t i = 0; i < pass.CharCount(); ++i)
      if (tryTo(CharRef(l.chars[i], i))) return;
    for (uint32_t i = 0; i < pass.WordCount(); ++i)
      if (tryTo(WordRef(l.words[i], i))) return;
  };
  auto tryCandidate = [&](TextRecordRef c) {
    if (Same(c, sign) || *c.kind == kTextConsumed || IsSignKind(*c.kind) || !ContainsNoCase(c.text, u"coda")) return false;
    if (c.word && TextLength(c.text) > kNavigationTextUnits) return false;
    const int n = TextLength(c.text);
    if (n > 0 && c.text[n - 1] == u'.') c.text[n - 1] = 0;
    if (!ContainsNoCase(c.text, u"to")) seekTo(c);
    const int32_t cy = (*c.top + *c.bottom) / 2;
    const bool overHorizontally = *c.left < *sign.right && *c.right > *sign.left;
    const bool overVertically = *c.top < *sign.bottom && *c.bottom > *sign.top;
    bool accepted = cy < *sign.top && overHorizontally && *c.bottom >= 2 * *sign.top - *sign.bottom;
    if (!accepted && overVertically) {
      if (ContainsNoCase(c.text, u"to"))
        accepted = *c.left < *sign.left && *c.right >= 2 * *sign.left - *sign.right;
      else
        accepted = *c.right > *sign.right && *c.left <= 2 * *sign.right - *sign.left;
    }
    if (!accepted) return false;
    CopyText(mark, kNavigationTextUnits + 1, c.text);
    *c.kind = kTextConsumed;
    return true;
  };
  for (uint32_t i = 0; i < pass.CharCount(); ++i)
    if (tryCandidate(CharRef(l.chars[i], i))) return;
  for (uint32_t i = 0; i < pass.WordCount(); ++i)
    if (tryCandidate(WordRef(l.words[i], i))) return;
}

struct SymbolWordName {
  const char16_t* name;
  uint16_t code;
};
constexpr SymbolWordName kSymbolWordNames[] = {
    {u"PEDALENGAGE", 208},  {u"PEDALRELEASE", 209}, {u"PEDALVARIABLE", 210}, {u"TRILL", 211},
    {u"MORDENTUPPER", 212}, {u"MORDENTLOWER", 213}, {u"TURN", 214},          {u"TURNINVERTED", 215},
};

bool SameText(const char16_t* a, const char16_t* b) {
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

}  // namespace

int ClassifyNavigationWord(WordPass& pass, TextRecordRef& r) {
  const bool sign = r.text[0] == kNavigationSignMark;
  if (!sign) {
    if (ContainsNoCase(r.text, u"coda")) return 1;
    if (!ContainsNoCase(r.text, u"D.S.") && !ContainsNoCase(r.text, u"D. S.") && !ContainsNoCase(r.text, u"D-S"))
      return 0;
  }
  int32_t dA = 0, dB = 0;
  const int a = RowBelow(pass, *r.top, false, &dA);
  const int b = RowBelow(pass, *r.top, true, &dB);
  if (b < 0 || dB > pass.dpi) return 0;
  const StaveRow& stave = pass.Row(b);
  if (*r.right < stave.left) return 0;
  if (a != b) return 1;
  if (!RowInGroup(pass, b)) return 1;
  NoteChoice choice;
  if (!NearestNoteOrRest(pass, b, (*r.left + *r.right) / 2, &choice)) return 0;
  const int32_t s = pass.StaveSpace(b);
  bool placed = false;
  PageLists& l = pass.Lists();
  for (uint32_t i = 0; i < *l.symbolCount && !placed; ++i) {
    const SymbolRecord& d = l.symbols[i];
    placed = IsTimeDigitOn(d, static_cast<int16_t>(stave.number - 1)) && d.right <= *r.right && *r.left <= d.right + 4 * s;
  }
  if (!placed && *r.left > stave.left + 8 * s) return 0;

  char16_t mark[kMarkBufferUnits];
  uint16_t code;
  if (!sign) {
    *r.kind = kTextKindSegno;
    code = kAttachSegno;
    CopyText(mark, kMarkBufferUnits, r.text);
    JoinDalSegnoWords(pass, r, mark);
  } else {
    const char16_t* name = r.text + 1;
    mark[0] = 0;
    if (SameText(name, u"SEGNO")) {
      *r.kind = kTextKindSegno;
      code = kAttachSegno;
    } else if (name[0] == u'E' && name[1] == u'N' && name[2] == u'D' && name[3] == u'I' && name[4] == u'N' &&
               name[5] == u'G') {
      *r.kind = kTextKindEnding;
      code = kAttachEnding;
      CopyText(mark, kMarkBufferUnits, name + 6);
      // Text inside the sign's box was read from the sign itself; the sign's
      // own record stays.
      ForEachTextRecord(pass, [&](TextRecordRef t) {
        if (Same(t, r) || t.Alternative() || *t.kind == kTextConsumed) return;
        if (*t.top < *r.bottom && *t.bottom >= *r.top && *t.left < *r.right && *t.right >= *r.left)
          *t.kind = kTextConsumed;
      });
    } else {
      *r.kind = kTextKindCoda;
      code = kAttachCoda;
      FindCodaText(pass, r, mark);
    }
  }
  CopyText(r.text, std::min(r.capacity, kNavigationTextUnits + 1), mark);
  AttachText(pass, choice, code, r, false);
  return 1;
}

int ClassifySymbolWord(WordPass& pass, TextRecordRef& r) {
  uint16_t code = kAttachSymbolWordFirst;
  for (const SymbolWordName& n : kSymbolWordNames)
    if (SameText(r.text + 1, n.name)) code = n.code;
  if (DiscardOverlappedTexts(pass, r, true)) {
    *r.kind = kTextConsumed;
    return 1;
  }
  const bool pedal = code <= 210;
  int row = -1;
  int32_t best = 0;
  for (int i = 0; i < pass.Rows(); ++i) {
    const StaveRow& s = pass.Row(i);
    const int32_t d = pedal ? *r.bottom - s.bottom : s.top - *r.top;
    if (d <= 0) continue;
    if (row < 0 || d <= best) {
      row = i;
      best = d;
    }
  }
  if (row < 0 || best > pass.dpi || *r.right < pass.Row(row).left) return 0;
  if (!RowInGroup(pass, row)) return 1;
  NoteChoice choice;
  const int32_t x = (*r.left + *r.right) / 2;
  if (!NearestNoteOrRest(pass, row, x, &choice)) return 0;
  if (code == 209) {
    // A release mark nearer to a symbol of type 1 or 2 than to any note belongs to it.
    PageLists& l = pass.Lists();
    const int32_t chosenD = choice.rest ? std::abs((l.symbols[choice.index].left + l.symbols[choice.index].right) / 2 - x)
                                        : std::abs((l.notes[choice.index].left + l.notes[choice.index].right) / 2 - x);
    const int16_t stave = static_cast<int16_t>(pass.Row(row).number - 1);
    for (uint32_t i = 0; i < *l.symbolCount; ++i) {
      const SymbolRecord& s = l.symbols[i];
      if ((s.type == 1 || s.type == 2) && s.stave == stave && s.quality <= 5 &&
          std::abs((s.left + s.right) / 2 - x) < chosenD)
        return 0;
    }
  }
  r.text[0] = 0;
  AttachText(pass, choice, code, r, true);
  *r.kind = static_cast<uint16_t>(kTextKindSymbolWordFirst + (code - kAttachSymbolWordFirst));
  return 1;
}
