// Cutting touching characters on rendered words (fixtures/text, made by
// tools/make_text_lines.py) and on drawn bad lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findcuts.h"
#include "Code/Quorm/Heapmem.h"
#include "tests/Code/Quorm/TextLineArt.h"

namespace {

struct Cut {
  CutResult result{};
  std::vector<CutObject> objects;
};

Cut CutLine(std::vector<LineRun>& runs, int32_t width, int32_t maxObjects = 1600) {
  Cut cut;
  cut.objects.resize(static_cast<size_t>(maxObjects) + 1);
  SetCutLine(runs.data(), static_cast<int32_t>(runs.size()), width);
  CutTouchingObjects(&cut.result, cut.objects.data(), maxObjects);
  cut.objects.resize(static_cast<size_t>(cut.result.objectCount));
  return cut;
}

TEST(Findcuts, TouchingPairsOfRenderedWords) {
  const char* const names[] = {"rn_serif", "ffi_serif", "tt_serif", "turn_serif", "attn_sans", "effort_liberation"};
  for (const char* name : names) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(name, &line)) << name;
    std::vector<LineRun> runs = RunsOf(line);
    Cut cut = CutLine(runs, line.width);
    // The cutter splits a line into pieces that the reader joins again into
    // characters: never fewer than the glyphs less one, at most three
    // pieces a glyph.
    const int32_t glyphs = static_cast<int32_t>(line.glyphs.size());
    EXPECT_GE(cut.result.objectCount, glyphs - 1) << name;
    EXPECT_LE(cut.result.objectCount, 3 * glyphs + 1) << name;
    // Where two glyphs share columns, a cut lies within 2 pixels of their
    // boundary.
    for (size_t g = 1; g < line.glyphs.size(); ++g) {
      const int32_t a = line.glyphs[g].firstColumn, b = line.glyphs[g - 1].lastColumn;
      if (a > b) continue;
      bool cutThere = false;
      for (size_t k = 1; k < cut.objects.size(); ++k) {
        const int32_t at = cut.objects[k].firstColumn;
        cutThere = cutThere || (at >= std::min(a, b) - 2 && at <= std::max(a, b) + 2);
      }
      EXPECT_TRUE(cutThere) << name << ": no cut between glyphs " << g - 1 << " and " << g << " (columns " << a
                            << ".." << b << ")";
    }
    for (const LineRun& run : runs) {
      ASSERT_GE(run.label, 1) << name;
      ASSERT_LE(run.label, cut.result.objectCount) << name;
      const CutObject& o = cut.objects[run.label - 1];
      EXPECT_TRUE(run.column >= o.firstColumn && run.column < o.endColumn && run.firstRow >= o.top &&
                  run.endRow <= o.bottom);
    }
  }
}

TEST(Findcuts, SeparateLettersStayApart) {
  TextLineImage line;
  ASSERT_TRUE(LoadTextLine("alphabet_serif", &line));
  std::vector<LineRun> runs = RunsOf(line);
  Cut cut = CutLine(runs, line.width);
  // i and j bring dots: the small pieces join their letters.
  EXPECT_GE(cut.result.objectCount, 26);
  EXPECT_LE(cut.result.objectCount, 26 * 4);
  EXPECT_GT(cut.result.height, 20);
  EXPECT_LT(cut.result.height, 60);
}

TEST(Findcuts, EmptyLineGivesNoObjects) {
  std::vector<LineRun> runs;
  Cut cut = CutLine(runs, 100);
  EXPECT_EQ(cut.result.objectCount, 0);
  EXPECT_EQ(cut.result.height, 0);
}

TEST(Findcuts, LongUnderlineIsOneObject) {
  TextLineImage line = BlankLine(2500, 12);
  FillBox(line, 2, 4, 2498, 7);
  std::vector<LineRun> runs = RunsOf(line);
  ASSERT_GT(runs.size(), 1800u);
  Cut cut = CutLine(runs, line.width);
  EXPECT_EQ(cut.result.objectCount, 1);
  for (const LineRun& run : runs) EXPECT_EQ(run.label, 1);
}

TEST(Findcuts, ComplexShapeBeyondTheQueueKeepsEveryRun) {
  // A comb: 2000 teeth joined by a bar, so the fill holds many waiting runs.
  TextLineImage line = BlankLine(4000, 30);
  FillBox(line, 0, 25, 4000, 28);
  for (int32_t x = 0; x < 4000; x += 2) FillBox(line, x, 0, x + 1, 24);
  std::vector<LineRun> runs = RunsOf(line);
  Cut cut = CutLine(runs, line.width, static_cast<int32_t>(runs.size()));
  for (const LineRun& run : runs) ASSERT_GE(run.label, 1);
  EXPECT_GE(cut.result.objectCount, 1);
}

TEST(Findcuts, ObjectsBeyondTheMaximumBelongToNone) {
  TextLineImage line = BlankLine(400, 20);
  for (int32_t x = 0; x < 400; x += 10) FillBox(line, x, 2, x + 5, 18);
  std::vector<LineRun> runs = RunsOf(line);
  Cut cut = CutLine(runs, line.width, 7);
  EXPECT_LE(cut.result.objectCount, 7);
  int unlabelled = 0;
  for (const LineRun& run : runs) {
    EXPECT_LE(run.label, cut.result.objectCount);
    unlabelled += run.label == 0;
  }
  EXPECT_GT(unlabelled, 0);
}

TEST(Findcuts, BlotAndManyTouchingGlyphsRunToTheEnd) {
  TextLineImage blot = BlankLine(300, 80);
  FillBox(blot, 5, 3, 295, 77);
  std::vector<LineRun> runs = RunsOf(blot);
  Cut cut = CutLine(runs, blot.width);
  EXPECT_GE(cut.result.objectCount, 1);

  // 400 touching glyphs: a row of rn pairs repeated.
  TextLineImage rn;
  ASSERT_TRUE(LoadTextLine("rn_serif", &rn));
  const TextLineImage row = RepeatedLine(rn, 200, 8);
  runs = RunsOf(row);
  cut = CutLine(runs, row.width);
  EXPECT_GT(cut.result.objectCount, 100);
}

}  // namespace
