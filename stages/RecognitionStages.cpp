#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"
#include "stages/AppendageStep.h"
#include "stages/ArticulationStep.h"
#include "stages/BigSymbolStep.h"
#include "stages/NoteValueStep.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kBigSymbols, BigSymbolsStage);
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
  SetReadingStage(ReadingStage::kArticulation, ArticulationStage);
  SetReadingStage(ReadingStage::kAppenditures, AppendituresStage);
}
