// Times the five ambiguity stages on pages of many objects: staves full of
// beamed notes (a head on a down stem, a beam over every pair of stems, every
// fourth note with a second, costly stem beside it that conflicts with the
// first), from a light page to several times the densest engraved one.
// Probabilities are recomputed on every question; this prints what the
// stages cost. Not a test: run it from a Release build.
//
//   ambig_bench
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "benchmarks/BeamedPage.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/ambigres.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

}  // namespace

int main() {
  const int32_t sizes[] = {500, 2000, 4000, 8000};
  for (int32_t notes : sizes) {
    MakeBeamedPage(notes, 2480, true);
    BuildObjectGraph();
    const int32_t nodes = CountLiveGraphNodes();
    double t[5];
    Clock::time_point start = Clock::now();
    ResolveAmbiguitiesStage1(1);
    t[0] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage2();
    t[1] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage3(1);
    t[2] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage4();
    t[3] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage5();
    t[4] = Ms(start);
    std::printf("%6d notes %6d nodes -> %6d live  stages (ms): %8.1f %8.1f %8.1f %8.1f %8.1f\n", notes, nodes,
                CountLiveGraphNodes(), t[0], t[1], t[2], t[3], t[4]);
    std::fflush(stdout);
  }
  FreeHandPage();
  FreeEngine();
  return 0;
}
