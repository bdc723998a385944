// The character strips rendered from DejaVu and Liberation faces
// (tests/stages/fixtures/textchars, made by tools/textchars/render_digits.py)
// and the shipped definitions, for the text-character and tablature tests.
#pragma once

#include <string>
#include <vector>

#include "stages/TextCharacters.h"

struct GlyphStrip {
  int width = 0, height = 0, rowBytes = 0;
  std::vector<uint8_t> bits;  // least significant bit first, rows padded to words
  struct Glyph {
    char c;
    int x0, y0, x1, y1;  // ink box, ends exclusive
  };
  std::vector<Glyph> glyphs;
  TextImage Image() const { return TextImage{bits.data(), rowBytes / 4 - 1, height}; }
  bool Ink(int x, int y) const { return (bits[size_t(y) * rowBytes + x / 8] >> (x % 8)) & 1; }
  const Glyph* Find(char c) const;
};

// name: "dejavusans-7", "letters-liberationserif-5", ...; empty when missing.
GlyphStrip LoadGlyphStrip(const std::string& name);
// Loads resources/data/TextChrs into the loaded table; the count.
int LoadShippedTextChars();

// Every strip of digits the definitions are checked against: the DejaVu and
// Liberation faces at three sizes, LilyPond's face of tablature numbers at
// six and LilyPond's own engraving at four.
std::vector<std::string> DigitStripNames();
