#include "Code/Quorm/Userdict.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Spell.h"

namespace {

char* words = nullptr;       // "userdictwords": NUL-ended words end to end
int32_t wordBytes = 0;
int32_t wordCapacity = 0;
int32_t* offsets = nullptr;  // "userdictoffsets"
int32_t wordCount = 0;
int32_t offsetCapacity = 0;

constexpr char kInitFailed[] = "Xudicinit";
constexpr char kFileFailed[] = "Xudicfile";
constexpr char kNoMemory[] = "Xmemudic";

int CompareFolded(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = ToLowerCase(static_cast<unsigned char>(*a));
    unsigned char cb = ToLowerCase(static_cast<unsigned char>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
  }
}

size_t FoldedPrefix(const char* a, const char* b) {
  size_t n = 0;
  while (a[n] && b[n] && ToLowerCase(static_cast<unsigned char>(a[n])) == ToLowerCase(static_cast<unsigned char>(b[n])))
    ++n;
  return n;
}

bool IsLetterOrDigit(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return IsLetterChar(u) || IsDigitChar(u);
}

EngineCode AddWord(const char* word) {
  size_t begin = 0, end = std::strlen(word);
  while (begin < end && !IsLetterOrDigit(word[begin])) ++begin;
  while (end > begin && !IsLetterOrDigit(word[end - 1])) --end;
  if (begin == end) return kEngineOk;  // nothing of a word is left
  if (wordBytes + kMaxUserWordLength + 1 >= wordCapacity) {
    const size_t grown = GrownCapacity(static_cast<size_t>(wordCapacity), kUserDictWordBytes, INT32_MAX);
    if (grown == 0 || !NamedRealloc(words, grown)) return kNoMemory;
    wordCapacity = static_cast<int32_t>(grown);
  }
  if (wordCount + 1 >= offsetCapacity) {
    const size_t grown = GrownCapacity(static_cast<size_t>(offsetCapacity), kUserDictOffsetStep, INT32_MAX / 4);
    if (grown == 0 || !NamedRealloc(offsets, sizeof(int32_t) * grown)) return kNoMemory;
    offsetCapacity = static_cast<int32_t>(grown);
  }
  offsets[wordCount++] = wordBytes;
  std::memcpy(words + wordBytes, word + begin, end - begin);
  wordBytes += static_cast<int32_t>(end - begin);
  words[wordBytes++] = '\0';
  return kEngineOk;
}

// Sorts by the case-folded words (exact bytes break ties, so that equal
// words meet) and drops every word equal to the one before it.
EngineCode SortAndDropDuplicates() {
  std::sort(offsets, offsets + wordCount, [](int32_t a, int32_t b) {
    int folded = CompareFolded(words + a, words + b);
    return folded != 0 ? folded < 0 : std::strcmp(words + a, words + b) < 0;
  });
  char* oldWords = nullptr;
  if (!NamedAlloc(oldWords, static_cast<size_t>(wordBytes), "oldudictwords")) return kFileFailed;
  std::memcpy(oldWords, words, static_cast<size_t>(wordBytes));
  int32_t kept = 0;
  int32_t used = 0;
  const char* previous = nullptr;
  for (int32_t i = 0; i < wordCount; ++i) {
    const char* word = oldWords + offsets[i];
    if (previous && std::strcmp(previous, word) == 0) continue;
    size_t length = std::strlen(word) + 1;
    std::memcpy(words + used, word, length);
    offsets[kept++] = used;
    used += static_cast<int32_t>(length);
    previous = word;
  }
  NamedFree(oldWords);
  wordCount = kept;
  wordBytes = used;
  return kEngineOk;
}

}  // namespace

EngineCode LoadUserDictionary() {
  FreeUserDictionary();
  if (!NamedAlloc(words, kUserDictWordBytes, "userdictwords") ||
      !NamedAlloc(offsets, sizeof(int32_t) * kUserDictOffsetStep, "userdictoffsets")) {
    FreeUserDictionary();
    return kInitFailed;
  }
  wordCapacity = kUserDictWordBytes;
  offsetCapacity = kUserDictOffsetStep;
  std::FILE* file = OpenEngineFile(GetUserDictPath(), "rb");
  if (file == nullptr) return kInitFailed;
  char word[kMaxUserWordLength + 1];
  EngineCode code = kEngineOk;
  while (code == kEngineOk && std::fscanf(file, " %31s", word) == 1) code = AddWord(word);
  if (code == kEngineOk && std::ferror(file)) code = kFileFailed;
  if (code == kEngineOk) code = SortAndDropDuplicates();
  std::fclose(file);
  return code;
}

void FreeUserDictionary() {
  NamedFree(words);
  NamedFree(offsets);
  wordBytes = wordCapacity = wordCount = offsetCapacity = 0;
}

int32_t GetUserWordCount() { return wordCount; }

const char* GetUserWord(int32_t i) {
  ENGINE_CHECK_INDEX(i, wordCount);
  return words + offsets[i];
}

int32_t FindUserWord(const char* word, int nearest) {
  ENGINE_CHECK_POINTER(word);
  int32_t lo = 0, hi = wordCount - 1, m = -1;
  while (lo <= hi) {
    m = lo + (hi - lo) / 2;
    int order = CompareFolded(word, words + offsets[m]);
    if (order == 0) return m;
    if (order < 0) hi = m - 1; else lo = m + 1;
  }
  if (!nearest || m < 0) return -1;
  int32_t best = m;
  size_t bestLength = FoldedPrefix(word, words + offsets[m]);
  for (int32_t candidate : {m - 1, m + 1}) {
    if (candidate < 0 || candidate >= wordCount) continue;
    size_t length = FoldedPrefix(word, words + offsets[candidate]);
    if (length > bestLength) {
      best = candidate;
      bestLength = length;
    }
  }
  return best;
}

int InUserDictionary(const char* word, int kind) {
  ENGINE_CHECK(kind >= 0 && kind <= 4);
  int32_t found = FindUserWord(word, 0);
  if (found < 0) return 0;
  if (kind == 2) return 1;
  // Every stored spelling of the same case-folded word is a candidate.
  int32_t first = found, last = found;
  while (first > 0 && CompareFolded(word, words + offsets[first - 1]) == 0) --first;
  while (last + 1 < wordCount && CompareFolded(word, words + offsets[last + 1]) == 0) ++last;
  for (int32_t i = first; i <= last; ++i) {
    const char* stored = words + offsets[i];
    if (kind == 1 ? std::strcmp(word + 1, stored + 1) == 0 : std::strcmp(word, stored) == 0) return 1;
  }
  return 0;
}
