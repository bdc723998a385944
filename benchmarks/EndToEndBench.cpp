// The whole reading path on the end-to-end benchmark's engraved pages
// (benchmarks/e2e/engrave_scores.py): each page is opened from its TIFF into
// a page store of its own (preparation included), read on the reading thread
// with the program's stage table, merged into a new score by the hand-over,
// and exported with ExportMusicXml. Writes READ_FOLDER/results.txt, one line
// per page, for tools/compare_scores.py --results, which compares every
// export with the score that made the page. Not a test: run it from a
// Release build through benchmarks/e2e/run.sh (see README).
//
//   e2e_bench PAGE_FOLDER READ_FOLDER [PROGRAM_FOLDER] [--records]
//
// PROGRAM_FOLDER holds Resources/ (the classifier databases and the engine's
// data below Resources/Quorm); the build's bin/ by default. --records prints
// the page's note and symbol records to stderr before the stages that change
// them most (big symbols, note values, the group's finish, score building),
// one line a record, to find where a misread page goes wrong. The times per
// page: the whole path (open to export), score building (its stages, rhythm
// correction on, and the merge) and the engine (staff stage and recognition).
// READ_FOLDER/staves.txt gives per page the engine's staves and systems and
// the staves it joined to the one below (a brace); the total goes to stderr.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Code/Quorm/EngineHost.h"
#include "Code/Quorm/Findstav.h"
#include "reading/RecognitionRecords.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "shapes/ClassifierStartup.h"
#include "stages/RecognitionStages.h"
#include "tests/readpath/PageReading.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// ---- Timing the stages and the engine ----

struct StageTimes {
  double building = 0;
  double engine = 0;
};
// What the engine made of the page's staves, taken right after recognition.
struct StaveTally {
  int staves = 0, systems = 0;
  int joined = 0;  // staves joined to the next (GetStaffJoinedBelow)
};
StaveTally tally;
StageTimes times;
StageFunction original[static_cast<int>(ReadingStage::kCount)];
bool printRecords = false;

bool IsScoreBuilding(ReadingStage id) {
  switch (id) {
    case ReadingStage::kFindChars:
    case ReadingStage::kAssignStavesToParts:
    case ReadingStage::kFinishGroup:
    case ReadingStage::kInterpretStaveSymbols:
    case ReadingStage::kCorrectBarRhythms:
      return true;
    default:
      return false;
  }
}

// ---- The records between the stages (--records) ----

const char* RecordsPrintedBefore(ReadingStage id) {
  switch (id) {
    case ReadingStage::kBigSymbols:
      return "big symbols";
    case ReadingStage::kNoteValues:
      return "note values";
    case ReadingStage::kFinishGroup:
      return "finish group";
    case ReadingStage::kInterpretStaveSymbols:
      return "stave symbols";
    default:
      return nullptr;
  }
}

void PrintRecords(const char* stage, const StageContext& c) {
  std::fprintf(stderr, "== before %s (stave %d, group from stave %d)\n", stage, c.stave, c.firstStave);
  for (uint32_t i = 0; i < c.lists->noteCount; ++i) {
    const NoteRecord& n = c.lists->notes[i];
    std::fprintf(stderr,
                 "note %u: x %d-%d y %d-%d stave %d step %d kind %u dots %d quality %d voice %d origin %d beamed %u "
                 "down %u right %u stems %d %d %d %d ledger %d;",
                 i, n.left, n.right, n.top, n.bottom, n.stave, n.step, n.kind, n.dots, n.quality, n.aux, n.origin,
                 n.beamed, n.stemDown, n.stemRight, n.stemLength[0], n.stemLength[1], n.stemLength[2], n.stemLength[3],
                 n.ledgerCount);
    for (int a = 0; a < n.appenditureCount && a < kMaxAppenditures; ++a)
      std::fprintf(stderr, " item %u x %d-%d y %d-%d", n.appenditures[a].kind, n.appenditures[a].left,
                   n.appenditures[a].right, n.appenditures[a].top, n.appenditures[a].bottom);
    std::fprintf(stderr, "\n");
  }
  for (uint32_t i = 0; i < c.lists->symbolCount; ++i) {
    const SymbolRecord& s = c.lists->symbols[i];
    std::fprintf(stderr, "symbol %u: type %d x %d-%d steps %d-%d stave %d quality %d count %u voice %d score %d;", i,
                 s.type, s.left, s.right, s.stepTop, s.stepBottom, s.stave, s.quality, s.count, s.aux, s.score);
    for (int a = 0; a < s.appenditureCount && a < kMaxAppenditures; ++a)
      std::fprintf(stderr, " item %u x %d-%d y %d-%d", s.appenditures[a].kind, s.appenditures[a].left,
                   s.appenditures[a].right, s.appenditures[a].top, s.appenditures[a].bottom);
    std::fprintf(stderr, "\n");
  }
}

template <int I>
int TimedStage(StageContext& context) {
  if (printRecords && context.lists)
    if (const char* stage = RecordsPrintedBefore(static_cast<ReadingStage>(I))) PrintRecords(stage, context);
  const auto t0 = Clock::now();
  const int go = original[I](context);
  if (IsScoreBuilding(static_cast<ReadingStage>(I))) times.building += Seconds(Clock::now() - t0);
  return go;
}

template <int... I>
void WrapStages(std::integer_sequence<int, I...>) {
  ((original[I] = SetReadingStage(static_cast<ReadingStage>(I), nullptr),
    SetReadingStage(static_cast<ReadingStage>(I), original[I] ? TimedStage<I> : nullptr)),
   ...);
}

int (*engineStaffStage)(const int16_t*, const int16_t*, int, ProgressCallback, ContinueCallback);
int (*engineRecognise)(float, ProgressCallback, ContinueCallback);

int TimedStaffStage(const int16_t* rows, const int16_t* lines, int count, ProgressCallback progress,
                    ContinueCallback keepGoing) {
  const auto t0 = Clock::now();
  const int result = engineStaffStage(rows, lines, count, progress, keepGoing);
  times.engine += Seconds(Clock::now() - t0);
  return result;
}
int TimedRecognise(float factor, ProgressCallback progress, ContinueCallback keepGoing) {
  const auto t0 = Clock::now();
  const int result = engineRecognise(factor, progress, keepGoing);
  times.engine += Seconds(Clock::now() - t0);
  tally = StaveTally{};
  tally.staves = GetStaffCount();
  for (int s = 0; s < tally.staves; ++s) {
    tally.joined += GetStaffJoinedBelow(s) != 0;
    tally.systems += s == 0 || GetStaffSystem(s) != GetStaffSystem(s - 1);
  }
  return result;
}

// Remembers that the engine stopped on a failed check, so that a page that
// ends early can say why.
class BenchEngineHost : public DefaultEngineHost {
 public:
  void PostToFrame(unsigned message, uintptr_t, intptr_t) override {
    if (message == kEngineFailedMessage) failedCheck = true;
  }
  std::atomic<bool> failedCheck{false};
};
BenchEngineHost engineHost;

struct PageLine {
  std::string page, score, engraver, dpi, condition;
};

// Reads one page into a new score and exports it; the export's path or "-".
std::string ReadPage(const fs::path& tiff, const fs::path& store, const fs::path& out, double* buildMerge) {
  engineHost.failedCheck = false;
  const ReadPageResult result = ReadPageFile(tiff.string(), store.string(), out.string());
  if (!result.opened) {
    std::fprintf(stderr, "e2e_bench: %s was not opened into the page store\n", tiff.string().c_str());
    return "-";
  }
  if (!result.started) {
    std::fprintf(stderr, "e2e_bench: the reading of %s did not start\n", tiff.string().c_str());
    return "-";
  }
  if (!result.read)
    std::fprintf(stderr, "e2e_bench: the reading of %s ended early%s\n", tiff.string().c_str(),
                 engineHost.failedCheck ? " (the engine stopped on a failed check)" : "");
  *buildMerge += result.mergeSeconds;
  if (result.musicXmlPath.empty()) {
    if (ScorePages.count != 0) std::fprintf(stderr, "e2e_bench: the export of %s failed\n", tiff.string().c_str());
    return "-";
  }
  return out.string();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<const char*> args;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--records") printRecords = true;
    else args.push_back(argv[i]);
  }
  if (args.size() < 2 || args.size() > 3) {
    std::fprintf(stderr, "usage: e2e_bench PAGE_FOLDER READ_FOLDER [PROGRAM_FOLDER] [--records]\n");
    return 2;
  }
  const fs::path pagesFolder = fs::absolute(args[0]), readFolder = fs::absolute(args[1]);
  const std::string program = args.size() > 2 ? args[2] : KV_PROGRAM_FOLDER;
  std::ifstream index(pagesFolder / "index.txt");
  if (!index) {
    std::fprintf(stderr, "e2e_bench: no index.txt in %s (make the pages with benchmarks/e2e/engrave_scores.py)\n",
                 pagesFolder.string().c_str());
    return 1;
  }
  std::vector<PageLine> lines;
  std::string text;
  while (std::getline(index, text)) {
    std::istringstream words(text);
    PageLine line;
    if (words >> line.page >> line.score >> line.engraver >> line.dpi >> line.condition) lines.push_back(line);
  }
  fs::create_directories(readFolder);

  if (!SetUpReadingPath(program)) {
    std::fprintf(stderr, "e2e_bench: the classifier databases of %s/Resources did not load\n", program.c_str());
    return 1;
  }
  WrapStages(std::make_integer_sequence<int, static_cast<int>(ReadingStage::kCount)>());
  SetEngineHost(&engineHost);
  ReadingSteps& steps = CurrentReadingSteps();
  engineStaffStage = steps.runStaffStage;
  engineRecognise = steps.recognisePage;
  steps.runStaffStage = TimedStaffStage;
  steps.recognisePage = TimedRecognise;

  std::ofstream results(readFolder / "results.txt");
  std::ofstream staves(readFolder / "staves.txt");
  staves << "# PAGE STAVES SYSTEMS JOINED\n";
  StaveTally total;
  results << "# PAGE SOURCE READ ENGRAVER DPI CONDITION SECONDS BUILD_SECONDS ENGINE_SECONDS\n";
  for (const PageLine& line : lines) {
    const fs::path tiff = pagesFolder / line.page;
    const fs::path out = readFolder / (tiff.stem().string() + ".musicxml");
    fs::remove(out);
    times = StageTimes{};
    tally = StaveTally{};
    double merge = 0;
    const auto t0 = Clock::now();
    std::string read = ReadPage(tiff, readFolder / "store", out, &merge);
    const double seconds = Seconds(Clock::now() - t0);
    if (read != "-") read = fs::relative(out, pagesFolder).string();
    char row[512];
    std::snprintf(row, sizeof row, "%s %s %s %s %s %s %.3f %.4f %.4f\n", line.page.c_str(), line.score.c_str(),
                  read.c_str(), line.engraver.c_str(), line.dpi.c_str(), line.condition.c_str(), seconds,
                  times.building + merge, times.engine);
    results << row;
    std::printf("%s", row);
    std::fflush(stdout);
    staves << line.page << ' ' << tally.staves << ' ' << tally.systems << ' ' << tally.joined << '\n';
    total.staves += tally.staves;
    total.systems += tally.systems;
    total.joined += tally.joined;
  }
  std::fprintf(stderr, "e2e_bench: %d staves in %d systems, %d joined to the next (per page in staves.txt)\n",
               total.staves, total.systems, total.joined);
  fs::remove_all(readFolder / "store");
  FreeShapeDatabases();
  SetEngineHost(nullptr);
  return 0;
}
