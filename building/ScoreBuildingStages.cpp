#include "building/ScoreBuildingStages.h"

#include "building/PageRhythmCorrection.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"

void InstallScoreBuildingStages() {
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kCorrectBarRhythms, CorrectBarRhythmsStage);
  // After a page is read: its faulty bars counted.
  CurrentHandOverHooks().markInaccuratePage = MarkInaccuratePage;
}
