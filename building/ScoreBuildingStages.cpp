#include "building/ScoreBuildingStages.h"

#include "building/BuildContext.h"
#include "building/PageRhythmCorrection.h"
#include "building/PartSlots.h"
#include "building/StaveGroupPass.h"
#include "building/TextItems.h"
#include "building/WordMeaning.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "stages/EngineText.h"

void InstallScoreBuildingStages() {
  SetReadingStartHook(PrepareReadingBuildContext);
  ReadingBuildContext().barVoices = AssignBarVoicesStep;
  // One line per stage, in the table's order.
  // The text-finder slot: its bare form (progress and time line), then the
  // filling of the page's text records from the engine's text.
  SetReadingStage(ReadingStage::kFindChars, FindcharsStage);
  InstallEngineTextStage();
  SetReadingStage(ReadingStage::kAssignStavesToParts, AssignStavesToPartsStage);
  InstallWordMeaningStage();
  InstallTextItemWriters();
  SetReadingStage(ReadingStage::kInterpretStaveSymbols, InterpretStaveSymbolsStage);
  SetReadingStage(ReadingStage::kCorrectBarRhythms, CorrectBarRhythmsStage);
  // After a page is read: its faulty bars counted.
  CurrentHandOverHooks().markInaccuratePage = MarkInaccuratePage;
}
