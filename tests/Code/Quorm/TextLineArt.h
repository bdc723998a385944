// Rendered text lines for the line reader's tests: the PBM fixtures of
// fixtures/text (made by tools/make_text_lines.py) with their glyph truth,
// their vertical runs, and drawn lines (blots, rows of bars).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Code/Quorm/Findcuts.h"
#include "Code/Quorm/Readline.h"

struct GlyphTruth {
  int code;
  int32_t firstColumn;  // ink columns the glyph adds to the line
  int32_t lastColumn;
};

struct TextLineImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;  // one byte per pixel, 1 = ink
  std::string text;
  std::vector<GlyphTruth> glyphs;
  bool Ink(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x] != 0; }
};

// The rows of a glyph's ink within its truth columns, bottom excluded; top is
// the line's height and bottom 0 when the columns hold no ink.
struct InkRows {
  int32_t top;
  int32_t bottom;
};
InkRows GlyphInkRows(const TextLineImage& line, const GlyphTruth& glyph);

// fixtures/text/NAME.pbm and NAME.txt; false when either cannot be read.
bool LoadTextLine(const std::string& name, TextLineImage* out);
TextLineImage BlankLine(int32_t width, int32_t height);
// The ink of line set down times, each copy overlap columns into the one
// before: a row of touching glyphs.
TextLineImage RepeatedLine(const TextLineImage& line, int32_t times, int32_t overlap);
void FillBox(TextLineImage& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// The line leaning right by a slant (Textslnt.h): each row moved right by
// its height above the bottom row times the slant; the line the reader's
// shear makes upright again (wider by the top row's move).
TextLineImage LeaningLine(const TextLineImage& line, int32_t slant);

// The vertical black runs, by column and then row.
std::vector<LineRun> RunsOf(const TextLineImage& image);
// The engine's 1-bit bitmap block of the image (header and rows).
std::vector<uint32_t> BitmapBlockOf(const TextLineImage& image);

// The words of a line reading joined by single spaces.
std::string TextOf(const LineReading& reading);
// A reading against the line's truth: the words of the truth found among the
// words read, and the characters right (the longest common subsequence of
// the two texts without their spaces).
struct LineScore {
  size_t wordsRight = 0, words = 0, charsRight = 0, chars = 0;
};
LineScore ScoreLineReading(const std::string& truth, const std::string& read);
