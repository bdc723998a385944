// The page's text records from the engine's texts: where each text goes,
// the kinds it is given once the page's kinds have been reset, and the
// lists' limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "building/BuildContext.h"
#include "stages/EngineText.h"

namespace {

struct Lists {
  std::vector<CharRecord> chars = std::vector<CharRecord>(kCharListCapacity);
  std::vector<WordRecord> words = std::vector<WordRecord>(kWordListCapacity);
  uint32_t charCount = 0, wordCount = 0;
  int Store(const std::vector<EngineTextPiece>& pieces) {
    return StoreEngineTexts(pieces.data(), static_cast<int>(pieces.size()), chars.data(), &charCount, words.data(),
                            &wordCount);
  }
  void ResetKinds() {
    for (uint32_t i = 0; i < charCount; ++i)
      if (chars[i].kind != 255) chars[i].kind = 0;
    for (uint32_t i = 0; i < wordCount; ++i)
      if (words[i].kind != 255) words[i].kind = 0;
  }
  void GiveKinds() { GiveEngineTextKinds(chars.data(), charCount, words.data(), wordCount); }
};

TEST(EngineText, TextsBecomeRecordsWithTheirKinds) {
  const std::string longTitle = "A Little Suite of Dances for the Young Pianist";
  const std::string overlong(100, 'w');
  struct Case {
    std::string text;
    bool sung;
    bool word;  // a word record, else a character record
    uint16_t kind;
  } cases[] = {
      {"love", true, false, 13},
      {"Al-", true, false, 13},
      {"Allegro", false, false, 8},
      {"Andante con moto", false, true, 8},
      {"cresc.", false, false, 6},
      {"sf", false, false, 6},
      {"legato", false, false, 7},
      {"Flute", false, false, 0},   // a part name as often as a direction
      {"Gm7", false, false, 0},
      {longTitle, false, true, 0},
      {"Allegro ma non troppo e molto cantabile", false, true, 0},  // more than four words
      {"dash \x96 here", false, false, 0},
      {overlong, false, true, 0},
  };
  std::vector<EngineTextPiece> pieces;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const int16_t y = static_cast<int16_t>(100 + 60 * i);
    pieces.push_back(EngineTextPiece{cases[i].text.c_str(), EngineBox{100, y, 400, y + 40}, cases[i].sung});
  }
  pieces.push_back(EngineTextPiece{"", EngineBox{0, 0, 10, 10}, false});  // nothing read: no record
  Lists l;
  EXPECT_EQ(l.Store(pieces), static_cast<int>(sizeof cases / sizeof cases[0]));
  // The records start unclassified; the kinds come after the reset.
  for (uint32_t i = 0; i < l.charCount; ++i) EXPECT_EQ(l.chars[i].kind, 0);
  l.ResetKinds();
  l.GiveKinds();
  uint32_t c = 0, w = 0;
  for (const Case& k : cases) {
    const char16_t* text = k.word ? l.words[w].text : l.chars[c].text;
    const uint16_t kind = k.word ? l.words[w].kind : l.chars[c].kind;
    const int16_t right = k.word ? l.words[w].right : l.chars[c].right;
    k.word ? ++w : ++c;
    EXPECT_EQ(kind, k.kind) << k.text;
    EXPECT_EQ(right, 399) << k.text;  // the box's last column of ink
    const std::u16string got(text);
    if (k.text.find('\x96') == std::string::npos) {
      EXPECT_EQ(got, std::u16string(k.text.begin(), k.text.end()));
    }
  }
  EXPECT_EQ(std::u16string(l.chars[8].text), u"dash \u2013 here");
  // The description's longest text fits a word record whole.
  EXPECT_EQ(std::u16string(l.words[w - 1].text).size(), 100u);
}

TEST(EngineText, KindsGoOnlyToRecordsStillInPlace) {
  Lists l;
  l.Store({{"la", EngineBox{100, 500, 140, 530}, true}, {"la", EngineBox{200, 500, 240, 530}, true},
           {"la", EngineBox{300, 500, 340, 530}, true}});
  l.chars[0].kind = 255;   // consumed meanwhile
  l.chars[1].left = 190;   // another record now stands there
  l.GiveKinds();
  EXPECT_EQ(l.chars[0].kind, 255);
  EXPECT_EQ(l.chars[1].kind, 0);
  EXPECT_EQ(l.chars[2].kind, 13);
  // Once per page: a second call gives nothing.
  l.chars[2].kind = 0;
  l.GiveKinds();
  EXPECT_EQ(l.chars[2].kind, 0);
}

TEST(EngineText, FullListsTakeNoMore) {
  Lists l;
  l.charCount = kCharListCapacity - 1;
  l.wordCount = kWordListCapacity;
  const std::string longText(40, 'x');
  EXPECT_EQ(l.Store({{"a", EngineBox{0, 0, 5, 5}, false},
                     {"b", EngineBox{0, 0, 5, 5}, false},
                     {longText.c_str(), EngineBox{0, 0, 5, 5}, false}}),
            1);
  EXPECT_EQ(l.charCount, static_cast<uint32_t>(kCharListCapacity));
  EXPECT_EQ(l.wordCount, static_cast<uint32_t>(kWordListCapacity));
}

}  // namespace
