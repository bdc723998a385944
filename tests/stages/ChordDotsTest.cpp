#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "reading/ReadingThread.h"
#include "stages/ChordDots.h"
#include "stages/RecognitionStages.h"
#include "stages/TabNumbers.h"

namespace {

NoteRecord Note(int left, int step, int dots = 0, int stave = 0) {
  NoteRecord n{};
  n.left = int16_t(left), n.right = int16_t(left + 20), n.step = int16_t(step), n.dots = int16_t(dots);
  n.stave = int16_t(stave), n.kind = kNoteCrotchet;
  return n;
}

// Chord-mates that share a column relate; others do not.
int SameColumn(const NoteRecord* notes, uint32_t i, uint32_t j, int unit) {
  return std::abs(notes[i].left - notes[j].left) < 3 * unit ? 1 : 0;
}

StaveRow Stave(int kind = 0) {
  StaveRow r;
  r.left = 10, r.right = 2000, r.top = 100, r.bottom = 180, r.lineCount = 5, r.number = 1, r.kind = int16_t(kind);
  return r;
}

TEST(ChordDots, ChordMatesTakeTheMeanOfTheirDots) {
  struct Case {
    const char* name;
    std::vector<int> dots;  // of the notes of one chord
    int expected;
  };
  const Case cases[] = {
      {"one of two dotted", {1, 0}, 1},   // 0.5
      {"one of three dotted", {1, 0, 0}, 0},  // 0.33
      {"double and single", {2, 1}, 1},   // 1.5 is not above 1.5
      {"double and double and single", {2, 2, 1}, 2},
      {"all double", {2, 2}, 2},
      {"three dots and two", {3, 3, 2}, 3},
  };
  const StaveRow rows[1] = {Stave()};
  for (const Case& c : cases) {
    std::vector<NoteRecord> notes;
    for (size_t k = 0; k < c.dots.size(); ++k) notes.push_back(Note(100, 14 + 2 * int(k), c.dots[k]));
    notes.push_back(Note(600, 16, 1));  // a lone dotted note elsewhere keeps its dot
    HarmoniseDotCounts(notes.data(), uint32_t(notes.size()), rows, 1, 0, 300, SameColumn);
    for (size_t k = 0; k < c.dots.size(); ++k) EXPECT_EQ(notes[k].dots, c.expected) << c.name << " note " << k;
    EXPECT_EQ(notes.back().dots, 1) << c.name;
  }
}

TEST(ChordDots, OuterNotesOfEachChordAreMarked) {
  std::vector<NoteRecord> notes = {Note(100, 14), Note(100, 18), Note(104, 16), Note(400, 16)};
  notes[3].chordTop = notes[3].chordBottom = 0;
  NoteRecord rejected = Note(100, 30);
  rejected.quality = 6;  // does not count
  notes.push_back(rejected);
  MarkOuterNotes(notes.data(), uint32_t(notes.size()), 0);
  EXPECT_EQ(notes[0].chordBottom, 1u);
  EXPECT_EQ(notes[0].chordTop, 0u);
  EXPECT_EQ(notes[1].chordTop, 1u);
  EXPECT_EQ(notes[1].chordBottom, 0u);
  EXPECT_EQ(notes[2].chordTop, 0u);
  EXPECT_EQ(notes[2].chordBottom, 0u);
  EXPECT_EQ(notes[3].chordTop, 1u);  // a lone note is its own chord
  EXPECT_EQ(notes[3].chordBottom, 1u);
}

// Symbols of one stave from a short text: "|" bar line, "C" clef, "b" breve
// rest, "s" semibreve rest, "m" minim rest, "c" crotchet rest, "M" multi-bar
// rest, "n" a note (into the note list), at 100 pixels apart.
struct Bar {
  std::vector<SymbolRecord> symbols = std::vector<SymbolRecord>(64);
  uint32_t count = 0;
  std::vector<NoteRecord> notes;
  explicit Bar(const std::string& text, int16_t quality = 0) {
    int x = 100;
    for (char c : text) {
      if (c == 'n') {
        notes.push_back(Note(x, 16));
      } else {
        SymbolRecord& s = symbols[count++];
        s = SymbolRecord{};
        s.type = c == '|' ? kSymbolBarline : c == 'C' ? kSymbolTrebleClef : c == 'b' ? 72 : c == 's' ? 71 : c == 'm' ? 70
               : c == 'c' ? 69 : kSymbolMultiBarRest;
        s.count = c == 'M' ? 4 : 0;
        s.left = int16_t(x), s.right = int16_t(x + 20), s.quality = quality;
      }
      x += 100;
    }
  }
  std::string Text() const {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) {
      const int t = symbols[i].type;
      out += t == kSymbolBarline ? "|" : t == kSymbolTrebleClef ? "C" : t == 72 ? "b" : t == 71 ? "s" : t == 70 ? "m"
             : t == 69 ? "c" : "M" + std::to_string(symbols[i].count);
    }
    return out;
  }
};

TEST(ChordDots, WholeBarRestsBecomeBarRestsAndRestsThatCannotStandGo) {
  struct Case {
    const char* text;
    const char* after;
  };
  const Case cases[] = {
      {"|bs|", "|M3|"},          // a breve and a semibreve rest in an empty bar: three bars
      {"|b|", "|M2|"},
      {"|s|", "|M1|"},           // a whole-bar rest
      {"|mc|", "|mc|"},          // a minim rest beside a crotchet rest stays
      {"|sn|", "|s|"},           // a note in the bar: the rest stays as it is
      {"|MM|", "|M1|"},          // two bar rests in one bar leave one
      {"M|", "M1|"},             // the stave's start counts as a bar line
      {"|bn|", "||"},            // a long rest with a note in its bar goes
      {"C|n|M|", "C||M1|"},      // a note in the bar before does not count
      {"|Mn|", "||"},            // a note after it in its bar
      {"|M", "|"},               // no bar line after it
  };
  for (const Case& c : cases) {
    Bar bar(c.text);
    const StaveRow rows[1] = {Stave()};
    FinishStaveGroupStep(rows, 1, 0, bar.symbols.data(), bar.count, bar.notes.data(), uint32_t(bar.notes.size()));
    EXPECT_EQ(bar.Text(), c.after) << c.text;
  }
}

TEST(ChordDots, OnATablatureStaveLongRestsAreNotRemovedByTheSecondPass) {
  // A breve rest with a note in its bar: removed on a notation stave, kept
  // (as a two-bar rest) on a tablature stave.
  for (int kind : {0, int(kTablatureStaveKind)}) {
    Bar bar("|bn|");
    const StaveRow rows[1] = {Stave(kind)};
    FinishStaveGroupStep(rows, 1, 0, bar.symbols.data(), bar.count, bar.notes.data(), uint32_t(bar.notes.size()));
    EXPECT_EQ(bar.Text(), kind == 0 ? "||" : "|M2|") << kind;
  }
}

TEST(ChordDots, HasNoteBetweenCountsLiveNotesOfTheStaveInsideTheSpan) {
  std::vector<NoteRecord> notes = {Note(100, 16, 0, 0), Note(300, 16, 0, 1)};
  notes.push_back(Note(500, 16));
  notes.back().quality = 7;
  const uint32_t n = uint32_t(notes.size());
  EXPECT_EQ(HasNoteBetween(notes.data(), n, 0, 90, 130), 1);
  EXPECT_EQ(HasNoteBetween(notes.data(), n, 0, 101, 130), 0);  // starts before the span
  EXPECT_EQ(HasNoteBetween(notes.data(), n, 0, 90, 119), 0);   // ends after it
  EXPECT_EQ(HasNoteBetween(notes.data(), n, 0, 250, 350), 0);  // another stave's
  EXPECT_EQ(HasNoteBetween(notes.data(), n, 0, 450, 550), 0);  // rejected
}

}  // namespace

namespace {

// The passes as the stage table runs them: the articulation entry marks the
// outer notes after the articulation step (which, without a classifier,
// changes nothing), the dots-and-words entry agrees the dot counts, the
// finishing entry makes the breve rest a bar rest.
TEST(ChordDots, TheGroupEntriesRunThePasses) {
  InstallRecognitionStages();
  Bar bar("|b|");
  bar.notes = {Note(500, 14, 1), Note(500, 18, 0)};
  for (NoteRecord& n : bar.notes) n.stemLength[0] = 3;  // one up stem for the chord
  ReadingWorkLists lists;
  lists.symbols = bar.symbols.data();
  lists.symbolCount = bar.count;
  lists.notes = bar.notes.data();
  lists.noteCount = uint32_t(bar.notes.size());
  StaveRow rows[1] = {Stave()};
  StageContext context;
  context.rows = rows;
  context.staveCount = 1;
  context.lists = &lists;
  StageEntry* table = ReadingStageTable();
  for (int i = 0; i < ReadingStageCount(); ++i)
    if (table[i].id == ReadingStage::kArticulation || table[i].id == ReadingStage::kDotsAndWords ||
        table[i].id == ReadingStage::kFinishGroup) {
      ASSERT_NE(table[i].run, nullptr);
      EXPECT_EQ(table[i].run(context), 1);
    }
  EXPECT_EQ(bar.notes[0].chordBottom, 1u);
  EXPECT_EQ(bar.notes[1].chordTop, 1u);
  EXPECT_EQ(bar.notes[1].dots, 1);  // the chord's heads agree on one dot
  EXPECT_EQ(lists.symbols[1].type, kSymbolMultiBarRest);
  for (int i = 0; i < ReadingStageCount(); ++i) SetReadingStage(static_cast<ReadingStage>(i), nullptr);
}

}  // namespace
