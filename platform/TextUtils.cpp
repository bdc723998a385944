// Case-insensitive comparisons, number and path services, score titles from
// file names, character classes and the common controls' wide-text switch.
#include "platform/TextUtils.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "Code/Unicode/Utils/Str.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Platform.h"

namespace {

enum : unsigned { kStringPage = 10308, kStringPg = 10693 };
constexpr size_t kTitleCapacity = 520;

// The title buffer of TrimTrailingDigits and TitleFromFileName; one per
// thread, so that a reading thread never changes another thread's title.
thread_local char16_t t_title[kTitleCapacity];

size_t CopyToTitle(const char16_t* name) {
  size_t n = 0;
  if (name)
    for (; name[n] && n < kTitleCapacity - 1; ++n) t_title[n] = name[n];
  t_title[n] = 0;
  return n;
}

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x00A0 || c == 0x3000;
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool InRange(char16_t c, char16_t first, char16_t last) { return c >= first && c <= last; }

bool g_commonControlsUnicode = false;

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return InRange(c, u'A', u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (InRange(c, 0x00C0, 0x00DE) && c != 0x00D7) return static_cast<char16_t>(c + 32);
  if (c == 0x0178) return 0x00FF;
  // Latin Extended-A: capitals at even places, except in 0139-0148 and 0179-017E.
  if ((InRange(c, 0x0100, 0x012F) || InRange(c, 0x0132, 0x0137) || InRange(c, 0x014A, 0x0177)) &&
      c % 2 == 0)
    return static_cast<char16_t>(c + 1);
  if ((InRange(c, 0x0139, 0x0148) || InRange(c, 0x0179, 0x017E)) && c % 2 == 1)
    return static_cast<char16_t>(c + 1);
  if (InRange(c, 0x0391, 0x03AB) && c != 0x03A2) return static_cast<char16_t>(c + 32);
  if (InRange(c, 0x0410, 0x042F)) return static_cast<char16_t>(c + 32);
  if (InRange(c, 0x0400, 0x040F)) return static_cast<char16_t>(c + 80);
  return c;
}

int CompareNoCaseN(const char16_t* a, const char16_t* b, size_t n) {
  const char16_t* x = a ? a : u"";
  const char16_t* y = b ? b : u"";
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<int>(FoldCase(x[i])) - static_cast<int>(FoldCase(y[i]));
    if (d != 0 || x[i] == 0) return d;
  }
  return 0;
}

int CompareNoCase(const char16_t* a, const char16_t* b) { return CompareNoCaseN(a, b, SIZE_MAX); }

int CollateNoCase(const char16_t* a, const char16_t* b) {
  return platform::CompareUserLocale(a ? a : u"", b ? b : u"", true);
}

bool ContainsNoCase(const char16_t* text, const char16_t* part) {
  const size_t textLength = WideLength(text);
  const size_t partLength = WideLength(part);
  if (partLength > textLength) return false;
  for (size_t i = 0; i + partLength <= textLength; ++i)
    if (CompareNoCaseN(text + i, part, partLength) == 0) return true;
  return false;
}

int ParseNumbers(const char16_t* text, int* out, int max) {
  int found = 0;
  const char16_t* p = text ? text : u"";
  while (*p && found < max) {
    if (!IsDigit(*p)) {
      ++p;
      continue;
    }
    // Sixteen digits fit comfortably in 64 bits; the value saturates.
    int64_t value = 0;
    for (int digits = 0; IsDigit(*p); ++p, ++digits)
      if (digits < 16) value = value * 10 + (*p - u'0');
    out[found++] = value > INT_MAX ? INT_MAX : static_cast<int>(value);
  }
  return found;
}

void CopyTextCut(char16_t* out, size_t capacity, const char16_t* text) {
  size_t length = std::char_traits<char16_t>::length(text);
  if (length >= capacity) length = capacity - 1;
  std::memcpy(out, text, length * sizeof(char16_t));
  out[length] = 0;
}

size_t WidenLatin1(const uint8_t* bytes, size_t length, char16_t* out, size_t capacity) {
  size_t n = length < capacity - 1 ? length : capacity - 1;
  for (size_t i = 0; i < n; ++i) out[i] = bytes[i];
  out[n] = 0;
  return n;
}

const char16_t* PathFileName(const char16_t* path) {
  if (!path) return path;
  size_t i = WideLength(path);
  // Down to index 0: a path whose only separator leads gives what follows it.
  while (i > 0) {
    --i;
    if (path[i] == u'\\' || path[i] == u'/') return path + i + 1;
  }
  return path;
}

void PathExtension(const char16_t* path, char16_t* out, size_t capacity) {
  const char16_t* dot = nullptr;
  for (const char16_t* p = PathFileName(path); *p; ++p)
    if (*p == u'.') dot = p;
  const size_t length = dot ? std::char_traits<char16_t>::length(dot) : 0;
  if (length >= capacity) {
    out[0] = 0;
    return;
  }
  if (length) std::memcpy(out, dot, length * sizeof(char16_t));
  out[length] = 0;
}

const char16_t* TrimTrailingDigits(const char16_t* name) {
  size_t n = CopyToTitle(name);
  while (n > 0 && (IsDigit(t_title[n - 1]) || IsWhiteSpace(t_title[n - 1]))) --n;
  t_title[n] = 0;
  return t_title;
}

namespace {

// Cuts a trailing word (compared without case) when the title is longer than
// the word plus one character.
bool CutTrailingWord(size_t* n, unsigned wordId) {
  char16_t word[32];
  size_t w = static_cast<size_t>(platform::LoadUiString(wordId, word, 32));
  if (w == 0 || *n <= w + 1 || CompareNoCaseN(t_title + *n - w, word, w) != 0) return false;
  *n -= w;
  t_title[*n] = 0;
  return true;
}

void TrimWhile(size_t* n, bool digitsToo) {
  if (*n < 2) return;
  while (*n > 1) {
    char16_t c = t_title[*n - 1];
    if (!(IsWhiteSpace(c) || c == u'_' || (digitsToo && IsDigit(c)))) break;
    --*n;
  }
  t_title[*n] = 0;
}

}  // namespace

const char16_t* TitleFromFileName(const char16_t* fileName) {
  size_t n = CopyToTitle(fileName);
  for (size_t i = 1; i < n; ++i) {
    if (t_title[i] == u'.') {
      n = i;
      t_title[n] = 0;
      break;
    }
  }
  TrimWhile(&n, true);
  if (!CutTrailingWord(&n, kStringPage)) CutTrailingWord(&n, kStringPg);
  TrimWhile(&n, false);
  return t_title;
}

bool IsCjkChar(char16_t c) {
  static const char16_t kRanges[][2] = {
      {0x1100, 0x11FF}, {0x2E80, 0x2FD5}, {0x3040, 0x309F}, {0x30A0, 0x30FF}, {0x3100, 0x312F},
      {0x3130, 0x318F}, {0x31A0, 0x31B7}, {0x3200, 0x32FF}, {0x3400, 0x9FFF}, {0xA000, 0xA4CF},
      {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFF00, 0xFFEF},
  };
  for (const auto& range : kRanges)
    if (InRange(c, range[0], range[1])) return true;
  return false;
}

bool ContainsCjk(const char16_t* text) {
  for (const char16_t* p = text ? text : u""; *p; ++p)
    if (IsCjkChar(*p) || InRange(*p, 0x3021, 0x3029) || InRange(*p, 0x3038, 0x303A)) return true;
  return false;
}

bool IsVowelChar(char16_t c) {
  static const char16_t kRanges[][2] = {
      {0x00C0, 0x00C6}, {0x00C8, 0x00CF}, {0x00D2, 0x00D6}, {0x00D8, 0x00DC},
      {0x00E0, 0x00E6}, {0x00E8, 0x00EF}, {0x00F2, 0x00F6}, {0x00F8, 0x00FC},
      {0x0100, 0x0105}, {0x0112, 0x011B}, {0x0128, 0x0130}, {0x014C, 0x0153},
      {0x0168, 0x0173}, {0x01A0, 0x01FF},
  };
  switch (c) {
    case u'a': case u'e': case u'i': case u'o': case u'u':
    case u'A': case u'E': case u'I': case u'O': case u'U':
      return true;
    default:
      break;
  }
  for (const auto& range : kRanges)
    if (InRange(c, range[0], range[1])) return true;
  return false;
}

void InitCommonControlsUnicode(bool on) {
  if (IsWindowsNT()) {
    g_commonControlsUnicode = on;
    return;
  }
  bool answer = false;
  if (platform::SetCommonControlsUnicodeFormat(on, &answer)) g_commonControlsUnicode = answer;
}

bool CommonControlsUnicode() { return g_commonControlsUnicode; }
