// The engine's note values on an engraved page of dotted rhythms
// (fixtures/rhythms.ly): every note of the page description at its source
// step and duration, read with the shipped reference sets. The semiquavers
// carry part beams: beside a dotted quaver's full beam with stems up and
// down, and on middle stems of their groups, where the full beam runs on
// through the stem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Quorm.h"
#include "benchmarks/MusicNotes.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedNotes.h"

namespace {

using refmaker::ScoredNote;

// rhythms.ly in order (the treble clef's middle line is step 0; durations in
// 1/192 of a whole note): c8. d16 e8 | f,8. e16 d8 | g16 a8. b8 |
// e,16 f8. g8 | c8 d16 e8 f16 | a,8 b16 c8 d16 | e8. d16 c8 | f,4.
const std::vector<ScoredNote> kRhythms = {
    {0, -1, 36}, {0, -2, 12}, {0, -3, 24}, {0, 3, 36},  {0, 4, 12},  {0, 5, 24},  {0, 2, 12}, {0, 1, 36},
    {0, 0, 24},  {0, 4, 12},  {0, 3, 36},  {0, 2, 24},  {0, -1, 24}, {0, -2, 12}, {0, -3, 24}, {0, -4, 12},
    {0, 1, 24},  {0, 0, 12},  {0, -1, 24}, {0, -2, 12}, {0, -3, 36}, {0, -2, 12}, {0, -1, 24}, {0, 3, 72},
};

TEST(EngravedRhythms, PartBeamsAndDotsGiveTheSourceDurations) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  ExpectFixtureNotes("rhythms.tif", 2, kRhythms);
  if (HasFatalFailure()) return;
  FreeEngine();
}

// beamedheads.ly in order, a chord's upper note first: g8. g''16 f''16 b'16 |
// f16 c''16 <e'' a''>16 c''8. | g8. a''16 g''16 c''16 | b16 c''16 <e'' a''>16
// e''8. | a8. g''16 e''16 b'16 | g16 b'16 <d'' g''>16 b'8. | f8. f''16 e''16
// a'16 | a16 a'16 <c'' f''>16 c''8. The high heads stand just under their
// group's beams, a part beam's or a full one's row away.
const std::vector<ScoredNote> kBeamedHeads = {
    {0, 9, 36},  {0, -5, 12}, {0, -4, 12}, {0, 0, 12},  {0, 10, 12}, {0, -1, 12}, {0, -6, 12}, {0, -3, 12},
    {0, -1, 36}, {0, 9, 36},  {0, -6, 12}, {0, -5, 12}, {0, -1, 12}, {0, 7, 12},  {0, -1, 12}, {0, -6, 12},
    {0, -3, 12}, {0, -3, 36}, {0, 8, 36},  {0, -5, 12}, {0, -3, 12}, {0, 0, 12},  {0, 9, 12},  {0, 0, 12},
    {0, -5, 12}, {0, -2, 12}, {0, 0, 36},  {0, 10, 36}, {0, -4, 12}, {0, -3, 12}, {0, 1, 12},  {0, 8, 12},
    {0, 1, 12},  {0, -4, 12}, {0, -1, 12}, {0, -1, 36},
};

// A black head just under the beams is no stub of a part beam: it keeps its
// place in the group and its chord keeps two beams.
TEST(EngravedRhythms, HeadsJustUnderTheBeamsStayHeads) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  ExpectFixtureNotes("beamedheads.tif", 2, kBeamedHeads);
  if (HasFatalFailure()) return;
  FreeEngine();
}

}  // namespace
