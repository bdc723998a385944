// The word pass joining neighbouring records of one kind into one text, and
// the size limits of the kinds.
#include "building/WordPassSteps.h"

#include "platform/TextUtils.h"

namespace wordpass {

namespace {

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

}  // namespace

void JoinNeighbours(WordPass& pass) {
  PageLists& l = pass.Lists();
  while (JoinPass(pass, pass.WordCount(), [&](uint32_t i) { return WordRef(l.words[i], i); }, kWordTextLimit)) {
  }
  while (JoinPass(pass, pass.CharCount(), [&](uint32_t i) { return CharRef(l.chars[i], i); }, kCharTextLimit)) {
  }
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

}  // namespace wordpass
