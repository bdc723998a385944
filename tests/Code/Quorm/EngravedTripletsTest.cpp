// Triplets on an engraved page (fixtures/triplets.ly), read with the shipped
// reference sets: each italic 3 is found as a numeral, with or without a
// bracket, and every note of the page description comes out at its source
// step and its triplet duration.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Quorm.h"
#include "benchmarks/MusicNotes.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

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

std::string Describe(const std::vector<ScoredNote>& notes) {
  std::ostringstream out;
  for (const ScoredNote& n : notes) out << " " << n.step << ":" << n.duration;
  return out.str();
}

TEST(EngravedTriplets, NumeralsAreFoundAndScaleTheirNotes) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  EngravedPage engraved;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/triplets.tif"));
  ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
  FreeEngine();
  ASSERT_EQ(InitialiseEngine(), kEngineOk);
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);

  int threes = 0, others = 0;
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i) {
    if (!IsNumeralSymbolAt(i)) continue;
    (NumeralOfType(i) == 3 ? threes : others)++;
  }
  EXPECT_EQ(threes, kTripletCount);
  EXPECT_EQ(others, 0);

  ASSERT_EQ(GetPageSystemCount(0), 2);
  std::vector<ScoredNote> read;
  for (int system = 0; system < GetPageSystemCount(0); ++system) {
    ASSERT_EQ(GetSystemStaveCount(0, system), 1);
    for (int slot = 0; slot < GetStaveTimeSlotCount(0, system, 0); ++slot) {
      int32_t count = 0;
      const MscriptNoteGroup* groups = GetTimeSlotNotes(0, system, 0, slot, &count);
      for (int g = 0; g < count; ++g) AppendScoredNotes(groups[g], 0, &read);
    }
  }
  EXPECT_EQ(Describe(read), Describe(kTriplets));
  FreeEngine();
}

}  // namespace
