// The word pass as a stage of the reading: on the page's first group the
// engine's texts get their kinds (after the part slots reset them) and sung
// words go to their notes.
#include <gtest/gtest.h>

#include "building/ScoreBuildingStages.h"
#include "building/TextItems.h"
#include "building/WordMeaning.h"
#include "reading/ReadingThread.h"
#include "stages/EngineText.h"

namespace {

TEST(WordStage, EngineTextsGetTheirKindsOnTheFirstGroup) {
  ReadingWorkLists lists;
  ASSERT_TRUE(AllocateWorkLists(&lists));
  StaveRow rows[1];
  rows[0].left = 150;
  rows[0].right = 2330;
  rows[0].top = 600;
  rows[0].bottom = 680;
  rows[0].lineCount = 5;
  rows[0].number = 1;
  NoteRecord& note = lists.notes[0];
  note.left = 790;
  note.right = 810;
  note.top = 630;
  note.bottom = 650;
  note.kind = kNoteCrotchet;
  lists.noteCount = 1;

  auto* chars = reinterpret_cast<CharRecord*>(lists.characters);
  auto* words = reinterpret_cast<WordRecord*>(lists.words);
  const EngineTextPiece pieces[] = {{"Ky-", EngineBox{785, 720, 830, 752}, true},
                                    {"Andante", EngineBox{160, 520, 320, 562}, false}};
  ASSERT_EQ(StoreEngineTexts(pieces, 2, chars, &lists.charCount, words, &lists.wordCount), 2);
  // The part slots reset every kind before the groups.
  chars[0].kind = chars[1].kind = 0;

  StageContext stage;
  stage.rows = rows;
  stage.staveCount = 1;
  stage.lists = &lists;
  stage.firstStave = 0;
  // Right after the reset the part slots hand the page over for its kinds.
  BindStageContext(ReadingBuildContext(), stage);
  GiveEngineTextPrePassKinds(ReadingBuildContext());
  EXPECT_EQ(chars[0].kind, kTextKindTextLine);
  EXPECT_EQ(chars[1].kind, kTextKindTempoWord);
  const StageFunction run = DotsAndWordsStage;
  EXPECT_EQ(run(stage), 1);
  EXPECT_EQ(lists.charCount, 2u);  // the first group fills nothing again
  EXPECT_EQ(chars[0].kind, kTextKindTextLine);
  EXPECT_EQ(chars[1].kind, kTextKindTempoWord);
  ASSERT_EQ(note.appenditureCount, 2);
  EXPECT_EQ(note.appenditures[0].kind, kAttachTextLine);
  EXPECT_EQ(note.appenditures[0].markIndex, 0u);
  EXPECT_EQ(note.appenditures[1].kind, 22);
  EXPECT_EQ(note.appenditures[1].markIndex, 1u);

  // Texts kept by a reading that ended before its first group are not given
  // to the next reading's records.
  lists.noteCount = 0;
  chars[0].kind = chars[1].kind = 0;
  StoreEngineTexts(pieces, 0, chars, &lists.charCount, words, &lists.wordCount);
  ASSERT_EQ(StoreEngineTexts(pieces, 2, chars, &lists.charCount, words, &lists.wordCount), 2);
  chars[2].kind = chars[3].kind = 0;
  Reading().startTime += 1;
  EXPECT_EQ(run(stage), 1);
  Reading().startTime -= 1;
  EXPECT_NE(chars[2].kind, kTextKindTextLine);
  EXPECT_NE(chars[3].kind, kTextKindTempoWord);

  FreeWorkLists(&lists);
}

}  // namespace
