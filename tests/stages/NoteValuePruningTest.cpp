// Pruning heads that clash once every head has its stem and value.
#include <gtest/gtest.h>

#include "stages/HeadPruning.h"
#include "tests/stages/StemPageFixture.h"

namespace {

struct Pruning {
  StemPage page;
  StemArrays stems;
  int stave = 0;
  Pruning() { stave = page.Staff(400); }
  NoteRecord& Head(int step, int cx, uint32_t kind, int16_t confidence = 80) {
    const int i = page.Head(stave, step, cx, kind, false);
    page.note(i).confidence = confidence;
    return page.note(i);
  }
  uint32_t Run() {
    NoteValueWork work = page.Work();
    stems.Attach(work);
    PruneClashingHeads(work);
    return page.noteCount();
  }
};

TEST(NoteValuePruning, TwoCrotchetsAtOneStepKeepTheBetter) {
  Pruning p;
  p.Head(16, 500, kNoteCrotchet, 60);
  p.Head(16, 506, kNoteCrotchet, 90);
  ASSERT_EQ(p.Run(), 1u);
  EXPECT_EQ(p.page.note(0).confidence, 90);
}

TEST(NoteValuePruning, IdenticalBoxesAreNotAClash) {
  Pruning p;
  p.Head(16, 500, kNoteCrotchet, 60).stemRight = 1;
  p.Head(16, 500, kNoteCrotchet, 90).stemRight = 0;
  EXPECT_EQ(p.Run(), 2u);
}

TEST(NoteValuePruning, ConfirmedHeadsAreNeverDeleted) {
  Pruning p;
  p.Head(16, 500, kNoteCrotchet, 60).origin = kConfirmedOrigin;
  p.Head(16, 506, kNoteCrotchet, 90).origin = kConfirmedOrigin;
  p.Head(30, 800, kNoteCrotchet).origin = kConfirmedOrigin;  // far above, stemless
  EXPECT_EQ(p.Run(), 3u);
}

TEST(NoteValuePruning, FarHeadsStayOnlyWithAStemBackToTheStave) {
  Pruning p;
  p.Head(30, 300, kNoteCrotchet);  // five spaces above, no stem: goes
  NoteRecord& hanging = p.Head(0, 500, kNoteCrotchet);  // far below, up-stem into the stave: stays
  hanging.stemLength[1] = 7;
  NoteRecord& shortStem = p.Head(0, 700, kNoteMinim);  // below, stem ends short of the stave
  shortStem.stemLength[1] = 1;
  ASSERT_EQ(p.Run(), 1u);
  EXPECT_EQ(p.page.note(0).left, 488);
}

// A minim a ledger line below the stave with its stem pointing further down
// (a lower voice) stays where the ledger search found it; the same hollow
// shape below the stave without ledger lines (a letter of the words) goes.
TEST(NoteValuePruning, AMinimBelowTheStaveWithItsStemDownStaysOnItsLedger) {
  for (int16_t ledger : {0, 1}) {
    Pruning p;
    NoteRecord& minim = p.Head(10, 500, kNoteMinim);
    minim.stemDown = 1;
    minim.stemLength[2] = 3;
    minim.ledgerCount = ledger;
    EXPECT_EQ(p.Run(), ledger ? 1u : 0u) << "ledger " << ledger;
  }
}

TEST(NoteValuePruning, ALedgerSemibreveStaysOnlyBesideAConfirmedOne) {
  Pruning alone;
  alone.Head(24, 500, kNoteSemibreve);
  EXPECT_EQ(alone.Run(), 0u);

  Pruning vouched;
  vouched.Head(24, 500, kNoteSemibreve);
  vouched.Head(24, 502, kNoteSemibreve).origin = kConfirmedOrigin;
  EXPECT_EQ(vouched.Run(), 2u);
}

TEST(NoteValuePruning, AMinimInACrotchetsPlaceGoes) {
  Pruning p;
  p.Head(16, 500, kNoteCrotchet, 60);
  p.Head(16, 503, kNoteMinim, 90);
  ASSERT_EQ(p.Run(), 1u);
  EXPECT_EQ(p.page.note(0).kind, kNoteCrotchet);
}

TEST(NoteValuePruning, UncertainHeadsAroundACertainOneGo) {
  Pruning p;
  p.Head(16, 500, kNoteCrotchet);
  p.Head(17, 510, kNoteCrotchet).uncertain = 1;
  p.Head(17, 700, kNoteCrotchet).uncertain = 1;  // elsewhere
  ASSERT_EQ(p.Run(), 2u);
  EXPECT_EQ(p.page.note(1).left, 688);
}

}  // namespace
