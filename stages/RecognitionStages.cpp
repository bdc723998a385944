#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"
#include "stages/AppendageStep.h"
#include "stages/ArticulationStep.h"
#include "stages/BigSymbolStep.h"
#include "stages/ChordDots.h"
#include "stages/NoteValueStep.h"
#include "stages/NoteheadStep.h"
#include "stages/OverlapCleanUp.h"
#include "stages/SlursTiesHairpins.h"
#include "stages/TabNumbers.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order. The chord-dot stages go last:
  // they wrap the entries they share with the stages above.
  SetReadingStage(ReadingStage::kNoteheads, NoteheadsStage);
  InstallTabNumberStages();
  SetReadingStage(ReadingStage::kBigSymbols, BigSymbolsStage);
  SetReadingStage(ReadingStage::kConvertNoteRecords, ConvertNoteRecordsStage);
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
  SetReadingStage(ReadingStage::kOverlapCleanUp, CleanUpOverlaps);
  SetReadingStage(ReadingStage::kArticulation, ArticulationStage);
  SetReadingStage(ReadingStage::kAppenditures, AppendituresStage);
  SetReadingStage(ReadingStage::kSlursTiesHairpins, FindSlursTiesHairpins);
  InstallChordDotStages();
  SetReadingStage(ReadingStage::kGroupOverlaps, FinishGroupOverlaps);
}
