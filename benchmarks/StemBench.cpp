// Times the vertical-line finder and prints the time per page: on the
// engraved test pages, and on synthesised A4 score pages clean and under
// heavy speckle (every speckle is a run the finder must group). The staff
// stage and the beam finder run first and are not timed. Not a test: run it
// from a Release build.
//
//   stem_bench [folder of the engraved pages] [name filter]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

// Best time of the rounds in ms, or a negative value when the page has no
// staves.
double TimePage(const char* name, const uint32_t* bits, int width, int height) {
  double best = -1;
  int lines = 0;
  for (int round = 0; round < kRounds; ++round) {
    FreeEngine();
    if (LoadPageImage(bits, width, height, 0) != kEngineOk || RunStaffStage(1, nullptr, nullptr) != kStageCompleted) {
      std::printf("%-26s staff stage failed\n", name);
      FreeEngine();
      return -1;
    }
    MeasurePageSkew();
    InitialiseObjectPoints();
    DetectBeams();
    const Clock::time_point start = Clock::now();
    DetectVerticalLines();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    best = best < 0 ? ms : std::min(best, ms);
    lines = GetVerticalLineCount();
  }
  std::printf("%-26s %4d x %4d  %4d lines  best %8.1f ms\n", name, width, height, lines, best);
  std::fflush(stdout);
  FreeEngine();
  return best;
}

bool Selected(const std::string& name, const std::string& filter) {
  return filter.empty() || name.find(filter) != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : KV_ENGRAVED_PAGES;
  const std::string filter = argc > 2 ? argv[2] : "";
  std::printf("Vertical-line finder, best of %d rounds per page\n", kRounds);
  bool ok = true;
  for (const char* name : {"piano", "melody", "chorale"}) {
    if (!Selected(name, filter)) continue;
    EngravedPage page;
    if (!LoadEngravedPage(folder + "/" + name + ".tif", &page)) {
      std::printf("%-26s cannot read the page\n", name);
      ok = false;
      continue;
    }
    ok = TimePage(name, page.bits.data(), page.width, page.height) >= 0 && ok;
  }
  for (int speckle : {0, 100000, 300000}) {
    const std::string name = "A4 300dpi speckle " + std::to_string(speckle);
    if (!Selected(name, filter)) continue;
    SynthPage page(2480, 3508);
    SynthScore score;
    score.spacing = 21;
    DrawScorePage(page, score);
    if (speckle > 0) page.Speckle(speckle, 7);
    ok = TimePage(name.c_str(), page.bits(), page.width(), page.height()) >= 0 && ok;
  }
  return ok ? 0 : 1;
}
