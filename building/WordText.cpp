// Text helpers of the word pass.
#include "building/WordPassSteps.h"

#include "platform/TextUtils.h"

using namespace wordpass;

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
