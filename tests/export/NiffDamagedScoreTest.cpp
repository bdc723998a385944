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

// Music after a part's last system mark is a last system of its own; parts
// that closed their last system get it as an empty stave.
TEST_F(NiffExportTest, MusicAfterTheLastSystemMarkIsExported) {
  const StreamBytesList tails[] = {
      JoinItems({Notes(kDurationWhole, {16}), Bar(), EndMark()}),
      JoinItems({Notes(kDurationWhole, {16}), Bar()}),
      Notes(kDurationWhole, {16}),  // its bar not closed either
      JoinItems({PageMarkItem(), Notes(kDurationWhole, {16}), Bar()}),
  };
  for (const StreamBytesList& tail : tails) {
    SCOPED_TRACE(testing::PrintToString(tail));
    SetPart(0, {});
    SetPart(1, JoinItems({Notes(kDurationWhole, {14}), Bar(), SystemMark(), tail}));
    SetPart(2, JoinItems({Notes(kDurationWhole, {12}), Bar(), SystemMark(), EndMark()}));
    int result = 0;
    const NiffNode root = Export(&result);
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(Boxes().empty());
    const std::vector<const NiffNode*> notes = FindAll(root, "note");
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(int8_t(notes[2]->Field(1, 1)), 4);
    const std::vector<const NiffNode*> systems = FindAll(root, "syst");
    ASSERT_EQ(systems.size(), 2u);
    EXPECT_EQ(ChildNames(*systems[1]), "syhd staf staf");
    EXPECT_EQ(FindAll(systems[1]->children[2], "barl").size(), 1u);  // the empty stave's one bar
    EXPECT_EQ(FindAll(systems[1]->children[1], "barl").size(), 1u);
    boxes_.Clear();
  }
}

TEST_F(NiffExportTest, APartWithoutAnySystemMarkIsExported) {
  SetPart(0, {});
  SetPart(1, JoinItems({Notes(kDurationWhole, {14}), Bar(), Notes(kDurationWhole, {15})}));
  int result = 0;
  const NiffNode root = Export(&result);
  ASSERT_EQ(result, 1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(FindAll(root, "note").size(), 2u);
  EXPECT_EQ(FindAll(root, "syst").size(), 1u);
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
