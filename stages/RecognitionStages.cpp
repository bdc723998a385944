#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"
#include "stages/ChordDots.h"
#include "stages/NoteValueStep.h"
#include "stages/TabNumbers.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
  InstallTabNumberStages();
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
  InstallChordDotStages();
}
