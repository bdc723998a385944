// The overlap clean-up of a stave group: heads two staves claimed, bar lines
// that are stems, rests on stems, heads inside symbols, overlapping boxes,
// curves in the text margins and rests moved clear of notes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "pages/PageData.h"
#include "reading/ReadingThread.h"
#include "reading/StaveSpacing.h"
#include "stages/OverlapCleanUp.h"
#include "tests/reading/StavePageTables.h"
#include "tests/stages/StaveRows.h"

namespace {

NoteRecord Note(int16_t stave, int16_t left, int16_t top, uint32_t kind = kNoteCrotchet) {
  NoteRecord n{};
  n.stave = stave;
  n.left = left;
  n.right = static_cast<int16_t>(left + 20);
  n.top = top;
  n.bottom = static_cast<int16_t>(top + 20);
  n.kind = kind;
  n.space = 20;
  n.origin = 6;
  n.step = 16;
  return n;
}

SymbolRecord Symbol(int16_t stave, int16_t type, int16_t left, int16_t right, int16_t stepTop, int16_t stepBottom) {
  SymbolRecord s{};
  s.stave = stave;
  s.type = type;
  s.left = left;
  s.right = right;
  s.stepTop = stepTop;
  s.stepBottom = stepBottom;
  return s;
}

// The rules of the other stages as these tests need them: on a five-line
// stave steps 10 to 22 lie within it; a symbol is as strong as its score, a
// head as its origin.
bool WithinFiveLines(int step, int) { return step >= 10 && step <= 22; }
int32_t SymbolScore(const SymbolRecord* symbols, uint32_t, uint32_t i) { return symbols[i].score; }
int32_t HeadScore(const NoteRecord* notes, uint32_t, uint32_t i) { return notes[i].origin; }

// Two staves of one group: rows at 100 and 300 (spacing 20), their lines
// looked up as while a page is read.
struct Group {
  StaveRow rows[2] = {FlatStave(100, 180, 0, 1), FlatStave(300, 380, 0, 2)};
  StavePageTables tables;
  StavePage geometry = tables.Over(PageImage{});
  std::vector<NoteRecord> notes = std::vector<NoteRecord>(32);
  std::vector<SymbolRecord> symbols = std::vector<SymbolRecord>(32);
  uint32_t noteCount = 0, symbolCount = 0;

  Group() { StaveLookup().readingActive = true; }
  ~Group() { StaveLookup().readingActive = false; }
  void Add(const NoteRecord& n) { notes[noteCount++] = n; }
  void Add(const SymbolRecord& s) { symbols[symbolCount++] = s; }
  OverlapPage Page() {
    OverlapPage page;
    page.notes = notes.data();
    page.noteCount = &noteCount;
    page.symbols = symbols.data();
    page.symbolCount = &symbolCount;
    page.rows = rows;
    page.staveCount = 2;
    page.geometry = &geometry;
    page.rules.stepWithinStave = WithinFiveLines;
    page.rules.symbolScore = SymbolScore;
    page.rules.headScore = HeadScore;
    return page;
  }
};

TEST(OverlapCleanUp, AHeadClaimedByBothStavesStaysOnOne) {
  struct Case {
    const char* name;
    NoteRecord upper, lower;
    int survivorStave;  // -1: both stay
  };
  // The upper stave's head below its stave and the lower stave's head above
  // its own, at the same place between them.
  NoteRecord up = Note(0, 500, 240), low = Note(1, 505, 244);
  up.step = 2;
  low.step = 30;
  NoteRecord ledgered = up;
  ledgered.ledgerCount = 1;
  NoteRecord upStem = low;  // its stem reaches up into the upper stave
  upStem.stemLength[0] = 3;
  NoteRecord downOnly = up;  // only down stems: it belongs below
  downOnly.stemDown = 1;
  downOnly.stemLength[2] = 1;
  NoteRecord engine = up;
  engine.origin = 100;
  NoteRecord far = low;
  far.left = 530;
  NoteRecord upOnly = low;
  upOnly.stemLength[0] = 1;
  const std::vector<Case> cases = {
      {"more ledger lines lose", ledgered, low, 1},
      {"the head its stem pulls across goes", up, upStem, 0},
      {"down stems only: the upper goes", downOnly, low, 1},
      {"down stems above and up stems below: both stay", downOnly, upOnly, -1},
      {"engine heads are settled", engine, low, -1},
      {"too far apart", up, far, -1},
  };
  for (const Case& c : cases) {
    Group g;
    g.Add(c.upper);
    g.Add(c.lower);
    MergeCrossStaveNotes(g.Page(), true);
    if (c.survivorStave < 0) {
      EXPECT_EQ(g.noteCount, 2u) << c.name;
    } else {
      ASSERT_EQ(g.noteCount, 1u) << c.name;
      EXPECT_EQ(g.notes[0].stave, c.survivorStave) << c.name;
    }
  }
}

TEST(OverlapCleanUp, ABarLineCoveredByStemsIsDropped) {
  struct Case {
    int16_t stemLength;
    int16_t origin;
    bool dropped;
  };
  const Case cases[] = {{3, 6, true}, {1, 6, false}, {3, 100, false}};
  for (const Case& c : cases) {
    Group g;
    NoteRecord n = Note(0, 480, 160);  // stem up from the bottom space
    n.stemRight = 1;
    n.stemLength[1] = c.stemLength;
    n.origin = c.origin;
    g.Add(n);
    const ObjectBox stem = GetObjectExtent(g.Page(), kObjectStem, 0);
    ASSERT_FALSE(stem.empty);
    g.Add(Symbol(0, kSymbolBarline, static_cast<int16_t>(stem.left), static_cast<int16_t>(stem.right), 4, 12));
    g.Add(Symbol(0, kSymbolBarline, 900, 903, 4, 12));
    DropSymbolsCrowdedByNotes(g.Page());
    EXPECT_EQ(g.symbolCount, c.dropped ? 1u : 2u) << c.stemLength << " " << c.origin;
    EXPECT_EQ(g.symbols[g.symbolCount - 1].left, 900);
  }
}

TEST(OverlapCleanUp, RestsOnStems) {
  // A crotchet rest that a stem runs through goes.
  {
    Group g;
    NoteRecord n = Note(0, 480, 160);
    n.stemLength[0] = 3;
    g.Add(n);
    const ObjectBox stem = GetObjectExtent(g.Page(), kObjectStem, 0);
    g.Add(Symbol(0, 69, static_cast<int16_t>(stem.left - 4), static_cast<int16_t>(stem.right + 4), 6, 10));
    DropSymbolsOnStems(g.Page());
    EXPECT_EQ(g.symbolCount, 0u);
    EXPECT_EQ(g.noteCount, 1u);
  }
  // Between two solid searched heads two steps apart on one stem, the rest
  // stays and the heads go.
  {
    Group g;
    NoteRecord a = Note(0, 480, 120);
    a.stemDown = 1;
    a.step = 18;
    a.stemLength[2] = 2;
    NoteRecord b = Note(0, 482, 140);
    b.step = 16;
    g.Add(a);
    g.Add(b);
    g.Add(Symbol(0, 69, 470, 510, 6, 10));
    DropSymbolsOnStems(g.Page());
    EXPECT_EQ(g.symbolCount, 1u);
    EXPECT_EQ(g.noteCount, 0u);
  }
  // A rest marked hidden is left alone.
  {
    Group g;
    g.Add(Note(0, 480, 140));
    SymbolRecord rest = Symbol(0, 70, 470, 510, 6, 10);
    rest.hidden = 1;
    g.Add(rest);
    DropSymbolsOnStems(g.Page());
    EXPECT_EQ(g.symbolCount, 1u);
  }
}

TEST(OverlapCleanUp, UncertainSearchedHeadsInsideASymbolGo) {
  Group g;
  g.Add(Symbol(0, kSymbolTrebleClef, 200, 250, 2, 14));
  NoteRecord inside = Note(0, 210, 140);
  inside.uncertain = 1;
  NoteRecord certain = Note(0, 215, 120);
  NoteRecord engine = inside;
  engine.origin = 100;
  NoteRecord other = inside;
  other.stave = 1;
  other.top = 340;
  g.Add(inside);
  g.Add(certain);
  g.Add(engine);
  g.Add(other);
  DeleteNotesInsideSymbols(g.Page());
  ASSERT_EQ(g.noteCount, 3u);
  EXPECT_EQ(g.notes[0].uncertain, 0u);
  EXPECT_EQ(g.notes[1].origin, 100);
  EXPECT_EQ(g.notes[2].stave, 1);
}

TEST(OverlapCleanUp, OverlappingObjectsKeepTheStronger) {
  // A symbol on a searched note's stem goes; a key signature there stays.
  {
    Group g;
    NoteRecord n = Note(0, 480, 160);
    n.stemLength[0] = 3;
    g.Add(n);
    const ObjectBox stem = GetObjectExtent(g.Page(), kObjectStem, 0);
    g.Add(Symbol(0, 69, static_cast<int16_t>(stem.left - 2), static_cast<int16_t>(stem.right + 2), 4, 8));
    g.Add(Symbol(0, kSymbolSharpKey, static_cast<int16_t>(stem.left - 2), static_cast<int16_t>(stem.right + 2), 4, 8));
    g.symbols[1].quality = 0;
    ResolveOverlappingObjects(g.Page());
    ASSERT_EQ(g.symbolCount, 1u);
    EXPECT_EQ(g.symbols[0].type, kSymbolSharpKey);
    EXPECT_EQ(g.noteCount, 1u);
  }
  // A clef at the start of the stave beats a clef over it, and the key
  // signature after the beaten clef goes with it.
  {
    Group g;
    g.Add(Symbol(0, kSymbolTrebleClef, 100, 140, 2, 14));
    SymbolRecord weak = Symbol(0, kSymbolBassClef, 130, 190, 4, 10);
    weak.quality = 7;
    g.Add(weak);
    g.Add(Symbol(0, kSymbolSharpKey, 200, 240, 3, 8));
    g.Add(Symbol(1, kSymbolSharpKey, 200, 240, 3, 8));  // the other stave's stays
    ResolveOverlappingObjects(g.Page());
    ASSERT_EQ(g.symbolCount, 2u);
    EXPECT_EQ(g.symbols[0].type, kSymbolTrebleClef);
    EXPECT_EQ(g.symbols[1].stave, 1);
  }
  // Objects the engine read never clash.
  {
    Group g;
    NoteRecord n = Note(0, 480, 160);
    n.stemLength[0] = 3;
    g.Add(n);
    const ObjectBox stem = GetObjectExtent(g.Page(), kObjectStem, 0);
    SymbolRecord s = Symbol(0, 69, static_cast<int16_t>(stem.left - 2), static_cast<int16_t>(stem.right + 2), 4, 8);
    s.score = 100;
    g.Add(s);
    ResolveOverlappingObjects(g.Page());
    EXPECT_EQ(g.symbolCount, 1u);
  }
}

TEST(OverlapCleanUp, CurvesInTheTextMarginsAreDiscarded) {
  std::vector<uint8_t> chars(kCharRecordBytes * 3);
  auto put = [&](int i, int16_t kind, int16_t top, int16_t bottom) {
    const int16_t v[5] = {kind, 100, top, 200, bottom};
    std::memcpy(chars.data() + i * kCharRecordBytes + 32, v, sizeof v);
  };
  put(0, 100, 40, 60);    // a title line: centre 50
  put(1, 4, 900, 920);    // a footer: centre 910
  put(2, 255, 0, 2000);   // deleted: ignored
  std::vector<CurveItem> curves = {
      {100, 30, 300, 45, 63, 10},    // both ends in the top margin
      {100, 30, 300, 200, 63, 10},   // one end only
      {100, 915, 300, 930, 63, 10},  // both in the bottom margin
      {100, 400, 300, 400, 63, 10},  // on the music
  };
  DiscardCurvesInTextMargins(curves.data(), 4, chars.data(), 3, nullptr, 0);
  EXPECT_EQ(curves[0].apexPos, kCurveDiscarded);
  EXPECT_EQ(curves[1].apexPos, 63);
  EXPECT_EQ(curves[2].apexPos, kCurveDiscarded);
  EXPECT_EQ(curves[3].apexPos, 63);
  // Without such text nothing changes.
  std::vector<CurveItem> kept = {{100, 30, 300, 45, 63, 10}};
  DiscardCurvesInTextMargins(kept.data(), 1, nullptr, 0, nullptr, 0);
  EXPECT_EQ(kept[0].apexPos, 63);
}

TEST(OverlapCleanUp, RestsMoveClearOfNotesAndEarlierRests) {
  std::vector<SymbolRecord> symbols = {Symbol(0, 69, 500, 530, 6, 10), Symbol(0, 69, 700, 730, 6, 10),
                                       Symbol(0, 69, 705, 735, 6, 10), Symbol(0, kSymbolBarline, 500, 503, 4, 12)};
  symbols[0].aux = 2;
  std::vector<NoteRecord> notes = {Note(0, 510, 140), Note(1, 700, 340)};
  TrimOverlappingSymbolBoxes(symbols.data(), 4, notes.data(), 2);
  EXPECT_EQ(symbols[0].left, 511);
  EXPECT_EQ(symbols[0].right, 541);
  EXPECT_EQ(symbols[0].restFlags, 1);
  EXPECT_EQ(symbols[0].aux, 0);
  EXPECT_EQ(symbols[1].left, 700) << "the note of the other stave does not count";
  EXPECT_EQ(symbols[1].restFlags, 0);
  EXPECT_EQ(symbols[2].left, 701);
  EXPECT_EQ(symbols[2].restFlags, 1);
  EXPECT_EQ(symbols[3].left, 500) << "not a rest";
}

TEST(OverlapCleanUp, TheStageMergesAHeadTwoStavesClaimAndKeepsTheStavesUnits) {
  std::unique_ptr<PageData> page = std::make_unique<PageData>();
  page->width = 1200;
  page->height = 600;
  page->resolution = 300;
  StaveRow rows[2] = {FlatStave(100, 180, 0, 1), FlatStave(300, 380, 0, 2)};
  ReadingWorkLists lists;
  ASSERT_TRUE(AllocateWorkLists(&lists));
  NoteRecord upper = Note(0, 500, 240), lower = Note(1, 505, 244);
  upper.step = 0;  // far below the upper stave
  upper.ledgerCount = 1;
  lower.step = 40;  // far above the lower one
  lists.notes[lists.noteCount++] = upper;
  lists.notes[lists.noteCount++] = lower;
  StageContext context;
  context.page = page.get();
  context.rows = rows;
  context.staveCount = 2;
  context.lists = &lists;
  CurrentStaveUnits().staveUnit = 9;
  EXPECT_EQ(CleanUpOverlaps(context), 1);
  EXPECT_EQ(CurrentStaveUnits().staveUnit, 9);
  ASSERT_EQ(lists.noteCount, 1u);
  EXPECT_EQ(lists.notes[0].stave, 1);
  FreeWorkLists(&lists);
}

}  // namespace
