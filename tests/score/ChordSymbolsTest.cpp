#include "score/ChordSymbols.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ChordSymbols, ParsingRootsSuffixesAndBasses) {
  struct Case {
    std::u16string text;
    bool parsed;
    int root, kind, bass;
  } cases[] = {
      {u"C7", true, 0, 12, 0},      {u"c7", true, 0, 12, 0},       {u"Cm7b5", true, 0, 19, 0},
      {u"cm7", true, 0, 18, 0},     {u"d7", false, 0, 0, 0},       {u"F#m7", true, 8, 18, 8},
      {u"f#", true, 8, 0, 8},       {u"Bbsus", true, 15, 6, 15},   {u"G/B", true, 10, 0, 16},
      {u"Gmaj7/B", true, 10, 20, 16}, {u"Ab6/9", true, 12, 8, 12}, {u"Ebm6/9/Bb", true, 5, 11, 15},
      {u"D5(no3rd)", true, 3, 4, 3}, {u"Eaug7#9", true, 6, 40, 6},  {u"Gl7", false, 0, 0, 0},
      {u"G7x", false, 0, 0, 0},     {u"", false, 0, 0, 0},         {u"H", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    int root = -9, kind = -9, bass = -9;
    EXPECT_EQ(ParseChordSymbol(c.text.c_str(), &root, &kind, &bass), c.parsed) << std::string(c.text.begin(), c.text.end());
    if (!c.parsed) continue;
    EXPECT_EQ(root, c.root);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(bass, c.bass);
  }
  int taken = -1;
  EXPECT_EQ(ParseChordRoot(u"F#m7", &taken), 8);
  EXPECT_EQ(taken, 2);
  EXPECT_EQ(ParseChordSuffix(u"sus", &taken), 6);
  EXPECT_EQ(taken, 3);
  EXPECT_EQ(ParseChordSuffix(u"5(omit3)", &taken), 4);
  EXPECT_EQ(taken, 8);
  EXPECT_EQ(ParseChordSuffix(u"xyz", &taken), -1);
  EXPECT_EQ(taken, 0);
  char16_t bass[] = u"lBb";
  EXPECT_EQ(ParseChordBass(bass, &taken), 15);
  EXPECT_EQ(taken, 3);
  EXPECT_EQ(std::u16string(bass), u"/Bb");
}

TEST(ChordSymbols, FormattedSymbolsParseBackToTheirTriple) {
  for (int root = 0; root < kChordRoots; ++root) {
    for (int kind = 0; kind < kChordKinds; ++kind) {
      for (int bass = 0; bass < kChordRoots; ++bass) {
        char16_t text[kChordSymbolTextUnits];
        ASSERT_GT(FormatChordSymbol(root, kind, bass, text, kChordSymbolTextUnits), 0);
        int r = -1, k = -1, b = -1;
        ASSERT_TRUE(ParseChordSymbol(text, &r, &k, &b)) << root << " " << kind << " " << bass;
        EXPECT_EQ(r, root);
        EXPECT_EQ(k, kind);
        EXPECT_EQ(b, bass);
      }
    }
  }
}

TEST(ChordSymbols, FormattingTakesOnlyTheRoomLeft) {
  char16_t text[kChordSymbolTextUnits];
  EXPECT_EQ(FormatChordSymbol(0, 0, 0, text, kChordSymbolTextUnits), 1);
  EXPECT_EQ(std::u16string(text), u"C");
  FormatChordSymbol(10, 20, 16, text, kChordSymbolTextUnits);
  EXPECT_EQ(std::u16string(text), u"Gmaj7/B");
  // The longest text fits with room to spare.
  EXPECT_EQ(FormatChordSymbol(1, 28, 2, text, kChordSymbolTextUnits), 13);
  EXPECT_EQ(std::u16string(text), u"C#m9(maj7)/Db");
  // A small buffer is filled up to its end and no further.
  for (int capacity = 1; capacity <= 14; ++capacity) {
    char16_t small[16];
    for (char16_t& c : small) c = u'#';
    const int n = FormatChordSymbol(1, 28, 2, small, capacity);
    EXPECT_LT(n, capacity);
    EXPECT_EQ(small[n], 0);
    EXPECT_EQ(small[capacity], u'#') << capacity;
    EXPECT_EQ(std::u16string(small), std::u16string(u"C#m9(maj7)/Db").substr(0, std::u16string(small).size()));
  }
  EXPECT_EQ(FormatChordSymbol(17, 0, 0, text, kChordSymbolTextUnits), 0);
  EXPECT_EQ(FormatChordSymbol(0, 49, 0, text, kChordSymbolTextUnits), 0);
  EXPECT_EQ(text[0], 0);
}

TEST(ChordSymbols, RepairingRecognisedText) {
  struct Case {
    std::u16string text;
    int replaced;
    std::u16string repaired;
  } cases[] = {
      {u"Gl>7", 1, u"Gb7"},
      {u"Ptn7", 2, u"Fm7"},
      {u"(C7)", 0, u"C7"},
      {u"8b", 1, u"Bb"},
      {u"A?", 1, u"A7"},
      {u"GS", 1, u"G5"},
      {u"Ab\u00FE", -1, u""},  // "Abb" leaves a unit that is neither suffix nor bass
      {u"G1B", 0, u"G/B"},
      {u"OmI.5", 2, u"Dmb5"},
      {u"C7 C7 C7 C7 C7 C7", -1, u""},  // 16 units or more
      {u"C7zzzzzzzzzz", -1, u""},        // 12 units, 2 of them parsed
      {u"a.", -1, u""},                  // a lone lower-case letter
      {u"...", -1, u""},
      {u"Xm7", -1, u""},
  };
  for (const Case& c : cases) {
    char16_t out[20];
    const int replaced = NormaliseChordText(c.text.c_str(), out, 20);
    EXPECT_EQ(replaced, c.replaced) << std::string(c.text.begin(), c.text.end());
    if (replaced >= 0) {
      EXPECT_EQ(std::u16string(out), c.repaired);
    }
  }
}

}  // namespace
