// Drawing for the symbol-stage tests: a 1-bit page (rows padded to 32-bit
// words, pixel x the bit x mod 8 of byte x / 8 counted from the least
// significant bit), stave lines, and the Emmentaler glyph renderings of
// tests/Code/Quorm/fixtures/glyphs stamped by their origin.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"
#include "shapes/ClassifierDatabases.h"
#include "shapes/InkProjections.h"
#include "tests/reading/StavePageTables.h"
#include "tools/refmaker/RefMaker.h"

struct ArtPage {
  int width = 0, height = 0;
  int strideWords = 0;
  std::vector<uint32_t> words;

  ArtPage(int w, int h) : width(w), height(h), strideWords((w + 31) / 32), words(static_cast<size_t>(strideWords) * h) {}
  uint8_t* Bits() { return reinterpret_cast<uint8_t*>(words.data()); }
  const uint8_t* Bits() const { return reinterpret_cast<const uint8_t*>(words.data()); }
  InkPage Ink() const { return InkPage{Bits(), strideWords - 1, width, height}; }
  void Set(int x, int y) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    Bits()[static_cast<size_t>(y) * strideWords * 4 + x / 8] |= static_cast<uint8_t>(1u << (x % 8));
  }
  bool Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return (Bits()[static_cast<size_t>(y) * strideWords * 4 + x / 8] >> (x % 8)) & 1;
  }
  void FillRect(int x0, int y0, int x1, int y1) {  // inclusive
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Set(x, y);
  }
};

// The glyph "sym-<name>-<space>.pbm" (space 14, 20, 28 or 37); a failed
// assertion of the running test when it cannot be read.
const refmaker::GlyphImage& SymbolGlyph(const std::string& name, int space);
// Any glyph of that folder by its file name without ".pbm" ("head-black-20").
const refmaker::GlyphImage& FixtureGlyph(const std::string& stem);
// Stamps the glyph with its origin at (x, y); returns its ink box.
struct ArtBox {
  int left, top, right, bottom;  // inclusive
};
ArtBox StampGlyph(ArtPage& page, const refmaker::GlyphImage& glyph, int x, int y);
// Lines top, top + space ... of the given thickness from left to right.
void DrawStaveLines(ArtPage& page, int left, int right, int top, int space, int lines, int thickness);

// ---- A drawn stave with its geometry, as the reading thread has it ----


// A page of staves (five lines, space `space`, two-pixel lines) in one
// group; the line geometry is traced from the page while the scene lives.
class StaveScene {
 public:
  StaveScene(int width, int height, int space);
  ~StaveScene();
  StaveScene(const StaveScene&) = delete;
  StaveScene& operator=(const StaveScene&) = delete;

  // Adds a stave whose top line lies at top, from left to right (inclusive).
  int AddStave(int top, int left, int right, int lines = 5, int kind = 0);
  ArtPage page;
  std::vector<StaveRow> rows;
  StavePage geometry;
  int space;
  // The y of a stave step (top line 4) of stave s.
  int StepY(int s, int step) const { return rows[s].top + (step - 4) * space / 2; }

 private:
  StavePageTables tables_;
  bool oldReading_;
};

// The shipped classifier database, parsed once.
const ShapeDatabase& ShippedShapeDatabase();
