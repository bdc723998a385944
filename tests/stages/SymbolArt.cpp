#include "tests/stages/SymbolArt.h"

#include <gtest/gtest.h>

#include <map>

#include "reading/StaveSpacing.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

const refmaker::GlyphImage& FixtureGlyph(const std::string& stem) {
  static std::map<std::string, refmaker::GlyphImage> cache;
  auto it = cache.find(stem);
  if (it != cache.end()) return it->second;
  refmaker::GlyphImage image;
  std::string error;
  const bool read =
      refmaker::ReadGlyphImage(SourcePath("tests/Code/Quorm/fixtures/glyphs/" + stem + ".pbm"), &image, &error);
  EXPECT_TRUE(read) << error;
  return cache[stem] = image;
}

const refmaker::GlyphImage& SymbolGlyph(const std::string& name, int space) {
  return FixtureGlyph("sym-" + name + "-" + std::to_string(space));
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


StaveScene::StaveScene(int width, int height, int space_)
    : page(width, height), space(space_), oldReading_(StaveLookup().readingActive) {
  geometry = tables_.Over(OneBitImage(page.Bits(), width, height, static_cast<size_t>(page.strideWords) * 4));
  StaveLookup().readingActive = true;
}

StaveScene::~StaveScene() {
  StaveLookup().readingActive = oldReading_;
}

int StaveScene::AddStave(int top, int left, int right, int lineCount, int kind) {
  DrawStaveLines(page, left, right, top, space, lineCount, 2);
  StaveRow row;
  row.left = static_cast<int16_t>(left);
  row.right = static_cast<int16_t>(right);
  row.top = static_cast<int16_t>(top);
  row.bottom = static_cast<int16_t>(top + (lineCount - 1) * space);
  row.lineCount = static_cast<int16_t>(lineCount);
  row.lineThickness = 2;
  row.rightTop = static_cast<int16_t>(top);
  row.midX = static_cast<int16_t>((left + right) / 2);
  row.midTop = static_cast<int16_t>(top);
  row.kind = static_cast<int16_t>(kind);
  row.group = 0;
  row.number = static_cast<int16_t>(rows.size() + 1);
  rows.push_back(row);
  for (uint32_t& v : tables_.curvesValid) v = 0;  // traced again on first use
  return static_cast<int>(rows.size()) - 1;
}

const ShapeDatabase& ShippedShapeDatabase() {
  static ShapeDatabase db;
  static bool parsed = false;
  if (!parsed) {
    const std::vector<uint8_t> bytes = ReadBytes(SourcePath("resources/data/XxXData"));
    parsed = ParseShapeDatabase(bytes.data(), bytes.size(), &db);
    EXPECT_TRUE(parsed) << "the shipped XxXData";
  }
  return db;
}
