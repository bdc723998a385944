// The shipped English language data ("Langs\English\langdata.txt",
// "Langs\English\sylngram.bin", "User\dict.txt"), loaded through the engine's
// own loaders and checked table by table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Userdict.h"
#include "Code/Quorm/options.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"

namespace {

class ShippedLanguageData : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    SetEngineHeapHook(OnEngineHeapExhausted);
    SetNamedHeapHook(OnEngineSafeHeapExhausted);
    ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  }
  void TearDown() override {
    FreeUserDictionary();
    FreeSpelling();
  }
  RecordingEngineHost host;
  EngineDataFolder folder;
};

int Symbol(char c) { return LoadedSpelling().language.symbolOf[static_cast<unsigned char>(c)]; }

int Unigram(const char* s) { return LoadedSpelling().language.unigram[Symbol(s[0])]; }
int Bigram(const char* s) { return LoadedSpelling().language.bigram[27 * Symbol(s[0]) + Symbol(s[1])]; }
int Trigram(const char* s) {
  return LoadedSpelling().language.trigram[(27 * Symbol(s[0]) + Symbol(s[1])) * 27 + Symbol(s[2])];
}

TEST_F(ShippedLanguageData, LoadsWithoutAFailedCheck) {
  EXPECT_GT(GetUserWordCount(), 100000);
  EXPECT_TRUE(host.FramePosts().empty());
}

TEST_F(ShippedLanguageData, KnownSymbolsAreTheCharactersTheEngineCanRead) {
  const SpellingTables& t = LoadedSpelling();
  for (int c = 1; c < 256; ++c) {
    bool known = (t.charTypes[c] & kKnownSymbols) != 0;
    EXPECT_EQ(known, IsCharacterEnabled(static_cast<unsigned char>(c)) == 1) << "byte " << c;
    if (known) EXPECT_GT(t.loneCost[c], 0) << "byte " << c;
    // Every typed character is one the engine can read.
    if (t.charTypes[c] & ~(kKnownSymbols | kNotAStart | kNotAnEnd)) EXPECT_TRUE(known) << "byte " << c;
    // Case types agree with the case maps.
    if (t.charTypes[c] & kUpperCase) EXPECT_TRUE(IsLowerCase(ToLowerCase(static_cast<unsigned char>(c)))) << c;
  }
  for (int c : {0x41, 0x71, 0x5A, 0x9E, 0x9F}) EXPECT_TRUE(IsLetterChar(static_cast<unsigned char>(c))) << c;
  EXPECT_TRUE(IsLowerCase(0x9E));  // "fi"
  EXPECT_TRUE(IsUpperCase('Q'));
  EXPECT_FALSE(IsLetterChar('7'));
  EXPECT_TRUE(IsDigitChar('7'));
  EXPECT_TRUE(IsWordMiddle('\''));
  EXPECT_TRUE(IsWordMiddle(0x91));
  EXPECT_TRUE(IsHyphenatorChar('-'));
  EXPECT_TRUE(IsNumberMiddle(','));
  EXPECT_TRUE(CouldBeGraphic('.'));
  EXPECT_TRUE(IsStyleIndicator('x'));
  EXPECT_EQ(t.charTypes['.'] & (kNotAStart | kNotAnEnd), kNotAStart | kNotAnEnd);
  EXPECT_GT(t.punctuationCount[kAfterWord], 0);
  EXPECT_GT(t.unsafeSegmentCount, 0);
  EXPECT_GT(t.unsafeInGoodWordCount, 0);
  EXPECT_GT(t.costs[kWierdTgramCharCost], 254);  // dearer than every trigram
}

TEST_F(ShippedLanguageData, TrigramSymbolsAreTheLettersInBothCasesAndTheApostrophe) {
  const LanguageData& d = LoadedSpelling().language;
  int symbols = 0;
  for (int c = 0; c < 256; ++c) {
    if (d.symbolOf[c] != kNoSymbol) ++symbols;
    EXPECT_EQ(d.firstMap[c], d.symbolOf[c]) << c;
  }
  EXPECT_EQ(symbols, 53);
  EXPECT_EQ(Symbol('a'), 0);
  EXPECT_EQ(Symbol('A'), 0);
  EXPECT_EQ(Symbol('z'), 25);
  EXPECT_EQ(Symbol('Z'), 25);
  EXPECT_EQ(Symbol('\''), 26);
  for (char c : {'0', ' ', '-', '`', '{', '@', '['}) EXPECT_EQ(Symbol(c), kNoSymbol) << c;
  EXPECT_EQ(d.symbolOf[0x91], kNoSymbol);  // spelling turns it into an apostrophe first
}

TEST_F(ShippedLanguageData, TrigramCostsFollowEnglish) {
  // min(254, round(-10 ln P)) with add-one smoothing over the word lists.
  EXPECT_EQ(Trigram("ing"), 44);
  EXPECT_EQ(Trigram("the"), 66);
  EXPECT_EQ(Trigram("qzx"), 135);  // never seen: the dearest
  EXPECT_EQ(Trigram("ING"), Trigram("ing"));
  EXPECT_LT(Trigram("nt'"), Trigram("tn'"));  // "student's"
  EXPECT_LT(Trigram("ion"), Trigram("ioq"));
  EXPECT_LT(Bigram("th"), Bigram("qz"));
  EXPECT_LT(Bigram("an"), Bigram("xj"));
  EXPECT_LT(Unigram("e"), Unigram("q"));
  EXPECT_LT(Unigram("s"), Unigram("'"));
  const LanguageData& d = LoadedSpelling().language;
  EXPECT_EQ(*std::max_element(std::begin(d.trigram), std::end(d.trigram)), 135);
  EXPECT_LE(*std::max_element(std::begin(d.bigram), std::end(d.bigram)), 254);
}

TEST_F(ShippedLanguageData, DictionaryHoldsTheListsAndTheScoreWords) {
  struct Case {
    const char* word;
    int kind, in;
  };
  const Case cases[] = {
      {"music", 0, 1},    {"Music", 1, 1},     {"MUSIC", 2, 1},     {"color", 0, 1},    {"colour", 0, 1},
      {"don't", 0, 1},    {"Bach", 1, 1},      {"bach", 0, 0},      {"allegro", 0, 1},  {"Allegro", 1, 1},
      {"ALLEGRO", 2, 1},  {"rit", 0, 1},       {"cresc", 0, 1},     {"pizz", 0, 1},     {"Coda", 1, 1},
      {"langsam", 0, 1},  {"lentement", 0, 1}, {"sourdine", 0, 1},  {"a", 0, 1},        {"I", 2, 1},
      {"x", 0, 0},        {"qzxv", 0, 0},      {"Allegrox", 1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(InUserDictionary(c.word, c.kind), c.in) << c.word << " " << c.kind;
  for (int32_t i = 0; i < GetUserWordCount(); ++i) {
    const char* word = GetUserWord(i);
    ASSERT_LE(std::strlen(word), 31u) << word;
    for (const char* p = word; *p; ++p)
      ASSERT_EQ(IsCharacterEnabled(static_cast<unsigned char>(*p)), 1) << word;
  }
}

}  // namespace
