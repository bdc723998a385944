#include "stages/NoteRecords.h"

#include <gtest/gtest.h>

#include <vector>

#include "reading/StaveSpacing.h"
#include "tests/stages/NoteEnginePage.h"
#include "tests/stages/StaveRows.h"

namespace {

struct Imported {
  std::vector<NoteRecord> notes = std::vector<NoteRecord>(kNoteListCapacity);
  uint32_t count = 0;
  int result = 0;
};

Imported Import(NoteEnginePage& page, int row, int16_t staveNumber = 0) {
  Imported out;
  SetStaveUnits(page.rows.data(), row, 300);
  out.result = ImportEngineNotes(page.rows.data(), static_cast<int>(page.rows.size()), row,
                                 StaveIndexInGroup(page.rows.data(), static_cast<int>(page.rows.size()), row),
                                 out.notes.data(), out.count, staveNumber);
  return out;
}

HandGroup Solid(int32_t step, int32_t x, int flags = 0, int left = 0, int right = 0) {
  HandGroup g;
  g.notes = {HandNote{3, step, x}};
  g.stemX = x + 7;
  g.stemEndY = 150;
  g.flags = flags;
  g.leftBeams = left;
  g.rightBeams = right;
  return g;
}

TEST(ImportEngineNotes, FlagsAndBeamsGiveTheDuration) {
  const struct {
    int flags, left, right;
    uint32_t kind, beamed, countRight;
  } cases[] = {
      {0, 0, 0, 5, 0, 0}, {1, 0, 0, 4, 0, 1}, {2, 0, 0, 3, 0, 1}, {3, 0, 0, 3, 0, 1},  // the floor is 3
      {0, 1, 2, 3, 1, 1}, {0, 0, 1, 4, 1, 1}, {0, 1, 1, 4, 1, 0}, {0, 2, 1, 3, 1, 0},
      {1, 1, 2, 4, 0, 1},  // flags win over beams
  };
  for (const auto& c : cases) {
    NoteEnginePage page;
    const int row = page.AddStave(0, 200, 20, 5);
    page.Describe();
    page.AddSlot(row, {Solid(0, 600, c.flags, c.left, c.right)});
    Imported r = Import(page, row);
    ASSERT_EQ(r.count, 1u);
    EXPECT_EQ(r.notes[0].kind, c.kind) << c.flags << c.left << c.right;
    EXPECT_EQ(r.notes[0].beamed, c.beamed) << c.flags << c.left << c.right;
    EXPECT_EQ(r.notes[0].countRight, c.countRight) << c.flags << c.left << c.right;
  }
}

// Heads of the engine's small-head models: a run of them right before a
// full-size note is a run of grace notes (no records); any other is a cue
// note, a record in cue size whose chord flag keeps it out of full-size chords.
TEST(ImportEngineNotes, SmallHeadsAreCueNotesUnlessTheyStandRightBeforeAFullSizeNote) {
  auto small = [](int32_t type, int32_t x, int flags = 0, int left = 0, int right = 0) {
    HandGroup g = Solid(0, x, flags, left, right);
    g.notes[0].type = type;
    g.notes[0].small = true;
    return g;
  };
  const struct {
    const char* what;
    std::initializer_list<HandGroup> groups;
    uint32_t records, cue;
  } cases[] = {
      {"a lone small head", {small(4, 600)}, 1, 1},
      {"a small quaver 24 px (1.2 spaces) before a note", {small(4, 600, 1), Solid(0, 640)}, 1, 0},
      {"two beamed small quavers before a note", {small(4, 560, 0, 0, 1), small(4, 600, 0, 1, 0), Solid(0, 640)},
       1, 0},
      {"a small crotchet 44 px (2.2 spaces) before a note", {small(4, 600), Solid(0, 660)}, 2, 1},
      {"a small crotchet 24 px before a note", {small(4, 600), Solid(0, 640)}, 1, 0},
      {"small heads before a rest", {small(4, 560), small(4, 600, 1), HandGroup{{HandNote{8, 0, 640}}}}, 2, 2},
      {"a small minim (a cue-head model)", {small(2, 600)}, 1, 1},
  };
  for (const auto& c : cases) {
    NoteEnginePage page;
    const int row = page.AddStave(0, 200, 20, 5);
    page.Describe();
    page.AddSlot(row, c.groups);
    Imported r = Import(page, row);
    ASSERT_EQ(r.count, c.records) << c.what;
    uint32_t cue = 0;
    for (uint32_t i = 0; i < r.count; ++i) {
      const NoteRecord& n = r.notes[i];
      const bool isCue = n.size >= kCueSize;
      cue += isCue;
      EXPECT_EQ(n.chordFlag, isCue ? 1 : 0) << c.what;
      if (isCue) EXPECT_LE(n.kind, static_cast<uint32_t>(kNoteMinim)) << c.what;
    }
    EXPECT_EQ(cue, c.cue) << c.what;
  }
}

// Half and whole heads come from the full-size models: one drawn well
// narrower than the glyph (stave space 20 pixels) is a cue-size head.
TEST(ImportEngineNotes, NarrowHalfAndWholeHeadsAreCueSize) {
  auto head = [](int32_t type, int32_t width, int32_t x = 600) {
    HandGroup g = Solid(0, x);
    g.notes[0].type = type;
    g.notes[0].width = width;
    return g;
  };
  HandGroup chord = head(2, 18);
  chord.notes.push_back(HandNote{2, 4, 600, 0, 0, false, 26});
  const struct {
    const char* what;
    std::initializer_list<HandGroup> groups;
    uint32_t records, cue;
  } cases[] = {
      {"a half head 1.3 spaces wide", {head(2, 26)}, 1, 0},
      {"a half head 0.9 spaces wide", {head(2, 18)}, 1, 1},
      {"a whole head 1.7 spaces wide", {head(1, 34)}, 1, 0},
      {"a whole head 1.3 spaces wide", {head(1, 26)}, 1, 1},
      {"a solid head 0.9 spaces wide (size from its model only)", {head(3, 18)}, 1, 0},
      {"a chord of a narrow and a full-size half head", {chord}, 2, 0},
      {"a narrow half head before a full-size note is no grace note", {head(2, 18), Solid(0, 640)}, 2, 1},
  };
  for (const auto& c : cases) {
    NoteEnginePage page;
    const int row = page.AddStave(0, 200, 20, 5);
    page.Describe();
    page.AddSlot(row, c.groups);
    Imported r = Import(page, row);
    ASSERT_EQ(r.count, c.records) << c.what;
    uint32_t cue = 0;
    for (uint32_t i = 0; i < r.count; ++i) {
      const bool isCue = r.notes[i].size >= kCueSize;
      cue += isCue;
      EXPECT_EQ(r.notes[i].chordFlag, isCue ? 1 : 0) << c.what;
    }
    EXPECT_EQ(cue, c.cue) << c.what;
  }
}

TEST(ImportEngineNotes, FillsARecordPerHeadAndSkipsGraceNotesAndRests) {
  NoteEnginePage page;
  const int row = page.AddStave(0, 200, 20, 5);
  page.Describe();
  HandGroup chord = Solid(0, 600);  // middle line, stem up at the right to y 150
  chord.notes.push_back(HandNote{3, -3, 600, 1});  // top space, with a sharp
  chord.dots = 2;
  HandGroup minim;
  minim.notes = {HandNote{2, 4, 700}};
  minim.stemX = 692;
  minim.stemEndY = 350;
  minim.up = false;
  HandGroup grace;
  grace.notes = {HandNote{4, 0, 800}};
  HandGroup rest;
  rest.notes = {HandNote{8, 0, 900}};
  page.AddSlot(row, {chord, minim, grace, rest});
  Imported r = Import(page, row, 3);
  ASSERT_EQ(r.result, 1);
  ASSERT_EQ(r.count, 3u);
  const bool topFirst = r.notes[0].step == 19;
  const NoteRecord& a = r.notes[topFirst ? 0 : 1];
  const NoteRecord& middle = r.notes[topFirst ? 1 : 0];
  EXPECT_EQ(a.step, 19);
  EXPECT_EQ(a.left, 592);
  EXPECT_EQ(a.right, 608);
  EXPECT_EQ(a.top, 200);
  EXPECT_EQ(a.bottom, 220);
  EXPECT_EQ(a.kind, kNoteCrotchet);
  EXPECT_EQ(a.dots, 1);  // at most one from the engine
  EXPECT_EQ(a.stave, 3);
  EXPECT_EQ(a.origin, kEngineOrigin);
  EXPECT_EQ(a.confidence, 100);
  EXPECT_EQ(a.quality, -5);
  EXPECT_EQ(a.space, 20);
  EXPECT_EQ(a.staveTopY, 200);
  EXPECT_EQ(a.stemDown, 0u);
  EXPECT_EQ(a.stemRight, 1u);
  // Up at the right: slot 1, (200 - 150) / 20 rounded, right + U - stem x.
  const int u = CurrentStaveUnits().staveUnit * kStemUnitFactor;
  EXPECT_EQ(a.stemLength[1], 3);
  EXPECT_EQ(a.stemOffset[1] & 0xFF, 608 + u - 607);
  EXPECT_EQ(a.stemOffset[1] >> 8, 4);  // the strength: the length + 1
  EXPECT_EQ(a.stemLength[0] + a.stemLength[2] + a.stemLength[3], 0);
  ASSERT_EQ(a.appenditureCount, 1);
  EXPECT_EQ(a.appenditures[0].kind, 129);
  EXPECT_EQ(a.appenditures[0].left, 570);
  EXPECT_EQ(a.appenditures[0].stave, 3);
  EXPECT_EQ(a.appenditures[0].score, 100);
  EXPECT_EQ(middle.step, 16);
  EXPECT_EQ(middle.appenditureCount, 0);
  EXPECT_EQ(middle.stemLength[1], 4);  // (230 - 150) / 20
  const NoteRecord& m = r.notes[2];
  EXPECT_EQ(m.kind, kNoteMinim);
  EXPECT_EQ(m.step, 12);
  EXPECT_EQ(m.stemDown, 1u);
  EXPECT_EQ(m.stemRight, 0u);
  // Down at the left: slot 2, (350 - 290) / 20, stem x - (left - U).
  EXPECT_EQ(m.stemLength[2], 3);
  EXPECT_EQ(m.stemOffset[2] & 0xFF, 692 - (692 - u));
  EXPECT_EQ(m.stemOffset[2] >> 8, 4);
}

TEST(ImportEngineNotes, AMissingStaveGivesZeroAndANoteForTheNextStaveACopyOnce) {
  NoteEnginePage page;
  const int upper = page.AddStave(0, 200, 20, 5);
  page.AddStave(0, 400, 20, 5);
  page.Describe();
  HandGroup g;
  g.notes = {HandNote{3, 11, 500}, HandNote{3, 12, 500}};  // 350 and 360: nearer the stave below
  page.AddSlot(upper, {g});
  Imported r = Import(page, upper, 0);
  ASSERT_EQ(r.count, 3u);
  EXPECT_EQ(r.notes[0].crossStave, 1);
  EXPECT_EQ(r.notes[1].recordClass, kRestWaitingRecord);
  EXPECT_EQ(r.notes[1].stave, 1);
  EXPECT_EQ(r.notes[1].crossStave, 0);
  EXPECT_EQ(r.notes[2].recordClass, kNoteHeadRecord);  // no second copy for the event

  std::vector<StaveRow> rows = page.rows;
  rows[1].group = 4;  // a system the engine does not hold
  uint32_t count = 0;
  std::vector<NoteRecord> notes(4);
  EXPECT_EQ(ImportEngineNotes(rows.data(), 2, 1, 0, notes.data(), count, 0), 0);
  EXPECT_EQ(ImportEngineNotes(page.rows.data(), 2, 0, 2, notes.data(), count, 0), 0);
  EXPECT_EQ(count, 0u);
}

TEST(ImportEngineNotes, StopsAtTheListLimit) {
  NoteEnginePage page;
  const int row = page.AddStave(0, 200, 20, 5);
  page.Describe();
  page.AddSlot(row, {Solid(0, 600), Solid(2, 700)});
  Imported r;
  r.count = kNoteListLimit - 1;
  SetStaveUnits(page.rows.data(), row, 300);
  EXPECT_EQ(ImportEngineNotes(page.rows.data(), 1, row, 0, r.notes.data(), r.count, 0), 1);
  EXPECT_EQ(r.count, static_cast<uint32_t>(kNoteListLimit));
}

TEST(AddEngineAppenditure, RefusesAnEleventhSubItem) {
  std::vector<NoteRecord> notes(1);
  EngineEventView e;
  e.noteCount = 1;
  for (int i = 0; i < kMaxAppenditures; ++i) EXPECT_EQ(AddEngineAppenditure(130, notes.data(), 0, e, 0), 1);
  EXPECT_EQ(AddEngineAppenditure(130, notes.data(), 0, e, 0), 0);
  EXPECT_EQ(notes[0].appenditureCount, kMaxAppenditures);
}

// Links records whose `aux` words match (a stand-in for the stem-partner test).
bool SameAux(const NoteRecord* notes, uint32_t, uint32_t a, uint32_t b, void*) {
  return notes[a].aux == notes[b].aux;
}

NoteRecord Head(uint32_t kind, int16_t stave, int16_t aux, int16_t quality = 0) {
  NoteRecord r{};
  r.kind = kind;
  r.stave = stave;
  r.aux = aux;
  r.quality = quality;
  r.origin = kSearchOrigin;
  return r;
}

TEST(LinkedNoteScore, EachLinkedPartnerDoublesTheNextAndTheScoreSaturates) {
  std::vector<NoteRecord> notes = {Head(5, 0, 1), Head(5, 0, 1), Head(5, 0, 1), Head(5, 0, 1),
                                   Head(5, 1, 1),       // another stave
                                   Head(6, 0, 1),       // another kind
                                   Head(5, 0, 1, 6),    // dead
                                   Head(5, 0, 2)};      // not linked
  const uint32_t n = static_cast<uint32_t>(notes.size());
  EXPECT_EQ(LinkedNoteScore(notes.data(), n, 0, SameAux, nullptr), kSearchOrigin + 7);
  EXPECT_EQ(LinkedNoteScore(notes.data(), n, 7, SameAux, nullptr), kSearchOrigin);
  EXPECT_EQ(LinkedNoteScore(notes.data(), n, 0, nullptr, nullptr), kSearchOrigin);
  notes[0].kind = kNoteSemibreve;
  notes[1].kind = notes[2].kind = kNoteSemibreve;
  EXPECT_EQ(LinkedNoteScore(notes.data(), n, 0, SameAux, nullptr), 0);

  std::vector<NoteRecord> many(40, Head(5, 0, 1));
  EXPECT_EQ(LinkedNoteScore(many.data(), 40, 0, SameAux, nullptr), kLinkedScoreLimit);
}

TEST(StepTests, ByParityOnFiveLinesAndByPlaceOnShortStaves) {
  auto Row = [](int kind, int lines) {
    StaveRow r;
    r.kind = static_cast<int16_t>(kind);
    r.lineCount = static_cast<int16_t>(lines);
    return r;
  };
  const struct {
    int kind, lines;
    int32_t position;
    int line, above, space;
  } cases[] = {
      {0, 5, 11, 1, 1, 0}, {0, 5, 12, 0, 0, 1}, {0, 5, 9, 1, 1, 0},
      {2, 1, 11, 1, 0, 0}, {2, 1, 9, 0, 1, 0},  {2, 1, 10, 0, 0, 1}, {2, 1, 15, 0, 0, 0},
      {2, 2, 15, 1, 0, 0}, {2, 2, 13, 0, 1, 0}, {2, 2, 14, 0, 0, 1}, {2, 2, 19, 0, 0, 0},
      {2, 3, 19, 1, 0, 0}, {2, 3, 17, 0, 1, 0}, {2, 3, 18, 0, 0, 1}, {2, 3, 12, 0, 0, 0},
      {2, 4, 11, 0, 0, 0}, {1, 6, 11, 0, 0, 0}, {1, 6, 12, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const StaveRow r = Row(c.kind, c.lines);
    EXPECT_EQ(IsLineStep(c.position, r), c.line) << c.kind << "/" << c.lines << " at " << c.position;
    EXPECT_EQ(IsLineStepAbove(c.position, r), c.above) << c.kind << "/" << c.lines << " at " << c.position;
    EXPECT_EQ(IsSpaceStep(c.position, r), c.space) << c.kind << "/" << c.lines << " at " << c.position;
  }
}

NoteRecord RestRecord(uint32_t kind, int16_t stave, int16_t left, int16_t top, int16_t bottom) {
  NoteRecord r{};
  r.recordClass = kRestWaitingRecord;
  r.kind = kind;
  r.stave = stave;
  r.left = left;
  r.right = static_cast<int16_t>(left + 12);
  r.top = top;
  r.bottom = bottom;
  r.space = 20;
  r.dots = 1;
  r.origin = kEngineOrigin;
  r.confidence = 90;
  r.quality = 5;
  return r;
}

TEST(ConvertNoteRecordsToSymbols, MovesRestRecordsToTheSymbolList) {
  const StaveRow rows[2] = {LookUpStave(200, 1), LookUpStave(400, 2)};  // lines every 20 pixels
  NoteRecord cueRest = RestRecord(5, 1, 300, 415, 455);  // crotchet rest, lines 1..3 of stave 1
  cueRest.size = kCueSize;                               // in cue size
  std::vector<NoteRecord> notes = {Head(5, 0, 0),
                                   cueRest,
                                   RestRecord(9, 1, 200, 420, 440),   // no such rest: dropped
                                   RestRecord(5, 7, 200, 420, 440),   // a stave not in the group: dropped
                                   Head(6, 0, 0)};
  uint32_t count = static_cast<uint32_t>(notes.size());
  std::vector<SymbolRecord> symbols(kSymbolListCapacity);
  symbols[0].stave = 1;
  symbols[0].left = 500;
  uint32_t symbolCount = 1;
  StavePage page;
  ConvertNoteRecordsToSymbols(rows, 2, 2, 0, notes.data(), count, symbols.data(), symbolCount, page);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(notes[0].kind, 5u);
  EXPECT_EQ(notes[1].kind, 6u);
  ASSERT_EQ(symbolCount, 2u);
  const SymbolRecord& s = symbols[0];  // sorted: left 300 before 500
  EXPECT_EQ(s.type, 69);
  EXPECT_EQ(s.left, 300);
  EXPECT_EQ(s.count, 1u);
  EXPECT_EQ(s.stave, 1);
  EXPECT_EQ(s.score, kEngineOrigin);
  EXPECT_EQ(s.hidden, 1u);
  EXPECT_EQ(s.size, kCueSize);
  // Lines at 400, 420, 440, 460, 480: the rest's top 415 lies below line 0 by
  // more than 2 pixels, but not below line 1; its bottom 455 above line 3.
  EXPECT_EQ(s.stepTop, 4);
  EXPECT_EQ(s.stepBottom, 10);

  // A full symbol list still loses the rest record.
  notes[0] = RestRecord(6, 0, 100, 200, 220);
  count = 1;
  symbolCount = kSymbolListLimit;
  ConvertNoteRecordsToSymbols(rows, 2, 2, 0, notes.data(), count, symbols.data(), symbolCount, page);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(symbolCount, static_cast<uint32_t>(kSymbolListLimit));
}

}  // namespace
