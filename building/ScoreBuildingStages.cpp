#include "building/ScoreBuildingStages.h"

#include "building/BuildContext.h"
#include "building/PartSlots.h"
#include "reading/ReadingThread.h"

void InstallScoreBuildingStages() {
  SetReadingStartHook(PrepareReadingBuildContext);
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kFindChars, FindcharsStage);
  SetReadingStage(ReadingStage::kAssignStavesToParts, AssignStavesToPartsStage);
}
