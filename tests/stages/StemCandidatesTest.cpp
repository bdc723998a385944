// Narrowing the stem candidates of each head.
#include <gtest/gtest.h>

#include "stages/StemCandidates.h"
#include "tests/stages/StemPageFixture.h"

namespace {

TEST(StemCandidates, StepWindowsFollowTheLineCount) {
  const struct {
    int lines, low, high;
  } cases[] = {{1, 10, 22}, {2, 9, 21}, {3, 8, 20}, {4, 10, 20}, {5, 11, 21}, {6, 12, 22}};
  for (const auto& c : cases) {
    const StepWindow w = StaveStepWindow(c.lines);
    EXPECT_EQ(w.low, c.low) << c.lines;
    EXPECT_EQ(w.high, c.high) << c.lines;
    EXPECT_TRUE(IsStepWithinStave(c.low, c.lines));
    EXPECT_TRUE(IsStepBelowStave(c.low - 1, c.lines));
    EXPECT_TRUE(IsStepAboveStave(c.high + 1, c.lines));
  }
}

void SetAllCandidates(NoteRecord& n, int16_t length) {
  for (int c = 0; c < 4; ++c) {
    n.stemLength[c] = length;
    n.stemOffset[c] = static_cast<int16_t>((4 * StemPage::kUnit + 1) | ((length + 1) << 8));
  }
}

TEST(StemCandidates, ALoneHeadKeepsOnlyTheUsualCorners) {
  StemPage page;
  const int stave = page.Staff(400);
  const int i = page.Head(stave, 16, 500, kNoteCrotchet, false);
  SetAllCandidates(page.note(i), 3);
  NoteValueWork work = page.Work();
  PruneOddCornerStems(work);
  const NoteRecord& n = page.note(i);
  EXPECT_EQ(n.stemLength[0], 0);
  EXPECT_EQ(n.stemLength[1], 3);
  EXPECT_EQ(n.stemLength[2], 3);
  EXPECT_EQ(n.stemLength[3], 0);
}

TEST(StemCandidates, ASecondBesideAStemSharesIt) {
  // The lower head of a second stands left of an up-stem, the upper one right
  // of it: the lower keeps its up-right stem, the upper its up-left one.
  StemPage page;
  const int stave = page.Staff(400);
  const int lower = page.Head(stave, 15, 500, kNoteCrotchet, false);
  const int upper = page.Head(stave, 16, 524, kNoteCrotchet, false);
  page.Stem(lower, 1, 70, false);
  page.Stem(upper, 0, 70, false);
  NoteValueWork work = page.Work();
  PruneOddCornerStems(work);
  EXPECT_EQ(page.note(lower).stemLength[1], 3);
  EXPECT_EQ(page.note(upper).stemLength[0], 3);
  EXPECT_EQ(RelateStemNeighbours(page.note(upper), page.note(lower), StemPage::kUnit), 2);
  EXPECT_EQ(RelateStemNeighbours(page.note(lower), page.note(upper), StemPage::kUnit), 3);
}

TEST(StemCandidates, ShorteningInAChordStopsAtZero) {
  StemPage page;
  const int stave = page.Staff(400);
  const int low = page.Head(stave, 14, 500, kNoteCrotchet, false);
  const int high = page.Head(stave, 17, 500, kNoteCrotchet, false);  // 1.5 spaces above
  page.Stem(low, 1, 25, false);   // a one-space stem: cut by 2 spaces
  page.Stem(high, 1, 70, false);
  NoteValueWork work = page.Work();
  ShortenStemsInChords(work);
  EXPECT_EQ(page.note(low).stemLength[1], 0);
  EXPECT_EQ(page.note(high).stemLength[1], 3);  // nothing above it
}

TEST(StemCandidates, StrengthDecidesBetweenCandidates) {
  StemPage page;
  const int stave = page.Staff(400);
  const int i = page.Head(stave, 16, 500, kNoteCrotchet, false);
  NoteRecord& n = page.note(i);
  page.Stem(i, 1, 70, false);  // strength 4
  page.Stem(i, 2, 50, false);  // strength 3
  SetStemStrength(n, 2, 2);    // a weak one: strength 2
  NoteValueWork work = page.Work();
  PickStrongestStem(work);
  EXPECT_EQ(n.stemLength[1], 3);
  EXPECT_EQ(n.stemLength[2], 0);
  EXPECT_EQ(StemStrengthOf(n, 2), 0);

  // Opposite corners with no other head: the crossing pair is cut to what
  // the strengths measured.
  page.Stem(i, 2, 50, false);
  SetStemStrength(n, 2, 2);  // measured one space
  ClampCrossedStems(work);
  EXPECT_EQ(n.stemLength[1], 3);
  EXPECT_EQ(n.stemLength[2], 1);
}

TEST(StemCandidates, ALedgerNoteLosesAStemReachingTheStaveAbove) {
  StemPage page;
  page.Staff(200);
  const int lower = page.Staff(400);
  // A note four ledger steps above the lower stave, its up-stem 8 spaces long:
  // it reaches the upper stave's bottom line.
  const int i = page.Head(lower, 24, 500, kNoteCrotchet, false);
  page.Stem(i, 1, 170, false);
  const int j = page.Head(lower, 24, 700, kNoteCrotchet, false);
  page.Stem(j, 1, 50, false);  // a short one stays
  NoteValueWork work = page.Work();
  TrimStemsAtNeighbourStaves(work);
  EXPECT_EQ(page.note(i).stemLength[1], 0);
  EXPECT_EQ(page.note(i).quality, kNoStemQuality);
  EXPECT_EQ(page.note(j).stemLength[1], 2);
  EXPECT_EQ(page.note(j).quality, 0);
}

TEST(StemCandidates, ASemibreveWithAStrongStemIsAMinim) {
  StemPage page;
  const int stave = page.Staff(400);
  const int i = page.Head(stave, 16, 500, kNoteSemibreve, false);
  page.Stem(i, 1, 70, false);
  const int j = page.Head(stave, 16, 700, kNoteSemibreve, false);
  page.Stem(j, 1, 30, false);  // one space: too short
  NoteValueWork work = page.Work();
  DemoteStemmedSemibreves(work);
  EXPECT_EQ(page.note(i).kind, kNoteMinim);
  EXPECT_EQ(page.note(j).kind, kNoteSemibreve);
}

// The stacked heads of a semibreve chord read as a stem from its outer
// heads; only a stem reaching beyond them makes a minim.
TEST(StemCandidates, TheHeadsOfASemibreveChordAreNoStem) {
  const struct {
    int pixels;  // the top head's down-left stem
    uint32_t kind;
  } cases[] = {{50, kNoteSemibreve}, {110, kNoteMinim}};
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    const int top = page.Head(stave, 17, 500, kNoteSemibreve, false);
    page.Head(stave, 15, 500, kNoteSemibreve, false);
    page.Head(stave, 13, 500, kNoteSemibreve, false);
    page.Stem(top, 2, c.pixels, false);
    NoteValueWork work = page.Work();
    DemoteStemmedSemibreves(work);
    EXPECT_EQ(page.note(top).kind, c.kind) << c.pixels << " pixels";
  }
}

TEST(StemCandidates, AStemColumnOnABarLineIsNoStem) {
  StemPage page;
  const int stave = page.Staff(400);
  const int i = page.Head(stave, 16, 500, kNoteCrotchet, false);
  page.Stem(i, 1, 70, false);
  page.Stem(i, 2, 70, false);
  NoteRecord& n = page.note(i);
  n.stemOffset[1] = static_cast<int16_t>(2 | (4 << 8));  // column 10 pixels right of the head: the bar line
  SymbolRecord& bar = page.symbols()[page.symbolCount()++];
  bar = SymbolRecord{};
  bar.type = kSymbolBarline;
  bar.left = static_cast<int16_t>(n.right + 8);
  bar.right = static_cast<int16_t>(n.right + 11);
  NoteValueWork work = page.Work();
  DropStemsOnBarLines(work);
  EXPECT_EQ(n.stemLength[1], 0);
  EXPECT_EQ(n.stemLength[2], 3);
}

TEST(StemCandidates, ShortBeamsStayOnlyWhereAnotherNotesBeamMeetsThem) {
  StemPage page;
  const int stave = page.Staff(400);
  const int a = page.Head(stave, 13, 500, kNoteCrotchet, false);
  const int b = page.Head(stave, 13, 560, kNoteCrotchet, false);
  const int lone = page.Head(stave, 13, 900, kNoteCrotchet, false);
  for (int i : {a, b, lone}) page.Stem(i, 1, 170, false);
  StemArrays stems;
  auto beam = [&](int i, bool right) {
    StemRecord& r = stems.at(1, i);
    StemSide& s = right ? r.right : r.left;
    s.markCount = 1;
    s.stubCount = 1;
    s.markTop[0] = 300;
    s.markBottom[0] = 310;
    s.markLength[0] = 30;  // shorter than two head widths
    r.sideFlags |= right ? kRightSideBeams : kLeftSideBeams;
  };
  beam(a, true);
  beam(b, false);
  beam(lone, true);
  NoteValueWork work = page.Work();
  stems.Attach(work);
  DropUnmatchedStubs(work);
  EXPECT_EQ(stems.at(1, a).right.markCount, 1);
  EXPECT_EQ(stems.at(1, b).left.markCount, 1);
  EXPECT_EQ(stems.at(1, lone).right.markCount, 0);
  EXPECT_EQ(stems.at(1, lone).right.stubCount, 0);
}

}  // namespace
