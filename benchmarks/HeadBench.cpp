// Times the notehead finder on the engraved test pages, with head references the reference maker makes from the
// glyph fixtures. The staff stage and the steps before the heads run untimed
// (ledger lines and bar lines are timed on their own). Not a test: run it
// from a Release build.
//
//   head_bench [folder of the engraved pages]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findbarl.h"
#include "platform/Platform.h"
#include "benchmarks/EngravedBench.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

void TimePage(const char* name, const uint32_t* bits, int width, int height) {
  double best[3] = {0, 0, 0};
  int heads = 0;
  for (int round = 0; round < kRounds; ++round) {
    if (!StartAfterStaffStage(name, 22, bits, width, height)) return;
    MeasurePageSkew();
    InitialiseObjectPoints();
    Clock::time_point t0 = Clock::now();
    DetectLedgerLines();
    Clock::time_point t1 = Clock::now();
    FindBarLines();
    Clock::time_point t2 = Clock::now();
    DetectNoteheads();
    Clock::time_point t3 = Clock::now();
    const double ms[3] = {Milliseconds(t0, t1), Milliseconds(t1, t2), Milliseconds(t2, t3)};
    for (int k = 0; k < 3; ++k) best[k] = round == 0 ? ms[k] : std::min(best[k], ms[k]);
    heads = GetNoteheadCount();
  }
  std::printf("%-22s %4d x %4d  %4d heads  ledger lines %7.1f ms  bar lines %7.1f ms  noteheads %7.1f ms (best of %d)\n",
              name, width, height, heads, best[0], best[1], best[2], kRounds);
  EndTimedPage();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : KV_ENGRAVED_PAGES;
  if (!PrepareReferenceEngine(folder, "/tmp/head_bench_engine", true, false)) return 1;
  std::printf("Ledger lines, bar lines and noteheads after the staff stage\n");
  return TimeEngravedPages(folder, TimePage) ? 0 : 1;
}
