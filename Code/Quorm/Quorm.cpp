#include "Code/Quorm/Quorm.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>

#include "Code/Quorm/Badwords.h"
#include "Code/Quorm/Barcalcs.h"
#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findcuts.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Segpaths.h"
#include "Code/Quorm/Slurtext.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Stavwork.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/Userdict.h"
#include "Code/Quorm/ambigres.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/fssatoms.h"
#include "Code/Quorm/fssrecog.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/findtupb.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mclassif.h"
#include "Code/Quorm/mocgraph.h"
#include "Code/Quorm/options.h"
#include "Code/Quorm/vertsegs.h"
#include "Code/Quorm/Wordlatt.h"
#include "platform/Folders.h"

namespace {

constexpr char kEngineSubfolder[] = "Resources\\Quorm";
constexpr char kPageTitle[] = "dummy title with \"quote\" for test";
constexpr int kMaxEntry = static_cast<int>(EngineEntry::CloseEngine) + 1;

std::atomic<bool> armedTrips[kMaxEntry] = {};
EngineCode lastFailure = nullptr;

// Fails a check when the test seam armed this entry point.
void Checkpoint(EngineEntry entry) {
  if (armedTrips[static_cast<int>(entry)].exchange(false)) EngineAssertFail(__FILE__, __LINE__);
}

// Runs one entry point's body under the engine mutex. A failed check or an
// exhausted heap inside it ends here: the run's tables are freed and the
// code goes to onFailure, whose answer the entry point returns. Once a run
// has failed so, its later steps (inRun) answer the same code without
// running, until the next StartEngine.
template <class Body, class OnFailure>
auto Guarded(bool inRun, Body body, OnFailure onFailure) -> decltype(body()) {
  std::lock_guard<std::recursive_mutex> lock(EngineMutex());
  if (inRun && lastFailure != nullptr) return onFailure(lastFailure);
  EngineCode code;
  try {
    return body();
  } catch (const EngineFailure& failure) {
    code = failure.code();
  } catch (const std::bad_alloc&) {
    code = "Xheapmem";
  }
  try {
    FreeEngine();
  } catch (const EngineFailure&) {
    // A free function that fails a check leaves its tables to the next start.
  }
  lastFailure = code;
  return onFailure(code);
}

int StageFailure(EngineCode code) { return EngineErrorNumber(code); }

// Asks the continue callback; false means stop now.
bool Ask(ContinueCallback keepGoing) { return keepGoing == nullptr || keepGoing(1) != 0; }

void Report(ProgressCallback progress, unsigned percent) {
  if (progress) progress(percent);
}

void RegisterExitClean() {
  static bool registered = false;
  if (!registered) {
    registered = true;
    // A run still going on another thread keeps its tables: the process ends.
    std::atexit([] {
      if (!EngineMutex().try_lock()) return;
      FreeEngine();
      EngineMutex().unlock();
    });
  }
}

EngineCode InitialiseEngineSteps() {
  RegisterExitClean();
  SetEngineHeapHook(OnEngineHeapExhausted);
  SetNamedHeapHook(OnEngineSafeHeapExhausted);
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  if (EngineCode code = LoadMusicReferences()) return code;
  if (EngineCode code = InitialiseTextRecognition()) return code;
  Checkpoint(EngineEntry::InitialiseEngine);
  return kEngineOk;
}

}  // namespace

std::recursive_mutex& EngineMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

void ArmEngineCheckTrip(EngineEntry entry) { armedTrips[static_cast<int>(entry)] = true; }

EngineCode LastEngineFailure() { return lastFailure; }

int StartEngine() {
  return Guarded(
      false,
      []() -> int {
        EnginePath folder;
        const char* programFolder = ResourceFolderAnsi();
        std::string path = std::string(programFolder ? programFolder : "") + kEngineSubfolder;
        bool made = MakeEnginePath(path.c_str(), &folder);
        if (!SetEngineFolderChecked(made ? folder.text : nullptr)) return 1;
        FreeEngine();
        EngineCode code = InitialiseEngineSteps();
        if (code != kEngineOk) {
          ReportEngineError(code);
          lastFailure = code;
          return 1;
        }
        Checkpoint(EngineEntry::StartEngine);
        return 0;
      },
      [](EngineCode) { return 1; });
}

EngineCode InitialiseEngine() {
  return Guarded(false, [] { return InitialiseEngineSteps(); }, [](EngineCode code) { return code; });
}

void FreeEngine() {
  std::lock_guard<std::recursive_mutex> lock(EngineMutex());
  lastFailure = nullptr;
  FreeAmbiguityWork();
  // In the order the modules depend on each other; stages that are not built
  // yet hold no tables.
  FreeWordRereader();
  FreeBarcalcs();
  ClearCandidateLists();
  FreePatchBuffers();
  FreeConnectedComponents();
  FreeEngineErrorTables();
  FreeStaffWork();
  ClearStaffTable();
  FreeTextFinder();
  FreeWordLattice();
  FreeObjectPoints();
  FreeSymbolAtoms();
  FreeFixedSymbols();
  FreeHairpins();
  FreeSlurs();
  FreeVerticalLines();
  FreeBeams();
  FreeCutWork();
  FreeNoteheads();
  FreeLedgerLines();
  FreeBarLines();
  EndMerge();
  FreeObjectGraph();
  FreePageDescription();
  FreeMusicReferences();
  FreeTextReadingWork();
  FreeOnebppImage();
  FreePageScale();
  FreePositionScales();
  FreeTextClassifierData();
  FreeSegmentPaths();
  ClearTupletBrackets();
  FreeFixedSymbolPatch();
  FreeTextReferences();
  FreeUserDictionary();
  FreeSpelling();
  FreeSegmentLattice();
  FreeVerticalSegments();
}

EngineCode LoadPageImage(const uint32_t* bits, int width, int height, int stretchWidth) {
  return Guarded(
      true,
      [&]() -> EngineCode {
        EngineCode code = LoadOnebppImage(bits, width, height, stretchWidth);
        Checkpoint(EngineEntry::LoadPageImage);
        return code;
      },
      [](EngineCode code) { return code; });
}

int RunStaffStage(int sixLines, ProgressCallback progress, ContinueCallback keepGoing) {
  return Guarded(
      true,
      [&]() -> int {
        Report(progress, 0);
        if (!HasPageImage()) return kStageStopped;
        if (BuildVerticalSegments(keepGoing) != kSegmentsBuilt) return kStageStopped;
        if (!Ask(keepGoing)) return kStageStopped;
        int result = RunStaffFinder(sixLines, progress, keepGoing);
        Checkpoint(EngineEntry::RunStaffStage);
        return result;
      },
      StageFailure);
}

int RunStaffStageWithHints(const int16_t* staveRows, const int16_t* lineTable, int staffCount,
                           ProgressCallback progress, ContinueCallback keepGoing) {
  return Guarded(
      true,
      [&]() -> int {
        if (!HasPageImage()) return kStageStopped;
        int result = RunHintedStaffStage(staveRows, lineTable, staffCount, progress, keepGoing);
        Checkpoint(EngineEntry::RunStaffStageWithHints);
        return result;
      },
      StageFailure);
}

// The stages in their order (a stage without a page image stops at once). A stage that is not part of the engine yet finds
// nothing: the later stages read its empty tables, as they would after a page
// on which it found nothing.
int RecognisePage(float progressFactor, ProgressCallback progress, ContinueCallback keepGoing) {
  return Guarded(
      true,
      [&]() -> int {
        auto point = [&](int n) { Report(progress, static_cast<unsigned>(progressFactor * n)); };
        point(30);
        if (!HasPageImage()) return kStageStopped;  // a page that did not load has nothing to read
        MeasurePageSkew();
        if (!Ask(keepGoing)) return kStageStopped;
        InitialiseObjectPoints();
        if (!Ask(keepGoing)) return kStageStopped;
        DetectLedgerLines();
        if (!Ask(keepGoing)) return kStageStopped;
        FindBarLines();
        if (!Ask(keepGoing)) return kStageStopped;
        point(34);
        DetectNoteheads();
        if (!Ask(keepGoing)) return kStageStopped;
        CleanSmallComponents();
        point(37);
        if (!Ask(keepGoing)) return kStageStopped;
        FindText(GetTextFinderOptionA(), GetTextFinderOptionB());
        if (!Ask(keepGoing)) return kStageStopped;
        AddTextNodesToGraph();
        if (!Ask(keepGoing)) return kStageStopped;
        DetectHairpins();
        if (!Ask(keepGoing)) return kStageStopped;
        FreeConnectedComponents();
        point(44);
        if (!Ask(keepGoing)) return kStageStopped;
        DetectBeams();
        if (!Ask(keepGoing)) return kStageStopped;
        point(58);
        DetectVerticalLines();
        point(74);
        if (!Ask(keepGoing)) return kStageStopped;
        DetectSlurs();
        if (!Ask(keepGoing)) return kStageStopped;
        BuildObjectGraph();
        if (!Ask(keepGoing)) return kStageStopped;
        ResolveAmbiguitiesStage1(1);
        if (!Ask(keepGoing)) return kStageStopped;
        KeepPageImageCopy();
        point(84);
        if (!Ask(keepGoing)) return kStageStopped;
        EraseStaffLines();
        if (!Ask(keepGoing)) return kStageStopped;
        ResolveAmbiguitiesStage2();
        if (!Ask(keepGoing)) return kStageStopped;
        ResetConnectedComponents();
        if (!Ask(keepGoing)) return kStageStopped;
        FindConnectedComponents(1000, 900, 1600);
        if (!Ask(keepGoing)) return kStageStopped;
        RestorePageImageCopy();
        if (!Ask(keepGoing)) return kStageStopped;
        DetectTupletBrackets();
        point(90);
        if (!Ask(keepGoing)) return kStageStopped;
        RecogniseFixedSymbols();
        if (!Ask(keepGoing)) return kStageStopped;
        point(97);
        ConnectFixedSymbols();
        if (!Ask(keepGoing)) return kStageStopped;
        MergeFixedSymbolGroups();
        if (!Ask(keepGoing)) return kStageStopped;
        ResolveAmbiguitiesStage3(1);
        if (!Ask(keepGoing)) return kStageStopped;
        ResolveAmbiguitiesStage4();
        if (!Ask(keepGoing)) return kStageStopped;
        ResolveAmbiguitiesStage5();
        if (!Ask(keepGoing)) return kStageStopped;
        ResetPageDescription(kPageTitle);
        if (!Ask(keepGoing)) return kStageStopped;
        AddPageDescription(GetImageNameOption());
        if (!Ask(keepGoing)) return kStageStopped;
        BuildBarEvents();
        if (!Ask(keepGoing)) return kStageStopped;
        for (void (*marks)() : {AddSlursToDescription, AddTextLinesToDescription, AddTextItemsToDescription,
                                AddDynamicsToDescription, AddRepeatMarksToDescription,
                                AddPedalsAndOrnamentsToDescription}) {
          marks();
          if (!Ask(keepGoing)) return kStageStopped;
        }
        Checkpoint(EngineEntry::RecognisePage);
        point(100);
        return kStageCompleted;
      },
      StageFailure);
}

int CloseEngine() {
  Guarded(
      false,
      []() -> int {
        FreeEngine();
        Checkpoint(EngineEntry::CloseEngine);
        return 0;
      },
      [](EngineCode) { return 0; });
  return 0;
}

void FreePageBitmap() {
  Guarded(
      false,
      []() -> int {
        FreeOnebppImage();
        Checkpoint(EngineEntry::FreePageBitmap);
        return 0;
      },
      [](EngineCode) { return 0; });
}

int CostToConfidence(int cost) {
  if (cost < 0) cost = 0;  // no cost is better than none
  double p = std::floor(100.0 * std::exp(-cost / 1477.3) + 0.5);
  return static_cast<int>(std::floor((100.0 - p) * 0.9 + p + 0.5));
}
