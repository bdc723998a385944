#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"
#include "stages/NoteValueStep.h"
#include "stages/NoteheadStep.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kNoteheads, NoteheadsStage);
  SetReadingStage(ReadingStage::kConvertNoteRecords, ConvertNoteRecordsStage);
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
}
