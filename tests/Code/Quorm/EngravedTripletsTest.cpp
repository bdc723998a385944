// Triplets on engraved pages (fixtures/triplets.ly by LilyPond,
// fixtures/brackets.musicxml by MuseScore 3), read with the shipped
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

// brackets.musicxml in order (bass clef: D3 on the middle line is step 0;
// triplet quavers 16, triplet crotchets 32, a triplet half 64, plain quavers
// 24 and semiquavers 12). Each triplet is
// bracketed; a rest or a down-stemmed quaver follows close after several,
// and the beamed triplets of bars 3 and 8 hang so far below the first
// system's staff that their numbers stand nearer the second system.
const std::vector<ScoredNote> kBracketed = {
    // 3[G2 A2 B2] r4 | 3[G2 B2 A2] A3 r8 | D3 E3 F3 G3 (16ths) 3[G4 E3 A1] |
    {0, 4, 16}, {0, 3, 16}, {0, 2, 16}, {0, 4, 16}, {0, 2, 16}, {0, 3, 16}, {0, -4, 24},
    {0, 0, 12}, {0, -1, 12}, {0, -2, 12}, {0, -3, 12}, {0, -10, 16}, {0, -1, 16}, {0, 10, 16},
    // 3[G2 A2 B2] (crotchets) | 3[F2 (half) A2] | 3[A2 F2 C3] r4 | 3[F2 G2 A2] B3 r8 |
    {0, 4, 32}, {0, 3, 32}, {0, 2, 32}, {0, 5, 64}, {0, 3, 32}, {0, 3, 16}, {0, 5, 16}, {0, 1, 16},
    {0, 5, 16}, {0, 4, 16}, {0, 3, 16}, {0, -5, 24},
    // C3 D3 E3 C3 (16ths) 3[G4 G3 A1] | 3[B2 A2 G2] r4 | 3[A2 G2 B2] G3 r8 ||
    {0, 1, 12}, {0, 0, 12}, {0, -1, 12}, {0, 1, 12}, {0, -10, 16}, {0, -3, 16}, {0, 10, 16},
    {0, 2, 16}, {0, 3, 16}, {0, 4, 16}, {0, 3, 16}, {0, 4, 16}, {0, 2, 16}, {0, -3, 24},
    // 3[A2 B2 C3] (crotchets) | 3[G2 (half) B2] | D3 C3 B2 A2 (16ths) 3[C4 F3 F2] |
    {0, 3, 32}, {0, 2, 32}, {0, 1, 32}, {0, 4, 64}, {0, 2, 32}, {0, 0, 12}, {0, 1, 12}, {0, 2, 12},
    {0, 3, 12}, {0, -6, 16}, {0, -2, 16}, {0, 5, 16},
    // 3[G2 A2 F2] r4 | 3[B2 A2 G2] A3 r8 | D3 (half)
    {0, 4, 16}, {0, 3, 16}, {0, 5, 16}, {0, 2, 16}, {0, 3, 16}, {0, 4, 16}, {0, -4, 24}, {0, 0, 96},
};

// A bracket's own notes only: a rest or a down-stemmed quaver set close
// after the bracket is no member of its triplet, and a number under notes
// hanging far below a staff belongs to that staff, not the next system's.
TEST(EngravedTriplets, BracketsScaleTheirOwnNotesOnly) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  RecogniseEngravedFixture("brackets.tif");
  if (HasFatalFailure()) return;

  int threes = 0;
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i)
    if (IsNumeralSymbolAt(i) && NumeralOfType(i) == 3) ++threes;
  EXPECT_EQ(threes, 15);

  const std::vector<ScoredNote> read = NotesOfOneStaveSystems(2);
  EXPECT_EQ(DescribeNotes(read), DescribeNotes(kBracketed));
  FreeEngine();
}

}  // namespace
