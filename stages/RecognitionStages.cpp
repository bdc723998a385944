#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"
#include "stages/ChordDots.h"
#include "stages/NoteValueStep.h"
#include "stages/NoteheadStep.h"
#include "stages/OverlapCleanUp.h"
#include "stages/SlursTiesHairpins.h"
#include "stages/TabNumbers.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kNoteheads, NoteheadsStage);
  InstallTabNumberStages();
  SetReadingStage(ReadingStage::kConvertNoteRecords, ConvertNoteRecordsStage);
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
  SetReadingStage(ReadingStage::kOverlapCleanUp, CleanUpOverlaps);
  SetReadingStage(ReadingStage::kSlursTiesHairpins, FindSlursTiesHairpins);
  InstallChordDotStages();
  SetReadingStage(ReadingStage::kGroupOverlaps, FinishGroupOverlaps);
}
