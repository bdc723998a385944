#include "building/ScoreBuildingStages.h"

#include "building/TextItems.h"
#include "building/WordMeaning.h"
#include "reading/ReadingThread.h"

void InstallScoreBuildingStages() {
  // One line per stage, in the table's order.
  InstallWordMeaningStage();
  InstallTextItemWriters();
}
