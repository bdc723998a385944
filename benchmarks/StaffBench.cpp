// Runs the staff stage on the engraved test pages and prints the time per
// page. Not a test: run it from a Release build.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// false when the page cannot be read or a run does not complete.
bool RunPage(const std::string& folder, const char* name) {
  EngravedPage page;
  const std::string path = folder + "/" + name + ".tif";
  if (!LoadEngravedPage(path, &page)) {
    std::printf("%-8s cannot read %s\n", name, path.c_str());
    return false;
  }
  double best = 0, total = 0;
  for (int round = 0; round < kRounds; ++round) {
    FreeEngine();
    const Clock::time_point start = Clock::now();
    const bool loaded = LoadPageImage(page.bits.data(), page.width, page.height, 0) == kEngineOk;
    const int result = loaded ? RunStaffStage(1, nullptr, nullptr) : -1;
    const double ms = Milliseconds(start, Clock::now());
    if (result != kStageCompleted) {
      std::printf("%-8s staff stage failed (%d)\n", name, result);
      FreeEngine();
      return false;
    }
    best = round == 0 ? ms : std::min(best, ms);
    total += ms;
  }
  std::printf("%-8s %4d x %4d  %2d staves in %d systems  best %8.1f ms  mean %8.1f ms\n", name, page.width,
              page.height, static_cast<int>(GetStaffCount()), static_cast<int>(GetSystemCount()), best,
              total / kRounds);
  FreePageBitmap();
  FreeEngine();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : KV_ENGRAVED_PAGES;
  std::printf("Staff stage (page load and staff finding), %d rounds per page\n", kRounds);
  bool ok = true;
  for (const char* name : {"piano", "melody", "chorale"}) ok = RunPage(folder, name) && ok;
  return ok ? 0 : 1;
}
