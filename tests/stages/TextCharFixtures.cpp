#include "tests/stages/TextCharFixtures.h"

#include <cstdio>

#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

const GlyphStrip::Glyph* GlyphStrip::Find(char c) const {
  for (const Glyph& g : glyphs)
    if (g.c == c) return &g;
  return nullptr;
}

GlyphStrip LoadGlyphStrip(const std::string& name) {
  GlyphStrip s;
  const std::vector<uint8_t> pbm = ReadBytes(SourcePath("tests/stages/fixtures/textchars/" + name + ".pbm"));
  const std::vector<uint8_t> txt = ReadBytes(SourcePath("tests/stages/fixtures/textchars/" + name + ".txt"));
  if (pbm.size() < 8) return s;
  const std::string header(pbm.begin(), pbm.begin() + std::min<size_t>(pbm.size(), 32));
  if (std::sscanf(header.c_str(), "P4 %d %d", &s.width, &s.height) != 2) return s;
  const size_t offset = header.find('\n', header.find('\n') + 1) + 1;
  const int rawBytes = (s.width + 7) / 8;
  if (pbm.size() < offset + size_t(rawBytes) * s.height) return GlyphStrip{};
  s.rowBytes = (s.width + 31) / 32 * 4;
  s.bits.assign(size_t(s.rowBytes) * s.height, 0);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if ((pbm[offset + size_t(y) * rawBytes + x / 8] >> (7 - x % 8)) & 1)
        s.bits[size_t(y) * s.rowBytes + x / 8] |= uint8_t(1u << (x % 8));
  const std::string lines(txt.begin(), txt.end());
  size_t at = 0;
  int code, x0, y0, x1, y1, used;
  while (std::sscanf(lines.c_str() + at, "%d %d %d %d %d%n", &code, &x0, &y0, &x1, &y1, &used) == 5) {
    s.glyphs.push_back({char(code), x0, y0, x1, y1});
    at += used;
  }
  return s;
}

int LoadShippedTextChars() { return LoadTextCharsFile(SourcePath("resources/data/TextChrs").c_str()); }

std::vector<std::string> DigitStripNames() {
  std::vector<std::string> strips;
  for (const char* face : {"dejavusans", "dejavusansbold", "dejavuserif", "liberationsans", "liberationsansbold",
                           "liberationserif"})
    for (int size : {5, 7, 10}) strips.push_back(std::string(face) + "-" + std::to_string(size));
  for (int size = 5; size <= 10; ++size) strips.push_back("c059bold-" + std::to_string(size));
  for (int size = 1; size <= 4; ++size) strips.push_back("lilypond-" + std::to_string(size));
  return strips;
}
