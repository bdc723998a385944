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

int ArticulationAndOuterNotesStage(StageContext& context) {
  return ArticulationStage(context) && OuterNotesStage(context) ? 1 : 0;
}

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
  SetReadingStage(ReadingStage::kNoteheads, NoteheadsStage);
  InstallTabNumberStages();
  SetReadingStage(ReadingStage::kBigSymbols, BigSymbolsStage);
  SetReadingStage(ReadingStage::kConvertNoteRecords, ConvertNoteRecordsStage);
  SetReadingStage(ReadingStage::kNoteValues, NoteValueStage);
  SetReadingStage(ReadingStage::kOverlapCleanUp, CleanUpOverlaps);
  SetReadingStage(ReadingStage::kArticulation, ArticulationAndOuterNotesStage);
  SetReadingStage(ReadingStage::kAppenditures, AppendituresStage);
  SetReadingStage(ReadingStage::kSlursTiesHairpins, FindSlursTiesHairpins);
  SetReadingStage(ReadingStage::kDotsAndWords, DotCountsStage);
  SetReadingStage(ReadingStage::kFinishGroup, FinishGroupStage);
  SetReadingStage(ReadingStage::kGroupOverlaps, FinishGroupOverlaps);
}
