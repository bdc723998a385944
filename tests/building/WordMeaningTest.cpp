// The word pass on a hand-made page of two systems: every sort of text a
// printed page carries gets its meaning, and the texts that belong to a note
// are tied to it.
#include "building/NavigationMarks.h"
#include "building/WordMeaning.h"
#include "tests/building/WordFixture.h"

namespace {

using wordtest::Box;
using wordtest::HasAttached;
using wordtest::WordPage;

constexpr int kNoteX[] = {400, 800, 1200, 1600, 2000};

// Two systems of one stave each; notes of one group at a time, as the
// reading hands them over.
struct TwoSystems {
  WordPage page;
  int row0, row1;
  TwoSystems() {
    row0 = page.AddStave(600, 0);
    row1 = page.AddStave(1200, 1);
  }
  void NotesOf(int row) {
    page.ClearNotes();
    for (int x : kNoteX) page.AddNote(row, static_cast<int16_t>(x));
  }
  // Both groups in order; the attachments of each group are returned.
  void ReadPage(std::vector<std::vector<std::pair<int, uint32_t>>>* group0,
                std::vector<std::vector<std::pair<int, uint32_t>>>* group1, TextTypeSwitches switches = {}) {
    NotesOf(row0);
    page.Interpret(row0, switches);
    for (int i = 0; i < 5; ++i) group0->push_back(page.Attached(i));
    NotesOf(row1);
    page.Interpret(row1, switches);
    for (int i = 0; i < 5; ++i) group1->push_back(page.Attached(i));
  }
};

TEST(WordMeaning, ThePageLayoutTable) {
  TwoSystems s;
  WordPage& p = s.page;
  const uint32_t title = p.AddText(u"Sonatina in G major", {900, 150, 1580, 260});
  const uint32_t subtitle = p.AddText(u"for the piano", {1050, 290, 1430, 360});
  const uint32_t composer = p.AddText(u"J. Composer", {1900, 400, 2330, 450});
  const uint32_t lyricist = p.AddText(u"Words: A. Poet", {150, 400, 560, 450});
  const uint32_t copyright = p.AddText(u"\u00A9 2026 Test Press", {900, 3300, 1580, 3340});
  const uint32_t pageNumber = p.AddText(u"3", {2300, 100, 2330, 140});
  const uint32_t barNumber = p.AddText(u"5", {160, 550, 180, 585});
  const uint32_t lyric = p.AddText(u"love", {785, 720, 850, 750});
  const uint32_t fingering = p.AddText(u"3", {795, 585, 810, 612});
  const uint32_t chord = p.AddText(u"Gm7", {1190, 540, 1260, 580});
  const uint32_t dalSegno = p.AddText(u"D.S. al Fine", {190, 540, 300, 580});
  const uint32_t codaSign = p.AddText(u"\uFFFFCODA", {200, 1120, 250, 1170});
  const uint32_t codaText = p.AddText(u"Coda", {260, 1130, 340, 1165});
  const uint32_t ending = p.AddText(u"\uFFFFENDING1.", {260, 1040, 700, 1100});
  const uint32_t endingLabel = p.AddText(u"1.", {270, 1050, 300, 1090});

  std::vector<std::vector<std::pair<int, uint32_t>>> g0, g1;
  s.ReadPage(&g0, &g1);

  struct Row {
    uint32_t id;
    uint16_t kind;
    const char* what;
  } table[] = {
      {title, kTextKindTitle, "title"},
      {subtitle, kTextKindSubtitle, "subtitle"},
      {composer, kTextKindComposer, "composer"},
      {lyricist, kTextKindLyricist, "lyricist"},
      {copyright, kTextKindCopyright, "copyright"},
      {pageNumber, kTextKindPageNumber, "page number"},
      {barNumber, kTextConsumed, "bar number (taken into its note)"},
      {lyric, kTextKindLyricWord, "lyric"},
      {fingering, kTextKindFingering, "fingering"},
      {chord, kTextKindChordSymbol, "chord symbol"},
      {dalSegno, kTextKindSegno, "D.S."},
      {codaSign, kTextKindCoda, "coda sign"},
      {codaText, kTextConsumed, "coda text (moved into its sign)"},
      {ending, kTextKindEnding, "ending"},
      {endingLabel, kTextConsumed, "text inside the ending"},
  };
  for (const Row& r : table) EXPECT_EQ(p.Kind(r.id), r.kind) << r.what;

  // Group 0: the bar number goes to the stave's leftmost note, the lyric and
  // the fingering to the note at 800, the chord symbol to the note at 1200,
  // the D.S. to the note nearest its centre.
  EXPECT_TRUE(HasAttached(g0[0], kAttachBarNumber, barNumber));
  EXPECT_TRUE(HasAttached(g0[1], kAttachLyric, lyric));
  EXPECT_TRUE(HasAttached(g0[1], kAttachFingering, fingering));
  EXPECT_TRUE(HasAttached(g0[2], kAttachChordSymbol, chord));
  EXPECT_TRUE(HasAttached(g0[0], kAttachSegno, dalSegno));
  // Group 1: the coda sign and the ending.
  EXPECT_TRUE(HasAttached(g1[0], kAttachCoda, codaSign));
  EXPECT_TRUE(HasAttached(g1[0], kAttachEnding, ending));
  // Nothing of one group went to the other.
  for (const auto& list : g1)
    for (const auto& a : list) EXPECT_NE(a.second, lyric);

  EXPECT_EQ(p.Text(codaSign), u"Coda");
  EXPECT_EQ(p.Text(ending), u"1.");
  EXPECT_EQ(p.Text(dalSegno), u"D.S. al Fine");
  EXPECT_EQ(p.Text(chord), u"Gm7");
  EXPECT_EQ(p.Text(barNumber), u"5");
  EXPECT_EQ(p.Char(pageNumber).anchor, wordtest::kPageWidth - 2330);
}

TEST(WordMeaning, SwitchedOffKindsAreDiscardedOrLeft) {
  TwoSystems s;
  WordPage& p = s.page;
  const uint32_t title = p.AddText(u"Sonatina in G major", {900, 150, 1580, 260});
  const uint32_t lyricist = p.AddText(u"Words: A. Poet", {150, 400, 560, 450});
  const uint32_t chord = p.AddText(u"Gm7", {1190, 540, 1260, 580});
  const uint32_t lyric = p.AddText(u"love", {785, 720, 850, 750});
  TextTypeSwitches off;
  off.title = off.lyricist = off.chordSymbols = off.lyrics = false;
  std::vector<std::vector<std::pair<int, uint32_t>>> g0, g1;
  s.ReadPage(&g0, &g1, off);
  EXPECT_EQ(p.Kind(title), kTextConsumed);
  EXPECT_EQ(p.Kind(lyricist), kTextConsumed);
  EXPECT_NE(p.Kind(chord), kTextKindChordSymbol);
  EXPECT_NE(p.Kind(lyric), kTextKindLyricWord);
  for (const auto& list : g0) EXPECT_TRUE(list.empty());
}

TEST(WordMeaning, TitleWaitsForTheLastGroup) {
  TwoSystems s;
  const uint32_t title = s.page.AddText(u"Sonatina in G major", {900, 150, 1580, 260});
  s.NotesOf(s.row0);
  s.page.Interpret(s.row0);
  EXPECT_EQ(s.page.Kind(title), kTextKindUndecided);
  s.NotesOf(s.row1);
  s.page.Interpret(s.row1);
  EXPECT_EQ(s.page.Kind(title), kTextKindTitle);
}

// Headings that touch a page edge: the margin ratio of the other side is
// taken as large, never divided by zero.
TEST(WordMeaning, HeadingsAtThePageEdges) {
  struct Case {
    Box box;
    uint16_t kind;
  } cases[] = {
      {{0, 400, 400, 450}, kTextKindLyricist},
      {{2080, 400, wordtest::kPageWidth, 450}, kTextKindComposer},
      {{2100, 400, wordtest::kPageWidth + 20, 450}, kTextKindComposer},  // past the edge
  };
  for (const Case& c : cases) {
    WordPage p;
    const int row = p.AddStave(600, 0);
    p.AddNote(row, 800);
    const uint32_t id = p.AddText(u"Anonymous Author", c.box);
    p.Interpret(row);
    EXPECT_EQ(p.Kind(id), c.kind) << c.box.left;
  }
}

TEST(WordMeaning, CopyrightSpreadsBelowItsLine) {
  WordPage p;
  const int row = p.AddStave(600, 0);
  p.AddNote(row, 800);
  const uint32_t notice = p.AddText(u"(c) 2026 Test Press", {900, 3000, 1580, 3040});
  const uint32_t below = p.AddText(u"Printed somewhere", {900, 3100, 1580, 3140});
  const uint32_t engraved = p.AddText(u"Engraved", {900, 3200, 1400, 3240});
  const uint32_t reserved = p.AddText(u"All Rights Reserved", {900, 3300, 1580, 3340});
  p.Interpret(row);
  EXPECT_EQ(p.Kind(notice), kTextKindCopyright);
  EXPECT_EQ(p.Text(notice), u"\u00A9 2026 Test Press");
  EXPECT_EQ(p.Kind(below), kTextKindCopyright);
  EXPECT_EQ(p.Kind(engraved), kTextKindCopyright);
  EXPECT_EQ(p.Kind(reserved), kTextKindCopyright);
}

// A word of 159 units (the record's most) and its neighbours: joining and
// line alignment leave the record NUL-ended within its room.
TEST(WordMeaning, LongestWordsStayWithinTheirRecords) {
  WordPage p;
  const int row = p.AddStave(600, 0);
  p.AddNote(row, 800);
  const std::u16string longest(159, u'a');
  const uint32_t word = p.AddText(longest, {300, 720, 2000, 760}, kTextKindTextLine);
  // Two of the line's three records carry style mark 13: the line takes it,
  // but the longest word has no room left for it.
  const uint32_t other = p.AddText(std::u16string(u"\x0D") + std::u16string(40, u'b'), {2010, 720, 2300, 760},
                                   kTextKindTextLine);
  const uint32_t third = p.AddText(u"\x0D" u"end", {2310, 722, 2400, 762}, kTextKindTextLine);
  const uint32_t lyric1 = p.AddText(std::u16string(150, u'c'), {300, 800, 1000, 840}, kTextKindLyricWord);
  const uint32_t lyric2 = p.AddText(std::u16string(20, u'd'), {1010, 800, 1200, 840}, kTextKindLyricWord);
  p.Interpret(row);
  EXPECT_EQ(p.Text(word).size(), 159u);
  EXPECT_NE(p.Kind(word), kTextConsumed);
  EXPECT_EQ(p.Text(other), u"\x0D" + std::u16string(40, u'b'));
  EXPECT_EQ(p.Text(third), u"\x0D" u"end");
  // Below the last stave both become verse text; 150 + 20 + 1 units would
  // pass the joined word's limit, so both stay as they are.
  EXPECT_EQ(p.Kind(lyric1), kTextKindBelowLastStave);
  EXPECT_EQ(p.Kind(lyric2), kTextKindBelowLastStave);
  EXPECT_EQ(p.Text(lyric1).size(), 150u);
}

TEST(WordMeaning, SungLinesFromTheEngineGoToTheirNotes) {
  WordPage p;
  const int row = p.AddStave(600, 0);
  for (int x : kNoteX) p.AddNote(row, static_cast<int16_t>(x));
  const uint32_t a = p.AddText(u"Ky-", {380, 720, 430, 750}, kTextKindTextLine);
  const uint32_t b = p.AddText(u"ri-", {785, 722, 820, 752}, kTextKindTextLine);
  const uint32_t tempo = p.AddText(u"Allegro", {160, 520, 300, 560}, kTextKindTempoWord);
  p.Interpret(row);
  EXPECT_TRUE(HasAttached(p.Attached(0), kAttachTextLine, a));
  EXPECT_TRUE(HasAttached(p.Attached(1), kAttachTextLine, b));
  EXPECT_TRUE(HasAttached(p.Attached(0), 22, tempo));
  // One baseline for the line.
  EXPECT_EQ(p.Char(a).baseline, p.Char(b).baseline);
}

TEST(WordMeaning, JoinsNeighboursOfOneKind) {
  WordPage p;
  const int row = p.AddStave(600, 0);
  p.AddNote(row, 800);
  const uint32_t left = p.AddText(u"Sonatina Number Two", {700, 150, 1100, 260});
  const uint32_t right = p.AddText(u"in G major for Piano", {1150, 150, 1580, 260});
  p.Interpret(row);
  const bool leftKept = p.Kind(left) == kTextKindTitle;
  const uint32_t kept = leftKept ? left : right;
  EXPECT_EQ(p.Kind(leftKept ? right : left), kTextConsumed);
  EXPECT_EQ(p.Text(kept), u"Sonatina Number Two in G major for Piano");
}

TEST(WordMeaning, TextHelpers) {
  char16_t text[32] = u"BOSZq oz";
  FixDigitLookalikes(text);
  EXPECT_EQ(std::u16string(text), u"80529 02");
  char16_t stripped[32];
  StripControlChars(u"\x0D" u"ab\x7F" u"\x9F" u" c", stripped, 32);
  EXPECT_EQ(std::u16string(stripped), u"ab c");
  struct ShapeCase {
    const char16_t* text;
    int shape;
  } shapes[] = {{u"", 1}, {u"tr", 2}, {u"-", 1}, {u"a", 1}, {u"la", 0}, {u"pp", 2}, {u"12", 1}};
  for (const ShapeCase& c : shapes) EXPECT_EQ(WordShape(c.text), c.shape) << std::u16string(c.text).size();
  EXPECT_TRUE(ContainsBracketedC(u"x (C) y"));
  EXPECT_TRUE(ContainsBracketedC(u"(\u00E7J"));
  EXPECT_FALSE(ContainsBracketedC(u"(c"));
  char16_t notice[32] = u"@ 2026 (c) x";
  NormaliseCopyrightSign(notice, 32);
  EXPECT_EQ(std::u16string(notice), u"\u00A9 2026 \u00A9 x");
  char16_t lower[16] = u"ABC\u00C4d";
  EXPECT_EQ(MakeLowerWide(lower), 5);
  EXPECT_EQ(std::u16string(lower), u"abc\u00E4d");
}

}  // namespace
