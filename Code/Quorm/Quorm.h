// The engine's entry points. One engine run: StartEngine, LoadPageImage,
// then RunStaffStage (stave locating) or RunStaffStageWithHints and
// RecognisePage (page reading), the results read through the staff and page
// description accessors, FreePageBitmap, CloseEngine. Nothing of one run
// survives into the next.
//
// Every entry point here is guarded: it takes the engine mutex for its call,
// and a failed internal check or an exhausted heap inside it unwinds to it;
// it then frees the run's tables and returns the code (below); the run's
// later steps answer the same until the next StartEngine. Module code
// behind these entry points uses its own names (LoadOnebppImage,
// FreeOnebppImage, RunHintedStaffStage ...), never these.
#pragma once

#include <cstdint>
#include <mutex>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/EngineHost.h"

// Stage results.
constexpr int kStageCompleted = 0;
constexpr int kStageStopped = 1;
constexpr int kStageFailed = 9999;  // the staff finder returned a code name
// A stage that unwound returns the number of its code instead
// (EngineErrorNumber: 1101 for a failed check, 1103 / 1104 out of memory).

// 0 = engine ready; 1 = failed (folder or initialisation; also after a failed
// check or exhausted memory, see LastEngineFailure).
int StartEngine();
// null, or the first failing step's code name.
EngineCode InitialiseEngine();
// Frees every module's tables; harmless at any time, also twice.
void FreeEngine();
// bits: rows of 32-bit words (ceil(width / 32) per row), bit 0 the leftmost
// pixel, 1 black. null = loaded; else a code name.
EngineCode LoadPageImage(const uint32_t* bits, int width, int height, int stretchWidth);
// The stages answer 1 (stopped) at once when no page image is loaded.
int RunStaffStage(int sixLines, ProgressCallback progress, ContinueCallback keepGoing);
// staveRows: staffCount rows of 24 signed 16-bit words; lineTable: six rows of
// 1024 values per staff. The continue callback is asked between the steps.
int RunStaffStageWithHints(const int16_t* staveRows, const int16_t* lineTable, int staffCount,
                           ProgressCallback progress, ContinueCallback keepGoing);
// 0 completed, 1 stopped; the number of the code after a failed check.
int RecognisePage(float progressFactor, ProgressCallback progress, ContinueCallback keepGoing);
// Always 0; runs FreeEngine.
int CloseEngine();
void FreePageBitmap();
// A recognition cost as a percentage in 90..100.
int CostToConfidence(int cost);

// The code with which the current run failed: a failed check or exhausted
// memory in any entry point, or the code of a failed start. null while the
// run is sound; FreeEngine (so StartEngine and CloseEngine) clears it. While it is set, LoadPageImage and the
// stages answer it (or its number) at once without running.
EngineCode LastEngineFailure();

// Holds the engine for a whole run (StartEngine ... CloseEngine) so that
// runs on two threads never interleave. The entry points also take the same
// (recursive) mutex for each call.
std::recursive_mutex& EngineMutex();
class EngineRunLock {
 public:
  EngineRunLock() : lock_(EngineMutex()) {}

 private:
  std::lock_guard<std::recursive_mutex> lock_;
};

// ---- Test seam ----
// The next call of the named entry point fails an internal check inside its
// run (after its own work), as a broken invariant would.
enum class EngineEntry {
  StartEngine,
  InitialiseEngine,
  LoadPageImage,
  RunStaffStage,
  RunStaffStageWithHints,
  RecognisePage,
  FreePageBitmap,
  CloseEngine,
};
void ArmEngineCheckTrip(EngineEntry entry);
