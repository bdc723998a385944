// Times the whole page reading (RecognisePage after the staff stage) on the
// engraved test pages, with the head and symbol references the reference
// maker makes from the glyph fixtures: the time between the reading's
// progress points, so each run of steps gets its figure, and the whole page.
// Not a test: run it from a Release build.
//
//   page_bench [folder of the engraved pages]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "benchmarks/EngravedBench.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

// The steps between two progress points of the reading (factor 1).
struct Segment {
  unsigned until;
  const char* steps;
};
const Segment kSegments[] = {
    {30, "start"},
    {34, "scale, object points, ledger lines, bar lines"},
    {37, "noteheads, small components"},
    {44, "text, hairpins"},
    {58, "beams"},
    {74, "stems and vertical lines"},
    {84, "slurs, object graph, ambiguity stage 1"},
    {90, "staff lines, stage 2, components, tuplet brackets"},
    {97, "fixed-size symbols"},
    {100, "symbol joins, stages 3-5, bars and marks"},
};
constexpr int kSegmentCount = sizeof kSegments / sizeof kSegments[0];

Clock::time_point g_last;
double g_spent[kSegmentCount];

int OnProgress(unsigned value) {
  const Clock::time_point now = Clock::now();
  for (int k = 0; k < kSegmentCount; ++k)
    if (kSegments[k].until == value) {
      g_spent[k] += std::chrono::duration<double, std::milli>(now - g_last).count();
      break;
    }
  g_last = now;
  return 0;
}

void TimePage(const char* name, const uint32_t* bits, int width, int height) {
  double best[kSegmentCount];
  double bestTotal = 0;
  int heads = 0;
  int symbols = 0;
  for (int round = 0; round < kRounds; ++round) {
    if (!StartAfterStaffStage(name, 10, bits, width, height)) return;
    std::fill(g_spent, g_spent + kSegmentCount, 0.0);
    const Clock::time_point start = Clock::now();
    g_last = start;
    if (RecognisePage(1.0f, OnProgress, nullptr) != kStageCompleted) {
      std::printf("%-10s the reading failed\n", name);
      return;
    }
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (round == 0 || total < bestTotal) {
      bestTotal = total;
      std::copy(g_spent, g_spent + kSegmentCount, best);
    }
    heads = GetNoteheadCount();
    symbols = GetFixedSymbolCount();
  }
  std::printf("%-10s %4d x %4d  %3d staves  %4d heads  %4d symbols  page %7.1f ms (best of %d; target 1000 ms)\n",
              name, width, height, GetStaffCount(), heads, symbols, bestTotal, kRounds);
  for (int k = 1; k < kSegmentCount; ++k) std::printf("    %7.1f ms  %s\n", best[k], kSegments[k].steps);
  EndTimedPage();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : KV_ENGRAVED_PAGES;
  if (!PrepareReferenceEngine(folder, "/tmp/page_bench_engine", true, true)) return 1;
  std::printf("The whole page reading after the staff stage, by the reading's progress points\n");
  return TimeEngravedPages(folder, TimePage) ? 0 : 1;
}
