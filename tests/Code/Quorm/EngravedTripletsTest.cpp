// Triplets on an engraved page (fixtures/triplets.ly), read with the shipped
// reference sets: each italic 3 is found as a numeral, with or without a
// bracket, and every note of the page description comes out at its source
// step and its triplet duration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Quorm.h"
#include "benchmarks/MusicNotes.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedNotes.h"

namespace {

using refmaker::ScoredNote;

// triplets.ly in order (the treble clef's middle line is step 0, steps up
// negative; durations in 1/192 of a whole note, a triplet quaver 16 and a
// triplet crotchet 32):
// 3[c8 d e] 3[f e d] | 3[c4 b a] | 3[g8 a b] c4 | d4 3[e8 d c] |
// 3[f8 g a] 3[b c d] | 3[e4 d c] | 3[b8 a g] a4 | g2
const std::vector<ScoredNote> kTriplets = {
    {0, -1, 16}, {0, -2, 16}, {0, -3, 16}, {0, -4, 16}, {0, -3, 16}, {0, -2, 16}, {0, -1, 32}, {0, 0, 32},
    {0, 1, 32},  {0, 2, 16},  {0, 1, 16},  {0, 0, 16},  {0, -1, 48}, {0, -2, 48}, {0, -3, 16}, {0, -2, 16},
    {0, -1, 16}, {0, 3, 16},  {0, 2, 16},  {0, 1, 16},  {0, 0, 16},  {0, -1, 16}, {0, -2, 16}, {0, -3, 32},
    {0, -2, 32}, {0, -1, 32}, {0, 0, 16},  {0, 1, 16},  {0, 2, 16},  {0, 1, 48},  {0, 2, 96},
};
constexpr int kTripletCount = 9;

TEST(EngravedTriplets, NumeralsAreFoundAndScaleTheirNotes) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  RecogniseEngravedFixture("triplets.tif");
  if (HasFatalFailure()) return;

  int threes = 0, others = 0;
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i) {
    if (!IsNumeralSymbolAt(i)) continue;
    (NumeralOfType(i) == 3 ? threes : others)++;
  }
  EXPECT_EQ(threes, kTripletCount);
  EXPECT_EQ(others, 0);

  const std::vector<ScoredNote> read = NotesOfOneStaveSystems(2);
  EXPECT_EQ(DescribeNotes(read), DescribeNotes(kTriplets));
  FreeEngine();
}

}  // namespace
