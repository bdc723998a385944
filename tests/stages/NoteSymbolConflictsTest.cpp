#include <gtest/gtest.h>

#include <vector>

#include "reading/StaveSpacing.h"
#include "stages/NoteRecords.h"
#include "stages/SymbolNoteConflicts.h"
#include "tests/stages/StaveRows.h"

namespace {

// The context score the tests give each symbol: its attr18 word.
int32_t StoredContext(const SymbolRecord* symbols, uint32_t, uint32_t index) { return symbols[index].attr18; }

// The tests' stave: five lines at 200 whose lines the straight look-up puts
// every 20 pixels (its spacing by its own outline is 25).
StaveRow Stave() { return LookUpStave(200, 1); }

// A symbol from stave step 6 (220) to 10 (260), x 100..120.
SymbolRecord Symbol(int16_t type, int16_t score, int16_t quality, int16_t context) {
  SymbolRecord s{};
  s.type = type;
  s.score = score;
  s.quality = quality;
  s.attr18 = context;
  s.left = 100;
  s.right = 120;
  s.stepTop = 6;
  s.stepBottom = 10;
  return s;
}

// A searched solid head at x, its top at y.
NoteRecord Head(int16_t x, int16_t y, int16_t quality, uint32_t kind = kNoteCrotchet) {
  NoteRecord n{};
  n.left = x;
  n.right = static_cast<int16_t>(x + 24);
  n.top = y;
  n.bottom = static_cast<int16_t>(y + 20);
  n.kind = kind;
  n.quality = quality;
  n.origin = kSearchOrigin;
  n.space = 20;
  return n;
}

struct Outcome {
  uint32_t notes, symbols;
};

Outcome Resolve(std::vector<NoteRecord> notes, std::vector<SymbolRecord> symbols) {
  const StaveRow row = Stave();
  uint32_t noteCount = static_cast<uint32_t>(notes.size());
  uint32_t symbolCount = static_cast<uint32_t>(symbols.size());
  notes.resize(notes.size() + 1);
  symbols.resize(symbols.size() + 1);
  StavePage page;
  SetStaveUnits(&row, 0, 300);
  ResolveSymbolNoteConflicts(notes.data(), noteCount, symbols.data(), symbolCount, &row, 1, 0, 1, page,
                             StoredContext);
  return {noteCount, symbolCount};
}

TEST(SymbolNoteConflicts, TheWorseOfHeadAndSymbolGoes) {
  NoteRecord engine = Head(100, 230, 5);
  engine.origin = kEngineOrigin;
  NoteRecord uncertain = Head(100, 230, -5);
  uncertain.uncertain = 1;
  const struct {
    const char* what;
    NoteRecord note;
    SymbolRecord symbol;
    Outcome left;
  } cases[] = {
      // Head badness -5 - 6 = -11 against the key's 0 - 10: both stay; a rest goes.
      {"a better head beside a key signature", Head(100, 230, -5), Symbol(kSymbolFlatKey, 100, 0, 10), {1, 1}},
      {"a better head against a quaver rest", Head(100, 230, -5), Symbol(68, 50, 0, 10), {1, 0}},
      {"a worse head under a key signature", Head(100, 230, 5), Symbol(kSymbolSharpKey, 100, 0, 20), {0, 1}},
      {"an engine head is never touched", engine, Symbol(68, 50, -50, 50), {1, 1}},
      {"an engine-read clef is not compared", Head(100, 230, 5), Symbol(kSymbolTrebleClef, 100, -50, 50), {1, 1}},
      {"a searched clef is", Head(100, 230, 5), Symbol(kSymbolTrebleClef, 50, -50, 50), {0, 1}},
      {"an uncertain head never wins", uncertain, Symbol(68, 50, 0, 0), {0, 1}},
      {"heads apart do not meet", Head(300, 230, 5), Symbol(68, 50, -50, 50), {1, 1}},
      {"a semibreve has no linked score", Head(100, 230, 0, kNoteSemibreve), Symbol(130, 50, 0, 5), {0, 1}},
      // A dead symbol never deletes a head, however high its context score.
      {"a dead symbol stays beside the head", Head(100, 230, 5), Symbol(130, 50, 7, 20), {1, 1}},
      {"a dead rest goes", Head(100, 230, 5), Symbol(68, 50, 9, 20), {1, 0}},
      {"a breve rest always loses", Head(100, 230, 5), Symbol(72, 50, -50, 50), {1, 0}},
      {"confirmed time digits are left alone", Head(100, 230, 5), Symbol(35, 50, -64, 90), {1, 1}},
      {"unconfirmed ones are not", Head(100, 230, 5), Symbol(35, 50, -63, 90), {0, 1}},
      {"bar lines never take part", Head(100, 230, 5), Symbol(kSymbolBarline, 50, -50, 50), {1, 1}},
  };
  for (const auto& c : cases) {
    const Outcome o = Resolve({c.note}, {c.symbol});
    EXPECT_EQ(o.notes, c.left.notes) << c.what;
    EXPECT_EQ(o.symbols, c.left.symbols) << c.what;
  }
}

TEST(SymbolNoteConflicts, ACrotchetRestOverAHeadOrItsStemGoesAtOnce) {
  // However good the rest, a certain head under it deletes it.
  Outcome o = Resolve({Head(100, 230, 5)}, {Symbol(69, 50, -50, 90)});
  EXPECT_EQ(o.notes, 1u);
  EXPECT_EQ(o.symbols, 0u);
  // A head to the left whose stem up at its right edge (x 110) runs through the rest.
  NoteRecord stemmed = Head(86, 270, 5);
  const StaveRow row = Stave();
  SetStaveUnits(&row, 0, 300);
  const int32_t u = CurrentStaveUnits().staveUnit * kStemUnitFactor;
  stemmed.stemRight = 1;
  stemmed.stemLength[1] = 3;
  stemmed.stemOffset[1] = static_cast<int16_t>(stemmed.right + u - 110);
  o = Resolve({stemmed}, {Symbol(69, 50, -50, 90)});
  EXPECT_EQ(o.symbols, 0u);
  stemmed.stemLength[1] = 0;  // no stem: no conflict
  o = Resolve({stemmed}, {Symbol(69, 50, -50, 90)});
  EXPECT_EQ(o.symbols, 1u);
}

TEST(SymbolNoteConflicts, LinkedHeadsScoreHigherAndEmptyListsAreLeftAlone) {
  // Three heads on one stem: the first has 6 + 1 + 2 = 9, badness 5 - 9 = -4,
  // which beats a key's 0 - 3.
  std::vector<NoteRecord> chord = {Head(100, 230, 5), Head(100, 250, 5), Head(100, 270, 5)};
  Outcome o = Resolve(chord, {Symbol(kSymbolFlatKey, 100, 0, 3)});
  EXPECT_EQ(o.notes, 3u);
  o = Resolve({Head(100, 230, 5)}, {Symbol(kSymbolFlatKey, 100, 0, 3)});
  EXPECT_EQ(o.notes, 0u);
  o = Resolve({}, {Symbol(68, 50, 0, 0)});
  EXPECT_EQ(o.symbols, 1u);
}

}  // namespace
