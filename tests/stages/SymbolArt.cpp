#include "tests/stages/SymbolArt.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/TestPaths.h"

const refmaker::GlyphImage& SymbolGlyph(const std::string& name, int space) {
  static std::map<std::string, refmaker::GlyphImage> cache;
  const std::string key = name + "-" + std::to_string(space);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  refmaker::GlyphImage image;
  std::string error;
  const bool read =
      refmaker::ReadGlyphImage(SourcePath("tests/Code/Quorm/fixtures/glyphs/sym-" + key + ".pbm"), &image, &error);
  EXPECT_TRUE(read) << error;
  return cache[key] = image;
}

ArtBox StampGlyph(ArtPage& page, const refmaker::GlyphImage& glyph, int x, int y) {
  const int x0 = x - glyph.originColumn, y0 = y - glyph.originRow;
  for (int gy = 0; gy < glyph.height; ++gy)
    for (int gx = 0; gx < glyph.width; ++gx)
      if (glyph.Ink(gy, gx)) page.Set(x0 + gx, y0 + gy);
  return ArtBox{x0, y0, x0 + glyph.width - 1, y0 + glyph.height - 1};
}

void DrawStaveLines(ArtPage& page, int left, int right, int top, int space, int lines, int thickness) {
  for (int k = 0; k < lines; ++k) {
    const int y = top + k * space - thickness / 2;
    page.FillRect(left, y, right, y + thickness - 1);
  }
}
