#include "building/ScoreBuildingStages.h"

#include "building/BuildContext.h"
#include "building/PageRhythmCorrection.h"
#include "building/PartSlots.h"
#include "building/StaveGroupPass.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"

void InstallScoreBuildingStages() {
  SetReadingStartHook(PrepareReadingBuildContext);
  ReadingBuildContext().barVoices = AssignBarVoicesStep;
  // One line per stage, in the table's order.
  // The text-finder slot (kFindChars) belongs to the filling of the page's
  // text records from the engine's text; FindcharsStage is its bare form.
  SetReadingStage(ReadingStage::kAssignStavesToParts, AssignStavesToPartsStage);
  SetReadingStage(ReadingStage::kInterpretStaveSymbols, InterpretStaveSymbolsStage);
  SetReadingStage(ReadingStage::kCorrectBarRhythms, CorrectBarRhythmsStage);
  // After a page is read: its faulty bars counted.
  CurrentHandOverHooks().markInaccuratePage = MarkInaccuratePage;
}
