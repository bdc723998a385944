#include "platform/TextUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(CompareNoCase, FoldsSimpleCase) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int sign;
  };
  const Case cases[] = {
      {u"Allegro", u"ALLEGRO", 0},
      {u"caf\u00E9", u"CAF\u00C9", 0},
      {u"\u0100\u0139\u0178", u"\u0101\u013A\u00FF", 0},  // Latin Extended-A and Y diaeresis
      {u"\u00D7", u"\u00F7", -1},                          // the multiplication sign is no letter
      {u"a", u"B", -1},
      {u"b", u"A", 1},
      {u"abc", u"ab", 1},
      {u"", nullptr, 0},
      {u"Stra\u00DFe", u"STRASSE", 1},  // no full folding
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (&c - cases));
    EXPECT_EQ(c.sign, Sign(CompareNoCase(c.a, c.b)));
  }
  EXPECT_EQ(0, CompareNoCaseN(u"Allegretto", u"ALLEGRO", 6));
  EXPECT_NE(0, CompareNoCaseN(u"Allegretto", u"ALLEGRO", 7));
  EXPECT_EQ(0, CompareNoCaseN(u"ab", u"AB", 10));
  EXPECT_EQ(0, CollateNoCase(u"Allegro", u"aLLEGRO"));
  EXPECT_NE(0, CollateNoCase(u"Allegro", u"Andante"));
}

TEST(ContainsNoCase, Positions) {
  struct Case {
    const char16_t* text;
    const char16_t* part;
    bool found;
  };
  const Case cases[] = {
      {u"Allegro", u"GRO", true},  {u"Allegro", u"all", true}, {u"Andante", u"ANTE", true},
      {u"abc", u"abd", false},     {u"ab", u"abc", false},     {u"abc", u"", true},
      {u"", u"a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.found, ContainsNoCase(c.text, c.part)) << (&c - cases);
}

TEST(ParseNumbers, DigitRunsBecomeNumbers) {
  int out[5] = {-1, -1, -1, -1, -1};
  EXPECT_EQ(2, ParseNumbers(u"Bars 12-16, 20", out, 2));
  EXPECT_EQ(12, out[0]);
  EXPECT_EQ(16, out[1]);
  EXPECT_EQ(-1, out[2]);

  EXPECT_EQ(3, ParseNumbers(u"Bars 12-16, 20", out, 5));
  EXPECT_EQ(20, out[2]);
  EXPECT_EQ(1, ParseNumbers(u"007", out, 5));
  EXPECT_EQ(7, out[0]);
  EXPECT_EQ(0, ParseNumbers(u"no digits", out, 5));
  EXPECT_EQ(0, ParseNumbers(u"12", out, 0));
}

TEST(ParseNumbers, LongRunsSaturate) {
  int out[3] = {};
  EXPECT_EQ(3, ParseNumbers(u"1234567890123456789012345678901234567890 x 2147483648 9",
                            out, 3));
  EXPECT_EQ(INT_MAX, out[0]);
  EXPECT_EQ(INT_MAX, out[1]);
  EXPECT_EQ(9, out[2]);
  EXPECT_EQ(1, ParseNumbers(u"2147483647", out, 3));
  EXPECT_EQ(INT_MAX, out[0]);
}

TEST(PathFileName, PartAfterTheLastSeparator) {
  const char16_t* path = u"C:\\Music\\Sonata.tif";
  EXPECT_EQ(path + 9, PathFileName(path));
  const char16_t* bare = u"Sonata.tif";
  EXPECT_EQ(bare, PathFileName(bare));
  const char16_t* rooted = u"\\Sonata.tif";
  EXPECT_EQ(rooted + 1, PathFileName(rooted));
  EXPECT_EQ(std::u16string(u""), PathFileName(u"C:\\Music\\"));
  EXPECT_EQ(std::u16string(u"b.tif"), PathFileName(u"/tmp/a/b.tif"));
}

TEST(TrimTrailingDigits, DigitsAndSpaceGo) {
  EXPECT_EQ(std::u16string(u"Page"), TrimTrailingDigits(u"Page 12"));
  EXPECT_EQ(std::u16string(u""), TrimTrailingDigits(u"123 4"));
  EXPECT_EQ(std::u16string(u"Waltz_"), TrimTrailingDigits(u"Waltz_3"));
  EXPECT_EQ(std::u16string(u"Lied"), TrimTrailingDigits(u"Lied"));
}

TEST(TitleFromFileName, TitlesFromImageNames) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Sonata_page12.tif", u"Sonata"},
      {u"Waltz 3.bmp", u"Waltz"},
      {u"pg2.tif", u"pg"},  // not longer than the word plus one
      {u"page3.tif", u"page"},
      {u"Etude_PG_4.tiff", u"Etude"},
      {u"Nocturne PAGE 1.tif", u"Nocturne"},
      {u"Mazurka.op7.tif", u"Mazurka"},
      {u".hidden", u".hidden"},
      {u"7.tif", u"7"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(c.second), TitleFromFileName(c.first));
}

TEST(CharacterClasses, CjkRanges) {
  const std::pair<char16_t, bool> cases[] = {
      {0x10FF, false}, {0x1100, true}, {0x11FF, true}, {0x2E80, true}, {0x2FD5, true},
      {0x2FD6, false}, {0x3021, false}, {0x3040, true}, {0x31B7, true}, {0x31B8, false},
      {0x4E2D, true},  {0xAC00, true}, {0xD7A3, true}, {0xD7A4, false}, {0xF900, true},
      {0xFF00, true},  {0xFFEF, true}, {0xFFF0, false}, {u'A', false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, IsCjkChar(c.first)) << std::hex << c.first;
  EXPECT_TRUE(ContainsCjk(u"Op. \u4E2D"));
  EXPECT_TRUE(ContainsCjk(u"x\u3025"));  // Hangzhou numerals count in texts
  EXPECT_TRUE(ContainsCjk(u"\u303A"));
  EXPECT_FALSE(ContainsCjk(u"Allegro \u3030"));
  EXPECT_FALSE(ContainsCjk(nullptr));
}

TEST(CharacterClasses, Vowels) {
  const std::pair<char16_t, bool> cases[] = {
      {u'a', true},    {u'U', true},    {u'y', false},   {u'b', false},   {0x00C0, true},
      {0x00C7, false}, {0x00D7, false}, {0x00D8, true},  {0x00DD, false}, {0x00E9, true},
      {0x00F7, false}, {0x00FC, true},  {0x0105, true},  {0x0106, false}, {0x0130, true},
      {0x0131, false}, {0x0153, true},  {0x0173, true},  {0x0174, false}, {0x01A0, true},
      {0x01FF, true},  {0x0200, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, IsVowelChar(c.first)) << std::hex << c.first;
}

TEST(CommonControls, FlagFollowsTheSwitchOnNt) {
  InitCommonControlsUnicode(true);
  EXPECT_TRUE(CommonControlsUnicode());
  InitCommonControlsUnicode(false);
  EXPECT_FALSE(CommonControlsUnicode());
}

}  // namespace
