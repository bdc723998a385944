// Runs the staff stage and prints the time per page: on the engraved test
// pages, on synthesised score pages with whole lines ("clean") and with
// every line cut into fragments at offsets of its own ("fragmented", as on a
// poor scan or a photocopy with dropouts), and on two A4 pages that hold far
// more line evidence than a score: ruled lines across the whole page, and 34
// five-line staves. Not a test: run it from a Release build.
//
//   staff_bench [folder of the engraved pages] [name filter]
//
// Only pages whose name contains the filter run (all without one). With
// KV_STAFF_DUMP set to a folder, each page's staff table (every staff's
// fields and every column of its lines) is written there as <page>.txt, so
// that two builds' results can be compared.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/resource.h>
#include <time.h>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Stavwork.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
constexpr double kRoundBudgetMs = 20000;  // no further rounds once a page has taken this long

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// The processor time of this thread in ms: on a shared machine the wall
// time also counts the waits for a core.
double CpuMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The page faults of this process so far: memory the stage touches for the
// first time costs a fault a page, which on some machines is a large part of
// the stage's time.
long PageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt + usage.ru_majflt;
}

// Writes the staff table as it stands to KV_STAFF_DUMP/<name>.txt.
void DumpStaffTable(const char* name, int width) {
  const char* folder = std::getenv("KV_STAFF_DUMP");
  if (folder == nullptr || *folder == 0) return;
  std::string file = std::string(folder) + "/" + name + ".txt";
  std::replace(file.begin() + static_cast<std::ptrdiff_t>(std::string(folder).size()) + 1, file.end(), ' ', '_');
  std::FILE* out = std::fopen(file.c_str(), "w");
  if (out == nullptr) return;
  const int32_t staves = GetStaffCount();
  std::fprintf(out, "staves %d\n", staves);
  for (int32_t i = 0; i < staves; ++i) {
    const StaffRecord& r = CountedStaff(i);
    std::fprintf(out, "staff %d lines %d slope %d thickness %d spread %d space %d x %d..%d system %d joined %d weak %d "
                 "runColumns %d minInk %d ink %d quality %d aligned %d\n",
                 i, r.lineCount, r.slope, r.lineThickness, r.thicknessSpread, r.staffSpace, r.leftX, r.rightX, r.system,
                 r.joinedBelow, r.weakLine, r.runColumns, r.minLineInk, r.lineInk, r.quality, r.alignedStaves);
    for (int32_t k = 0; k < r.lineCount; ++k) {
      std::fprintf(out, "line %d:", k);
      for (int x = 0; x < width; ++x)
        std::fprintf(out, " %d/%d/%d", r.lineY[k][x], r.lineRun[k][2 * x], r.lineRun[k][2 * x + 1]);
      std::fprintf(out, "\n");
    }
  }
  std::fclose(out);
}

// Best processor time of the rounds in ms, or a negative value when a run
// does not complete; prints the wall times too.
double TimePage(const char* name, const uint32_t* bits, int width, int height) {
  double best = 0, total = 0, bestCpu = 0;
  long bestFaults = 0;  // of the round of the best processor time
  int rounds = 0;
  int staves = 0, systems = 0;
  while (rounds < kRounds && (rounds == 0 || total < kRoundBudgetMs)) {
    FreeEngine();
    const Clock::time_point start = Clock::now();
    const double startCpu = CpuMilliseconds();
    const long startFaults = PageFaults();
    const bool loaded = LoadPageImage(bits, width, height, 0) == kEngineOk;
    const int result = loaded ? RunStaffStage(1, nullptr, nullptr) : -1;
    const double ms = Milliseconds(start, Clock::now());
    const double cpu = CpuMilliseconds() - startCpu;
    const long faults = PageFaults() - startFaults;
    // A page on which the stage finds no staff still counts: its cost is
    // what is measured.
    if (result != kStageCompleted && !(loaded && LastStaffFinderCode() != nullptr && std::string(LastStaffFinderCode()) == "Xnostaves")) {
      std::printf("%-22s staff stage failed (%d)\n", name, result);
      FreeEngine();
      return -1;
    }
    best = rounds == 0 ? ms : std::min(best, ms);
    if (rounds == 0 || cpu < bestCpu) bestFaults = faults;
    bestCpu = rounds == 0 ? cpu : std::min(bestCpu, cpu);
    total += ms;
    ++rounds;
    staves = static_cast<int>(GetStaffCount());
    systems = staves > 0 ? static_cast<int>(GetSystemCount()) : 0;
    if (rounds == 1) DumpStaffTable(name, width);
  }
  std::printf("%-22s %4d x %4d  %3d staves in %2d systems  best %9.1f ms  mean %9.1f ms  cpu %9.1f ms  faults %6ld "
              "(%d rounds)\n",
              name, width, height, staves, systems, best, total / rounds, bestCpu, bestFaults, rounds);
  std::fflush(stdout);
  FreePageBitmap();
  FreeEngine();
  return bestCpu;  // the ratios and limits go by processor time
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

// Times a page clean and fragmented; returns false when a run fails. The
// clean page's time goes to *cleanMs (0 when it did not run).
bool RunSynthCase(const SynthCase& c, const std::string& filter, double* cleanMs) {
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
  *cleanMs = times[0];
  return ok;
}

// Ruled lines across the whole page, one every staff space of a score at the
// resolution: every column holds a chain of five lines at every place.
void DrawRuledPage(SynthPage& page, double spacing) {
  const int thickness = std::max(2, static_cast<int>(std::lround(spacing / 7)));
  for (double y = spacing; y + thickness < page.height(); y += spacing) {
    const int top = static_cast<int>(std::lround(y));
    page.FillRect(top, 0, top + thickness, page.width());
  }
}

// 34 five-line staves down the page, four staff spaces apart, in systems of
// two joined by bar lines.
void DrawDenseStaves(SynthPage& page, int staves) {
  const double pitch = static_cast<double>(page.height()) / staves;
  const double spacing = std::floor(pitch / 8);
  StaffPainter painter(page);
  SynthStaff s;
  s.spacing = spacing;
  s.thickness = std::max(2, static_cast<int>(std::lround(spacing / 7)));
  s.left = static_cast<int>(std::lround(3 * spacing));
  s.right = page.width() - s.left;
  for (int i = 0; i < staves; ++i) {
    s.top = i * pitch + (pitch - 4 * spacing) / 2;
    painter.AddStaff(s);
  }
  const int bar = static_cast<int>(std::lround(12 * spacing));
  for (int first = 0; first + 1 < staves; first += 2) {
    for (int x = s.left; x < s.right; x += bar) painter.BarLine(first, first + 1, std::min(x, s.right - 2));
    painter.BarLine(first, first + 1, s.right - 2);
  }
}

struct CrowdedCase {
  const char* name;
  int width;
  int height;
  double spacing;  // of the ruled lines
  int staves;      // 0: ruled lines
};

// Times a crowded page against the clean A4 page of its resolution.
bool RunCrowdedCase(const CrowdedCase& c, double cleanMs, const std::string& filter) {
  if (!Selected(c.name, filter)) return true;
  SynthPage page(c.width, c.height);
  if (c.staves > 0)
    DrawDenseStaves(page, c.staves);
  else
    DrawRuledPage(page, c.spacing);
  const double ms = TimePage(c.name, page.bits(), page.width(), page.height());
  if (ms < 0) return false;
  if (cleanMs > 0)
    std::printf("%-22s / clean A4 = %.2f (target at most 3), %s 2 s\n", c.name, ms / cleanMs,
                ms <= 2000 ? "within" : "ABOVE");
  return true;
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
  double cleanA4[2] = {0, 0};  // 300 and 600 dpi
  for (const SynthCase& c : kCases) {
    double clean = 0;
    ok = RunSynthCase(c, filter, &clean) && ok;
    if (c.width == 2480 && c.height == 3508) cleanA4[0] = clean;
    if (c.width == 4960) cleanA4[1] = clean;
  }
  static const CrowdedCase kCrowded[] = {
      {"ruled A4 300dpi", 2480, 3508, 21, 0},     {"34 staves A4 300dpi", 2480, 3508, 0, 34},
      {"ruled A4 600dpi", 4960, 7016, 41, 0},     {"34 staves A4 600dpi", 4960, 7016, 0, 34},
  };
  for (const CrowdedCase& c : kCrowded) ok = RunCrowdedCase(c, cleanA4[c.width == 4960 ? 1 : 0], filter) && ok;
  return ok ? 0 : 1;
}
