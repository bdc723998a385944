#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"
#include "stages/NoteValueStep.h"
#include "stages/OverlapCleanUp.h"
#include "stages/SlursTiesHairpins.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
  SetReadingStage(ReadingStage::kOverlapCleanUp, CleanUpOverlaps);
  SetReadingStage(ReadingStage::kSlursTiesHairpins, FindSlursTiesHairpins);
  SetReadingStage(ReadingStage::kGroupOverlaps, FinishGroupOverlaps);
}
