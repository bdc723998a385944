// Runs the reading thread as the program does (the recognition stages and
// score building installed, the shipped engine and classifier data) over the
// engraved test pages and over synthesised A4 pages at 300 and 600 dpi, and
// prints per page the engine's time, each stage's time, and the symbols the
// stages found against the known symbols of the page (the truth list beside
// an engraved page, what the synthesiser drew on the others). Not a test:
// run it from a Release build (see README, Benchmarks).
//
//   reading_bench [folder of the engraved pages [program folder]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Code/Quorm/Engpaths.h"
#include "benchmarks/ReadingBenchPages.h"
#include "benchmarks/ReadingBenchScoring.h"
#include "building/BuildContext.h"
#include "building/ScoreBuildingStages.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "platform/ShellFlags.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"
#include "shapes/ClassifierStartup.h"
#include "stages/NoteheadVerification.h"
#include "stages/RecognitionStages.h"
#include "stages/StemScan.h"
#include "stages/TextCharacters.h"
#include "tests/Code/Quorm/EngravedPage.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// ---- The page served to the thread ----
struct BenchPage {
  std::vector<uint32_t> bits;
  int width = 0, height = 0, resolution = 300;
};
BenchPage g_page;

int LoadBenchPage(int, PageData* page) {
  page->width = static_cast<uint32_t>(g_page.width);
  page->height = static_cast<uint32_t>(g_page.height);
  page->resolution = g_page.resolution;
  page->staveCount = 0;  // located on the page, as for a new page
  page->boxCount = 0;
  return 1;
}
uint8_t* BenchImage(PageData*, uint32_t* strideWords) {
  *strideWords = static_cast<uint32_t>((g_page.width + 31) / 32);
  return reinterpret_cast<uint8_t*>(g_page.bits.data());
}

// ---- The engine steps, timed ----
double g_engineMs = 0, g_locateMs = 0, g_linesMs = 0;
const ReadingSteps& Real() { return DefaultReadingSteps(); }
template <typename F>
auto Timed(double& into, F f) {
  const Clock::time_point t0 = Clock::now();
  auto result = f();
  into += Ms(t0, Clock::now());
  return result;
}
int TimedStart() { return Timed(g_engineMs, [] { return Real().startEngine(); }); }
const char* TimedLoad(const uint32_t* b, int w, int h, int s) {
  return Timed(g_engineMs, [&] { return Real().loadPageImage(b, w, h, s); });
}
int TimedStaffStage(const int16_t* rows, const int16_t* lines, int count, ProgressCallback p, ContinueCallback k) {
  return Timed(g_engineMs, [&] { return Real().runStaffStage(rows, lines, count, p, k); });
}
int TimedRecognise(float factor, ProgressCallback p, ContinueCallback k) {
  return Timed(g_engineMs, [&] { return Real().recognisePage(factor, p, k); });
}
int TimedLocate(PageData* page, StaveRow* rows, int* count) {
  return Timed(g_locateMs, [&] { return Real().locateStaves(page, rows, count); });
}
int TimedRemoveLines(const uint8_t* image, uint8_t* copy, uint32_t stride, uint32_t height, const StaveRow* rows,
                     int count, int s, const StavePage& geometry) {
  return Timed(g_linesMs, [&] { return Real().removeStaveLines(image, copy, stride, height, rows, count, s, geometry); });
}

// ---- The stages, timed, and the group's lists labelled ----
constexpr int kStages = static_cast<int>(ReadingStage::kCount);
StageFunction g_stage[kStages];
double g_stageMs[kStages];
StaveLabels g_found;

template <int I>
int TimedStage(StageContext& context) {
  if (I == static_cast<int>(ReadingStage::kInterpretStaveSymbols)) {
    // What the recognition stages leave for score building.
    const ReadingWorkLists& lists = *context.lists;
    int groupStaves = 0;
    while (context.firstStave + groupStaves < context.staveCount &&
           context.rows[context.firstStave + groupStaves].group == context.rows[context.firstStave].group)
      ++groupStaves;
    LabelGroupRecords(lists.symbols, static_cast<int>(lists.symbolCount), lists.notes,
                      static_cast<int>(lists.noteCount), context.firstStave, groupStaves, &g_found);
  }
  const Clock::time_point t0 = Clock::now();
  const int result = g_stage[I] ? g_stage[I](context) : 1;
  g_stageMs[I] += Ms(t0, Clock::now());
  return result;
}
template <int... I>
void WrapStages(std::integer_sequence<int, I...>) {
  ((g_stage[I] = SetReadingStage(static_cast<ReadingStage>(I), TimedStage<I>)), ...);
}
const char* StageName(int i) {
  switch (static_cast<ReadingStage>(i)) {
    case ReadingStage::kFindChars: return "text finder";
    case ReadingStage::kAssignStavesToParts: return "staves to parts";
    case ReadingStage::kNoteheads: return "noteheads";
    case ReadingStage::kTabNumbers: return "tab numbers";
    case ReadingStage::kBigSymbols: return "big symbols";
    case ReadingStage::kConvertNoteRecords: return "note records";
    case ReadingStage::kNoteValues: return "note values";
    case ReadingStage::kOverlapCleanUp: return "overlap clean-up";
    case ReadingStage::kArticulation: return "articulation";
    case ReadingStage::kArticulationSlot: return "articulation slot";
    case ReadingStage::kAppenditures: return "appendages";
    case ReadingStage::kSlursTiesHairpins: return "slurs, ties, hairpins";
    case ReadingStage::kDotsAndWords: return "dots and words";
    case ReadingStage::kGuitarFrames: return "guitar frames";
    case ReadingStage::kFinishGroup: return "finish group";
    case ReadingStage::kGroupOverlaps: return "group overlaps";
    case ReadingStage::kInterpretStaveSymbols: return "stave symbols (building)";
    case ReadingStage::kCorrectBarRhythms: return "bar rhythms (building)";
    default: return "stage";
  }
}

// ---- The host: the thread's stage time lines collected ----
class BenchHost : public ReadingHost {
 public:
  void PostToFrame(unsigned message) override { posted = message; }
  void DebugLine(const char16_t* text) override {
    std::string line;
    for (const char16_t* p = text; *p && *p != u'\n'; ++p) line += static_cast<char>(*p);
    const size_t colon = line.rfind(':');
    if (colon == std::string::npos) return;
    lines[line.substr(0, colon)] += std::atoi(line.c_str() + colon + 1);
  }
  void LockDrawing() override {}
  void UnlockDrawing() override {}
  unsigned posted = 0;
  std::map<std::string, int> lines;  // centiseconds per line name, summed over the page
};
BenchHost g_host;

// One line of the closing summary per page.
struct PageSummary {
  std::string name;
  double engineMs, stagesMs;
  CategoryTally all;
};
std::vector<PageSummary> g_summary;

CategoryTally Total(const Tally& tally) {
  CategoryTally all;
  for (const auto& category : tally) {
    all.truth += category.second.truth;
    all.found += category.second.found;
    all.matched += category.second.matched;
  }
  return all;
}

bool ReadOnePage(const char* name, const StaveLabels* truth, Tally* tally) {
  g_engineMs = g_locateMs = g_linesMs = 0;
  for (double& ms : g_stageMs) ms = 0;
  g_found.clear();
  g_host.lines.clear();
  g_host.posted = 0;
  pageTable = PageTable{};
  pageTable.pageCount = 1;
  pageTable.rows[0].flags = kPageSelected;
  ScorePages = ScorePageList{};
  ResetScoreStreams();
  ResetWorkStreams();
  ResetPartRecords();
  PartCount = 0;
  Flags().abort = 0;
  Reading().pageIndex = 0;
  Reading().pageHasItems = 0;
  Reading().scorePosition = 1;
  ReadingActive() = 1;
  PrepareReadingBuildContext();
  const Clock::time_point t0 = Clock::now();
  std::thread reading(ReadingThreadBody);
  reading.join();
  const double wholeMs = Ms(t0, Clock::now());
  double stagesMs = 0;
  for (double ms : g_stageMs) stagesMs += ms;
  const bool read = g_host.posted == kReadPageDoneMessage;
  std::printf("%s: %dx%d at %d dpi, %u staves, %s\n", name, g_page.width, g_page.height, g_page.resolution,
              readPage.staveCount, read ? "read" : "reading ended early");
  std::printf("  whole page %9.1f ms   stave locating %7.1f ms   line removal %7.1f ms\n", wholeMs, g_locateMs,
              g_linesMs);
  std::printf("  engine     %9.1f ms   stages %9.1f ms  (%.2f of the engine; target at most 1)\n", g_engineMs,
              stagesMs, g_engineMs > 0 ? stagesMs / g_engineMs : 0.0);
  for (int i = 0; i < kStages; ++i)
    if (g_stage[i]) std::printf("    %-26s %9.2f ms\n", StageName(i), g_stageMs[i]);
  std::printf("  the thread's stage time lines (centiseconds, summed over staves and groups):");
  for (const auto& line : g_host.lines) std::printf(" %s %d;", line.first.c_str(), line.second);
  std::printf("\n");
  if (truth) {
    Tally page;
    ScoreLabels(*truth, g_found, &page);
    ScoreLabels(*truth, g_found, tally);
    PrintTally("symbols of this page:", page);
    g_summary.push_back({name, g_engineMs, stagesMs, Total(page)});
  }
  Reading().pageIndex = -1;
  ReadingActive() = 0;
  return read;
}

std::string Forward(std::string path) {
#ifdef _WIN32
  // Under Wine the Unix tree is drive Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string fixtures = Forward(argc > 1 ? argv[1] : KV_ENGRAVED_PAGES);
  const std::string program = Forward(argc > 2 ? argv[2] : KV_PROGRAM_FOLDER);
  const std::u16string programWide(program.begin(), program.end());
  SetResourceFolder(programWide.c_str());
  SetEngineFolder((program + "/Resources/Quorm").c_str());
  if (!BuildShapeDatabase()) {
    std::printf("the classifier databases in %s/Resources could not be loaded\n", program.c_str());
    return 1;
  }
  NoteheadTemplates() = &Classifier()->notation;
  if (LoadTextChars() == 0) std::printf("(no text-character definitions loaded: tablature is not read)\n");
  InitSlopeTables();
  InstallRecognitionStages();
  InstallScoreBuildingStages();
  SetReadingStartHook(nullptr);  // the benchmark prepares the build context itself
  WrapStages(std::make_integer_sequence<int, kStages>{});
  SetReadingHost(&g_host);
  ReadingSteps steps = DefaultReadingSteps();
  steps.loadPage = LoadBenchPage;
  steps.pageImage = BenchImage;
  steps.locateStaves = TimedLocate;
  steps.removeStaveLines = TimedRemoveLines;
  steps.startEngine = TimedStart;
  steps.loadPageImage = TimedLoad;
  steps.runStaffStage = TimedStaffStage;
  steps.recognisePage = TimedRecognise;
  CurrentReadingSteps() = steps;

  Tally engraved;
  for (const char* name : {"piano", "melody", "chorale"}) {
    EngravedPage page;
    if (!LoadEngravedPage(fixtures + "/" + name + ".tif", &page)) {
      std::printf("%s/%s.tif cannot be read\n", fixtures.c_str(), name);
      return 1;
    }
    g_page.bits = page.bits;
    g_page.width = page.width;
    g_page.height = page.height;
    g_page.resolution = 300;
    StaveLabels truth;
    std::string error;
    if (!ReadTruthList(fixtures + "/" + name + ".symbols.txt", &truth, &error)) {
      std::printf("%s\n", error.c_str());
      return 1;
    }
    ReadOnePage(name, &truth, &engraved);
  }
  PrintTally("engraved pages together:", engraved);

  const SynthesisedScore kScores[] = {{300, 20, 11}, {300, 20, 12}, {600, 37, 13}};
  Tally clean300;
  for (const SynthesisedScore& score : kScores) {
    SynthPage page(1, 1);
    StaveLabels truth;
    std::string error;
    if (!DrawSynthesisedScore(fixtures + "/glyphs", score, &page, &truth, &error)) {
      std::printf("%s\n", error.c_str());
      return 1;
    }
    g_page.bits.assign(page.bits(), page.bits() + static_cast<size_t>(page.wordsPerRow()) * page.height());
    g_page.width = page.width();
    g_page.height = page.height();
    g_page.resolution = score.resolution;
    const std::string name = "synthesised " + std::to_string(score.resolution) + " dpi, seed " +
                             std::to_string(score.seed);
    Tally unused;
    ReadOnePage(name.c_str(), &truth, score.resolution == 300 ? &clean300 : &unused);
  }
  PrintTally("clean synthesised 300-dpi pages together:", clean300);

  std::printf("\n%-34s %10s %10s %6s %9s %6s\n", "page", "engine ms", "stages ms", "ratio", "precision", "recall");
  for (const PageSummary& p : g_summary) {
    auto ratio = [](int a, int b) {
      char text[16] = "-";
      if (b) std::snprintf(text, sizeof text, "%.2f", static_cast<double>(a) / b);
      return std::string(text);
    };
    std::printf("%-34s %10.1f %10.1f %6.2f %9s %6s\n", p.name.c_str(), p.engineMs, p.stagesMs,
                p.engineMs > 0 ? p.stagesMs / p.engineMs : 0.0, ratio(p.all.matched, p.all.found).c_str(),
                ratio(p.all.matched, p.all.truth).c_str());
  }

  for (int i = 0; i < kStages; ++i) SetReadingStage(static_cast<ReadingStage>(i), nullptr);
  CurrentReadingSteps() = DefaultReadingSteps();
  SetReadingHost(nullptr);
  NoteheadTemplates() = nullptr;
  FreeShapeDatabases();
  return 0;
}
