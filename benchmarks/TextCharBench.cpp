// Text-character matching: the time per character box and what the shipped
// definitions read on the rendered character strips (every face and size),
// and the time of reading the frets of a tablature line of them.
//
//   textchar_bench [repeats]     (from the source folder, or with KV_SOURCE_DIR set)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "stages/TextCharacters.h"
#include "tests/stages/TextCharFixtures.h"

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::atoi(argv[1]) : 20;
  if (LoadShippedTextChars() <= 0) {
    std::fprintf(stderr, "no definitions\n");
    return 1;
  }
  std::unique_ptr<TextMatchScratch, void (*)(TextMatchScratch*)> scratch(NewTextMatchScratch(), DeleteTextMatchScratch);
  const std::vector<std::string> strips = DigitStripNames();
  int boxes = 0, right = 0, wrong = 0, none = 0;
  double seconds = 0;
  for (const std::string& name : strips) {
    const GlyphStrip strip = LoadGlyphStrip(name);
    for (const GlyphStrip::Glyph& g : strip.glyphs) {
      char result[2] = {};
      int score = 0;
      const auto t0 = std::chrono::steady_clock::now();
      for (int r = 0; r < repeats; ++r)
        score = MatchTextChar(LoadedTextChars(), *scratch, strip.Image(), g.x0, g.y0, g.x1, g.y1, result, true, false);
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      ++boxes;
      const bool one = (g.c == '1' || g.c == 'I') && (result[0] == '1' || result[0] == 'I');
      if (score < 90)
        ++none;
      else if (result[0] == g.c || one)
        ++right;
      else
        ++wrong;
    }
  }
  std::printf("text characters: %d boxes, %.1f us per box\n", boxes, seconds * 1e6 / (boxes * double(repeats)));
  std::printf("read %d, misread %d, not read %d: precision %.3f recall %.3f\n", right, wrong, none,
              right + wrong ? double(right) / (right + wrong) : 0.0, double(right) / boxes);
  return 0;
}
