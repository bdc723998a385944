// Choosing each head's stem and value, splitting two-stem heads and voting
// chords.
#include <gtest/gtest.h>

#include <string>

#include "stages/NoteRecords.h"
#include "stages/NoteValueAssignment.h"
#include "tests/stages/StemPageFixture.h"

namespace {

TEST(NoteValueAssignment, AHeadWithTwoStemsSplitsDownStemFirst) {
  StemPage page;
  const int stave = page.Staff(400);
  const int i = page.Head(stave, 16, 500, kNoteCrotchet, false);
  page.Stem(i, 1, 70, false);
  page.Stem(i, 2, 90, false);
  const int other = page.Head(stave, 16, 800, kNoteCrotchet, false);
  page.Stem(other, 1, 70, false);
  StemArrays stems;
  stems.at(1, i).right.markCount = 1;  // a flag on the up-stem
  stems.at(1, other).right.markCount = 2;
  NoteValueWork work = page.Work();
  stems.Attach(work);
  AssignNoteValues(work);
  ASSERT_EQ(page.noteCount(), 3u);
  const NoteRecord& down = page.note(0);
  const NoteRecord& up = page.note(1);
  EXPECT_EQ(down.stemDown, 1u);
  EXPECT_EQ(down.aux, 1);
  EXPECT_EQ(down.stemRight, 0u);
  EXPECT_EQ(down.kind, kNoteCrotchet);
  EXPECT_EQ(up.stemDown, 0u);
  EXPECT_EQ(up.stemRight, 1u);
  EXPECT_EQ(up.kind, kNoteQuaver);
  EXPECT_EQ(up.left, down.left);
  // The records after the split moved with their stem records.
  EXPECT_EQ(page.note(2).left, 788);
  EXPECT_EQ(page.note(2).kind, kNoteSemiquaver);
  EXPECT_EQ(stems.at(1, 2).right.markCount, 2);
}

TEST(NoteValueAssignment, AFullListDoesNotSplit) {
  StemPage page;
  const int stave = page.Staff(400);
  for (int k = 0; k < kNoteListLimit - 1; ++k) page.Head(stave, 30, 10, kNoteSemibreve, false);
  const int i = page.Head(stave, 16, 500, kNoteCrotchet, false);
  page.Stem(i, 1, 70, false);
  page.Stem(i, 2, 90, false);
  StemArrays stems;
  NoteValueWork work = page.Work();
  stems.Attach(work);
  AssignNoteValues(work);
  EXPECT_EQ(page.noteCount(), static_cast<uint32_t>(kNoteListLimit));
  EXPECT_EQ(page.note(i).stemDown, 0u);
}

TEST(NoteValueAssignment, MarksOnTheStemGiveTheValueAndNeverBelowASemiquaver) {
  const struct {
    int left, right;
    uint32_t sideFlags;
    uint32_t kind, beamed, countRight;
    int16_t quality;
  } cases[] = {
      {0, 0, 0, 5, 0, 0, 0},
      {0, 1, 0, 4, 0, 1, 0},                                 // a flag
      {0, 2, kRightSideBeams, 3, 1, 1, kOwnBeamQuality},     // two beams on the right
      {0, 3, kRightSideBeams, 3, 1, 1, kOwnBeamQuality},     // three: still a semiquaver
      {1, 0, kLeftSideBeams, 4, 1, 0, kOwnBeamQuality},      // one beam on the left
      {1, 2, kLeftSideBeams | kRightSideBeams, 3, 1, 0, kOwnBeamQuality},
      // Beams reaching the other stave give way to those on the own side.
      {2, 1, kLeftSideBeams | kRightSideBeams | kLeftSideCrossesStave, 4, 1, 1, kOwnBeamQuality},
      {0, 2, kRightSideBeams | kRightSideCrossesStave, 3, 1, 1, 0},
  };
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    const int i = page.Head(stave, 16, 500, kNoteCrotchet, false);
    page.Stem(i, 1, 70, false);
    StemArrays stems;
    stems.at(1, i).left.markCount = static_cast<uint8_t>(c.left);
    stems.at(1, i).right.markCount = static_cast<uint8_t>(c.right);
    stems.at(1, i).sideFlags = c.sideFlags;
    NoteValueWork work = page.Work();
    stems.Attach(work);
    AssignNoteValues(work);
    const NoteRecord& n = page.note(i);
    EXPECT_EQ(n.kind, c.kind) << c.left << "/" << c.right;
    EXPECT_EQ(n.beamed, c.beamed) << c.left << "/" << c.right;  // 0 or 1, never the raw bits
    EXPECT_EQ(n.countRight, c.countRight) << c.left << "/" << c.right;
    EXPECT_EQ(n.quality, c.quality) << c.left << "/" << c.right;
  }
}

TEST(NoteValueAssignment, AHeadTheEngineFoundKeepsTheEnginesValue) {
  // The scan's marks decide a searched head's value; a head the engine found
  // keeps what the engine read of its flags and beams (the scan runs over the
  // stave lines, which it can take for a beam, and misses curled flags).
  const struct {
    int16_t origin;
    uint32_t kind, beamed, countRight;  // as imported
    int right;                          // marks the scan found on the right
    uint32_t sideFlags;
    uint32_t wantKind, wantBeamed, wantCountRight;
    int16_t wantQuality;
  } cases[] = {
      {kEngineOrigin, 4, 0, 1, 0, 0, 4, 0, 1, 0},                            // a flag the scan missed
      {kEngineOrigin, 5, 0, 0, 1, kRightSideBeams, 5, 0, 0, 0},              // a line taken for a beam
      {kEngineOrigin, 3, 1, 1, 1, kRightSideBeams, 3, 1, 1, kOwnBeamQuality}, // two beams, one seen
      {kEngineOrigin, 4, 1, 1, 1, kRightSideBeams, 4, 1, 1, kOwnBeamQuality},  // both agree
      {kSearchOrigin, 5, 0, 0, 1, kRightSideBeams, 4, 1, 1, kOwnBeamQuality},  // the scan decides
  };
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    const int i = page.Head(stave, 16, 500, c.kind, false);
    page.Stem(i, 1, 70, false);
    NoteRecord& n = page.note(i);
    n.origin = c.origin;
    n.beamed = c.beamed;
    n.countRight = c.countRight;
    StemArrays stems;
    stems.at(1, i).right.markCount = static_cast<uint8_t>(c.right);
    stems.at(1, i).sideFlags = c.sideFlags;
    NoteValueWork work = page.Work();
    stems.Attach(work);
    AssignNoteValues(work);
    const NoteRecord& out = page.note(i);
    const std::string row = std::to_string(c.origin) + "/" + std::to_string(c.kind) + "/" + std::to_string(c.right);
    EXPECT_EQ(out.kind, c.wantKind) << row;
    EXPECT_EQ(out.beamed, c.wantBeamed) << row;
    EXPECT_EQ(out.countRight, c.wantCountRight) << row;
    EXPECT_EQ(out.quality, c.wantQuality) << row;
    EXPECT_EQ(out.stemDown, 0u) << row;  // the stem is the scan's in any case
    EXPECT_EQ(out.stemRight, 1u) << row;
  }
}

TEST(NoteValueAssignment, AChordTakesTheValueMostHeadsShow) {
  const struct {
    uint32_t kinds[3];
    uint32_t beamed[3];
    int heads;
    uint32_t kind, isBeamed;
  } cases[] = {
      {{4, 4, 5}, {1, 1, 0}, 3, 4, 1},
      {{4, 3, 0}, {0, 1, 0}, 2, 3, 1},  // a tie: beamed first
      {{4, 3, 0}, {0, 0, 0}, 2, 3, 0},  // a tie between flags: the shorter value
  };
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    for (int k = 0; k < c.heads; ++k) {
      const int i = page.Head(stave, 14 + 2 * k, 500, c.kinds[k], false);
      page.note(i).beamed = c.beamed[k];
      page.note(i).stemRight = 1;
      page.note(i).quality = static_cast<int16_t>(k + 1);
    }
    const int apart = page.Head(stave, 14, 800, kNoteCrotchet, false);  // not in the chord
    page.note(apart).stemRight = 1;
    NoteValueWork work = page.Work();
    VoteChordValues(work);
    for (int k = 0; k < c.heads; ++k) {
      EXPECT_EQ(page.note(k).kind, c.kind) << "case " << c.kinds[0] << c.kinds[1];
      EXPECT_EQ(page.note(k).beamed, c.isBeamed);
      EXPECT_EQ(page.note(k).quality, 1);  // the chord's best quality
    }
    EXPECT_EQ(page.note(apart).kind, kNoteCrotchet);
  }
}

TEST(NoteValueAssignment, AMinimHeadOnACrotchetStemGoes) {
  StemPage page;
  const int stave = page.Staff(400);
  const int crotchet = page.Head(stave, 13, 500, kNoteCrotchet, false);
  page.Stem(crotchet, 1, 90, false);
  page.note(crotchet).stemRight = 1;
  // A "minim" that is the loop of a flag at the stem's top.
  const int minim = page.Head(stave, 20, 520, kNoteMinim, false);
  const int apart = page.Head(stave, 20, 800, kNoteMinim, false);
  NoteValueWork work = page.Work();
  StemArrays stems;
  stems.Attach(work);
  DropHeadsOnStems(work, false);
  ASSERT_EQ(page.noteCount(), 2u);
  EXPECT_EQ(page.note(0).kind, kNoteCrotchet);
  EXPECT_EQ(page.note(1).left, 788);
  (void)minim;
  (void)apart;
}

// A searched minim close beside an up-stem: the loop of a flag right at the
// stem goes; the next note, set clear of the stem by most of a space, stays.
TEST(NoteValueAssignment, TheNextNoteCloseBesideAStemIsNotOnIt) {
  const struct {
    int clear;  // the minim's left edge right of the crotchet's head
    unsigned notesLeft;
  } cases[] = {{0, 1u}, {18, 2u}};
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    const int crotchet = page.Head(stave, 17, 500, kNoteCrotchet, false);
    page.Stem(crotchet, 1, 90, false);
    page.note(crotchet).stemRight = 1;
    page.Head(stave, 16, page.note(crotchet).right + c.clear + 12, kNoteMinim, false);
    NoteValueWork work = page.Work();
    StemArrays stems;
    stems.Attach(work);
    DropHeadsOnStems(work, false);
    EXPECT_EQ(page.noteCount(), c.notesLeft) << c.clear << " pixels clear";
  }
}

TEST(NoteValueAssignment, FlagZonesServeTheSlurSearch) {
  NoteRecord n{};
  n.left = 100;
  n.right = 124;
  n.kind = kNoteQuaver;
  n.space = 20;
  n.stemRight = 1;
  n.stemEndTop = 40;
  n.stemEndBottom = 70;
  EXPECT_EQ(FlagZoneInBox(&n, 1, 110, 50, 130, 60, 0, false), 1);
  EXPECT_EQ(FlagZoneInBox(&n, 1, 110, 80, 130, 90, 0, false), 0);  // below the zone
  EXPECT_EQ(FlagZoneInBox(&n, 1, 110, 50, 130, 60, 0, true), 0);   // not beamed
  EXPECT_EQ(FlagZoneInBox(&n, 1, 110, 50, 130, 60, 2, false), 0);  // only semiquavers asked
}

// Heads stacked a third apart in one column, the lower with an up-stem, the
// upper one searched with a down-stem: an up-stem ending at the upper head
// is the edge of the stacked heads and crosses nothing; one running on
// through it crosses it.
TEST(NoteValueAssignment, AStemEndingAtTheHeadAboveItCrossesNothing) {
  const struct {
    int pixels;  // the lower head's up-stem from its centre
    int16_t quality;
  } cases[] = {{30, 0}, {90, kCrossedStemQuality}};
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    const int lower = page.Head(stave, 15, 500, kNoteMinim, false);
    page.Stem(lower, 1, c.pixels, false);
    page.note(lower).stemRight = 1;
    page.note(lower).origin = kConfirmedOrigin;
    const int upper = page.Head(stave, 17, 500, kNoteMinim, false);
    page.Stem(upper, 2, 90, false);
    page.note(upper).stemDown = 1;
    NoteValueWork work = page.Work();
    MarkCrossingStems(work);
    EXPECT_EQ(page.note(upper).quality, c.quality) << c.pixels << " pixels";
  }
}

TEST(NoteValueAssignment, StemsCrossingAnotherNoteAreMarked) {
  StemPage page;
  const int stave = page.Staff(400);
  const int up = page.Head(stave, 14, 500, kNoteCrotchet, false);
  page.Stem(up, 1, 70, false);
  page.note(up).stemRight = 1;
  const int down = page.Head(stave, 16, 512, kNoteCrotchet, false);
  page.Stem(down, 3, 70, false);
  page.note(down).stemDown = 1;
  page.note(down).stemRight = 1;
  // A chord elsewhere: heads within half a space sharing the stem side.
  const int c1 = page.Head(stave, 14, 800, kNoteCrotchet, false);
  const int c2 = page.Head(stave, 16, 805, kNoteCrotchet, false);
  for (int i : {c1, c2}) {
    page.Stem(i, 1, 70, false);
    page.note(i).stemRight = 1;
  }
  NoteValueWork work = page.Work();
  MarkCrossingStems(work);
  EXPECT_EQ(page.note(up).quality, kCrossedStemQuality);
  EXPECT_EQ(page.note(down).quality, kCrossedStemQuality);
  EXPECT_EQ(page.note(c1).quality, 0);
  EXPECT_EQ(page.note(c2).quality, 0);
}

}  // namespace
