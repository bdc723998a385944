// Damaged and odd scores: the NIFF export writes what it can read, closes
// every list, and either succeeds or fails with one message.
#include <random>

#include "export/niffio/NiffStorage.h"
#include "tests/export/NiffScores.h"

namespace {

TEST_F(NiffExportTest, SymbolsOpenAtTheEndOfTheirStaveAreLeftOut) {
  const std::vector<StreamBytesList> cut = {
      JoinItems({TieMark(), Notes(kDurationWhole, {14})}),
      JoinItems({SlurMark(64), Crotchet(14)}),
      JoinItems({Beamed(Quaver(14), true), Beamed(Quaver(15), false)}),
      JoinItems({Tuplet(3, 15, 32), Quaver(14), Quaver(15)}),
      JoinItems({Hairpin(kTextHairpin18), Crotchet(14)}),
  };
  for (const StreamBytesList& items : cut) {
    SCOPED_TRACE(testing::PrintToString(items));
    StreamBytesList damaged = JoinItems({items, SystemMark()});
    damaged.push_back(uint8_t(kItemChord | 3 << 3));  // a chord that overruns the used length
    SetPart(0, {});
    SetPart(1, damaged);
    int result = 0;
    const NiffNode root = Export(&result);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(FindAll(root, "note").empty());
    EXPECT_LE(Boxes().size(), 1u);
    boxes_.Clear();
  }
}

TEST_F(NiffExportTest, MusicAfterTheLastSystemMarkIsReported) {
  OnePart(JoinItems({Notes(kDurationWhole, {14}), Bar()}));
  SetPart(1, JoinItems({Part(1), Notes(kDurationWhole, {16}), Bar()}));  // no system mark after it
  int result = 0;
  const NiffNode root = Export(&result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(FindAll(root, "note").size(), 1u);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(U8(Boxes()[0].text).find("(part: bar): 1: 2"), std::string::npos) << U8(Boxes()[0].text);
}

TEST_F(NiffExportTest, AChordSymbolWithAnUnknownSuffixWritesWhatCanBeNamed) {
  OnePart(JoinItems({ChordSymbol(7, 55, 7), Notes(kDurationWhole, {14}), Bar()}));
  int result = 0;
  const NiffNode root = Export(&result);
  EXPECT_EQ(result, 1);
  auto chords = FindAll(root, "chrd");
  ASSERT_EQ(chords.size(), 1u);
  const auto& table = FindAll(root, "stbl")[0]->fields;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&table[chords[0]->Field(0, 4)])), "F");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(U8(Boxes()[0].text).find("1: 1"), std::string::npos);
}

// Random streams made of item pieces and stray bytes: never a sanitizer
// report, never more than one message, never a storage left current.
TEST_F(NiffExportTest, RandomStreamsNeverBreakTheExport) {
  const std::vector<StreamBytesList> pieces = {
      Crotchet(14), Quaver(15), Notes(kDurationHalf, {12, 16}), Notes(kDurationWhole, {14}, 1), Rest(kDurationQuarter),
      Bar(), Bar(kBarStartRepeat), Bar(kBarEndRepeat), TieMark(), SlurMark(64), Tuplet(3, 15, 32),
      Beamed(Quaver(14), true), Beamed(Quaver(15), false), ClefItem(7), KeyItem(3), TimeItem(3, 5),
      StaffText(kTextLyric, "la"), StaffText(kTextDynamic, "p"), Hairpin(kTextHairpin19), ChordSymbol(2, 12, 0),
      SystemMark(), PageMarkItem(), {0xFF}, {0x3C, 0x00}, {0x07, 0x40, 0x00},
  };
  std::mt19937 random(20261209);
  for (int round = 0; round < 120; ++round) {
    StreamBytesList items;
    const int count = 1 + int(random() % 24);
    for (int i = 0; i < count; ++i) {
      const StreamBytesList& piece = pieces[random() % pieces.size()];
      items.insert(items.end(), piece.begin(), piece.end());
    }
    if (random() % 2) items.push_back(kBarBoundary);
    if (random() % 3 == 0 && !items.empty()) items.resize(items.size() - 1 - random() % items.size());
    SetPart(0, random() % 4 == 0 ? JoinItems({PageText(kTextTitle, "T"), SystemMark()}) : StreamBytesList{});
    SetPart(1, items);
    int result = -1;
    Export(&result);
    EXPECT_TRUE(result == 0 || result == 1);
    EXPECT_LE(Boxes().size(), 1u) << round;
    EXPECT_EQ(NIFFIOStorageGetCurrent(), nullptr);
    boxes_.Clear();
  }
}

}  // namespace
