// Reads the text finder's synthesised song page (tests/Code/Quorm/
// TextPageArt: a title, a tempo word, a chord line and a lyric line around
// two staves), level and turned by a small skew, with references built from
// the rendered alphabets. Prints the words read right out of the words on the
// page and the text stage's time as a share of the page's reading time (best
// of five runs each). Then the same share on the engraved test pages
// (tests/Code/Quorm/fixtures: titles over real music). Not a test: run it
// from a Release build, in the build folder, with KV_SOURCE_DIR naming the
// source tree.
//
//   KV_SOURCE_DIR=<source tree> text_page_bench [--shipped]
//
// --shipped reads with the shipped references ("Learned\Text").
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"
#include "tests/Code/Quorm/TextPageArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kDictionary[] = "Song of the Morning Andante sing ing a song the morn\n";
const std::vector<std::string> kReferenceLines = {"alphabet_serif", "capitals_serif", "marks_serif"};

bool shipped = false;

bool StartReading(const EngineDataFolder& folder) {
  return shipped ? StartShippedTextReading(folder, kDictionary) : StartTextReading(folder, kReferenceLines, kDictionary);
}

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

std::vector<std::string> Split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Every word the finder kept, lyric words and block items alike.
std::vector<std::string> WordsRead() {
  std::vector<std::string> words;
  for (int32_t l = 0; l < GetLyricLineCount(); ++l)
    for (int32_t w = 0; w < GetLyricLineWordCount(l); ++w) words.push_back(GetLyricWordText(MakeTextItemRef(l, w)));
  for (int32_t b = 0; b < GetTextBlockCount(); ++b)
    for (int32_t i = 0; i < GetTextBlockItemCount(b); ++i) words.push_back(GetTextBlockItemText(MakeTextItemRef(b, i)));
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  shipped = argc > 1 && std::string(argv[1]) == "--shipped";
  EngineDataFolder folder;
  std::vector<std::string> truth;
  for (const char* name : {"title_serif", "tempo_serif", "chords_serif", "lyrics_serif"}) {
    TextLineImage line;
    if (!LoadTextLine(name, &line)) {
      std::fprintf(stderr, "%s: cannot be read (is KV_SOURCE_DIR set?)\n", name);
      return 1;
    }
    for (const std::string& w : Split(line.text)) truth.push_back(w);
  }
  std::printf("%-8s %12s %10s %10s %8s\n", "skew", "words right", "text ms", "page ms", "share");
  for (double skew : {0.0, 0.012}) {
    SongPage song(skew);
    double best = 1e9, bestPage = 1e9;
    std::vector<std::string> read;
    for (int run = 0; run < 5; ++run) {
      // The text stage alone, after the steps it needs.
      if (RunStaffStageOn(song.page) != 0 || !StartReading(folder)) return 1;
      MeasurePageSkew();
      CleanSmallComponents();
      Clock::time_point start = Clock::now();
      FindText(1, 1);
      best = std::min(best, Ms(start));
      read = WordsRead();
      // The whole page stage (with the text stage in it).
      if (RunStaffStageOn(song.page) != 0 || !StartReading(folder)) return 1;
      start = Clock::now();
      RecognisePage(1.0f, nullptr, nullptr);
      bestPage = std::min(bestPage, Ms(start));
    }
    size_t right = 0;
    std::vector<std::string> left = read;
    for (const std::string& w : truth) {
      const auto at = std::find(left.begin(), left.end(), w);
      if (at == left.end()) continue;
      ++right;
      left.erase(at);
    }
    std::printf("%-8.3f %5zu of %-4zu %10.1f %10.1f %7.0f%%\n", skew, right, truth.size(), best, bestPage,
                100.0 * best / bestPage);
  }
  std::printf("\n%-8s %10s %10s %8s\n", "page", "text ms", "page ms", "share");
  for (const char* name : {"piano", "melody", "chorale"}) {
    EngravedPage engraved;
    if (!LoadEngravedPage(U8(SourcePath(std::string("tests/Code/Quorm/fixtures/") + name + ".tif")), &engraved)) {
      std::fprintf(stderr, "%s: cannot be read\n", name);
      continue;
    }
    double best = 1e9, bestPage = 1e9;
    for (int run = 0; run < 5; ++run) {
      auto load = [&] {
        FreeEngine();
        return LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0) == kEngineOk &&
               RunStaffStage(1, nullptr, nullptr) == 0 && StartReading(folder);
      };
      if (!load()) break;
      MeasurePageSkew();
      CleanSmallComponents();
      Clock::time_point start = Clock::now();
      FindText(1, 1);
      best = std::min(best, Ms(start));
      if (!load()) break;
      start = Clock::now();
      RecognisePage(1.0f, nullptr, nullptr);
      bestPage = std::min(bestPage, Ms(start));
    }
    std::printf("%-8s %10.1f %10.1f %7.0f%%\n", name, best, bestPage, 100.0 * best / bestPage);
  }
  FreeEngine();
  StopTextReading();
  return 0;
}
