#include "score/EditItemArea.h"

#include <gtest/gtest.h>

#include "tests/score/SelectionFixture.h"

namespace {

ItemMargins Margins(const Bytes& item) { return EditItemMargins(item.data(), item.size()); }

TEST(EditItemMarginsTest, ByKind) {
  constexpr uint8_t kDown = 0x20, kBeamed = 0x40;
  const uint8_t sharp = uint8_t(kAccidentalSharp << 5 | 16);
  const uint8_t doubleFlat = uint8_t(kAccidentalDoubleFlat << 5 | 14);
  const uint8_t naturalFlat = uint8_t(kAccidentalNaturalFlat << 5 | 14);
  struct Case {
    const char* what;
    Bytes item;
    ItemMargins margins;  // left, top, right, bottom
  } cases[] = {
      {"bar line", BarLine(), {1, 2, 1, 2}},
      {"clef", Clef(kClefTreble), {0, 7, 1, 7}},
      {"key signature", {MakeKeySignature(3, true, false)}, {0, 2, 1, 2}},
      {"time signature", {0x23, 0x02}, {0, 2, 1, 2}},
      {"crotchet, stem up", Chord(0, kDurationQuarter, {16}), {0, 20, 1, 2}},
      {"crotchet, stem down", Chord(0, kDurationQuarter, {16}, kDown), {0, 2, 1, 20}},
      {"quaver, stem up: the flag", Chord(0, kDurationEighth, {16}), {0, 20, 7, 2}},
      {"beamed quaver, stem up", Chord(0, kDurationEighth, {16}, kBeamed), {0, 20, 1, 2}},
      {"quaver, stem down", Chord(0, kDurationEighth, {16}, kDown), {0, 2, 1, 20}},
      {"whole note: no stem", Chord(0, kDurationWhole, {16}), {0, 2, 1, 2}},
      {"breve", Chord(0, kDurationBreve, {16}), {0, 2, 1, 2}},
      {"widened box", Chord(0, kDurationWhole, {16}, 0, 0x20), {3, 2, 4, 2}},
      {"b2 of 31 widens nothing", Chord(0, kDurationWhole, {16}, 0, 31), {0, 2, 1, 2}},
      {"a sharp", Chord(0, kDurationWhole, {12, sharp}), {8, 8, 1, 8}},
      {"a double flat", Chord(0, kDurationWhole, {doubleFlat, sharp}), {16, 8, 1, 8}},
      {"natural then flat", Chord(0, kDurationWhole, {naturalFlat}), {16, 8, 1, 8}},
      {"rest", Rest(0, kDurationQuarter), {0, 2, 1, 2}},
      {"multi-bar rest of 1 bar", {0x1D, 0x00}, {0, 2, 1, 2}},
      {"multi-bar rest of 2 bars", {0x2D, 0x00}, {4, 24, 6, 2}},
      {"multi-bar rest of 16 bars", {0x0D, 0x01}, {4, 24, 6, 2}},
      {"tuplet mark (sub-kind 0)", Mark(0x06, 0), {9, 12, 11, 12}},
      {"tuplet mark, top bit", Mark(0x86, 0), {9, 12, 11, 12}},
      {"slur mark", Mark(0x0E, 0), {0, 2, 1, 2}},
      {"text", Text(5), {4, 8, 6, 8}},
  };
  for (const Case& c : cases) {
    const ItemMargins m = Margins(c.item);
    EXPECT_EQ(m.left, c.margins.left) << c.what;
    EXPECT_EQ(m.top, c.margins.top) << c.what;
    EXPECT_EQ(m.right, c.margins.right) << c.what;
    EXPECT_EQ(m.bottom, c.margins.bottom) << c.what;
  }
}

TEST(EditItemMarginsTest, ACutChordReadsOnlyWhatIsThere) {
  // Claims 31 notes but only two note bytes are at hand.
  Bytes chord = Chord(0, kDurationWhole, {12, 14});
  chord[0] = uint8_t(kItemChord | 31 << 3);
  chord[6] = uint8_t(kAccidentalFlat << 5 | 14);
  const ItemMargins m = Margins(chord);
  EXPECT_EQ(m.left, 8);
  const Bytes head = {chord[0], chord[1]};
  EXPECT_EQ(Margins(head).top, 2);  // no b4: no stem
}

TEST(EditItemAreaTest, UnitsScaleTheMarginsAndStavesLimitTheArea) {
  auto staves = std::make_unique<StaveRowTable>();
  const Bytes text = Text(2);
  const ScoreBox box{100, 200, 150, 220};

  auto expect = [](const ScoreBox& area, ScoreBox want, const char* what) {
    EXPECT_EQ(area.left, want.left) << what;
    EXPECT_EQ(area.top, want.top) << what;
    EXPECT_EQ(area.right, want.right) << what;
    EXPECT_EQ(area.bottom, want.bottom) << what;
  };
  // Text margins are 4, 8, 6, 8 units; a unit is 2 across and 3 down.
  expect(EditItemArea(text.data(), text.size(), box, 2, 3, *staves), {92, 176, 162, 244},
         "no staves");

  // Each stave the area overlaps limits it (widened by 32); others do not.
  staves->rows[1] = StaveRowExtent{0, 4000, 900, 960};
  staves->count = 2;
  struct Case {
    const char* what;
    StaveRowExtent stave;
    ScoreBox area;
  } cases[] = {
      {"a wide stave", {0, 4000, 180, 240}, {92, 176, 162, 244}},
      {"a short stave", {120, 140, 205, 206}, {92, 176, 162, 238}},
      {"a narrow stave", {130, 130, 210, 210}, {98, 178, 162, 242}},
      {"a stave to the left", {110, 120, 215, 216}, {92, 183, 152, 244}},
  };
  for (const Case& c : cases) {
    staves->rows[0] = c.stave;
    expect(EditItemArea(text.data(), text.size(), box, 2, 3, *staves), c.area, c.what);
  }

  // Two staves: their joint extent.
  staves->rows[0] = StaveRowExtent{110, 120, 215, 216};
  staves->rows[1] = StaveRowExtent{0, 125, 190, 195};
  expect(EditItemArea(text.data(), text.size(), box, 2, 3, *staves), {92, 176, 157, 244},
         "two staves");
}

TEST(EditItemAreaTest, TheRightEdgeStopsAt8191) {
  auto staves = std::make_unique<StaveRowTable>();
  const Bytes bar = BarLine();
  const ScoreBox area = EditItemArea(bar.data(), bar.size(), ScoreBox{8180, 0, 8190, 10}, 4, 4, *staves);
  EXPECT_EQ(area.right, kRepaintRightLimit);
  EXPECT_EQ(area.left, 8176);
}

using InvalidateTest = SelectionFixture;
ScoreBox g_invalidated;
int g_invalidations = 0;

TEST_F(InvalidateTest, TheEditItemsAreaGoesToTheView) {
  SetPart(0, Chord(0, kDurationEighth, {16}, 0x20));
  selection().hoverRow = AddRow(0, 0, 100, 110, 50, 60);
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  view().units.unitX = 2;
  view().units.unitY = 2;

  // The defaults invalidate nothing, yet the area is computed.
  ScoreBox area = InvalidateEditItemArea(view(), 100, 50, 110, 60);
  EXPECT_EQ(area.bottom, 60 + 20 * 2);

  g_invalidations = 0;
  SelectionViewHooks hooks{};
  hooks.invalidateArea = [](const ScoreBox& box) {
    g_invalidated = box;
    ++g_invalidations;
  };
  SetSelectionViewHooks(hooks);
  area = InvalidateEditItemArea(view(), 100, 50, 110, 60);
  EXPECT_EQ(g_invalidations, 1);
  EXPECT_EQ(g_invalidated.left, 100);
  EXPECT_EQ(g_invalidated.top, 46);
  EXPECT_EQ(g_invalidated.right, 112);
  EXPECT_EQ(g_invalidated.bottom, 100);
  EXPECT_EQ(area.bottom, g_invalidated.bottom);
}

}  // namespace
