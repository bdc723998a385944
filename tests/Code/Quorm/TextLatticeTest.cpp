// The syllable pattern, the lattices' cost tables, the word-gap costs and
// the line reader on touching words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Badwords.h"
#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Segspell.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Userdict.h"
#include "Code/Quorm/Wordlatt.h"
#include "tests/Code/Quorm/TextLanguage.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

class SyllableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    WriteTestLanguage(folder, "");
    ASSERT_EQ(InitialiseSpelling("English"), nullptr);
  }
  void TearDown() override {
    FreeUserDictionary();
    FreeSpelling();
  }
  EngineDataFolder folder;
};

TEST_F(SyllableTest, Pattern) {
  const struct {
    const char* text;
    bool passes;
  } cases[] = {
      {"word", true},  {"Word", true},  {"WORD", true},  {"wOrd", false}, {"w0rd", false}, {"1234", true},
      {"12.5", true},  {"12abc", false}, {"a~bc", false}, {"~", true},     {"don't", true}, {"Ab", true},
      {"a.", true},    {"a.bc", false}, {"A.", true},    {"", true},      {"x1yz", false},  {"5,", true},
      // A last character that leads to the refusing state still passes.
      {"12a", true},   {"x1", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SyllablePattern(c.text, static_cast<int32_t>(std::string(c.text).size())), c.passes) << c.text;
}

TEST(SegmentLattice, CostTables) {
  // v = 12: p = 12, points 0, 4, 8, 12, 18, 24.
  EXPECT_EQ(SegmentJoinCost(-1, 12), 0);
  EXPECT_EQ(SegmentJoinCost(4, 12), 0);
  EXPECT_EQ(SegmentJoinCost(12, 12), 1200);
  EXPECT_EQ(SegmentJoinCost(25, 12), 20000);
  EXPECT_EQ(SegmentCutCost(-1, 12), 16000);
  EXPECT_EQ(SegmentCutCost(0, 12), 10000);
  EXPECT_EQ(SegmentCutCost(24, 12), 0);
  EXPECT_EQ(SegmentCutCost(25, 12), 0);
  // A small scale value counts as 6.
  EXPECT_EQ(SegmentJoinCost(6, 2), 1200);
  // Width: u = round(1024 / 2v) = 43 for v = 12.
  EXPECT_EQ(SegmentWidthCost(24000 / 43 + 1, 100, 12), 30000);  // wider than 24000 whatever its height
  EXPECT_EQ(SegmentWidthCost(35, 100, 12), 800 * (35 * 43 - 1500) / 1500);
  EXPECT_EQ(SegmentWidthCost(20, 100, 12), 213);  // 400 - 400 x (860 - 300) / 1200
  // Narrow and low: (450 - h) x 30 more; narrow but high: nothing more.
  EXPECT_EQ(SegmentWidthCost(5, 5, 12), 1600 - 1200 * (5 * 43 - 200) / 100 + (450 - 5 * 43) * 30);
  EXPECT_EQ(SegmentWidthCost(5, 9, 12), 1600 - 1200 * (5 * 43 - 200) / 100);
}

int32_t Width(int32_t w) { return w * 10; }
int32_t Piece(int32_t cost) { return cost + 1; }
int32_t Gap(int32_t gap) { return 100 + gap; }

TEST(WordLattice, LevelsBoxesAndCosts) {
  SetEngineHeapHook(OnEngineHeapExhausted);
  std::vector<TextPiece> pieces(5);
  for (int32_t i = 0; i < 5; ++i) pieces[i] = {10 + i, 30 - i, 20 * i, 20 * i + 15, 0, 0, i, i == 0 ? 1000 : 5, 0, {0, 0}};
  SetLatticePieces(pieces.data(), 5);
  BuildWordLattice(0, 5);
  CostWordLattice(Width, Piece, Gap);
  // Fewer than 14 pieces: level L holds 5 - L cells.
  const LatticeCell& whole = WordLatticeCell(4, 0);
  EXPECT_EQ(whole.top, 10);
  EXPECT_EQ(whole.bottom, 30);
  EXPECT_EQ(whole.left, 0);
  EXPECT_EQ(whole.right, 95);
  EXPECT_EQ(whole.first, 0);
  EXPECT_EQ(whole.end, 5);
  EXPECT_EQ(whole.cutCost, Piece(0) + 4 * Gap(5));
  EXPECT_EQ(whole.widthCost, Width(95));
  const LatticeCell& one = WordLatticeCell(0, 3);
  EXPECT_EQ(one.cutCost, Piece(3));
  EXPECT_EQ(one.widthCost, Width(15));
  EXPECT_EQ(WordLatticeCell(1, 3).end, 5);
  EXPECT_THROW(WordLatticeCell(0, 5), EngineFailure);
  // Widths of 100 or more take f(200).
  pieces[4].right = 150;
  BuildWordLattice(0, 5);
  CostWordLattice(Width, Piece, Gap);
  EXPECT_EQ(WordLatticeCell(4, 0).widthCost, Width(200));
  FreeWordLattice();
  EXPECT_EQ(WordLatticeSize(), 0);
  SetLatticePieces(nullptr, 0);
}

TEST(LineMargin, SkipsNonPositiveDifferencesAndAZeroDivisor) {
  const int32_t none[3] = {0, -5, -100};
  EXPECT_EQ(LineMargin(none, 3), 100000 / 333);
  const int32_t some[3] = {1000, -5, 500};
  EXPECT_EQ(LineMargin(some, 3), 100000 / ((333 + 100 + 200) / 3));
  // Many positions far worse than their references: the divisor comes to 0.
  std::vector<int32_t> far(400, 200000);
  EXPECT_EQ(LineMargin(far.data(), 400), 0);
  EXPECT_EQ(LineMargin(nullptr, 0), 100000 / 333);
}

TEST(WordGapCosts, Tables) {
  // First pass at p = 1024: the table itself.
  EXPECT_EQ(FirstPassGapCost(0, 1024), 4000);
  EXPECT_EQ(FirstPassGapCost(600, 1024), 0);
  EXPECT_EQ(FirstPassGapCost(5000, 1024), 40000);
  EXPECT_EQ(SecondPassGapCost(100, 1024), 50);
  EXPECT_EQ(OverlapCost(-5, 1024), 0);
  EXPECT_EQ(OverlapCost(10, 512), 5);
  EXPECT_EQ(WidthCost(0, 2560, 20), 0);
  EXPECT_EQ(WidthCost(20, 2560, 20), 2560 + 256);
  // Re-reader gaps against the pitch: 30000 below 60 q, 50000 above 2250 q.
  EXPECT_EQ(RereadGapCost(0, 20), 30000);
  EXPECT_EQ(RereadGapCost(400 * 20 / 1024 + 1, 20) <= 500, true);
  EXPECT_EQ(RereadGapCost(2250 * 20 / 1024 + 1, 20), 50000);
  EXPECT_EQ(RereadWidthCost(0, 2560, 20), 0);
  EXPECT_EQ(RereadWidthCost(20, 2560, 20), 2560 + 256);
  // Gap scales: narrow word spans lower A, wide ones lower B.
  const int32_t widths[2] = {10, 10}, heights[2] = {30, 30};
  SetLatticeGapScales(widths, heights, 2, 100);
  EXPECT_EQ(CurrentWordGapScales().a, 2560 * 102 / 450);
  const int32_t wide[2] = {100, 100};
  SetLatticeGapScales(wide, heights, 2, 100);
  EXPECT_EQ(CurrentWordGapScales().b, 256);
  FreeTextReadingWork();
  EXPECT_EQ(CurrentWordGapScales().a, 2560);
}

}  // namespace
