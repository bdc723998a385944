#include "score/BarOrder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "score/TupletDurations.h"
#include "tests/score/SelectionFixture.h"

namespace {

using BarOrderTest = SelectionFixture;

// The items of a stream in order, walking it to its used length.
std::vector<Bytes> Items(const Bytes& stream) {
  std::vector<Bytes> items;
  EXPECT_EQ(WalkStream(stream.data(), uint32_t(stream.size()), ScoreFormatVersion,
                       [&](uint32_t, const uint8_t* item, uint32_t length) {
                         items.emplace_back(item, item + length);
                         return true;
                       }),
            WalkResult::kComplete);
  return items;
}

// Every row of the part points at an item whose bytes are the expected ones.
void ExpectRowsPointAt(const ItemIndex& index, const Bytes& stream,
                       const std::vector<std::pair<int, Bytes>>& expected) {
  for (const auto& [row, item] : expected) {
    const uint32_t offset = index.rows[row].offset;
    ASSERT_LE(offset + item.size(), stream.size()) << "row " << row;
    EXPECT_EQ(Bytes(stream.begin() + offset, stream.begin() + offset + item.size()), item)
        << "row " << row;
  }
}

// ---- Reordering a bar by x ----

TEST_F(BarOrderTest, ChordsAndRestsFollowTheirXOrder) {
  // Bar 1 is out of order too but holds no selection: it stays as it is.
  const Bytes x1 = Chord(0, kDurationHalf, {14}), y1 = Chord(0, kDurationHalf, {16});
  const Bytes mark = Mark(kTupletMarkByte, 0);
  const Bytes a = Chord(0, kDurationQuarter, {18}), b = Rest(1, kDurationQuarter),
              c = Chord(0, kDurationEighth, {12, 15});
  SetPart(3, Join({x1, y1, BarLine(), mark, a, b, c, BarLine()}));
  const int rowX1 = AddRow(3, 0, 490, 510), rowY1 = AddRow(3, 6, 40, 60);
  AddRow(3, 12, 600, 602);
  const int rowMark = AddRow(3, 13, 180, 220), rowA = AddRow(3, 18, 190, 210),
            rowB = AddRow(3, 24, 90, 110), rowC = AddRow(3, 26, 140, 160);
  AddRow(3, 33, 700, 702);
  selection().selectedRow = rowC;

  bool moved = false;
  const uint32_t offset = ReorderBarItemsByPosition(view(), &moved);
  EXPECT_TRUE(moved);

  const Bytes stream = Part(3);
  const std::vector<Bytes> expected = {x1, y1, BarLine(), b, c, mark, a, BarLine()};
  EXPECT_EQ(Items(stream), expected);  // gap-free, walks to the used length
  EXPECT_EQ(stream.size(), 34u);
  EXPECT_EQ(offset, 15u);
  EXPECT_EQ(view().index.rows[rowC].offset, 15u);
  ExpectRowsPointAt(view().index, stream,
                    {{rowX1, x1}, {rowY1, y1}, {rowMark, mark}, {rowA, a}, {rowB, b}, {rowC, c}});

  // In order now: nothing more moves.
  EXPECT_EQ(ReorderBarItemsByPosition(view(), &moved), 15u);
  EXPECT_FALSE(moved);
  EXPECT_EQ(Part(3), stream);
}

TEST_F(BarOrderTest, ItemsWithoutRowsAndOtherKindsStayPut) {
  const Bytes clef = Clef(kClefBass), a = Chord(0, kDurationQuarter, {18}),
              unseen = Chord(1, kDurationQuarter, {10}), b = Chord(0, kDurationQuarter, {12});
  SetPart(0, Join({clef, a, unseen, b}));
  AddRow(0, 0, 10, 20);
  const int rowA = AddRow(0, 2, 300, 320);
  const int rowB = AddRow(0, 14, 100, 120);
  selection().selectedRow = rowA;

  bool moved = false;
  EXPECT_EQ(ReorderBarItemsByPosition(view(), &moved), 8u);
  EXPECT_TRUE(moved);
  const std::vector<Bytes> expected = {clef, b, a, unseen};
  EXPECT_EQ(Items(Part(0)), expected);
  EXPECT_EQ(view().index.rows[rowB].offset, 2u);
}

TEST_F(BarOrderTest, AMalformedStreamOrNoSelectionChangesNothing) {
  Bytes stream = Join({Chord(0, kDurationQuarter, {18}), Chord(0, kDurationQuarter, {12}), Text(4)});
  stream.resize(stream.size() - 3);  // the text claims more than the stream holds
  SetPart(0, stream);
  AddRow(0, 0, 300, 320);
  const int second = AddRow(0, 6, 100, 120);

  bool moved = true;
  EXPECT_EQ(ReorderBarItemsByPosition(view(), &moved), 0u);  // no selection
  EXPECT_FALSE(moved);

  selection().selectedRow = second;
  EXPECT_EQ(ReorderBarItemsByPosition(view(), &moved), 6u);
  EXPECT_FALSE(moved);
  EXPECT_EQ(Part(0), stream);
  EXPECT_EQ(view().index.rows[second].offset, 6u);
}

TEST_F(BarOrderTest, ARowThatPointsBetweenItemsChangesNothing) {
  const Bytes stream = Join({Chord(0, kDurationQuarter, {18}), Chord(0, kDurationQuarter, {12})});
  SetPart(0, stream);
  AddRow(0, 0, 300, 320);
  selection().selectedRow = AddRow(0, 3, 100, 120);
  bool moved = true;
  EXPECT_EQ(ReorderBarItemsByPosition(view(), &moved), 3u);
  EXPECT_FALSE(moved);
  EXPECT_EQ(Part(0), stream);
}

// ---- Beams and stems of the selected bar ----

constexpr uint8_t kDown = 0x20, kBeam = 0x40, kStart = 0x80;

TEST_F(BarOrderTest, NormalisingTheBarMendsBeamsAndStems) {
  struct Case {
    const char* what;
    Bytes item;
    uint8_t b4After;  // b4 without the voice
  } cases[] = {
      {"group start", Chord(0, kDurationEighth, {14}, kBeam | kStart | kDown), kBeam | kStart | kDown},
      {"member with the other stem", Chord(0, kDurationEighth, {20}, kBeam), kBeam | kDown},
      {"a crotchet in the beam", Chord(0, kDurationQuarter, {20}, kBeam), 0},
      {"a lone beamed chord of voice 1", Chord(1, kDurationEighth, {10}, kBeam | kStart), 0},
      {"a start bit without a beam", Chord(0, kDurationEighth, {10}, kStart), 0},
      {"a new group: first", Chord(0, kDurationEighth, {10}, kBeam), kBeam | kStart},
      {"rests do not end a beam", Rest(0, kDurationEighth), 0},
      {"a new group: second", Chord(0, kDurationEighth, {10}, kBeam | kDown), kBeam},
      {"across staves: first", Chord(2, kDurationEighth, {10}, kBeam | kStart, 0x08), kBeam | kStart},
      {"across staves: second", Chord(2, kDurationEighth, {10}, kBeam | kDown), kBeam | kDown},
  };
  Bytes stream = BarLine();
  std::vector<uint32_t> offsets;
  for (const Case& c : cases) {
    offsets.push_back(uint32_t(stream.size()));
    stream.insert(stream.end(), c.item.begin(), c.item.end());
  }
  stream.push_back(MakeBarLine(kBarSingle));
  SetPart(1, stream);
  int16_t x = 100;
  for (uint32_t offset : offsets) {
    AddRow(1, offset, x, int16_t(x + 10));
    x = int16_t(x + 40);
  }
  selection().selectedRow = 2;

  EXPECT_EQ(NormaliseSelectedBar(view()), 6);
  const Bytes after = Part(1);
  ASSERT_EQ(after.size(), stream.size());
  for (size_t i = 0; i < std::size(cases); ++i) {
    const uint8_t* item = after.data() + offsets[i];
    if (KindOf(item) != kItemChord) continue;
    EXPECT_EQ(item[4] & 0xE0, cases[i].b4After) << cases[i].what;
    EXPECT_EQ(ChordVoice(item), ChordVoice(cases[i].item.data())) << cases[i].what;
  }
  EXPECT_EQ(NormaliseSelectedBar(view()), 0);  // a second pass finds nothing
}

TEST_F(BarOrderTest, ChordsOfOneVoiceAtOnePlaceShareTheirStem) {
  const Bytes first = Chord(2, kDurationQuarter, {16});
  const Bytes stacked = Chord(2, kDurationQuarter, {20}, kDown);
  const Bytes apart = Chord(2, kDurationQuarter, {12}, kDown);
  SetPart(0, Join({first, stacked, apart}));
  AddRow(0, 0, 300, 320);   // centre 310
  AddRow(0, 6, 305, 325);   // centre 315: the midpoint 312 lies in the first box
  AddRow(0, 12, 400, 420);  // far from the one before
  selection().selectedRow = 0;

  EXPECT_EQ(NormaliseSelectedBar(view()), 1);
  const Bytes after = Part(0);
  EXPECT_FALSE(ChordStemDown(after.data() + 6));
  EXPECT_TRUE(ChordStemDown(after.data() + 12));
}

// ---- Re-layout of a stave's attached marks ----

TEST_F(BarOrderTest, AMarkMovesInFrontOfTheNearestChordOfItsVoice) {
  const Bytes p = Chord(0, kDurationEighth, {14}), q = Chord(1, kDurationEighth, {10}),
              r = Chord(0, kDurationEighth, {16}), s = Chord(0, kDurationEighth, {18});
  const Bytes tuplet = Mark(kAttachedTupletByte, 0, 1);
  const Bytes pedal = Mark(kAttachedPedalByte, 1);  // voice 1: goes to q
  const Bytes other = Mark(kTupletMarkByte, 0);     // not an attached mark: stays
  SetPart(0, Join({BarLine(), p, q, r, s, tuplet, pedal, other, BarLine()}));
  AddRow(0, 0, 50, 52);
  const int rowP = AddRow(0, 1, 100, 110);
  const int rowQ = AddRow(0, 7, 150, 160);
  const int rowR = AddRow(0, 13, 300, 310);
  const int rowS = AddRow(0, 19, 400, 410);
  const int rowTuplet = AddRow(0, 25, 290, 310, 0, 8);  // nearest to r
  const int rowPedal = AddRow(0, 30, 290, 310, 0, 8);   // nearest of voice 1: q
  const int rowOther = AddRow(0, 35, 100, 110);
  AddStave(0, 1000, 0, 60);

  EXPECT_EQ(RelayoutStaveItems(view(), 0, 0), 2);

  Bytes expected = Join({BarLine(), p, pedal, q, tuplet, r, s, other, BarLine()});
  FillTupletDurations(expected.data(), 0, uint32_t(expected.size()));
  const Bytes stream = Part(0);
  EXPECT_EQ(stream, expected);
  EXPECT_NE(Bytes(stream.begin() + 18, stream.begin() + 23), tuplet);  // its duration filled
  ExpectRowsPointAt(view().index, stream,
                    {{rowP, p}, {rowQ, q}, {rowR, r}, {rowS, s}, {rowOther, other}});
  EXPECT_EQ(view().index.rows[rowPedal].offset, 7u);
  EXPECT_EQ(view().index.rows[rowTuplet].offset, 18u);

  // Each mark stands in front of its chord now: nothing moves again.
  EXPECT_EQ(RelayoutStaveItems(view(), 0, -1), 0);
  EXPECT_EQ(Items(Part(0)).size(), 9u);
}

TEST_F(BarOrderTest, AMarkOnAnotherStaveOrWithoutAChordOfItsVoiceStays) {
  const Bytes p = Chord(0, kDurationEighth, {14});
  const Bytes tuplet = Mark(kAttachedTupletByte, 0);
  const Bytes ornament = Mark(kAttachedOrnamentByte, 3);  // no chord of voice 3
  const Bytes stream = Join({p, tuplet, ornament});
  SetPart(0, stream);
  AddRow(0, 0, 100, 110);
  AddRow(0, 6, 100, 110, 10, 40, 1);  // another stave
  AddRow(0, 11, 100, 110);
  AddStave(0, 1000, 0, 60);
  AddStave(0, 1000, 100, 160);

  EXPECT_EQ(RelayoutStaveItems(view(), 0, 0), 0);
  EXPECT_EQ(RelayoutStaveItems(view(), 0, -1), 0);
  EXPECT_EQ(Items(Part(0)).size(), 3u);
  EXPECT_EQ(Part(0)[11], kAttachedOrnamentByte);
}

std::vector<std::string> g_traces;

TEST_F(BarOrderTest, AStaveBeyondTheTableLeavesATraceAndChangesNothing) {
  const Bytes stream = Join({Chord(0, kDurationEighth, {14}), Mark(kAttachedTupletByte, 0)});
  SetPart(0, stream);
  AddRow(0, 0, 300, 310);
  AddRow(0, 6, 100, 110);
  AddStave(0, 1000, 0, 60);

  g_traces.clear();
  SelectionViewHooks hooks{};
  hooks.trace = [](const char* text) { g_traces.emplace_back(text); };
  SetSelectionViewHooks(hooks);

  EXPECT_EQ(RelayoutStaveItems(view(), 0, 1), 0);
  EXPECT_EQ(Part(0), stream);
  ASSERT_EQ(g_traces.size(), 1u);
  EXPECT_EQ(g_traces[0], "Found overloaded dstaveptr");

  EXPECT_EQ(RelayoutStaveItems(view(), 13, -1), 0);  // no such part slot
  EXPECT_EQ(RelayoutStaveItems(view(), 0, 0), 1);
  EXPECT_EQ(g_traces.size(), 1u);
}

}  // namespace
