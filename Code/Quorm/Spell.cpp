// Loading the language data. Every malformed part of either file (a wrong
// keyword, a missing line, an over-long string, a full list, a number out of
// range, a wrong symbol count or file length) fails the load with
// "Xspllinit"; nothing in a file can stop the engine otherwise.
#include "Code/Quorm/Spell.h"

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
  pair(0x81, 0x82);
  pair(0x85, 0x86);
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
