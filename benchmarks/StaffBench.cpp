// Runs the staff stage and prints the time per page: on the engraved test
// pages, and on synthesised score pages with whole lines ("clean") and with
// every line cut into fragments at offsets of its own ("fragmented", as on a
// poor scan or a photocopy with dropouts). Not a test: run it from a Release
// build.
//
//   staff_bench [folder of the engraved pages] [name filter]
//
// Only pages whose name contains the filter run (all without one).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
constexpr double kRoundBudgetMs = 20000;  // no further rounds once a page has taken this long

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Best time of the rounds in ms, or a negative value when a run does not
// complete.
double TimePage(const char* name, const uint32_t* bits, int width, int height) {
  double best = 0, total = 0;
  int rounds = 0;
  int staves = 0, systems = 0;
  while (rounds < kRounds && (rounds == 0 || total < kRoundBudgetMs)) {
    FreeEngine();
    const Clock::time_point start = Clock::now();
    const bool loaded = LoadPageImage(bits, width, height, 0) == kEngineOk;
    const int result = loaded ? RunStaffStage(1, nullptr, nullptr) : -1;
    const double ms = Milliseconds(start, Clock::now());
    // A page on which the stage finds no staff still counts: its cost is
    // what is measured.
    if (result != kStageCompleted && !(loaded && LastStaffFinderCode() != nullptr && std::string(LastStaffFinderCode()) == "Xnostaves")) {
      std::printf("%-22s staff stage failed (%d)\n", name, result);
      FreeEngine();
      return -1;
    }
    best = rounds == 0 ? ms : std::min(best, ms);
    total += ms;
    ++rounds;
    staves = static_cast<int>(GetStaffCount());
    systems = staves > 0 ? static_cast<int>(GetSystemCount()) : 0;
  }
  std::printf("%-22s %4d x %4d  %3d staves in %2d systems  best %9.1f ms  mean %9.1f ms (%d rounds)\n", name, width,
              height, staves, systems, best, total / rounds, rounds);
  std::fflush(stdout);
  FreePageBitmap();
  FreeEngine();
  return best;
}

bool Selected(const std::string& name, const std::string& filter) {
  return filter.empty() || name.find(filter) != std::string::npos;
}

// false when the page cannot be read or a run does not complete.
bool RunEngravedPage(const std::string& folder, const char* name) {
  EngravedPage page;
  const std::string path = folder + "/" + name + ".tif";
  if (!LoadEngravedPage(path, &page)) {
    std::printf("%-22s cannot read %s\n", name, path.c_str());
    return false;
  }
  return TimePage(name, page.bits.data(), page.width, page.height) >= 0;
}

// A synthesised score page: the strips hold small print (staff space 10
// pixels) across their width, the A4 pages a score at the resolution (staff
// space 1.75 mm, lines a seventh of it thick). Fragmented lines are cut into
// pieces of a half to one staff space with gaps of up to a fifth of one, each
// piece moved up or down by up to a twentieth of one (at least a pixel).
struct SynthCase {
  const char* name;
  int width;
  int height;
  double spacing;
  double margin;  // in staff spaces
};

// Times a page clean and fragmented; returns false when a run fails.
bool RunSynthCase(const SynthCase& c, const std::string& filter) {
  SynthScore score;
  score.spacing = c.spacing;
  score.margin = c.margin;
  score.thickness = std::max(2, static_cast<int>(std::lround(c.spacing / 7)));
  score.gap = std::max(2, static_cast<int>(std::lround(c.spacing / 5)));
  score.shift = std::max(1, static_cast<int>(std::lround(c.spacing / 20)));
  double times[2] = {0, 0};
  bool ok = true;
  for (int fragmented = 0; fragmented < 2; ++fragmented) {
    const std::string name = std::string(c.name) + (fragmented ? " fragmented" : " clean");
    if (!Selected(name, filter)) continue;
    score.fragment = fragmented ? static_cast<int>(std::lround(0.5 * c.spacing)) : 0;
    SynthPage page(c.width, c.height);
    DrawScorePage(page, score);
    times[fragmented] = TimePage(name.c_str(), page.bits(), page.width(), page.height());
    ok = ok && times[fragmented] >= 0;
  }
  if (times[0] > 0 && times[1] > 0)
    std::printf("%-22s fragmented / clean = %.2f (target at most 3)\n", c.name, times[1] / times[0]);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : KV_ENGRAVED_PAGES;
  const std::string filter = argc > 2 ? argv[2] : "";
  std::printf("Staff stage (page load and staff finding), up to %d rounds per page\n", kRounds);
  bool ok = true;
  for (const char* name : {"piano", "melody", "chorale"})
    if (Selected(name, filter)) ok = RunEngravedPage(folder, name) && ok;
  static const SynthCase kCases[] = {
      {"strip 190", 190, 240, 10, 0.5},           {"strip 760", 760, 240, 10, 0.5},
      {"strip 2480", 2480, 240, 10, 0.5},         {"quarter A4 300dpi", 1240, 1754, 21, 3},
      {"A4 300dpi", 2480, 3508, 21, 3},           {"A4 600dpi", 4960, 7016, 41, 3},
  };
  for (const SynthCase& c : kCases) ok = RunSynthCase(c, filter) && ok;
  return ok ? 0 : 1;
}
