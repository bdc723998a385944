#include "building/ScoreBuildingStages.h"

#include "building/BuildContext.h"
#include "building/PageRhythmCorrection.h"
#include "building/PartSlots.h"
#include "building/TextItems.h"
#include "building/WordMeaning.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "stages/EngineText.h"

void InstallScoreBuildingStages() {
  SetReadingStartHook(PrepareReadingBuildContext);
  ReadingBuildContext().barVoices = AssignBarVoicesStep;
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kFindChars, FindcharsStage);
  InstallEngineTextStage();  // after the text finder's entry, which it runs first
  SetReadingStage(ReadingStage::kAssignStavesToParts, AssignStavesToPartsStage);
  InstallWordMeaningStage();
  InstallTextItemWriters();
  SetReadingStage(ReadingStage::kCorrectBarRhythms, CorrectBarRhythmsStage);
  // After a page is read: its faulty bars counted.
  CurrentHandOverHooks().markInaccuratePage = MarkInaccuratePage;
}
