// Reads printed lines of music text with everything the program ships (the
// text references "Learned\Text", the language data "Langs\English" and the
// dictionary "User\dict.txt" as the build wrote them) and prints, per face
// and in all, the words right out of words and the characters right out of
// characters, and the time per line. The lines (a title, tempo and
// expression words, chord symbols, lyric syllables) are rendered at 300 dpi
// in faces the references are not made from (RenderedTextLines). Not a test:
// run it from a Release build, in the build folder (the engine's data files
// are copied from there), with KV_SOURCE_DIR naming the source tree:
//
//   KV_SOURCE_DIR=<source tree> text_line_bench [--lines] [--fixtures] [face filter]
//
// --lines prints every line's reading; --fixtures reads the rendered test
// lines of tests/Code/Quorm/fixtures/text (reference faces, touching pairs)
// instead.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Readline.h"
#include "benchmarks/RenderedTextLines.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

using Clock = std::chrono::steady_clock;

// Faces of Debian packages that tools/setup.sh installs, none of them a face
// the references are made from (DejaVu, Liberation).
const BenchFace kFaces[] = {
    {"Nimbus Roman", "opentype/urw-base35/NimbusRoman-Regular.otf"},
    {"Nimbus Roman Italic", "opentype/urw-base35/NimbusRoman-Italic.otf"},
    {"Nimbus Sans", "opentype/urw-base35/NimbusSans-Regular.otf"},
    {"C059", "opentype/urw-base35/C059-Roman.otf"},
    {"P052", "opentype/urw-base35/P052-Roman.otf"},
    {"URW Bookman", "opentype/urw-base35/URWBookman-Light.otf"},
    {"FreeSerif", "truetype/freefont/FreeSerif.ttf"},
    {"FreeSans", "truetype/freefont/FreeSans.ttf"},
};

// The measured lines; none of them is a line the costs are tuned on
// (benchmarks/TextCostTuning.cpp).
const BenchLine kLines[] = {
    {"Songs of the Northern Sea", 14, 1},
    {"Allegro con brio", 12, 1},
    {"Andante sostenuto, sempre legato", 11, 1},
    {"dolce e cantabile, poco a poco cresc.", 11, 1},
    {"Gmaj7  F#m7b5  Bb/D  Am7  D7sus4  Em", 11, 2},
    {"when the win - ter wind is blow - ing", 11, 0},
    {"all through the long night we will sing", 11, 0},
};

// The fixture lines of the former benchmark: reference faces, touching pairs.
const char* const kFixtureLines[] = {"words_serif",           "lyric_serif",      "hq_serif",
                                     "rn_serif",              "ffi_serif",        "tt_serif",
                                     "turn_serif",            "attn_sans",        "effort_liberation",
                                     "tempo_liberation_sans", "lyric_liberation", "expression_liberation_italic",
                                     "title_serif_bold",      "lyric_sans",       "lyric_freeserif",
                                     "tempo_freeserif"};

struct Tally {
  size_t wordsRight = 0, words = 0, charsRight = 0, chars = 0, lines = 0;
  double ms = 0;
  void Add(const LineScore& s, double lineMs) {
    wordsRight += s.wordsRight;
    words += s.words;
    charsRight += s.charsRight;
    chars += s.chars;
    ms += lineMs;
    ++lines;
  }
};

double Percent(size_t a, size_t b) { return b == 0 ? 0.0 : 100.0 * static_cast<double>(a) / static_cast<double>(b); }

void PrintTally(const char* name, const Tally& t) {
  std::printf("%-22s words %3zu/%-3zu %5.1f%%   characters %4zu/%-4zu %5.1f%%   %5.1f ms a line\n", name,
              t.wordsRight, t.words, Percent(t.wordsRight, t.words), t.charsRight, t.chars,
              Percent(t.charsRight, t.chars), t.lines == 0 ? 0.0 : t.ms / static_cast<double>(t.lines));
}

// Reads one line; prints it when asked.
LineScore ReadOne(const TextLineImage& line, int mode, bool print, const char* label, double* ms) {
  const std::vector<uint32_t> block = BitmapBlockOf(line);
  LineReading result{};
  const Clock::time_point start = Clock::now();
  ReadTextLine(&result, block.data(), mode);
  *ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const std::string read = PlainTextOf(result);
  const LineScore score = ScoreLineReading(line.text, read);
  if (print)
    std::printf("  %-22s words %zu/%zu  \"%s\" -> \"%s\"\n", label, score.wordsRight, score.words, line.text.c_str(),
                read.c_str());
  return score;
}

}  // namespace

int main(int argc, char** argv) {
  bool printLines = false, fixtures = false;
  std::string filter;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--lines")
      printLines = true;
    else if (a == "--fixtures")
      fixtures = true;
    else
      filter = a;
  }
  EngineDataFolder folder;
  if (!StartShippedTextRecognition(folder)) {
    std::fprintf(stderr, "text recognition did not start\n");
    return 1;
  }
  Tally all;
  if (fixtures) {
    for (const char* name : kFixtureLines) {
      if (std::string(name).find(filter) == std::string::npos) continue;
      TextLineImage line;
      if (!LoadTextLine(name, &line)) {
        std::fprintf(stderr, "%s: cannot be read\n", name);
        continue;
      }
      double ms = 0;
      const LineScore score = ReadOne(line, 1, true, name, &ms);
      all.Add(score, ms);
    }
    PrintTally("fixture lines", all);
    StopTextReading();
    return 0;
  }
  for (const BenchFace& face : kFaces) {
    if (std::string(face.name).find(filter) == std::string::npos) continue;
    Tally tally;
    for (const BenchLine& l : kLines) {
      TextLineImage line;
      std::string error;
      if (!RenderBenchLine(face, l, &line, &error)) {
        std::fprintf(stderr, "%s: %s\n", face.name, error.c_str());
        continue;
      }
      double ms = 0;
      const LineScore score = ReadOne(line, l.mode, printLines, face.name, &ms);
      tally.Add(score, ms);
    }
    PrintTally(face.name, tally);
    all.wordsRight += tally.wordsRight;
    all.words += tally.words;
    all.charsRight += tally.charsRight;
    all.chars += tally.chars;
    all.ms += tally.ms;
    all.lines += tally.lines;
  }
  PrintTally("all faces", all);
  StopTextReading();
  return 0;
}
