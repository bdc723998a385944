// The note-value step on synthetic pages: beams and flags beside real stems
// give the values; the step's ends.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/ShellFlags.h"
#include "reading/ReadingThread.h"
#include "stages/NoteValueStep.h"
#include "stages/RecognitionStages.h"
#include "tests/stages/StemPageFixture.h"

namespace {

// Two heads on the middle line of a stave, up-stems at their right edges,
// joined by beams whose top falls (or rises) at the angle.
struct BeamedPair {
  StemPage page;
  int a = 0, b = 0;
  BeamedPair(int beams, double degrees) {
    const int stave = page.Staff(400);
    a = page.Head(stave, 13, 300);
    b = page.Head(stave, 13, 400);
    const int cy = page.StepY(stave, 13);
    const double drop = 100 * std::tan(degrees * 3.14159265358979 / 180);
    const int topA = degrees >= 0 ? 290 : static_cast<int>(290 - drop);
    const int topB = static_cast<int>(topA + drop);
    const int xa = page.Stem(a, 1, cy - topA);
    const int xb = page.Stem(b, 1, cy - topB);
    for (int k = 0; k < beams; ++k) page.Beam(xa - 1, topA + 16 * k, xb + 1, topB + 16 * k, 10);
  }
};

TEST(NoteValueStep, BeamsAtTwentyDegreesGiveQuaversAndSemiquavers) {
  const struct {
    int beams;
    double degrees;
    uint32_t kind;
  } cases[] = {{1, 20, 4}, {2, 20, 3}, {3, 20, 3}, {1, -20, 4}, {2, -20, 3}, {3, -20, 3}, {2, 0, 3}};
  for (const auto& c : cases) {
    BeamedPair pair(c.beams, c.degrees);
    NoteValueWork work = pair.page.Work();
    ASSERT_EQ(ResolveNoteValues(work), 1);
    ASSERT_EQ(pair.page.noteCount(), 2u) << c.beams << " beams at " << c.degrees;
    for (int i : {pair.a, pair.b}) {
      const NoteRecord& n = pair.page.note(i);
      EXPECT_EQ(n.kind, c.kind) << c.beams << " beams at " << c.degrees << ", note " << i;
      EXPECT_EQ(n.beamed, 1u) << c.beams << " beams at " << c.degrees;
      EXPECT_EQ(n.stemDown, 0u);
      EXPECT_EQ(n.stemRight, 1u);
      EXPECT_EQ(n.quality, kOwnBeamQuality);
    }
    // The flag zone of the pair covers the beams, for the slur stage.
    EXPECT_GT(pair.page.note(pair.a).stemEndBottom, pair.page.note(pair.a).stemEndTop);
  }
}

TEST(NoteValueStep, FlagsOnUpAndDownStemsGiveTheirValues) {
  const struct {
    int flags;
    bool down;
    uint32_t kind;
  } cases[] = {{0, false, 5}, {1, false, 4}, {2, false, 3}, {1, true, 4}, {2, true, 3}};
  for (const auto& c : cases) {
    StemPage page;
    const int stave = page.Staff(400);
    const int step = c.down ? 18 : 13;
    const int i = page.Head(stave, step, 500);
    const int cy = page.StepY(stave, step);
    const int length = 75;
    const int x = page.Stem(i, c.down ? 2 : 1, length);
    for (int k = 0; k < c.flags; ++k) {
      if (c.down)
        page.Flag(x + 1, cy + length - 18 * k, false);
      else
        page.Flag(x + 1, cy - length + 18 * k, true);
    }
    NoteValueWork work = page.Work();
    ASSERT_EQ(ResolveNoteValues(work), 1);
    ASSERT_EQ(page.noteCount(), 1u);
    const NoteRecord& n = page.note(i);
    EXPECT_EQ(n.kind, c.kind) << c.flags << " flags, down " << c.down;
    EXPECT_EQ(n.beamed, 0u);
    EXPECT_EQ(n.stemDown, c.down ? 1u : 0u);
    EXPECT_EQ(n.quality, 0);
  }
}

TEST(NoteValueStep, EmptyGroupsStemlessHeadsAndCancels) {
  {
    StemPage page;
    page.Staff(400);
    NoteValueWork work = page.Work();
    EXPECT_EQ(ResolveNoteValues(work), 1);
    EXPECT_EQ(work.stems[0], nullptr);  // the working memory is gone
  }
  {
    StemPage page;
    const int stave = page.Staff(400);
    const int i = page.Head(stave, 16, 500);
    const int minim = page.Head(stave, 16, 700, kNoteMinim);
    page.Stem(minim, 1, 70);  // minims are never scanned but keep their stem
    NoteValueWork work = page.Work();
    EXPECT_EQ(ResolveNoteValues(work), 1);
    EXPECT_EQ(page.note(i).quality, kNoStemQuality);
    EXPECT_EQ(page.note(minim).kind, kNoteMinim);
    EXPECT_EQ(page.note(minim).quality, 0);
  }
  {
    StemPage page;
    const int stave = page.Staff(400);
    page.Stem(page.Head(stave, 16, 500), 1, 70);
    Flags().abort = 1;
    NoteValueWork work = page.Work();
    EXPECT_EQ(ResolveNoteValues(work), 0);
    Flags().abort = 0;
  }
  {
    // A note whose stave is not a row of the group is passed over.
    StemPage page;
    const int stave = page.Staff(400);
    const int i = page.Head(stave, 16, 500);
    page.Stem(i, 1, 70);
    page.note(i).stave = 5;
    NoteValueWork work = page.Work();
    EXPECT_EQ(ResolveNoteValues(work), 1);
  }
}

TEST(NoteValueStep, TheStageTableRunsTheStep) {
  const StageFunction before = SetReadingStage(ReadingStage::kNoteValues, nullptr);
  InstallRecognitionStages();
  const StageFunction installed = SetReadingStage(ReadingStage::kNoteValues, before);
  EXPECT_EQ(installed, &NoteValueStage);
}

}  // namespace
