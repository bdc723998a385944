// Times the building of the object graph on pages of many objects: staves
// full of beamed notes (a head on a down stem, a beam over every pair of
// stems), from a light page to several times the densest engraved one. Every
// page is linked however many nodes it holds; this prints what that costs.
// Not a test: run it from a Release build.
//
//   graph_bench
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "benchmarks/BeamedPage.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main() {
  const int32_t sizes[] = {500, 2000, 2400, 4000, 8000, 16000};
  for (int32_t notes : sizes) {
    double best = 0;
    int32_t nodes = 0;
    for (int round = 0; round < 3; ++round) {
      MakeBeamedPage(notes, 2480, false);
      const Clock::time_point start = Clock::now();
      BuildObjectGraph();
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      best = round == 0 ? ms : std::min(best, ms);
      nodes = CountLiveGraphNodes();
    }
    std::printf("%6d notes  %6d nodes  graph built in %8.1f ms (best of 3)\n", notes, nodes, best);
    std::fflush(stdout);
  }
  FreeHandPage();
  FreeEngine();
  return 0;
}
