// The word pass on headings: title, subtitle, composer, lyricist and the
// copyright line.
#include "building/WordPassSteps.h"

#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace wordpass {

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

namespace {

// The ratio of two margins, large when the divisor is no margin at all (text
// at the page's edge).
int32_t MarginRatio(int32_t numerator, int32_t denominator) {
  if (denominator <= 0) return INT32_MAX;
  return numerator / denominator;
}

}  // namespace

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

namespace {

bool ContainsUiString(const char16_t* text, unsigned id) {
  char16_t part[64];
  return platform::LoadUiString(id, part, 64) > 0 && ContainsNoCase(text, part);
}

}  // namespace

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

}  // namespace wordpass
