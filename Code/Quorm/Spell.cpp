// Loading the language data. Every malformed part of either file (a wrong
// keyword, a missing line, an over-long string, a full list, a number out of
// range, a wrong symbol count or file length) fails the load with
// "Xspllinit"; nothing in a file can stop the engine otherwise.
#include "Code/Quorm/Spell.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Userdict.h"

const CharTypeKeyword kCharTypeKeywords[kCharTypeKeywordCount] = {
    {"knownsymbols", kKnownSymbols},     {"wordstart", kWordStart},           {"wordend", kWordEnd},
    {"wordmiddle", kWordMiddle},         {"mustbeword", kMustBeWord},         {"numberstart", kNumberStart},
    {"numberend", kNumberEnd},           {"numbermiddle", kNumberMiddle},     {"mustbenumber", kMustBeNumber},
    {"wordseparator", kWordSeparator},   {"hyphenator", kHyphenator},         {"styleindicator", kStyleIndicator},
    {"widthindicator", kWidthIndicator}, {"couldbegraphic", kCouldBeGraphic}, {"uppercase", kUpperCase},
    {"lowercase", kLowerCase},           {"okbeforeword", kOkBeforeWord},     {"okafterword", kOkAfterWord},
    {"okbeforenumber", kOkBeforeNumber}, {"okafternumber", kOkAfterNumber},
};

const char* const kDictionaryCostKeywords[kDictionaryCostCount] = {
    "tgramtowordfreq_len3", "tgramtowordfreq_len4", "tgramtowordfreq_per1", "notindictcost",
    "wierdtgramcharcost",   "ucifornonucicost",     "blockcapscost",        "twoletterwordcost",
    "wordtoolongcost",      "inuserdictcost",       "wierdcost",            "wierdperlencost",
    "nodictwordcost",       "nodictwordperlencost", "numbercost",           "numberperlencost",
    "numberperlensqcostx10", "wordseparatorcost",   "apostropheesscost",    "knownpuncper1cost",
    "unknownpuncper1cost",  "badpuncper1cost",
};

namespace {

SpellingTables tables = {};

constexpr char kSpellingFailed[] = "Xspllinit";
constexpr int kTokenBytes = 257;      // character lists: at most 255 characters
constexpr int kMaxKeywordLength = 31;
constexpr int kMaxListLength = 255;

// Reads whitespace-separated tokens; remembers whether one was too long.
class TokenReader {
 public:
  explicit TokenReader(std::FILE* file) : file_(file) {}
  // The next token, "" at the end of the file.
  const char* Next(int maxLength = kMaxKeywordLength) {
    int32_t length = ReadTextToken(file_, token_, kTokenBytes);
    if (length > maxLength) tooLong_ = true;
    return token_;
  }
  bool Expect(const char* keyword) { return std::strcmp(Next(), keyword) == 0 && !tooLong_; }
  bool Number(int32_t* value) {
    const char* text = Next();
    if (*text == '\0' || tooLong_) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *value = static_cast<int32_t>(v);
    return true;
  }
  bool TooLong() const { return tooLong_; }

 private:
  std::FILE* file_;
  char token_[kTokenBytes];
  bool tooLong_ = false;
};

void BuildCaseMaps() {
  for (int c = 0; c < 256; ++c) tables.lowerMap[c] = tables.upperMap[c] = static_cast<uint8_t>(c);
  auto pair = [](int upper, int lower) {
    tables.lowerMap[upper] = static_cast<uint8_t>(lower);
    tables.upperMap[lower] = static_cast<uint8_t>(upper);
  };
  for (int i = 0; i < 26; ++i) pair('A' + i, 'a' + i);
  for (int c = 0xC0; c <= 0xD6; ++c) pair(c, c + 0x20);
  for (int c = 0xD8; c <= 0xDE; ++c) pair(c, c + 0x20);
  for (const PrivateCodePageByte& entry : kPrivateCodePage)
    if (entry.lower != 0) pair(entry.byte, entry.lower);
}

bool ReadSymbolTypes(TokenReader& in) {
  if (!in.Expect("SymbolTypesStart")) return false;
  for (const CharTypeKeyword& type : kCharTypeKeywords) {
    if (!in.Expect(type.keyword)) return false;
    const char* list = in.Next(kMaxListLength);
    if (*list == '\0' || in.TooLong()) return false;
    for (const char* p = list; *p; ++p) tables.charTypes[static_cast<unsigned char>(*p)] |= type.bit;
  }
  for (uint32_t& flags : tables.charTypes) {
    if (!(flags & (kWordStart | kNumberStart))) flags |= kNotAStart;
    if (!(flags & (kWordEnd | kNumberEnd))) flags |= kNotAnEnd;
  }
  return in.Expect("SymbolTypesEnd");
}

int CompareFirstThree(const void* a, const void* b) {
  return std::strncmp(static_cast<const char*>(a), static_cast<const char*>(b), 3);
}

// Strings up to the stop word or the end of the file, sorted by their first
// three characters. Returns the stop word, "" at the end of the file, or null
// for a string too long for its slot or one too many.
template <size_t Slots, size_t Bytes>
const char* ReadStringList(TokenReader& in, char (&list)[Slots][Bytes], int32_t& count, const char* stop) {
  count = 0;
  for (;;) {
    const char* token = in.Next();
    if (in.TooLong()) return nullptr;
    bool end = *token == '\0';
    if (end || std::strcmp(token, stop) == 0) {
      std::qsort(list, static_cast<size_t>(count), Bytes, CompareFirstThree);
      return end ? "" : stop;
    }
    if (std::strlen(token) > Bytes - 1 || count == static_cast<int32_t>(Slots)) return nullptr;
    std::strcpy(list[count++], token);
  }
}

bool ReadPunctuation(TokenReader& in) {
  if (!in.Expect("PuncStringsStart") || !in.Expect("beforeword")) return false;
  static const char* const kNext[] = {"afterword", "beforenumber", "afternumber", "PuncStringsEnd"};
  for (int list = 0; list < kPunctuationListCount; ++list) {
    const char* stop = ReadStringList(in, tables.punctuation[list], tables.punctuationCount[list], kNext[list]);
    if (stop == nullptr) return false;
    if (*stop == '\0') return list == kAfterNumber;  // the last list may end with the file
  }
  return true;
}

bool ReadDictionaryCosts(TokenReader& in) {
  if (!in.Expect("DictionaryCostsStart")) return false;
  for (int i = 0; i < kDictionaryCostCount; ++i) {
    if (!in.Expect(kDictionaryCostKeywords[i]) || !in.Number(&tables.costs[i])) return false;
  }
  const int32_t* c = tables.costs;
  for (int n = 3; n <= 31; ++n) {
    int64_t cost = n == 3 ? c[kFreqLen3] : int64_t{c[kFreqLen4]} + int64_t{n - 4} * c[kFreqPer1];
    cost -= c[kNotInDictCost];
    if (cost < INT32_MIN || cost > INT32_MAX) return false;
    tables.frequencyCost[n] = static_cast<int32_t>(cost);
  }
  return in.Expect("DictionaryCostsEnd");
}

bool ReadLoneCosts(TokenReader& in) {
  if (!in.Expect("LoneCostsStart")) return false;
  for (;;) {
    const char* token = in.Next();
    if (in.TooLong() || *token == '\0') return false;
    if (std::strcmp(token, "LoneCostsEnd") == 0) break;
    if (std::strlen(token) != 1) return false;
    unsigned char character = static_cast<unsigned char>(token[0]);
    int32_t cost;
    if (!in.Number(&cost) || cost < 0 || cost > 255) return false;
    tables.loneCost[character] = static_cast<uint8_t>(cost);
  }
  for (int c = 0; c < 256; ++c)
    if ((tables.charTypes[c] & kKnownSymbols) && tables.loneCost[c] == 0) return false;
  return true;
}

bool ReadUnsafeSegments(TokenReader& in) {
  if (!in.Expect("UnsafeStringSegStart") || !in.Expect("unsafesegs")) return false;
  const char* stop = ReadStringList(in, tables.unsafeSegments, tables.unsafeSegmentCount, "unsafeingoodword");
  if (stop == nullptr || *stop == '\0') return false;
  stop = ReadStringList(in, tables.unsafeInGoodWord, tables.unsafeInGoodWordCount, "UnsafeStringSegsEnd");
  return stop != nullptr;
}

bool ReadBytes(std::FILE* file, uint8_t* out, size_t n) { return std::fread(out, 1, n, file) == n; }

}  // namespace

const SpellingTables& LoadedSpelling() { return tables; }

EngineCode ReadLangData(const char* path) {
  std::FILE* file = OpenEngineFile(path, "rb");
  if (file == nullptr) return kSpellingFailed;
  TokenReader in(file);
  bool good = ReadSymbolTypes(in) && ReadPunctuation(in) && ReadDictionaryCosts(in) && ReadLoneCosts(in) &&
              ReadUnsafeSegments(in);
  std::fclose(file);
  return good ? kEngineOk : kSpellingFailed;
}

EngineCode ReadSylngram(const char* path) {
  std::FILE* file = OpenEngineFile(path, "rb");
  if (file == nullptr) return kSpellingFailed;
  LanguageData& d = tables.language;
  uint8_t padding[3];
  bool good = EngineFileSize(file) == kSylngramFileSize && ReadInt32LE(file) == kTrigramSymbols &&
              ReadBytes(file, d.firstMap, 256) && ReadBytes(file, d.symbolOf, 256) &&
              ReadBytes(file, d.unigram, sizeof d.unigram) && ReadBytes(file, padding, 3) &&
              ReadBytes(file, d.bigram, sizeof d.bigram) && ReadBytes(file, padding, 1) &&
              ReadBytes(file, d.trigram, sizeof d.trigram);
  for (uint8_t symbol : d.symbolOf) good = good && (symbol < kTrigramSymbols || symbol == kNoSymbol);
  std::fclose(file);
  return good ? kEngineOk : kSpellingFailed;
}

EngineCode InitialiseSpelling(const char* language) {
  FreeSpelling();
  BuildCaseMaps();
  EngineCode code = ReadLangData(GetLangDataPath(language));
  if (code == kEngineOk) code = ReadSylngram(GetSylngramPath(language));
  if (code == kEngineOk) code = LoadUserDictionary();
  if (code != kEngineOk) FreeSpelling();  // no half-read language stays behind
  return code;
}

void FreeSpelling() { tables = {}; }

bool IsStyleIndicator(unsigned char c) { return tables.charTypes[c] & kStyleIndicator; }
bool IsHyphenatorChar(unsigned char c) { return tables.charTypes[c] & kHyphenator; }
bool IsWordMiddle(unsigned char c) { return tables.charTypes[c] & kWordMiddle; }
bool IsNumberMiddle(unsigned char c) { return tables.charTypes[c] & kNumberMiddle; }
bool IsDigitChar(unsigned char c) { return tables.charTypes[c] & kMustBeNumber; }
bool IsLetterChar(unsigned char c) { return tables.charTypes[c] & kMustBeWord; }
bool CouldBeGraphic(unsigned char c) { return tables.charTypes[c] & kCouldBeGraphic; }
bool IsLowerCase(unsigned char c) { return tables.charTypes[c] & kLowerCase; }
bool IsUpperCase(unsigned char c) { return tables.charTypes[c] & kUpperCase; }
unsigned char ToLowerCase(unsigned char c) { return tables.lowerMap[c]; }

// ---- Spelling costs ----

namespace {

constexpr int32_t kLengthCost[10] = {0, 19, 14, 14, 19, 23, 32, 37, 42, 46};

int32_t LengthCost(int32_t n) { return n <= 9 ? kLengthCost[std::max(0, n)] : 46 + 7 * (n - 9); }

int32_t Cost(DictionaryCost which) { return tables.costs[which]; }

uint32_t TypeOf(unsigned char c) { return tables.charTypes[c]; }

int32_t SymbolOf(unsigned char c) {
  const uint8_t s = tables.language.symbolOf[c];
  return s < kTrigramSymbols ? s : -1;
}

int32_t LoneCost(const char* s, int32_t length) {
  if (length <= 0) return 0;
  if (length == 1) return tables.loneCost[static_cast<unsigned char>(s[0])];
  return Cost(kWierdCost) + Cost(kWierdPerLenCost) * length;
}

bool InPunctuationList(int list, const char* s, int32_t length) {
  char key[kMaxPunctuationLength + 1] = {};
  std::memcpy(key, s, static_cast<size_t>(std::min<int32_t>(length, kMaxPunctuationLength)));
  const int32_t n = tables.punctuationCount[list];
  for (int32_t i = 0; i < n; ++i)
    if (std::strncmp(tables.punctuation[list][i], key, 3) == 0 &&
        static_cast<int32_t>(std::strlen(tables.punctuation[list][i])) == length)
      return true;
  return false;
}

// The cost of the leading string B and the trailing string A.
int32_t PunctuationCost(const char* before, int32_t beforeLength, const char* after, int32_t afterLength,
                        bool number) {
  const int32_t known = Cost(kKnownPuncPer1Cost), unknown = Cost(kUnknownPuncPer1Cost), bad = Cost(kBadPuncPer1Cost);
  int32_t cost = 0;
  if (afterLength == 0 || InPunctuationList(number ? kAfterNumber : kAfterWord, after, afterLength)) {
    cost += known * afterLength;
  } else {
    const uint32_t ok = number ? kOkAfterNumber : kOkAfterWord;
    int32_t i = afterLength - 1;
    for (; i >= 0 && (TypeOf(static_cast<unsigned char>(after[i])) & ok); --i) cost += unknown;
    cost += bad * (i + 1);
  }
  if (beforeLength == 0 || InPunctuationList(number ? kBeforeNumber : kBeforeWord, before, beforeLength)) {
    cost += known * beforeLength;
  } else {
    const uint32_t ok = number ? kOkBeforeNumber : kOkBeforeWord;
    int32_t i = 0;
    for (; i < beforeLength && (TypeOf(static_cast<unsigned char>(before[i])) & ok); ++i) cost += unknown;
    cost += bad * (beforeLength - i);
  }
  return cost;
}

bool CaseBreak(unsigned char a, unsigned char b) { return IsLowerCase(a) && IsUpperCase(b); }

int32_t TrigramCost(const char* s, int32_t length) {
  const LanguageData& d = tables.language;
  const int32_t weird = Cost(kWierdTgramCharCost);
  auto u = [&](int32_t i) { return static_cast<unsigned char>(s[i]); };
  if (length <= 0) return 0;
  if (length == 1) {
    const int32_t a = SymbolOf(u(0));
    return (a < 0 ? weird : d.unigram[a]) + LengthCost(1);
  }
  if (length == 2) {
    const int32_t a = SymbolOf(u(0)), b = SymbolOf(u(1));
    if (a < 0 || b < 0 || CaseBreak(u(0), u(1))) return weird + LengthCost(2);
    return d.bigram[kTrigramSymbols * a + b] + LengthCost(2);
  }
  int64_t sum = 0;
  const int32_t triples = length - 2;
  for (int32_t i = 1; i + 1 < length; ++i) {
    const unsigned char p = u(i - 1), c = u(i), n = u(i + 1);
    const int32_t a = SymbolOf(p), b = SymbolOf(c), e = SymbolOf(n);
    const bool broken = CaseBreak(p, c) || CaseBreak(c, n) || (IsUpperCase(p) && IsUpperCase(c) && IsLowerCase(n));
    if (broken || a < 0 || b < 0 || e < 0)
      sum += weird;
    else
      sum += d.trigram[(kTrigramSymbols * a + b) * kTrigramSymbols + e];
  }
  return static_cast<int32_t>(sum * length / (3 * triples)) + LengthCost(length);
}

// A root of a chord: a letter A..G with at most one accidental it may take.
bool IsChordRoot(const char* t, int32_t length) {
  if (length < 1 || length > 2 || t[0] < 'A' || t[0] > 'G') return false;
  if (length == 1) return true;
  const PrivateCodePageByte* own = FindPrivateCodePageByte(static_cast<unsigned char>(t[1]));
  const char a = own != nullptr && own->chord != 0 ? own->chord : t[1];
  const bool sharp = a == '#', flat = a == 'b';
  switch (t[0]) {
    case 'A':
    case 'D':
    case 'G':
      return sharp || flat;
    case 'B':
    case 'E':
      return flat;
    default:
      return sharp;
  }
}

const char* const kChordSuffixes[] = {
    "maj",   "Maj",   "m",      "min",   "Min",   "aug",   "dim",    "7",     "maj7",     "Maj7",     "m7",
    "min7",  "Min7",  "dim7",   "mmaj7", "m(maj7)", "7maj5", "6",    "m6",    "min6",     "9",        "maj9",
    "m9",    "min9",  "11",     "13",    "sus",   "sus4",  "4",      "sus2",  "2",        "7sus",     "7sus4",
    "6add9", "6(add9)", "add9", "(add9)", "-5",   "b5",    "(b5)",   "7-5",   "7b5",      "7(b5)",    "m7-5",
    "m7b5",  "m7(b5)", "+5",    "#5",    "(#5)",  "7+5",   "7#5",    "7(#5)", "m7+5",     "m7#5",     "m7(#5)",
    "7-9",   "7b9",   "7(b9)",  "5",     "(no3)", "(no 3rd)",
};
static_assert(sizeof kChordSuffixes / sizeof kChordSuffixes[0] == 61, "61 chord suffixes");

bool IsChordSuffix(const char* t, int32_t length) {
  if (length < 1 || length > 15) return false;
  char mapped[16];
  for (int32_t i = 0; i < length; ++i) {
    const PrivateCodePageByte* own = FindPrivateCodePageByte(static_cast<unsigned char>(t[i]));
    mapped[i] = own != nullptr && own->chord != 0 ? own->chord : t[i];
  }
  mapped[length] = '\0';
  for (const char* suffix : kChordSuffixes)
    if (std::strcmp(mapped, suffix) == 0) return true;
  return false;
}

bool IsChordNameOf(const char* t, int32_t length) {
  if (length < 1 || length > 7) return false;
  if (IsChordRoot(t, length)) return true;
  if (IsChordRoot(t, 1) && IsChordSuffix(t + 1, length - 1)) return true;
  return length > 2 && IsChordRoot(t, 2) && IsChordSuffix(t + 2, length - 2);
}

}  // namespace

int WordCaseKind(const char* text, int32_t length) {
  if (length <= 0) return 4;
  auto u = [&](int32_t i) { return static_cast<unsigned char>(text[i]); };
  const uint32_t first = TypeOf(u(0));
  if (first & kWordStart) {
    for (int32_t i = 1; i + 1 < length; ++i)
      if (!(TypeOf(u(i)) & kWordMiddle)) return 4;
    if (length > 1 && !(TypeOf(u(length - 1)) & kWordEnd)) return 4;
    if (length == 1 && !(first & kWordEnd)) return 4;
    int32_t firstCased = -1;
    bool anyUpper = false, anyLower = false;
    for (int32_t i = 0; i < length; ++i) {
      const bool up = IsUpperCase(u(i)), low = IsLowerCase(u(i));
      if ((up || low) && firstCased < 0) firstCased = i;
      anyUpper = anyUpper || up;
      anyLower = anyLower || low;
    }
    if (firstCased < 0) return 4;
    if (!anyUpper) return 0;
    if (!IsUpperCase(u(firstCased))) return 4;
    if (!anyLower) return 2;
    int32_t next = firstCased + 1;
    while (next < length && !IsUpperCase(u(next)) && !IsLowerCase(u(next))) ++next;
    if (next >= length || !IsLowerCase(u(next))) return 4;
    for (int32_t i = next + 1; i < length; ++i)
      if (IsUpperCase(u(i))) return 4;
    return 1;
  }
  if (first & kNumberStart) {
    for (int32_t i = 1; i + 1 < length; ++i)
      if (!(TypeOf(u(i)) & kNumberMiddle)) return 4;
    if (!(TypeOf(u(length - 1)) & kNumberEnd)) return 4;
    return 3;
  }
  return 4;
}

bool IsChordName(const char* text) {
  ENGINE_CHECK_POINTER(text);
  return IsChordNameOf(text, static_cast<int32_t>(std::strlen(text)));
}

bool IsChordSymbol(const char* text) {
  ENGINE_CHECK_POINTER(text);
  const int32_t length = static_cast<int32_t>(std::strlen(text));
  if (IsChordNameOf(text, length)) return true;
  const char* slash = std::strchr(text, '/');
  if (slash == nullptr || length > 15) return false;
  const int32_t before = static_cast<int32_t>(slash - text);
  return IsChordNameOf(text, before) && IsChordRoot(slash + 1, length - before - 1);
}

int32_t SpellWordCost(const char* word, int mode) {
  ENGINE_CHECK_POINTER(word);
  // 1. Normalise.
  char w[2 * kMaxSpelledLength + 2];
  int32_t n = 0;
  for (const char* p = word; *p && n < kMaxSpelledLength; ++p) {
    const PrivateCodePageByte* own = FindPrivateCodePageByte(static_cast<unsigned char>(*p));
    if (own != nullptr && own->spelled != nullptr) {
      for (const char* s = own->spelled; *s && n < kMaxSpelledLength; ++s) w[n++] = *s;
    } else {
      w[n++] = *p;
    }
  }
  w[n] = '\0';
  // 2. Leading and trailing punctuation around the core.
  int32_t lead = 0;
  while (lead < 3 && lead < n && (TypeOf(static_cast<unsigned char>(w[lead])) & kNotAStart)) ++lead;
  int32_t trail = 0;
  while (trail < 3 && n - trail - 1 >= lead && (TypeOf(static_cast<unsigned char>(w[n - trail - 1])) & kNotAnEnd))
    ++trail;
  const char* core = w + lead;
  const int32_t coreLength = n - lead - trail;
  const char* after = w + n - trail;
  // 3. Kind of the core.
  const int kind = WordCaseKind(core, coreLength);
  const bool number = kind == 3;
  // 4. By mode.
  int64_t cost = 0;
  if (mode == 0) {
    int32_t afterLength = std::min<int32_t>(trail, 3);
    while (afterLength > 0 && (after[afterLength - 1] == '_' || after[afterLength - 1] == '-')) --afterLength;
    cost = PunctuationCost(w, lead, after, afterLength, false) + TrigramCost(core, coreLength);
  } else if (mode == 1) {
    if (IsChordSymbol(w)) {
      cost = Cost(kInUserDictCost);
    } else if (kind != 4) {
      char coreText[2 * kMaxSpelledLength + 2];
      std::memcpy(coreText, core, static_cast<size_t>(coreLength));
      coreText[coreLength] = '\0';
      cost = InUserDictionary(coreText, kind) ? Cost(kInUserDictCost)
                                              : int64_t{Cost(kNoDictWordCost)} + int64_t{Cost(kNoDictWordPerLenCost)} * coreLength;
      cost += PunctuationCost(w, lead, after, trail, number);
    } else if (coreLength == 0) {
      cost = LoneCost(w, n);
    } else {
      cost = LoneCost(core, coreLength) + PunctuationCost(w, lead, after, trail, number);
    }
  } else if (mode == 2) {
    cost = IsChordSymbol(w) ? Cost(kInUserDictCost) : LoneCost(w, n);
  } else {
    cost = int64_t{Cost(kNoDictWordCost)} + int64_t{Cost(kNoDictWordPerLenCost)} * n;
  }
  // 5. Every cost is a multiple of the unit.
  const int64_t limit = INT32_MAX / kSpellingCostUnit;
  cost = std::max<int64_t>(-limit, std::min<int64_t>(limit, cost));
  return static_cast<int32_t>(cost * kSpellingCostUnit);
}

// ---- Sorting helpers ----

void SortByLowHalf(int32_t* entries, int32_t n) {
  if (n <= 1) return;
  ENGINE_CHECK_POINTER(entries);
  auto key = [](int32_t v) { return static_cast<int16_t>(static_cast<uint32_t>(v) & 0xFFFF); };
  if (n < 9) {
    for (int32_t i = 1; i < n; ++i) {
      const int32_t v = entries[i];
      int32_t j = i - 1;
      for (; j >= 0 && key(entries[j]) > key(v); --j) entries[j + 1] = entries[j];
      entries[j + 1] = v;
    }
    return;
  }
  const int16_t pivot = key(entries[n / 2]);
  int32_t i = 0, j = n - 1;
  while (i <= j) {
    while (key(entries[i]) < pivot) ++i;
    while (key(entries[j]) > pivot) --j;
    if (i <= j) std::swap(entries[i++], entries[j--]);
  }
  SortByLowHalf(entries, j + 1);
  SortByLowHalf(entries + i, n - i);
}

void SortRunRecords(int32_t* records, int32_t n) {
  if (n <= 1) return;
  ENGINE_CHECK_POINTER(records);
  for (int32_t i = 1; i < n; ++i) {
    int32_t v[5];
    std::memcpy(v, records + 5 * i, sizeof v);
    int32_t j = i - 1;
    for (; j >= 0; --j) {
      const int32_t* r = records + 5 * j;
      if (r[0] < v[0] || (r[0] == v[0] && r[1] <= v[1])) break;
      std::memcpy(records + 5 * (j + 1), r, sizeof v);
    }
    std::memcpy(records + 5 * (j + 1), v, sizeof v);
  }
}
