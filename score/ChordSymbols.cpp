#include "score/ChordSymbols.h"

#include "platform/Platform.h"

namespace {

struct RootForm {
  const char16_t* name;
  int root;
  bool anyCase;
};

// Two-unit names first, then one-unit names.
constexpr RootForm kRootForms[] = {
    {u"C#", 1, true}, {u"Db", 2, false}, {u"D#", 4, false}, {u"Eb", 5, false}, {u"F#", 8, true},
    {u"Gb", 9, false}, {u"G#", 11, false}, {u"Ab", 12, false}, {u"A#", 14, false}, {u"Bb", 15, false},
    {u"C", 0, true}, {u"D", 3, false}, {u"E", 6, false}, {u"F", 7, true}, {u"G", 10, false},
    {u"A", 13, false}, {u"B", 16, false},
};

struct SuffixForm {
  const char16_t* form;
  int kind;
};

// Longest forms first; the first prefix that matches wins.
constexpr SuffixForm kSuffixForms[] = {
    {u"5(no3rd)", 4}, {u"5(omit3)", 4},
    {u"m9(maj7)", 28}, {u"m(maj7)", 2}, {u"m(add9)", 3}, {u"maj7#11", 21},
    {u"13sus4", 36}, {u"aug7b9", 39}, {u"aug7#9", 40},
    {u"7b5#9", 16}, {u"7sus4", 22}, {u"9sus4", 29}, {u"maj13", 35},
    {u"sus2", 5}, {u"sus4", 6}, {u"m6/9", 11}, {u"7#11", 17}, {u"m7b5", 19}, {u"maj7", 20}, {u"maj9", 25},
    {u"m9b5", 27}, {u"add9", 30}, {u"aug7", 38}, {u"aug9", 41}, {u"+7b9", 44}, {u"+7#9", 45}, {u"dim7", 48},
    {u"sus", 6}, {u"6/9", 8}, {u"mb6", 9}, {u"7b5", 13}, {u"7b9", 14}, {u"7#9", 15}, {u"9b5", 24},
    {u"m11", 32}, {u"m13", 34}, {u"aug", 37}, {u"dim", 47},
    {u"m6", 10}, {u"m7", 18}, {u"m9", 26}, {u"11", 31}, {u"13", 33}, {u"+7", 43}, {u"+9", 46},
    {u"5", 4}, {u"m", 1}, {u"6", 7}, {u"7", 12}, {u"9", 23}, {u"+", 42},
};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// The length of form when text starts with it, else 0.
int StartsWith(const char16_t* text, const char16_t* form, bool anyCase) {
  int n = 0;
  for (; form[n]; ++n) {
    const char16_t t = text[n];
    if (!t) return 0;
    if (anyCase ? Lower(t) != Lower(form[n]) : t != form[n]) return 0;
  }
  return n;
}

bool IsSlashLookAlike(char16_t c) {
  return c == u'I' || c == u'l' || c == u'1' || c == u'|' || c == u't' || c == u'/';
}

// Units that text recognition adds around chord names; dropped uncounted.
bool IsDropped(char16_t c) {
  switch (c) {
    case u'\'': case u'(': case u')': case u'.': case u',': case u';': case u':': case u'"':
    case u'-': case u'[': case u']': case u'<': case u'>':
      return true;
    default:
      return c <= 0x20 || (c >= 0x7F && c <= 0x9F);
  }
}

int Length(const char16_t* text) {
  int n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace

int ParseChordRoot(const char16_t* text, int* taken) {
  if (taken) *taken = 0;
  if (!text) return -1;
  for (const RootForm& form : kRootForms) {
    if (int n = StartsWith(text, form.name, form.anyCase)) {
      if (taken) *taken = n;
      return form.root;
    }
  }
  return -1;
}

int ParseChordSuffix(const char16_t* text, int* taken) {
  if (taken) *taken = 0;
  if (!text) return -1;
  for (const SuffixForm& form : kSuffixForms) {
    if (int n = StartsWith(text, form.form, true)) {
      if (taken) *taken = n;
      return form.kind;
    }
  }
  return -1;
}

int ParseChordBass(char16_t* text, int* taken) {
  if (taken) *taken = 0;
  if (!text || !IsSlashLookAlike(text[0])) return -1;
  int n = 0;
  const int root = ParseChordRoot(text + 1, &n);
  if (root < 0) return -1;
  text[0] = u'/';
  if (taken) *taken = 1 + n;
  return root;
}

bool ParseChordSymbol(const char16_t* text, int* root, int* kind, int* bass) {
  if (!text) return false;
  int at = 0, n = 0;
  const int r = ParseChordRoot(text, &n);
  if (r < 0) return false;
  at += n;
  int k = 0;
  if (text[at]) {
    const int suffix = ParseChordSuffix(text + at, &n);
    if (suffix >= 0) {
      k = suffix;
      at += n;
    }
  }
  int b = r;
  if (text[at]) {
    char16_t rest[kChordSymbolTextUnits] = {};
    int i = 0;
    for (; text[at + i] && i < kChordSymbolTextUnits - 1; ++i) rest[i] = text[at + i];
    if (text[at + i]) return false;
    b = ParseChordBass(rest, &n);
    if (b < 0 || rest[n]) return false;
  }
  *root = r;
  *kind = k;
  *bass = b;
  return true;
}

int FormatChordSymbol(int root, int kind, int bass, char16_t* out, int capacity) {
  if (!out || capacity <= 0) return 0;
  out[0] = 0;
  if (root < 0 || root >= kChordRoots || kind < 0 || kind >= kChordKinds) return 0;
  int at = platform::LoadUiString(kChordRootNameBase + root, out, capacity);
  if (kind > 0 && at < capacity - 1) at += platform::LoadUiString(kChordSuffixBase + kind, out + at, capacity - at);
  if (bass != root && bass >= 0 && bass < kChordRoots && at < capacity - 2) {
    out[at++] = u'/';
    out[at] = 0;
    at += platform::LoadUiString(kChordRootNameBase + bass, out + at, capacity - at);
  }
  return at;
}

int NormaliseChordText(const char16_t* text, char16_t* out, int capacity) {
  constexpr int kLongest = 16;
  if (!text || !out || capacity < kLongest + 1) return -1;
  out[0] = 0;
  const int length = Length(text);
  if (length >= kLongest) return -1;
  int written = 0, replaced = 0;
  auto put = [&](char16_t c) { out[written++] = c; };
  for (int i = 0; i < length; ++i) {
    const char16_t c = text[i];
    const char16_t next = i + 1 < length ? text[i + 1] : 0;
    if (next) {
      const bool flat = (c == u'\\' && (next == u',' || next == u'\'')) || (c == u'j' && next == u',') ||
                        (c == u'l' && next == u'>') || (c == u'I' && next == u'.');
      if (flat || (c == u't' && next == u'n')) {
        put(flat ? u'b' : u'm');
        ++replaced;
        ++i;
        continue;
      }
    }
    if (IsDropped(c)) continue;
    char16_t repaired = c;
    if (c == 0x00DE || c == 0x00FE) {
      repaired = u'b';
    } else if (c == u'P') {
      repaired = written == 0 ? u'F' : u'b';
    } else if (c == u'8') {
      repaired = u'B';
    } else if (c == u'O' && length >= 2) {
      repaired = u'D';
    } else if (c == u'S') {
      repaired = u'5';
    } else if (c == u'?') {
      repaired = u'7';
    }
    if (repaired != c) ++replaced;
    put(repaired);
  }
  out[written] = 0;
  if (written == 0) return -1;
  if (written == 1 && length > 1 && out[0] >= u'a' && out[0] <= u'z') return -1;
  int rootUnits = 0;
  if (ParseChordRoot(out, &rootUnits) < 0) return -1;
  int covered = rootUnits;
  if (out[rootUnits]) {
    int n = 0;
    if (ParseChordSuffix(out + rootUnits, &n) < 0 && ParseChordBass(out + rootUnits, &n) < 0) return -1;
    covered += n;
  }
  if (covered < 5 ? written >= 10 : 2 * covered < written) return -1;
  return replaced;
}
