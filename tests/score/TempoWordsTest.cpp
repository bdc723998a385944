#include "score/TempoWords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct WordCase {
  const char16_t* text;
  int found;
  int kind;
  int value;
};

TEST(ParseTempoWord, FindsTheFirstMatchingRow) {
  const WordCase cases[] = {
      {u"Allegro moderato", 1, kWordTempo, 120},  // two words match nothing; one word does
      {u"cresc.", 1, kWordDynamicChange, 10},
      {u"decresc.", 1, kWordDynamicChange, -10},
      {u"pi\u00f9 f", 1, kWordDynamicLevel, 83},
      {u"PIU F", 1, kWordDynamicLevel, 83},
      {u"PI\u00d9 F", 1, kWordDynamicLevel, 77},  // only A-Z fold: the second word alone
      {u"mf", 1, kWordDynamicLevel, 66},
      {u"ff", 1, kWordDynamicLevel, 89},
      {u"ffff", 1, kWordDynamicLevel, 100},
      {u"sfz", 1, kWordAccent, 15},
      {u"fp", 1, kWordAccent, 15},
      {u"Meno mosso", 1, kWordTempoChange, 90},
      {u"  (Presto)", 1, kWordTempo, 160},
      {u"Allegro, ma non troppo", 1, kWordTempo, 120},
      {u"allargando", 1, kWordTempoChange, 80},
      {u"molto allargando", 1, kWordTempoChange, 70},
      {u"Lentement", 1, kWordTempo, 60},
      {u"Moderately", 1, kWordTempo, 100},
      {u"M\u00e4ssig", 1, kWordTempo, 100},
      {u"Notes in\u00e9gales", 1, kWordSwing, 4},
      {u"Swing", 1, kWordSwing, 2},
      {u"pizz.", 1, kWordInstrument, 45},
      {u"arco", 1, kWordInstrument, -1},
      {u"stacc.", 1, kWordNoteLength, 50},
      {u"Flute", 1, kWordInstrument, 73},
      {u"q = 96", 0, 0, 0},
      {u"", 0, 0, 0},
      {u"12 34 !", 0, 0, 0},
  };
  for (const WordCase& c : cases) {
    int kind = 0, value = 0;
    EXPECT_EQ(ParseTempoWord(c.text, &kind, &value), c.found) << std::u16string(c.text).size();
    if (c.found) {
      EXPECT_EQ(kind, c.kind);
      EXPECT_EQ(value, c.value);
    }
  }
  int kind = 0, value = 0;
  EXPECT_EQ(ParseTempoWord(nullptr, &kind, &value), 0);
}

TEST(ParseTempoWord, LongTextsAreReadWordByWordWithinTheirLength) {
  std::u16string text(600, u'x');
  text += u" then Vivo";
  int kind = 0, value = 0;
  EXPECT_EQ(ParseTempoWord(text.c_str(), &kind, &value), 1);
  EXPECT_EQ(value, 120);
}

TEST(ParseTempoWord, TableRowsFitTheirFixedWidth) {
  for (const TempoWordRow& row : kTempoWords) {
    EXPECT_LT(std::u16string(row.word).size(), size_t(kTempoWordLength));
    EXPECT_TRUE(row.match == kMatchPrefix || row.match == kMatchWhole);
    EXPECT_GE(row.kind, kWordDynamicLevel);
    EXPECT_LE(row.kind, kWordSwing);
  }
}

TEST(ParseMetronomeNumber, ReadsTheDigitsAtTheEnd) {
  const struct {
    const char16_t* text;
    int found;
    int number;
  } cases[] = {
      {u"q = 96", 1, 96}, {u"96", 1, 96},    {u"(q=120 ca.)", 1, 120}, {u"q=8", 0, 0},
      {u"1200", 0, 0},    {u"no digits", 0, 0}, {u"", 0, 0},         {u"99999999999999999999", 0, 0},
      {u"10", 1, 10},     {u"999", 1, 999},
  };
  for (const auto& c : cases) {
    int number = -1;
    EXPECT_EQ(ParseMetronomeNumber(c.text, &number), c.found);
    if (c.found) {
      EXPECT_EQ(number, c.number);
    }
  }
  int number = 0;
  EXPECT_EQ(ParseMetronomeNumber(nullptr, &number), 0);
}

}  // namespace
