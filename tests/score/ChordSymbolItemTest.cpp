#include "score/ScoreItem.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A chord symbol as score building writes it: x, y, three diagram bytes and
// the two symbol bytes after the length field.
std::vector<uint8_t> ChordSymbol(uint8_t version, uint8_t g1, uint8_t g2, uint8_t g3, uint8_t c1, uint8_t c2) {
  std::vector<uint8_t> item = {kChordSymbolFirstByte, 7};
  if (version >= 3) item.push_back(0);
  for (uint8_t b : {uint8_t{3}, uint8_t{140}, g1, g2, g3, c1, c2}) item.push_back(b);
  return item;
}

TEST(ChordSymbolItem, ReadsWhatScoreBuildingWritesForAGrid) {
  // Base fret f = 3, strings s1..s6 = 7, 1, 2, 3, 0, 5, a name given.
  const unsigned f = 3, s1 = 7, s2 = 1, s3 = 2, s4 = 3, s5 = 0, s6 = 5;
  uint8_t g1 = static_cast<uint8_t>((((((s1 << 4) + f) << 2) & 0xFF) + 2 + 1));
  uint8_t g2 = static_cast<uint8_t>((((((s3 - (s4 << 3)) << 3) + s2) << 1) & 0xFF) + (s1 >> 2));
  uint8_t g3 = static_cast<uint8_t>(((((s6 << 3) + s5) << 2) & 0xFF) + (s4 >> 1));
  // Root 9, quality 42, bass 4.
  const unsigned r = 9, q = 42, b = 4;
  uint8_t c1 = static_cast<uint8_t>((q << 5) + r);
  uint8_t c2 = static_cast<uint8_t>((b << 3) + (q >> 3));
  for (uint8_t version : {2, 5}) {
    std::vector<uint8_t> item = ChordSymbol(version, g1, g2, g3, c1, c2);
    ASSERT_EQ(ItemLength(item.data(), version), item.size());
    EXPECT_EQ(IsChordSymbolShown(item.data(), version), 1);
    EXPECT_EQ(IsChordDiagramShown(item.data(), version), 1);
    uint8_t fields[kChordDiagramFieldCount];
    ASSERT_EQ(GetChordDiagramFields(item.data(), fields, version), 1);
    EXPECT_EQ(std::vector<uint8_t>(fields, fields + 7), (std::vector<uint8_t>{3, 7, 1, 2, 3, 0, 5}));
    EXPECT_EQ(GetChordSymbolRoot(item.data(), version), 9);
    EXPECT_EQ(GetChordSymbolQuality(item.data(), version), 42);
    EXPECT_EQ(GetChordSymbolBass(item.data(), version), 4);
  }
}

TEST(ChordSymbolItem, ASymbolWithoutGridShowsOnlyTheSymbol) {
  std::vector<uint8_t> item = ChordSymbol(5, 2, 0, 0, 0, 0);
  EXPECT_EQ(IsChordSymbolShown(item.data(), 5), 1);
  EXPECT_EQ(IsChordDiagramShown(item.data(), 5), 0);
}

TEST(ChordSymbolItem, SettersPackTheirGroupAndKeepTheOtherShownBit) {
  std::vector<uint8_t> item = ChordSymbol(5, 0, 0, 0, 0, 0);
  const uint8_t diagram[kChordDiagramFieldCount] = {15, 7, 6, 5, 4, 3, 2};
  ASSERT_EQ(SetChordDiagramFields(item.data(), 1, diagram, 5), 1);
  ASSERT_EQ(SetChordSymbolFields(item.data(), 1, 16, 48, 16, 5), 1);
  uint8_t fields[kChordDiagramFieldCount];
  GetChordDiagramFields(item.data(), fields, 5);
  EXPECT_EQ(std::vector<uint8_t>(fields, fields + 7), std::vector<uint8_t>(diagram, diagram + 7));
  EXPECT_EQ(GetChordSymbolRoot(item.data(), 5), 16);
  EXPECT_EQ(GetChordSymbolQuality(item.data(), 5), 48);
  EXPECT_EQ(GetChordSymbolBass(item.data(), 5), 16);
  EXPECT_EQ(IsChordDiagramShown(item.data(), 5), 1);
  EXPECT_EQ(IsChordSymbolShown(item.data(), 5), 1);

  SetChordSymbolFields(item.data(), 0, 1, 2, 3, 5);
  EXPECT_EQ(IsChordSymbolShown(item.data(), 5), 0);
  EXPECT_EQ(IsChordDiagramShown(item.data(), 5), 1);
  GetChordDiagramFields(item.data(), fields, 5);
  EXPECT_EQ(fields[0], 15);
  SetChordDiagramFields(item.data(), 0, diagram, 5);
  EXPECT_EQ(IsChordDiagramShown(item.data(), 5), 0);
  EXPECT_EQ(GetChordSymbolRoot(item.data(), 5), 1);
  EXPECT_EQ(item[3], 3);  // the placement bytes stay
  EXPECT_EQ(item[4], 140);
}

TEST(ChordSymbolItem, AccessorsRefuseOtherItemsAndChangeNothing) {
  std::vector<std::vector<uint8_t>> others = {
      {0x07, 7, 0, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},        // staff text of payload 7
      {0x77, 8, 0, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // chord symbol of payload 8
      {0x77, 7, 1, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},        // v3 payload 263: too short, never read
      {0x76, 7, 0, 0xFF, 0xFF},                                 // kind 6, sub-kind 14
  };
  for (std::vector<uint8_t>& item : others) {
    const std::vector<uint8_t> before = item;
    uint8_t fields[kChordDiagramFieldCount] = {9, 9, 9, 9, 9, 9, 9};
    const uint8_t diagram[kChordDiagramFieldCount] = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(IsChordSymbolShown(item.data(), 5), 0);
    EXPECT_EQ(IsChordDiagramShown(item.data(), 5), 0);
    EXPECT_EQ(GetChordSymbolRoot(item.data(), 5), 0);
    EXPECT_EQ(GetChordSymbolQuality(item.data(), 5), 0);
    EXPECT_EQ(GetChordSymbolBass(item.data(), 5), 0);
    EXPECT_EQ(GetChordDiagramFields(item.data(), fields, 5), 0);
    EXPECT_EQ(SetChordSymbolFields(item.data(), 1, 1, 1, 1, 5), 0);
    EXPECT_EQ(SetChordDiagramFields(item.data(), 1, diagram, 5), 0);
    EXPECT_EQ(item, before);
    EXPECT_EQ(fields[0], 9);
  }
}

}  // namespace
