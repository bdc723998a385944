// Chord-symbol texts over a stave: repaired, tied to the nearest note or
// rest, and refused where they cannot be chord symbols.
#include "building/ChordSymbolWords.h"
#include "tests/building/WordFixture.h"

namespace {

using wordtest::Box;
using wordtest::WordPage;

TEST(ChordSymbolWords, SymbolsOverAStave) {
  struct Case {
    std::u16string text;
    Box box;
    uint32_t flags;
    bool chord;
    std::u16string repaired;
  } cases[] = {
      {u"C7", {790, 540, 840, 580}, 0, true, u"C7"},
      {u"F#m7", {790, 540, 870, 580}, 0, true, u"F#m7"},
      {u"G/B", {790, 540, 860, 580}, 0, true, u"G/B"},
      {u"Gl>7", {790, 540, 860, 580}, 0, true, u"Gb7"},
      {u"Ptn7", {790, 540, 860, 580}, 0, true, u"Fm7"},
      {u"Ptn7", {790, 540, 860, 580}, kAlternativeReading, false, u""},
      {u"Gl>7", {790, 540, 860, 580}, kAlternativeReading, true, u"Gb7"},
      {u"C7", {160, 540, 200, 580}, 0, false, u""},     // within two spaces of the stave's start
      {u"C7", {790, 200, 840, 240}, 0, false, u""},     // more than an inch above
      {u"Xm7", {790, 540, 860, 580}, 0, false, u""},
  };
  for (const Case& c : cases) {
    WordPage p;
    const int row = p.AddStave(600, 0);
    p.AddNote(row, 400);
    p.AddNote(row, 800);
    const uint32_t id = p.AddText(c.text, c.box, 0, c.flags);
    WordPass pass;
    PrepareWordPass(pass, p.Context(), row);
    pass.pageWidth = wordtest::kPageWidth;
    TextRecordRef r = CharRef(p.Char(id), id);
    EXPECT_EQ(ClassifyChordSymbol(pass, r), c.chord ? 1 : 0) << std::string(c.text.begin(), c.text.end());
    if (!c.chord) continue;
    EXPECT_EQ(p.Kind(id), kTextKindChordSymbol);
    EXPECT_EQ(p.Text(id), c.repaired);
    ASSERT_EQ(p.Note(1).appenditureCount, 1);
    EXPECT_EQ(p.Note(1).appenditures[0].kind, kAttachChordSymbol);
    EXPECT_EQ(p.Note(1).appenditures[0].markIndex, id);
  }
}

TEST(ChordSymbolWords, RestsTakeSymbolsOnlyWhenNearer) {
  WordPage p;
  const int row = p.AddStave(600, 0);
  p.AddNote(row, 800);
  const int rest = p.AddRest(row, 1200);
  const uint32_t near = p.AddText(u"Am", {1180, 540, 1230, 580});
  const uint32_t far = p.AddText(u"Dm", {780, 540, 830, 580});
  p.Interpret(row);
  EXPECT_EQ(p.Kind(near), kTextKindChordSymbol);
  EXPECT_EQ(p.Kind(far), kTextKindChordSymbol);
  ASSERT_EQ(p.Symbol(rest).appenditureCount, 1);
  EXPECT_EQ(p.Symbol(rest).appenditures[0].markIndex, near);
  ASSERT_EQ(p.Note(0).appenditureCount, 1);
  EXPECT_EQ(p.Note(0).appenditures[0].markIndex, far);
}

// A lone "A" between two staves of one system is sung, not a chord.
TEST(ChordSymbolWords, LoneLetterBetweenStavesOfASystem) {
  WordPage p;
  const int upper = p.AddStave(600, 0, 1);
  const int lower = p.AddStave(900, 0, 2);
  p.AddNote(upper, 800);
  p.AddNote(lower, 800);
  const uint32_t id = p.AddText(u"A", {790, 840, 810, 880});
  p.Interpret(upper);
  EXPECT_NE(p.Kind(id), kTextKindChordSymbol);
}

// A chord symbol over a later system waits for its own group.
TEST(ChordSymbolWords, LeftToItsOwnGroup) {
  WordPage p;
  const int first = p.AddStave(600, 0);
  const int second = p.AddStave(1200, 1);
  p.AddNote(first, 800);
  const uint32_t id = p.AddText(u"C7", {790, 1140, 840, 1180});
  p.Interpret(first);
  EXPECT_EQ(p.Kind(id), 0);
  p.ClearNotes();
  p.AddNote(second, 800);
  p.Interpret(second);
  EXPECT_EQ(p.Kind(id), kTextKindChordSymbol);
}

}  // namespace
