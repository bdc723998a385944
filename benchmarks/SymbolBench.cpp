// Times fixed-size symbol recognition on the engraved test pages and on a
// synthesised staff strewn with speckle and blots, with symbol references the
// reference maker makes from the glyph fixtures. The steps of page reading
// before it run untimed, in their order. Not a test: run it from a Release
// build.
//
//   symbol_bench [folder of the engraved pages]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/findtupb.h"
#include "Code/Quorm/fssatoms.h"
#include "Code/Quorm/fssrecog.h"
#include "Code/Quorm/makemocg.h"
#include "platform/Platform.h"
#include "benchmarks/EngravedBench.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 3;

void TimePage(const char* name, const uint32_t* bits, int width, int height) {
  double best = 0;
  int atoms = 0;
  int symbols = 0;
  for (int round = 0; round < kRounds; ++round) {
    if (!StartAfterStaffStage(name, 22, bits, width, height)) return;
    MeasurePageSkew();
    InitialiseObjectPoints();
    DetectLedgerLines();
    FindBarLines();
    DetectNoteheads();
    CleanSmallComponents();
    DetectHairpins();
    FreeConnectedComponents();
    DetectBeams();
    DetectSlurs();
    BuildObjectGraph();
    KeepPageImageCopy();
    EraseStaffLines();
    ResetConnectedComponents();
    FindConnectedComponents(1000, 900, 1600);
    RestorePageImageCopy();
    DetectTupletBrackets();
    const Clock::time_point t0 = Clock::now();
    RecogniseFixedSymbols();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    best = round == 0 ? ms : std::min(best, ms);
    atoms = GetSymbolAtomCount();
    symbols = GetFixedSymbolCount();
  }
  std::printf("%-22s %4d x %4d  %5d atoms  %5d symbols  %8.1f ms (best of %d)\n", name, width, height, atoms,
              symbols, best, kRounds);
  EndTimedPage();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : KV_ENGRAVED_PAGES;
  if (!PrepareReferenceEngine(folder, "/tmp/symbol_bench_engine", false, true)) return 1;
  std::printf("Fixed-size symbols after the steps before them\n");
  if (!TimeEngravedPages(folder, TimePage)) return 1;
  // A score page of 20-pixel staves, A4 at 300 dpi, with speckle and blots.
  SynthPage noisy(2480, 3508);
  SynthScore score;
  DrawScorePage(noisy, score);
  noisy.Speckle(60000, 7);
  noisy.Blots(400, 6.0, 8);
  TimePage("speckled score A4", noisy.bits(), noisy.width(), noisy.height());
  return 0;
}
