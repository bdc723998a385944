// The engine's note values on an engraved page of single quavers and dotted
// quavers (fixtures/flags.ly), read with the shipped reference sets: stems
// up from the lower half of the staff and down from the upper half, so that
// every flag hangs inside the staff across its lines. Once the stem is
// erased, such a flag keeps less of its stem side than the glyph's box, and
// it must still be read as a flag.
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

// flags.ly in order (the treble clef's middle line is step 0; durations in
// 1/192 of a whole note): e'8 f' g' a' | e'8. g'8. | f'8 a'8. | d'8 e' f'4 |
// c''8 b' a' g' | c''8. a'8. | b'8 d''8. | e''8 d'' c''4.
const std::vector<ScoredNote> kFlags = {
    {0, 4, 24},  {0, 3, 24}, {0, 2, 24}, {0, 1, 24}, {0, 4, 36},  {0, 2, 36},  {0, 3, 24},  {0, 1, 36},
    {0, 5, 24},  {0, 4, 24}, {0, 3, 48}, {0, -1, 24}, {0, 0, 24}, {0, 1, 24},  {0, 2, 24},  {0, -1, 36},
    {0, 1, 36},  {0, 0, 24}, {0, -2, 36}, {0, -3, 24}, {0, -2, 24}, {0, -1, 48},
};

TEST(EngravedFlags, FlagsAcrossTheStaffLinesGiveQuavers) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  ExpectFixtureNotes("flags.tif", 2, kFlags);
  if (HasFatalFailure()) return;
  // One flag per quaver and dotted quaver, no more: 20 of them.
  int flags = 0;
  for (int i = 0; i < GetFixedSymbolCount(); ++i) flags += IsShortFlagSymbolAt(i);
  EXPECT_EQ(flags, 20);
  FreeEngine();
}

}  // namespace
