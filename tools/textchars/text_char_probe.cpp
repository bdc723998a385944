// The tuning aid of the text-character definitions: scores or measures the
// definitions of a "TextChrs" file on the character strips that
// render_digits.py writes, with the program's own matcher.
//
//   text_char_probe scores DEFINITIONS STRIP.pbm ...
//       one line per character: strip, character, the score of each definition
//   text_char_probe measure DEFINITIONS STRIP.pbm ...
//       one line per character: strip, character, and per definition the
//       first component's blob as "left,right,top,bottom" in sixteenths of
//       the box, or "-" when its seed was not found
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "stages/TextCharacters.h"

namespace {

struct Glyph {
  char c;
  int x0, y0, x1, y1;
};

struct Strip {
  int width = 0, height = 0, rowBytes = 0;
  std::vector<uint8_t> bits;
  std::vector<Glyph> glyphs;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool LoadStrip(const std::string& pbmPath, Strip* s) {
  const std::vector<uint8_t> pbm = ReadFile(pbmPath);
  const std::string header(pbm.begin(), pbm.begin() + std::min<size_t>(pbm.size(), 32));
  if (std::sscanf(header.c_str(), "P4 %d %d", &s->width, &s->height) != 2) return false;
  const size_t offset = header.find('\n', header.find('\n') + 1) + 1;
  const int raw = (s->width + 7) / 8;
  if (pbm.size() < offset + size_t(raw) * s->height) return false;
  s->rowBytes = (s->width + 31) / 32 * 4;
  s->bits.assign(size_t(s->rowBytes) * s->height, 0);
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x)
      if ((pbm[offset + size_t(y) * raw + x / 8] >> (7 - x % 8)) & 1)
        s->bits[size_t(y) * s->rowBytes + x / 8] |= uint8_t(1u << (x % 8));
  const std::vector<uint8_t> txt = ReadFile(pbmPath.substr(0, pbmPath.size() - 4) + ".txt");
  const std::string lines(txt.begin(), txt.end());
  size_t at = 0;
  int code, x0, y0, x1, y1, used;
  while (std::sscanf(lines.c_str() + at, "%d %d %d %d %d%n", &code, &x0, &y0, &x1, &y1, &used) == 5) {
    s->glyphs.push_back({char(code), x0, y0, x1, y1});
    at += used;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || (std::strcmp(argv[1], "scores") && std::strcmp(argv[1], "measure"))) {
    std::fprintf(stderr, "usage: text_char_probe scores|measure DEFINITIONS STRIP.pbm ...\n");
    return 2;
  }
  const bool scores = !std::strcmp(argv[1], "scores");
  const std::vector<uint8_t> data = ReadFile(argv[2]);
  std::unique_ptr<TextCharTable> table(new TextCharTable);
  const int32_t declared = data.size() >= 4 ? int32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24) : 0;
  for (int32_t i = 0; i < declared && table->count < kTextCharTableSize; ++i) {
    const size_t at = 4 + size_t(i) * kTextCharDefBytes;
    if (at + kTextCharDefBytes > data.size()) break;
    if (ParseTextCharDef(&data[at], &table->defs[table->count])) ++table->count;
  }
  std::unique_ptr<TextMatchScratch, void (*)(TextMatchScratch*)> scratch(NewTextMatchScratch(), DeleteTextMatchScratch);
  for (int a = 3; a < argc; ++a) {
    Strip strip;
    if (!LoadStrip(argv[a], &strip)) {
      std::fprintf(stderr, "%s: not a strip\n", argv[a]);
      return 1;
    }
    const TextImage image{strip.bits.data(), strip.rowBytes / 4 - 1, strip.height};
    std::string name = argv[a];
    name = name.substr(name.find_last_of("/\\") + 1);
    name = name.substr(0, name.size() - 4);
    for (const Glyph& g : strip.glyphs) {
      std::printf("%s %c", name.c_str(), g.c);
      const double w = g.x1 - g.x0, h = g.y1 - g.y0;
      for (int i = 0; i < table->count; ++i) {
        if (scores) {
          std::printf(" %d", MatchTextCharDef(*table, *scratch, image, g.x0, g.y0, g.x1, g.y1, i, -1000, true));
          continue;
        }
        TextComponentMeasure m;
        MeasureTextCharComponent(*table, *scratch, image, g.x0, g.y0, g.x1, g.y1, i, 0, &m);
        if (!m.found)
          std::printf(" -");
        else
          std::printf(" %.1f,%.1f,%.1f,%.1f", m.left * 16 / w, m.right * 16 / w, m.top * 16 / h, m.bottom * 16 / h);
      }
      std::printf("\n");
    }
  }
  return 0;
}
