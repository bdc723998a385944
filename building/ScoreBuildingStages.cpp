#include "building/ScoreBuildingStages.h"

#include "building/BuildContext.h"
#include "building/PageRhythmCorrection.h"
#include "building/PartSlots.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"

void InstallScoreBuildingStages() {
  SetReadingStartHook(PrepareReadingBuildContext);
  ReadingBuildContext().barVoices = AssignBarVoicesStep;
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kFindChars, FindcharsStage);
  SetReadingStage(ReadingStage::kAssignStavesToParts, AssignStavesToPartsStage);
  SetReadingStage(ReadingStage::kCorrectBarRhythms, CorrectBarRhythmsStage);
  // After a page is read: its faulty bars counted.
  CurrentHandOverHooks().markInaccuratePage = MarkInaccuratePage;
}
