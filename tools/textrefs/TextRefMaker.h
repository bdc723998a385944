// The text reference maker: renders words in the reference fonts with
// FreeType, cuts each rendered line with the engine's own run, cut and
// sample code, and turns the samples into the engine's text reference data
// ("Learned\Text"): class statistics from the engine's position measures,
// main patterns clustered per class, fast and very-fast patterns clustered
// over those, limits from member distances and style flags from the fonts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Code/Quorm/Textclas.h"

namespace textrefs {

// Style flag bits of a main pattern (the word-style measures read them).
constexpr int32_t kStyleBold = 1 << 0;
constexpr int32_t kStyleRegularWeight = 1 << 1;
constexpr int32_t kStyleItalic = 1 << 2;
constexpr int32_t kStyleUpright = 1 << 3;
constexpr int32_t kStyleSerif = 1 << 4;
constexpr int32_t kStyleSans = 1 << 5;

struct ReferenceFont {
  const char* file;  // below the font folder
  int32_t style;     // kStyle... bits
};
// The fonts the references are made from: DejaVu and Liberation, serif and
// sans, roman, italic and bold.
const std::vector<ReferenceFont>& ReferenceFonts();
// The point sizes of music text the lines are rendered at (300 dpi).
const std::vector<int32_t>& ReferencePointSizes();
// The lines of words rendered in every font and size, as code-page bytes.
const std::vector<std::string>& ReferenceLines();
// The Unicode character a code-page byte is rendered as (0: none).
uint32_t RenderedCharacter(unsigned char c);

// A rendered line: a 1-bit image (one byte per pixel) with per glyph its
// code-page byte and ink columns, and the line's rows.
struct RenderedGlyph {
  unsigned char code;
  int32_t left, right;  // ink columns, right exclusive
  int32_t top, bottom;  // ink rows, bottom exclusive
};
struct RenderedLine {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  std::vector<RenderedGlyph> glyphs;
  int32_t baseline = 0, xline = 0, capline = 0;  // rows
};

// One sample as the reader sees it, with its place on its line.
struct TextSample {
  unsigned char code;
  int32_t style;
  int32_t width, height;
  int32_t measures[10];  // PositionMeasures against the line's rows, H and Q
  int32_t ratios[5];     // bottom-row, top-x-row, top-cap-row offsets / height, height / H, width / Q (x1024)
  int32_t ink;
  uint8_t main[kMainFeatureCount], fast[40], veryFast[12];
};

// Renders text (code-page bytes) in a font file at a point size; false with
// a message when the font cannot be opened. A slant (the engine's unit,
// Textslnt.h) shears every glyph upright by it, as the line reader shears a
// leaning line.
bool RenderLine(const std::string& fontPath, int32_t points, const std::string& text, RenderedLine* out,
                std::string* error, int32_t slant = 0);

// The slant the line reader measures on a rendered line (0: upright).
int32_t MeasuredSlant(const RenderedLine& line);

// The samples of a rendered line: the line is cut by the engine; a glyph
// whose pieces are its own alone gives one sample. Returns the glyphs that
// gave none (cut across or joined to a neighbour).
int32_t SampleLine(const RenderedLine& line, int32_t style, std::vector<TextSample>* out);

// Every sample of every font, size and line, each line rendered as the line
// reader reads it (sheared upright by the slant it measures); false with a
// message.
bool CollectSamples(const std::string& fontFolder, std::vector<TextSample>* out, std::string* error,
                    int32_t* missed);

// The reference data as a JSON source of tools/make_engine_data.py ("text").
std::string MakeTextReferenceJson(const std::vector<TextSample>& samples);

}  // namespace textrefs
