// Reads the rendered text lines of the engine tests (tests/Code/Quorm/
// fixtures/text) against references built from the rendered alphabets, and
// prints words right out of words, characters right out of characters and
// the time per line. Not a test: run it from a Release build, in the build
// folder (the engine's data files are copied from there), with KV_SOURCE_DIR
// naming the source tree (the fixtures are read from there).
//
//   KV_SOURCE_DIR=<source tree> text_line_bench [--shipped] [name filter]
//
// --shipped reads with the shipped references ("Learned\Text", made from
// the reference fonts by tools/textrefs) instead.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Readline.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
  const bool shipped = argc > 1 && std::string(argv[1]) == "--shipped";
  const std::string filter = argc > 1 + shipped ? argv[1 + shipped] : "";
  EngineDataFolder folder;
  const std::string words =
      "Allegro ma non troppo sing a song of the morning turn attn effort HQ moderato e molto cantabile and we shall "
      "until evening comes dolce espressivo poco cresc Three Songs for Winter over hills far away\n";
  if (!(shipped ? StartShippedTextReading(folder, words)
                : StartTextReading(folder, {"alphabet_serif", "capitals_serif"}, words))) {
    std::fprintf(stderr, "text recognition did not start\n");
    return 1;
  }
  const char* const lines[] = {"words_serif", "lyric_serif", "hq_serif",   "rn_serif",  "ffi_serif",
                               "tt_serif",    "turn_serif",  "attn_sans", "effort_liberation",
                               // clean lines in other reference faces
                               "tempo_liberation_sans", "lyric_liberation", "expression_liberation_italic",
                               "title_serif_bold", "lyric_sans",
                               // a font the references are not made from
                               "lyric_freeserif", "tempo_freeserif"};
  size_t wordsRight = 0, wordCount = 0, charsRight = 0, charCount = 0;
  double totalMs = 0;
  size_t cleanRight = 0, cleanCount = 0, otherRight = 0, otherCount = 0;
  for (const char* name : lines) {
    if (std::string(name).find(filter) == std::string::npos) continue;
    TextLineImage line;
    if (!LoadTextLine(name, &line)) {
      std::fprintf(stderr, "%s: cannot be read\n", name);
      continue;
    }
    const std::vector<uint32_t> block = BitmapBlockOf(line);
    LineReading result{};
    const Clock::time_point start = Clock::now();
    ReadTextLine(&result, block.data(), 1);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const std::string read = TextOf(result);
    const LineScore score = ScoreLineReading(line.text, read);
    // Words right on the clean lines in the reference faces (not the
    // touching-pair lines, not the other font): the target is 95 per cent.
    const std::string n(name);
    const bool touching = n == "rn_serif" || n == "ffi_serif" || n == "tt_serif" || n == "turn_serif" ||
                          n == "attn_sans" || n == "effort_liberation";
    const bool otherFont = n.find("freeserif") != std::string::npos;
    if (!touching && !otherFont) {
      cleanRight += score.wordsRight;
      cleanCount += score.words;
    }
    if (otherFont) {
      otherRight += score.wordsRight;
      otherCount += score.words;
    }
    wordsRight += score.wordsRight;
    wordCount += score.words;
    charsRight += score.charsRight;
    charCount += score.chars;
    totalMs += ms;
    std::printf("%-20s %7.1f ms  words %zu/%zu  \"%s\" -> \"%s\"\n", name, ms, score.wordsRight, score.words,
                line.text.c_str(), read.c_str());
  }
  std::printf("clean lines in the reference faces: words right %zu/%zu; in the other font: %zu/%zu\n", cleanRight,
              cleanCount, otherRight, otherCount);
  std::printf("words right %zu/%zu, characters right %zu/%zu, %.1f ms in all\n", wordsRight, wordCount, charsRight,
              charCount, totalMs);
  StopTextReading();
  return 0;
}
