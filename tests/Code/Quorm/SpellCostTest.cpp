// Spelling costs of candidate words, chord symbols and the sorting helpers,
// on a small language written by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/options.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Userdict.h"
#include "tests/Code/Quorm/TextLanguage.h"

namespace {

class SpellCost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    WriteTestLanguage(folder, "the Allegro piano\n");
    ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  }
  void TearDown() override {
    FreeUserDictionary();
    FreeSpelling();
  }
  EngineDataFolder folder;
};

using C = TestLanguageCosts;

int LengthCost(int n) {
  static const int costs[] = {0, 19, 14, 14, 19, 23, 32, 37, 42, 46};
  return n <= 9 ? costs[n] : 46 + 7 * (n - 9);
}

// Trigram cost of a lower-case word of three letters or more.
int Trigram(const std::string& s) {
  int sum = 0;
  for (size_t i = 1; i + 1 < s.size(); ++i) sum += TestTrigram(s[i - 1], s[i], s[i + 1]);
  const int n = static_cast<int>(s.size());
  return sum * n / (3 * (n - 2)) + LengthCost(n);
}

TEST_F(SpellCost, Table) {
  const struct {
    const char* word;
    int mode;
    int cost;  // before the unit
  } cases[] = {
      // One letter: its unigram cost plus the length cost of 1.
      {"a", 0, TestUnigram('a') + 19},
      {"z", 0, TestUnigram('z') + 19},
      // Two letters: bigram plus 14; a case break costs the weird cost.
      {"ab", 0, 50 + (0 + 1) % 7 + 14},
      {"aB", 0, C::kWierdTgram + 14},
      {"sing", 0, Trigram("sing")},
      {"sing-", 0, Trigram("sing") + C::kKnownPunc * 0},
      // A case break inside a longer word: every triple around it is weird.
      {"soNg", 0, (C::kWierdTgram * 2) * 4 / 6 + LengthCost(4)},
      // Dictionary words in mode 1.
      {"the", 1, C::kInUserDict},
      {"The", 1, C::kInUserDict},
      {"THE", 1, C::kInUserDict},
      {"allegro", 1, C::kNoDictWord + C::kNoDictWordPerLen * 7},
      {"Allegro", 1, C::kInUserDict},
      {"song", 1, C::kNoDictWord + C::kNoDictWordPerLen * 4},
      // Punctuation walks: a known trailing string, an unknown one of good
      // characters, then bad ones; leading the same way.
      {"the.", 1, C::kInUserDict + C::kKnownPunc},
      {"the!!", 1, C::kInUserDict + 2 * C::kUnknownPunc},
      {"the-.", 1, C::kInUserDict + C::kUnknownPunc + C::kBadPunc},
      {"(the", 1, C::kInUserDict + C::kKnownPunc},
      {"'(the", 1, C::kInUserDict + 2 * C::kUnknownPunc},
      {"(-the", 1, C::kInUserDict + C::kUnknownPunc + C::kBadPunc},
      {"-(the", 1, C::kInUserDict + 2 * C::kBadPunc},
      // Anything else: lone costs.
      {"x1", 1, C::kWierd + C::kWierdPerLen * 2},
      {"?", 1, 12},
      {"7", 2, 10 + '7' % 7},
      {"ab", 2, C::kWierd + C::kWierdPerLen * 2},
      // Chord symbols.
      {"C#m7", 1, C::kInUserDict},
      {"Bbmaj7", 2, C::kInUserDict},
      {"G/B", 2, C::kInUserDict},
      {"G/H", 2, C::kWierd + C::kWierdPerLen * 3},
      // No dictionary.
      {"anything", 3, C::kNoDictWord + C::kNoDictWordPerLen * 8},
  };
  for (const auto& c : cases) {
    const int32_t cost = SpellWordCost(c.word, c.mode);
    EXPECT_EQ(cost, c.cost * kSpellingCostUnit) << c.word << " in mode " << c.mode;
    EXPECT_EQ(cost % kSpellingCostUnit, 0);
  }
}

TEST_F(SpellCost, LigaturesAndQuotesAreNormalised) {
  const char fine[] = {'\x9E', 'n', 'e', 0};
  EXPECT_EQ(SpellWordCost(fine, 0), SpellWordCost("fine", 0));
  const char quote[] = {'t', 'h', 'e', '\x91', 0};
  EXPECT_EQ(SpellWordCost(quote, 1), SpellWordCost("the'", 1));
}

TEST(ChordSymbols, Table) {
  const struct {
    const char* text;
    bool name, symbol;
  } cases[] = {
      {"C", true, true},       {"C#m7", true, true},   {"Bbmaj7", true, true}, {"B#", false, false},
      {"Fb", false, false},    {"G/B", false, true},   {"G/H", false, false},  {"Ebm7b5", true, true},
      {"F#dim7", true, true},  {"H", false, false},    {"Cmaj13", false, false}, {"Am(maj7)", false, false},
      {"A\x87m", true, true},  {"E\x88" "7", true, true}, {"Dsus4/A", false, true}, {"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsChordName(c.text), c.name) << c.text;
    EXPECT_EQ(IsChordSymbol(c.text), c.symbol) << c.text;
  }
}

TEST(SortingHelpers, ByLowHalfAndRunRecords) {
  std::mt19937 random(3);
  for (int n : {0, 1, 5, 8, 9, 100}) {
    std::vector<int32_t> v(static_cast<size_t>(n));
    for (int32_t& x : v) x = static_cast<int32_t>(random());
    SortByLowHalf(v.data(), n);
    for (int i = 1; i < n; ++i) EXPECT_LE(static_cast<int16_t>(v[i - 1] & 0xFFFF), static_cast<int16_t>(v[i] & 0xFFFF));
  }
  std::vector<int32_t> runs = {3, 1, 0, 0, 0, 1, 9, 0, 0, 0, 3, 0, 5, 5, 5, 1, 2, 0, 0, 0};
  SortRunRecords(runs.data(), 4);
  EXPECT_EQ(runs, (std::vector<int32_t>{1, 2, 0, 0, 0, 1, 9, 0, 0, 0, 3, 0, 5, 5, 5, 3, 1, 0, 0, 0}));
}

}  // namespace

namespace {

TEST_F(SpellCost, PrivateCodePage) {
  // The case pairs, the classifier's characters and the spelled forms all
  // come from the one table.
  for (const PrivateCodePageByte& own : kPrivateCodePage) {
    EXPECT_EQ(IsCharacterEnabled(own.byte) != 0, own.enabled) << own.name;
    if (own.lower != 0) {
      EXPECT_EQ(ToLowerCase(own.byte), own.lower) << own.name;
    }
  }
  EXPECT_EQ(ToLowerCase(0x81), 0x82);
  EXPECT_EQ(ToLowerCase(0x85), 0x86);
  EXPECT_EQ(FindPrivateCodePageByte('a'), nullptr);
  const char fl[] = {'\x9F', 'y', 0};
  EXPECT_EQ(SpellWordCost(fl, 0), SpellWordCost("fly", 0));
}

}  // namespace
