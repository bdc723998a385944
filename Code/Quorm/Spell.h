// The language data of text recognition: character types, case maps,
// punctuation lists, dictionary and single-character costs, unsafe segments
// (from "langdata.txt") and the letter trigram model (from "sylngram.bin"),
// loaded for one run by InitialiseSpelling.
#pragma once

#include <cstdint>

#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Engerror.h"

// Character type bits.
enum : uint32_t {
  kWordStart = 0x1,
  kWordEnd = 0x2,
  kWordMiddle = 0x4,
  kNumberStart = 0x8,
  kNumberEnd = 0x10,
  kNumberMiddle = 0x20,
  kMustBeWord = 0x100,
  kMustBeNumber = 0x200,
  kWordSeparator = 0x400,
  kHyphenator = 0x800,
  kStyleIndicator = 0x1000,
  kWidthIndicator = 0x2000,
  kNotAStart = 0x4000,  // neither wordstart nor numberstart
  kNotAnEnd = 0x8000,   // neither wordend nor numberend
  kCouldBeGraphic = 0x10000,
  kUpperCase = 0x20000,
  kLowerCase = 0x40000,
  kOkBeforeWord = 0x80000,
  kOkAfterWord = 0x100000,
  kOkBeforeNumber = 0x200000,
  kOkAfterNumber = 0x400000,
  kKnownSymbols = 0x40000000,
};

// The character type keywords of "langdata.txt", in the file's order, with
// their bits.
struct CharTypeKeyword {
  const char* keyword;
  uint32_t bit;
};
constexpr int kCharTypeKeywordCount = 20;
extern const CharTypeKeyword kCharTypeKeywords[kCharTypeKeywordCount];

// The dictionary cost lines of "langdata.txt", in the file's order.
constexpr int kDictionaryCostCount = 22;
extern const char* const kDictionaryCostKeywords[kDictionaryCostCount];
enum DictionaryCost {
  kFreqLen3, kFreqLen4, kFreqPer1, kNotInDictCost, kWierdTgramCharCost, kUcForNonUcCost, kBlockCapsCost,
  kTwoLetterWordCost, kWordTooLongCost, kInUserDictCost, kWierdCost, kWierdPerLenCost, kNoDictWordCost,
  kNoDictWordPerLenCost, kNumberCost, kNumberPerLenCost, kNumberPerLenSqCostX10, kWordSeparatorCost,
  kApostropheEssCost, kKnownPuncPer1Cost, kUnknownPuncPer1Cost, kBadPuncPer1Cost,
};

enum PunctuationList { kBeforeWord, kAfterWord, kBeforeNumber, kAfterNumber, kPunctuationListCount };
constexpr int kMaxPunctuationStrings = 250;
constexpr int kMaxPunctuationLength = 4;
constexpr int kMaxUnsafeSegments = 64;
constexpr int kMaxUnsafeInGoodWord = 32;
constexpr int kMaxUnsafeLength = 3;

constexpr int32_t kTrigramSymbols = 27;
constexpr uint8_t kNoSymbol = 255;
constexpr long kSylngramFileSize = 20962;

struct LanguageData {
  uint8_t firstMap[256];  // read, not used
  uint8_t symbolOf[256];  // kNoSymbol: not a symbol
  uint8_t unigram[kTrigramSymbols];
  uint8_t bigram[kTrigramSymbols * kTrigramSymbols];
  uint8_t trigram[kTrigramSymbols * kTrigramSymbols * kTrigramSymbols];
};

struct SpellingTables {
  uint32_t charTypes[256];
  uint8_t lowerMap[256];
  uint8_t upperMap[256];
  char punctuation[kPunctuationListCount][kMaxPunctuationStrings][kMaxPunctuationLength + 1];
  int32_t punctuationCount[kPunctuationListCount];
  int32_t costs[kDictionaryCostCount];  // as read
  int32_t frequencyCost[32];            // by word length 3..31, less notindictcost
  uint8_t loneCost[256];
  char unsafeSegments[kMaxUnsafeSegments][kMaxUnsafeLength + 1];
  int32_t unsafeSegmentCount;
  char unsafeInGoodWord[kMaxUnsafeInGoodWord][kMaxUnsafeLength + 1];
  int32_t unsafeInGoodWordCount;
  LanguageData language;
};
const SpellingTables& LoadedSpelling();

// Builds the case maps, reads "langdata.txt" and "sylngram.bin" of the
// language, then loads the user dictionary. null, "Xspllinit" (a file is
// missing or not in its form) or the user dictionary's code.
EngineCode InitialiseSpelling(const char* language);
// The two language files alone (no user dictionary): null or "Xspllinit".
EngineCode ReadLangData(const char* path);
EngineCode ReadSylngram(const char* path);
void FreeSpelling();

// Character tests by byte value.
bool IsStyleIndicator(unsigned char c);
bool IsHyphenatorChar(unsigned char c);
bool IsWordMiddle(unsigned char c);
bool IsNumberMiddle(unsigned char c);
bool IsDigitChar(unsigned char c);   // mustbenumber
bool IsLetterChar(unsigned char c);  // mustbeword
bool CouldBeGraphic(unsigned char c);
bool IsLowerCase(unsigned char c);
bool IsUpperCase(unsigned char c);
unsigned char ToLowerCase(unsigned char c);

// ---- Spelling costs ----
constexpr int kMaxSpelledLength = 30;
constexpr int32_t kSpellingCostUnit = 102;  // every word cost is a multiple of it
// Modes: 0 lyric syllable, 1 word, 2 free text item, 3 and above no dictionary.
int32_t SpellWordCost(const char* word, int mode);
// 0 lower case, 1 capitalised, 2 block capitals, 3 number, 4 anything else.
int WordCaseKind(const char* text, int32_t length);
bool IsChordName(const char* text);
bool IsChordSymbol(const char* text);

// ---- Sorting helpers of the line reader ----
// Ascending by the low signed 16-bit half of each entry.
void SortByLowHalf(int32_t* entries, int32_t n);
// 20-byte records (five 32-bit words) by their first, then second word.
void SortRunRecords(int32_t* records, int32_t n);
