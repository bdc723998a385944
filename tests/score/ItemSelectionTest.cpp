#include <gtest/gtest.h>

#include <vector>

#include "score/ItemSelection.h"
#include "tests/score/SelectionFixture.h"

namespace {

using ItemSelectionTest = SelectionFixture;

// ---- Selection extent ----

TEST(SelectionExtentTest, EmptyMultiSelectionGivesTheSingleSelection) {
  auto selection = std::make_unique<SelectionState>();
  selection->selectedRow = 7;
  EXPECT_EQ(MinSelectedItem(*selection), 7);
  EXPECT_EQ(MaxSelectedItem(*selection), 7);
  selection->selectedRow = -1;
  EXPECT_EQ(MinSelectedItem(*selection), -1);
}

TEST(SelectionExtentTest, MultiSelectionSkipsRemovedEntries) {
  auto selection = std::make_unique<SelectionState>();
  selection->selectedRow = 40;
  const uint16_t rows[] = {5, kRemovedSelectionEntry, 2, 9};
  std::copy(std::begin(rows), std::end(rows), selection->multiRows);
  selection->multiCount = 4;
  EXPECT_EQ(MinSelectedItem(*selection), 2);
  EXPECT_EQ(MaxSelectedItem(*selection), 9);

  // A list of removed entries only is no list.
  selection->multiRows[0] = selection->multiRows[2] = selection->multiRows[3] = kRemovedSelectionEntry;
  EXPECT_EQ(MinSelectedItem(*selection), 40);
  EXPECT_EQ(MaxSelectedItem(*selection), 40);
}

// ---- Drawn items ----

TEST(IsItemDrawnTest, Table) {
  struct Case {
    const char* what;
    Bytes item;
    int drawn;
  } cases[] = {
      {"bar line", {0x00}, 1},
      {"bar line style 9", {MakeBarLine(kBarBand)}, 1},
      {"bar boundary", {kBarBoundary}, 0},
      {"page mark", {kPageMark}, 0},
      {"end of score", {kEndOfScore}, 0},
      {"clef", Clef(kClefTreble), 1},
      {"clef with b1 bit 3", Clef(kClefTreble, 0x08), 0},
      {"key signature", {MakeKeySignature(2, true, false)}, 1},
      {"key signature with bit 7", {MakeKeySignature(0, false, true)}, 0},
      {"time signature", {0x23, 0x02}, 1},
      {"time signature with b1 bit 3", {0x23, 0x0A}, 0},
      {"hidden time signature", {0x23, 0x82}, 0},
      {"chord", Chord(0, kDurationQuarter, {16}), 1},
      {"rest", Rest(0, kDurationQuarter), 1},
      {"hidden rest", Rest(1, kDurationQuarter, 0x20), 0},
      // (b0 >> 4) + 16 x (b1 & 63): bars 0x20 x 16 = 512 set b1 bit 5.
      {"multi-bar rest of 512 bars", {0x0D, 0x20}, 1},
      {"multi-bar rest of 35 bars", {0x3D, 0x22}, 1},
      {"mark", Mark(kTupletMarkByte, 0), 1},
      {"hidden mark", Mark(0x7E, 0), 1},
      {"text", Text(3), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsItemDrawn(c.item.data()), c.drawn) << c.what;
  }
}

TEST(ItemVoiceTest, VoicesOfChordsRestsAndMarks) {
  EXPECT_EQ(ItemVoice(Chord(2, kDurationEighth, {14}).data()), 2);
  EXPECT_EQ(ItemVoice(Rest(3, kDurationHalf).data()), 3);
  EXPECT_EQ(ItemVoice(Bytes{0x0D, 0x41}.data()), 1);  // multi-bar rest
  EXPECT_EQ(ItemVoice(Mark(kTupletMarkByte, 1).data()), 1);
  EXPECT_EQ(ItemVoice(Clef(kClefBass).data()), -1);
  EXPECT_EQ(ItemVoice(Text(2).data()), -1);
}

// ---- Hit tests ----

TEST_F(ItemSelectionTest, ThirdsOfTheHoveredItem) {
  SetPart(0, Chord(0, kDurationQuarter, {16}));
  selection().hoverRow = AddRow(0, 0, 100, 140);
  struct Case {
    int32_t x;
    int third;
    bool left;
    bool right;
  } cases[] = {
      {99, 0, true, false},  {100, 0, true, false}, {109, 0, true, false},
      {110, 1, true, true},  // exactly a quarter of the width from the left
      {120, 1, true, true},  {130, 1, true, true},  {131, 2, false, true},
      {140, 2, false, true}, {200, 2, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ItemThirdAtX(view(), c.x, 0, false), c.third) << c.x;
    EXPECT_EQ(selection().dragLeftEdge, c.left) << c.x;
    EXPECT_EQ(selection().dragRightEdge, c.right) << c.x;
  }
}

TEST_F(ItemSelectionTest, HalvesOfTheHoveredItem) {
  SetPart(0, Chord(0, kDurationQuarter, {16}));
  selection().hoverRow = AddRow(0, 0, 100, 140);
  EXPECT_EQ(ItemHalfAtX(view(), 119, 0, false), 0);
  EXPECT_TRUE(selection().dragLeftEdge);
  EXPECT_FALSE(selection().dragRightEdge);
  EXPECT_EQ(ItemHalfAtX(view(), 120, 0, false), 1);
  EXPECT_FALSE(selection().dragLeftEdge);
  EXPECT_TRUE(selection().dragRightEdge);
}

TEST_F(ItemSelectionTest, TestOnlyLeavesTheEdgeFlagsAndNoHoverGivesMinusOne) {
  SetPart(0, Chord(0, kDurationQuarter, {16}));
  selection().hoverRow = AddRow(0, 0, 100, 140);
  EXPECT_EQ(ItemThirdAtX(view(), 100, 0, true), 0);
  EXPECT_EQ(ItemHalfAtX(view(), 139, 0, true), 1);
  EXPECT_FALSE(selection().dragLeftEdge);
  EXPECT_FALSE(selection().dragRightEdge);

  selection().hoverRow = -1;
  EXPECT_EQ(ItemThirdAtX(view(), 100, 0, false), -1);
  EXPECT_EQ(ItemHalfAtX(view(), 100, 0, false), -1);
  selection().hoverRow = 1;  // beyond the index
  EXPECT_EQ(ItemThirdAtX(view(), 100, 0, false), -1);
  EXPECT_FALSE(selection().dragLeftEdge);
}

// ---- Drag limits ----

class DragLimitTest : public SelectionFixture {
 protected:
  // One stave: clef, voice-0 chord, voice-1 chord, the selected item,
  // voice-1 chord, hidden time signature, voice-0 rest, mark; rows in walk order.
  void Build(const Bytes& selected, int32_t selectedLeft = 300) {
    const Bytes items[] = {Clef(kClefTreble),
                           Chord(0, kDurationQuarter, {16}),
                           Chord(1, kDurationQuarter, {10}),
                           selected,
                           Chord(1, kDurationQuarter, {11}),
                           Bytes{0x23, 0x82},
                           Rest(0, kDurationQuarter),
                           Mark(kTupletMarkByte, 0)};
    const int16_t lefts[] = {20, 100, 200, int16_t(selectedLeft), 400, 450, 500, 600};
    Bytes all;
    AddStave(10, 1000, 0, 60);
    for (size_t i = 0; i < 8; ++i) {
      const int row = AddRow(0, uint32_t(all.size()), lefts[i], int16_t(lefts[i] + 20));
      if (i == 3) selection().selectedRow = row;
      all.insert(all.end(), items[i].begin(), items[i].end());
    }
    SetPart(0, all);
  }
};

TEST_F(DragLimitTest, NeighboursOfOtherVoicesGiveTheirFarEdge) {
  Build(Chord(0, kDurationQuarter, {12}));
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.left, 200);   // voice-1 chord: its left edge
  EXPECT_EQ(limits.right, 420);  // voice-1 chord: its right edge
  EXPECT_EQ(limits.top, 0);
  EXPECT_EQ(limits.bottom, 16384);
  EXPECT_EQ(selection().limits.left, 200);
}

TEST_F(DragLimitTest, NeighboursOfTheSameVoiceGiveTheirNearEdge) {
  Build(Chord(1, kDurationQuarter, {12}));
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.left, 220);
  EXPECT_EQ(limits.right, 400);
}

TEST_F(DragLimitTest, AnItemWithoutVoiceAgreesWithEveryNeighbour) {
  Build(Clef(kClefBass));
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.left, 220);
  EXPECT_EQ(limits.right, 400);
}

TEST_F(DragLimitTest, AnItemNotDrawnGivesFarEdges) {
  Build(Rest(1, kDurationQuarter, 0x20));  // a hidden rest of voice 1
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.left, 200);
  EXPECT_EQ(limits.right, 420);
}

TEST_F(DragLimitTest, MarksAndTextsKeepTheStaveExtent) {
  Build(Mark(0x0E, 0));
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.left, 10);
  EXPECT_EQ(limits.right, 1000);
}

TEST_F(DragLimitTest, NoSelectionGivesTheDefaults) {
  Build(Chord(0, kDurationQuarter, {12}));
  selection().selectedRow = -1;
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.left, 0);
  EXPECT_EQ(limits.right, 16384);
}

TEST_F(DragLimitTest, HiddenNeighboursAreSkipped) {
  // Remove the voice-1 chord after the selection: the next bound is the
  // hidden time signature (skipped), then the voice-0 rest.
  Build(Chord(0, kDurationQuarter, {12}));
  view().index.rows[4].staff = 1;  // now on another stave
  const DragLimits limits = MeasureSelectedItem(view());
  EXPECT_EQ(limits.right, 500);  // same voice: its left edge
}

// ---- Taking an item into the selection ----

TEST_F(ItemSelectionTest, ALongTextItemIsCopiedWhole) {
  const Bytes text = Text(400);  // 805 bytes, far beyond the longest chord
  const Bytes all = Join({Chord(0, kDurationQuarter, {16}), text, BarLine()});
  SetPart(2, all);
  AddRow(2, 0, 10, 30);
  selection().hoverRow = AddRow(2, 6, 40, 200, 5, 25, 0);

  EXPECT_EQ(TakeItemIntoSelection(view()), 1);
  const EditItem& edit = selection().edit;
  EXPECT_EQ(selection().selectedRow, 1);
  EXPECT_EQ(edit.Kind(), kItemText);
  ASSERT_EQ(edit.Length(), text.size());
  ASSERT_GE(edit.Capacity(), text.size());
  EXPECT_EQ(Bytes(edit.Bytes(), edit.Bytes() + edit.Length()), text);
  EXPECT_EQ(selection().editCentreX, 120);
  EXPECT_EQ(selection().editCentreY, 15);
  EXPECT_EQ(selection().editBox.left, 40);
  EXPECT_EQ(selection().editArea.left, 36);
  EXPECT_EQ(selection().editArea.bottom, 29);
}

TEST_F(ItemSelectionTest, ATextItemAtTheVeryEndOfTheStreamIsCopied) {
  const Bytes text = Text(100);
  SetPart(0, text);  // the block ends where the item ends
  selection().hoverRow = AddRow(0, 0, 40, 80);
  EXPECT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(Bytes(selection().edit.Bytes(), selection().edit.Bytes() + selection().edit.Length()),
            text);
}

TEST_F(ItemSelectionTest, AnItemReachingPastTheStreamIsRefused) {
  Bytes text = Text(100);
  text.resize(text.size() - 10);  // claims 10 bytes more than the stream holds
  SetPart(0, Join({Chord(0, kDurationHalf, {12, 14}), text}));
  const int chordRow = AddRow(0, 0, 10, 30);
  const int textRow = AddRow(0, 7, 40, 80);
  const int pastRow = AddRow(0, 5000, 90, 100);

  selection().hoverRow = chordRow;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  const Bytes chord(selection().edit.Bytes(), selection().edit.Bytes() + 7);

  for (int row : {textRow, pastRow}) {
    selection().hoverRow = row;
    EXPECT_EQ(TakeItemIntoSelection(view()), 0) << row;
    EXPECT_EQ(selection().selectedRow, chordRow);
    EXPECT_EQ(selection().edit.Kind(), kItemChord);
    EXPECT_EQ(selection().edit.Length(), 7u);
    EXPECT_EQ(Bytes(selection().edit.Bytes(), selection().edit.Bytes() + 7), chord);
  }
}

TEST_F(ItemSelectionTest, EachKindKeepsItsOwnTemplate) {
  SetPart(0, Join({Clef(kClefBass, 2), Chord(1, kDurationEighth, {12, 14, 16})}));
  const int clefRow = AddRow(0, 0, 10, 20);
  const int chordRow = AddRow(0, 2, 30, 40);
  selection().hoverRow = clefRow;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  selection().hoverRow = chordRow;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(selection().edit.Kind(), kItemChord);
  selection().edit.SelectKind(kItemClef);
  EXPECT_EQ(selection().edit.Bytes()[0], Clef(kClefBass)[0]);
  EXPECT_EQ(selection().edit.Bytes()[1], 2);
}

TEST_F(ItemSelectionTest, NoHoveredRowSetsTheInsertionPoint) {
  SetPart(0, Chord(0, kDurationQuarter, {16}));
  AddRow(0, 0, 10, 20);
  selection().selectedRow = 0;
  selection().hoverRow = -1;
  selection().pointerX = 300;
  selection().pointerY = 150;
  view().units.zoom = 1.5;
  view().units.offsetX = 20;
  EXPECT_EQ(TakeItemIntoSelection(view()), 0);
  EXPECT_EQ(selection().insertX, 180);
  EXPECT_EQ(selection().insertY, 100);
  EXPECT_EQ(selection().selectedRow, 0);
}

// ---- Scrolling ----

TEST(PlanScrollTest, Table) {
  const ViewScrollState state{400, 300, 100, 50, 2000, 1000};
  struct Case {
    const char* what;
    ScoreBox box;
    double zoom;
    bool horizontal;
    int32_t x;
    bool vertical;
    int32_t y;
  } cases[] = {
      {"inside", {150, 100, 200, 150}, 1.0, false, 0, false, 0},
      {"right of the view", {600, 100, 640, 150}, 1.0, true, 420, false, 0},
      {"left of the view", {10, 100, 40, 150}, 1.0, true, 0, false, 0},  // clamped to 0
      {"below the view", {150, 400, 200, 420}, 1.0, false, 0, true, 260},
      {"past the maximum", {3000, 60, 3100, 70}, 1.0, true, 2000, false, 0},
      {"inside once zoomed out", {300, 150, 400, 250}, 0.5, false, 0, false, 0},
      {"outside once zoomed", {150, 100, 200, 150}, 3.0, true, 325, true, 225},
  };
  for (const Case& c : cases) {
    const ScrollPlan plan = PlanScrollToBox(c.box, c.zoom, state);
    EXPECT_EQ(plan.horizontal, c.horizontal) << c.what;
    if (c.horizontal) {
      EXPECT_EQ(plan.scrollX, c.x) << c.what;
    }
    EXPECT_EQ(plan.vertical, c.vertical) << c.what;
    if (c.vertical) {
      EXPECT_EQ(plan.scrollY, c.y) << c.what;
    }
  }
}

struct ScrollRecord {
  std::vector<std::pair<ScrollBarKind, int32_t>> set;
  int repaints = 0;
};
ScrollRecord g_scroll;

TEST_F(ItemSelectionTest, ScrollItemIntoViewGoesThroughTheHooks) {
  SetPart(0, Chord(0, kDurationQuarter, {16}));
  const int row = AddRow(0, 0, 600, 640, 100, 150);

  // Without a view nothing scrolls.
  EXPECT_FALSE(ScrollItemIntoView(view(), row));

  g_scroll = ScrollRecord{};
  SelectionViewHooks hooks{};
  hooks.queryScroll = [](ViewScrollState* state) {
    *state = ViewScrollState{400, 300, 100, 50, 2000, 1000};
    return true;
  };
  hooks.setScrollPosition = [](ScrollBarKind bar, int32_t position) {
    g_scroll.set.emplace_back(bar, position);
    return true;
  };
  hooks.repaintNow = [] { ++g_scroll.repaints; };
  SetSelectionViewHooks(hooks);

  EXPECT_TRUE(ScrollItemIntoView(view(), row));
  ASSERT_EQ(g_scroll.set.size(), 1u);
  EXPECT_EQ(g_scroll.set[0].first, ScrollBarKind::kHorizontal);
  EXPECT_EQ(g_scroll.set[0].second, 420);
  EXPECT_EQ(g_scroll.repaints, 1);

  EXPECT_FALSE(ScrollItemIntoView(view(), row + 1));  // no such row
  EXPECT_EQ(g_scroll.repaints, 1);
}

}  // namespace
