// The slant of a text line: measured on rendered lines set leaning by a
// known slant, the line sheared upright, and boxes given back as drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Textslnt.h"
#include "tests/Code/Quorm/TextLineArt.h"

namespace {

TEST(TextSlant, UprightLinesStayUprightAndLeaningOnesAreMeasured) {
  for (const char* name : {"words_serif", "lyric_sans", "tempo_liberation_sans", "chords_serif"}) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(name, &line));
    EXPECT_EQ(MeasureLineSlant(BitmapBlockOf(line).data()), 0) << name;
    // Leaning by about 7, 14 and 19 degrees: found within one step of the
    // slants tried (32).
    for (int32_t slant : {128, 256, 352}) {
      const int32_t measured = MeasureLineSlant(BitmapBlockOf(LeaningLine(line, slant)).data());
      EXPECT_NEAR(measured, slant, 32) << name << " " << slant;
    }
  }
  // A line of no ink is upright.
  EXPECT_EQ(MeasureLineSlant(BitmapBlockOf(BlankLine(50, 20)).data()), 0);
}

TEST(TextSlant, ShearingUndoesTheLeanAndBoxesComeBackAsDrawn) {
  TextLineImage line;
  ASSERT_TRUE(LoadTextLine("words_serif", &line));
  const int32_t slant = 256;
  const TextLineImage leaning = LeaningLine(line, slant);
  const std::vector<uint32_t> block = BitmapBlockOf(leaning);
  uint8_t* sheared = static_cast<uint8_t*>(ShearLineBitmap(block.data(), slant));
  ASSERT_NE(sheared, nullptr);
  const int32_t room = SlantRowShift(line.height - 1, slant);
  EXPECT_EQ(BitmapWidth(sheared), leaning.width + room);
  EXPECT_EQ(BitmapHeight(sheared), line.height);
  // The sheared line is the upright one moved right by the room.
  for (int32_t y = 0; y < line.height; ++y)
    for (int32_t x = 0; x < BitmapWidth(sheared); ++x) {
      const bool ink = (BitmapRow(sheared, y)[x / 32] >> (x % 32)) & 1u;
      const int32_t from = x - room;
      ASSERT_EQ(ink, from >= 0 && from < line.width && line.Ink(from, y)) << x << "," << y;
    }
  EngineFree(sheared);
  // Each glyph's box in the sheared line, given back, holds the glyph's
  // leaning ink.
  for (const GlyphTruth& g : line.glyphs) {
    const InkRows rows = GlyphInkRows(line, g);
    if (rows.bottom <= rows.top) continue;
    int32_t x0 = g.firstColumn + room, x1 = g.lastColumn + 1 + room;
    UnshearColumns(&x0, &x1, rows.top, rows.bottom, slant);
    for (int32_t y = rows.top; y < rows.bottom; ++y)
      for (int32_t x = 0; x < leaning.width; ++x) {
        const int32_t upright = x - room + SlantRowShift(y, slant);
        if (!leaning.Ink(x, y) || upright < g.firstColumn || upright > g.lastColumn) continue;
        EXPECT_TRUE(x >= x0 && x < x1) << static_cast<char>(g.code) << " at " << x << "," << y;
      }
  }
  // Upright boxes are left as they are.
  int32_t x0 = 5, x1 = 9;
  UnshearColumns(&x0, &x1, 0, 30, 0);
  EXPECT_EQ(x0, 5);
  EXPECT_EQ(x1, 9);
}

}  // namespace
