#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "building/ChordBuilding.h"
#include "building/PageRhythmCorrection.h"
#include "score/BarEvents.h"
#include "tests/building/StaveGroupFixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class ChordBuildingTest : public StaveGroupFixture {
 protected:
  void SetUp() override {
    StaveGroupFixture::SetUp();
    AddStave(0, 1);
  }
  // The part's items between the system position item and the system end.
  Bytes Items() const {
    const Bytes all = Slot(1);
    return Bytes(all.begin() + 7, all.end() - 1);
  }
};

NoteRecord Note(int kind, int left, int step, uint32_t stemDown = 0) {
  NoteRecord n;
  std::memset(&n, 0, sizeof n);
  n.kind = static_cast<uint32_t>(kind);
  n.left = static_cast<int16_t>(left);
  n.right = static_cast<int16_t>(left + 14);
  n.step = static_cast<int16_t>(step);
  n.top = static_cast<int16_t>(400 - step * 6);
  n.bottom = static_cast<int16_t>(n.top + 12);
  n.stemDown = stemDown;
  return n;
}

TEST(ChordJoinTest, DecisionTable) {
  struct Case {
    const char* name;
    NoteRecord first, candidate;
    int expected;
  };
  NoteRecord beamStart = Note(kNoteQuaver, 100, 16);
  beamStart.beamed = beamStart.countRight = 1;
  NoteRecord beamNext = Note(kNoteQuaver, 140, 18);
  beamNext.beamed = 1;
  NoteRecord chordFlagged = Note(kNoteCrotchet, 100, 18);
  chordFlagged.chordFlag = 1;
  const std::vector<Case> cases = {
      {"same column, other pitch, joins later", Note(kNoteCrotchet, 100, 16), Note(kNoteCrotchet, 102, 18), 2},
      {"overlapping head to the right", Note(kNoteMinim, 100, 16, 1), Note(kNoteMinim, 110, 18, 0), 2},
      {"touching head to the right", Note(kNoteCrotchet, 100, 16, 0), Note(kNoteCrotchet, 114, 18, 1), 1},
      {"second voice below, stems apart", Note(kNoteCrotchet, 100, 16, 0), Note(kNoteCrotchet, 114, 14, 1), 0},
      {"far to the right ends the chord", Note(kNoteCrotchet, 100, 16), Note(kNoteCrotchet, 200, 18), 0},
      {"beamed quavers apart end the chord", beamStart, beamNext, 0},
      {"chord flag closes the overlap", Note(kNoteCrotchet, 100, 16), chordFlagged, 2},
      {"two semibreves side by side", Note(kNoteSemibreve, 100, 16), Note(kNoteSemibreve, 116, 18), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoteRecord notes[2] = {c.first, c.candidate};
    EXPECT_EQ(ChordJoinDecision(notes, 2, nullptr, 0, 0, 1, 1, 0), c.expected);
  }
}

TEST(ChordJoinTest, BarLineBetweenHeadsStopsTheOverlap) {
  NoteRecord notes[2] = {Note(kNoteCrotchet, 100, 16, 0), Note(kNoteCrotchet, 116, 18, 1)};
  SymbolRecord bar;
  std::memset(&bar, 0, sizeof bar);
  bar.type = kSymbolBarline;
  bar.left = 115;
  bar.right = 116;
  EXPECT_EQ(ChordJoinDecision(notes, 2, nullptr, 0, 0, 1, 1, 0), 1);
  EXPECT_EQ(ChordJoinDecision(notes, 2, &bar, 1, 0, 1, 1, 0), 0);
}

TEST_F(ChordBuildingTest, HeadsOnOneStemMakeOneChordWithSortedNotes) {
  AddNote(kNoteCrotchet, 300, 20);
  AddNote(kNoteCrotchet, 300, 16).appenditures[0].kind = 130;  // a sharp
  notes.back().appenditureCount = 1;
  AddNote(kNoteCrotchet, 300, 18);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Items(), (Bytes{0x1C, 0x14, 0x00, 0x00, 0x00, 16 | (3 << 5), 18, 20}));
  for (const NoteRecord& n : notes) EXPECT_EQ(n.quality, 10);
}

// A chord is cue-size (second byte bit 1) when its first or any later
// member is a cue-size head.
TEST_F(ChordBuildingTest, ACueSizeMemberMakesTheChordCueSize) {
  struct Case { int16_t first, second, third; uint8_t byte1; };
  const Case cases[] = {{0, 0, 0, 0x14}, {kCueSize, 0, 0, 0x16}, {0, 0, kCueSize, 0x16}, {0, kCueSize - 1, 0, 0x14}};
  int x = 300;
  for (const Case& c : cases) {  // one chord each, far apart
    AddNote(kNoteCrotchet, x, 20).size = c.first;
    AddNote(kNoteCrotchet, x, 16).size = c.second;
    AddNote(kNoteCrotchet, x, 18).size = c.third;
    x += 100;
  }
  ASSERT_EQ(Run(), 1);
  const Bytes items = Items();
  ASSERT_EQ(items.size(), 4u * 8u);
  for (size_t k = 0; k < 4; ++k) EXPECT_EQ(items[8 * k + 1], cases[k].byte1) << k;
}

TEST_F(ChordBuildingTest, RepeatedPositionsAreKeptOnlyInsideTheStave) {
  for (int step : {15, 5}) {
    SCOPED_TRACE(step);
    FreeStreamSet(&streams);
    notes.clear();
    page->boxCount = 0;
    for (int k = 0; k < 3; ++k) AddNote(kNoteCrotchet, 300, step);
    ASSERT_EQ(Run(), 1);
    const Bytes items = Items();
    EXPECT_EQ(ChordNoteCount(items.data()), step == 15 ? 2 : 1);
  }
}

TEST_F(ChordBuildingTest, TablatureNumbersAreSortedByStringAndTakeOneByteAString) {
  rows[0].kind = 1;
  rows[0].lineCount = 6;
  rows[0].bottom = static_cast<int16_t>(rows[0].top + 60);
  AddNote(kNoteCrotchet, 300, 3).fret = 5;
  AddNote(kNoteCrotchet, 300, 1).fret = 7;
  AddNote(kNoteCrotchet, 300, 3).fret = 9;  // a second number on the same string
  ASSERT_EQ(Run(), 1);
  const Bytes items = Items();
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(ChordNoteCount(items.data()), 2);
  EXPECT_EQ(items[5], (1 << 5) | 7);
  EXPECT_EQ(items[6], (3 << 5) | 5);
}

TEST_F(ChordBuildingTest, FortyHeadsKeepTheChordItemValid) {
  for (int k = 0; k < 40; ++k) AddNote(kNoteCrotchet, 300, k < 26 ? k + 1 : 26 - k % 13);
  ASSERT_EQ(Run(), 1);
  const Bytes items = Items();
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(ChordNoteCount(items.data()), kMaxChordNotes);
  EXPECT_EQ(ItemLength(items.data(), context.version), items.size());
  EXPECT_TRUE(IsStreamWellFormed(Slot(1).data(), static_cast<uint32_t>(Slot(1).size()), context.version));
}

TEST_F(ChordBuildingTest, StaffPositionBeyondTheFieldIsClamped) {
  AddNote(kNoteCrotchet, 300, 33);
  ASSERT_EQ(Run(), 1);
  const Bytes items = Items();
  EXPECT_EQ(NotePosition(items.data(), 0), 31);
  EXPECT_EQ(NoteAccidentalOf(items.data(), 0), 0);
}

TEST_F(ChordBuildingTest, TripletDigitOverThreeBeamedQuaversShortensTheVoice) {
  for (int k = 0; k < 3; ++k) {
    NoteRecord& n = AddNote(kNoteQuaver, 300 + 40 * k, 16);
    n.beamed = 1;
    n.countRight = k == 0;
  }
  AddChar(u"3", 11, 340, 200);
  notes[0].appenditures[0].kind = 17;
  notes[0].appenditures[0].markIndex = 0;
  notes[0].appenditureCount = 1;
  AddSymbol(kSymbolBarline, 450, 452, 4, 12);
  ASSERT_EQ(Run(), 1);
  const Bytes items = Items();
  const Bytes expected = {0x86, 32, 0x00, 3, 15,           // the tuplet: sounds 32, quavers of 16
                          0x0C, 0x10, 0, 0, 0xC0, 16,      // beam start
                          0x0C, 0x10, 0, 0, 0x40, 16, 0x0C, 0x10, 0, 0, 0x40, 16,
                          0x00, 0x03, 0x80};
  EXPECT_EQ(items, expected);
  EXPECT_EQ(chars[0].kind, kTextConsumed);
  // The tuplet's box went in before the first chord's.
  EXPECT_EQ(page->boxes[1][0], 340);
  EXPECT_EQ(page->boxes[2][0], 300);

  BarEvents bar;
  BuildBarEvents(items.data(), 0, 23, &bar, nullptr, 0, -1, context.version);
  VoiceTotals totals;
  SumVoiceDurations(bar, &totals);
  EXPECT_EQ(totals.t[0], 256);
}

TEST_F(ChordBuildingTest, DigitThatDoesNotCountTheNotesAddsNoTuplet) {
  for (int k = 0; k < 4; ++k) {
    NoteRecord& n = AddNote(kNoteQuaver, 300 + 40 * k, 16);
    n.beamed = 1;
    n.countRight = k == 0;
  }
  AddChar(u"3", 11, 340, 200);
  notes[0].appenditures[0].kind = 17;
  notes[0].appenditureCount = 1;
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Items().size(), 4u * 6u);
}

TEST_F(ChordBuildingTest, CurveBetweenTwoNotesIsATieOrASlur) {
  struct Case {
    int secondStep;
    uint8_t first;
    uint32_t span;
  };
  for (const Case& c : {Case{16, 0x16, 0}, Case{18, 0x0E, 32}}) {
    SCOPED_TRACE(c.secondStep);
    FreeStreamSet(&streams);
    notes.clear();
    page->boxCount = 0;
    curves = {CurveItem{310, 380, 390, 380, 63, 0x85}};
    AddNote(kNoteCrotchet, 300, 16);
    notes[0].appenditures[0].kind = 162;
    notes[0].appenditureCount = 1;
    AddNote(kNoteCrotchet, 380, c.secondStep);
    notes[1].appenditures[0].kind = 167;
    notes[1].appenditureCount = 1;
    ASSERT_EQ(Run(), 1);
    const Bytes items = Items();
    ASSERT_EQ(items.size(), 5u + 6u + 6u);
    EXPECT_EQ(items[0], c.first);
    EXPECT_EQ(MarkSpan(items.data()), c.span);
    EXPECT_EQ(items[4], 0x85);
  }
}

TEST_F(ChordBuildingTest, CurveLeftOpenAtTheSystemEndIsHidden) {
  curves = {CurveItem{310, 380, 390, 380, 63, 0x85}};
  AddNote(kNoteCrotchet, 300, 16);
  notes[0].appenditures[0].kind = 162;
  notes[0].appenditureCount = 1;
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Items()[0], kHiddenMarkByte);
}

void AddMark(NoteRecord& n, uint16_t kind, uint32_t link) {
  Appenditure& a = n.appenditures[n.appenditureCount++];
  a.kind = kind;
  a.markIndex = link;
}

// A slur that waits for its end while the pass changes the bar it starts in
// (a tuplet number inserted in front of a beam group, the bar's voices
// written back at its bar line, which moves tuplet items in front of their
// chords): its span lands on its own mark and every tuplet keeps its total.
TEST_F(ChordBuildingTest, ASlurWaitingForItsEndFollowsItsMarkThroughEveryChangeOfTheBar) {
  struct Case {
    const char* name;
    bool digit;         // a "3" over the beam group: a tuplet inserted at the bar's end
    bool tupletMark;    // the first quaver's own tuplet mark, written before its slur
    int from;           // the slur's first note: -1 the crotchet, 0..2 a quaver
    bool barLine;       // a bar line between the quavers and the slur's last note
    bool ends;          // false: the slur runs on into the next system
    uint32_t span;      // 1/128 notes
  };
  const Case cases[] = {
      {"triplet's first note across the bar line", true, false, 0, true, true, 48},
      {"triplet's second note across the bar line", true, false, 1, true, true, 32},
      {"triplet's last note across the bar line", true, false, 2, true, true, 16},
      {"note before the triplet across the bar line", true, false, -1, true, true, 80},
      {"triplet's first note, ended in the same bar", true, false, 0, false, true, 48},
      {"triplet's first note into the next system", true, false, 0, true, false, 32},
      {"tuplet mark before the slur, across the bar line", false, true, 0, true, true, 48},
      {"plain quavers across the bar line", false, false, 0, true, true, 48},
  };
  // 2 | 3 << 8 | 4 << 16: three quavers in the time of 32.
  constexpr uint32_t kTripletLink = 2 | 3 << 8 | 4 << 16;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreeStreamSet(&streams);
    notes.clear();
    symbols.clear();
    chars.clear();
    page->boxCount = 0;
    context.barVoices = AssignBarVoicesStep;
    curves = {CurveItem{250, 380, 520, 380, 63, 0x85}};
    AddNote(kNoteCrotchet, 250, 16);
    for (int k = 0; k < 3; ++k) {
      NoteRecord& n = AddNote(kNoteQuaver, 300 + 40 * k, 16);
      n.beamed = 1;
      n.countRight = k == 0;
    }
    if (c.digit) {
      AddChar(u"3", 11, 340, 200);
      AddMark(notes[1], 17, 0);
    }
    if (c.tupletMark) AddMark(notes[1], 192, kTripletLink);
    AddMark(notes[c.from + 1], 162, 0);
    if (c.barLine) AddSymbol(kSymbolBarline, 450, 452, 4, 12);
    if (c.ends) AddMark(AddNote(kNoteCrotchet, 500, 18), 167, 0);
    ASSERT_EQ(Run(), 1);

    const Bytes all = Slot(1);
    ASSERT_TRUE(IsStreamWellFormed(all.data(), static_cast<uint32_t>(all.size()), context.version));
    const Bytes items = Items();
    int slurs = 0, tuplets = 0;
    uint32_t length = 0;
    for (uint32_t at = 0; at < items.size(); at += length) {
      ASSERT_TRUE(ItemLengthWithin(items.data() + at, static_cast<uint32_t>(items.size()) - at, context.version,
                                   &length));
      const uint8_t* item = items.data() + at;
      if (KindOf(item) != kItemMark) continue;
      if (MarkSubKind(item) == kMarkSlur) {
        ++slurs;
        EXPECT_EQ(MarkSpan(item), c.span);
        EXPECT_EQ(item[4], 0x85);
      } else if (MarkSubKind(item) == kMarkTuplet) {
        ++tuplets;
        EXPECT_EQ(MarkSpan(item), 32u);
        EXPECT_EQ(item[3] & 0x7F, 3);
        EXPECT_EQ(item[4], 15);
        // The tuplet stands right in front of the first quaver.
        ASSERT_LT(at + 5, items.size());
        EXPECT_EQ(KindOf(item + 5), kItemChord);
        EXPECT_EQ(ChordDurationCode(item + 5), kNoteQuaver);
      }
    }
    EXPECT_EQ(slurs, 1);
    EXPECT_EQ(tuplets, c.digit || c.tupletMark ? 1 : 0);
  }
}

// Two voices' beam groups under tuplet numbers, the second opened before
// the first closes: the first's tuplet goes in ahead of the second's group,
// which still gets its own tuplet right in front of its first chord.
TEST_F(ChordBuildingTest, ABeamGroupOpenWhileAnotherVoiceGetsItsTupletKeepsItsPlace) {
  for (bool voiceStep : {false, true}) {
    SCOPED_TRACE(voiceStep);
    FreeStreamSet(&streams);
    notes.clear();
    symbols.clear();
    chars.clear();
    page->boxCount = 0;
    context.barVoices = voiceStep ? AssignBarVoicesStep : nullptr;
    for (int k = 0; k < 2; ++k) {
      NoteRecord& up = AddNote(kNoteQuaver, 300 + 60 * k, 20);
      up.beamed = 1;
      up.countRight = k == 0;
      NoteRecord& down = AddNote(kNoteQuaver, 330 + 60 * k, 8);
      down.beamed = 1;
      down.countRight = k == 0;
      down.stemDown = 1;
      down.aux = 1;
    }
    AddNote(kNoteCrotchet, 420, 20);  // closes the upper group while the lower one is open
    AddChar(u"2", 11, 320, 200);
    AddChar(u"2", 11, 350, 420);
    AddMark(notes[0], 17, 0);
    AddMark(notes[1], 17, 1);
    AddSymbol(kSymbolBarline, 450, 452, 4, 12);
    ASSERT_EQ(Run(), 1);
    const Bytes all = Slot(1);
    ASSERT_TRUE(IsStreamWellFormed(all.data(), static_cast<uint32_t>(all.size()), context.version));
    const Bytes items = Items();
    std::vector<int> grouped;  // the staff position of the chord after each tuplet
    uint32_t length = 0;
    for (uint32_t at = 0; at < items.size(); at += length) {
      ASSERT_TRUE(ItemLengthWithin(items.data() + at, static_cast<uint32_t>(items.size()) - at, context.version,
                                   &length));
      const uint8_t* item = items.data() + at;
      if (KindOf(item) != kItemMark || MarkSubKind(item) != kMarkTuplet) continue;
      EXPECT_EQ(MarkSpan(item), 48u);
      const uint8_t* chord = item + length;
      ASSERT_EQ(KindOf(chord), kItemChord);
      EXPECT_TRUE(chord[4] & 0x80);  // the group's first chord
      EXPECT_EQ(MarkVoice(item), ChordVoice(chord));
      grouped.push_back(NotePosition(chord, 0));
    }
    EXPECT_EQ(grouped, (std::vector<int>{20, 8}));
  }
}

TEST_F(ChordBuildingTest, HairpinMarkWritesAHairpinBeforeItsChord) {
  // Opening to the right: 300 pixels long (127 units), closed end 60 pixels
  // below the stave middle (5 mm), 24 pixels open (2 mm).
  LineItem line{};
  line.x0 = 300;
  line.x1 = 600;
  line.y0 = 384;
  line.y1 = 372;
  line.staveMidY = 324;
  line.halfOpening = 12;
  line.lineFlags = 1;
  lines = {line, line};
  lines[1].lineFlags = 0;
  for (int flagged : {1, 0}) {
    SCOPED_TRACE(flagged);
    FreeStreamSet(&streams);
    notes.clear();
    page->boxCount = 0;
    AddNote(kNoteCrotchet, 300, 16);
    notes[0].appenditures[0].kind = 160;
    notes[0].appenditures[0].markIndex = flagged ? 0 : 1;
    notes[0].appenditureCount = 1;
    ASSERT_EQ(Run(), 1);
    const Bytes items = Items();
    if (!flagged) {
      EXPECT_EQ(items.size(), 6u);  // a line that is no hairpin writes nothing
      continue;
    }
    ASSERT_EQ(items.size(), 10u + 6u);
    EXPECT_EQ(items[0], MakeTextFirstByte(kTextHairpin18));
    EXPECT_EQ(ItemLength(items.data(), context.version), 10u);
    EXPECT_EQ(Bytes(items.begin() + 3, items.begin() + 10), (Bytes{0, 0, 128 + 5, 127, 0, 2, 1}));
    EXPECT_EQ(KindOf(items.data() + 10), kItemChord);
  }
}

TEST(ChordEntriesTest, SortMovesTheEditorsSelectionOnlyWhenGiven) {
  uint8_t item[8] = {0x1C, 0, 0, 0, 0, 20, 16, 18};
  uint32_t selection[31] = {};
  selection[0] = 1;  // the chord's first note, the byte at index 5
  SortChordEntries(item, 5, 7, 0);
  EXPECT_EQ(Bytes(item + 5, item + 8), (Bytes{16, 18, 20}));
  uint8_t again[8] = {0x1C, 0, 0, 0, 0, 20, 16, 18};
  SortChordEntries(again, 5, 7, 0, selection);
  EXPECT_EQ(selection[2], 1u);  // 20 is now the third note
  EXPECT_EQ(selection[0], 0u);
  // Tablature chords by string, the selection with them.
  uint8_t tab[7] = {0x14, 0, 0, 0, 0, (3 << 5) | 1, (1 << 5) | 7};
  uint32_t tabSelection[31] = {1, 0};
  SortChordEntries(tab, 5, 6, 1, tabSelection);
  EXPECT_EQ(tab[5], (1 << 5) | 7);
  EXPECT_EQ(tabSelection[1], 1u);
  EXPECT_EQ(tabSelection[0], 0u);
}

}  // namespace
