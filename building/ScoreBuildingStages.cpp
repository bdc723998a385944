#include "building/ScoreBuildingStages.h"

#include "building/BuildContext.h"
#include "building/PageRhythmCorrection.h"
#include "building/PartSlots.h"
#include "building/PartStreamFinish.h"
#include "building/StaveGroupPass.h"
#include "building/TextItems.h"
#include "building/WordMeaning.h"
#include "platform/Settings.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "stages/ChordDots.h"
#include "stages/EngineText.h"

// The engine's text is taken only while text is read; the text finder turns
// it off when it cannot have its buffer.
int FindCharsAndEngineTextStage(StageContext& context) {
  if (!FindcharsStage(context)) return 0;
  return ReadTextOption() ? EngineTextStage(context) : 1;
}

int DotsAndWordsStage(StageContext& context) {
  return DotCountsStage(context) && WordMeaningStage(context) ? 1 : 0;
}

void InstallScoreBuildingStages() {
  SetReadingStartHook(PrepareReadingBuildContext);
  ReadingBuildContext().barVoices = AssignBarVoicesStep;
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kFindChars, FindCharsAndEngineTextStage);
  SetReadingStage(ReadingStage::kAssignStavesToParts, AssignStavesToPartsStage);
  SetReadingStage(ReadingStage::kDotsAndWords, DotsAndWordsStage);
  InstallTextItemWriters();
  SetReadingStage(ReadingStage::kInterpretStaveSymbols, InterpretStaveSymbolsStage);
  SetReadingStage(ReadingStage::kCorrectBarRhythms, CorrectBarRhythmsStage);
  // After a page is read: its faulty bars counted.
  CurrentHandOverHooks().markInaccuratePage = MarkInaccuratePage;
  // The score's streams readied for each page merged.
  CurrentHandOverHooks().finishPageStreams = FinishPagePartStreams;
  // The part count and part records of a page go into the score with it.
  CurrentHandOverHooks().applyPageParts = ApplyReadPagePartSlots;
}
