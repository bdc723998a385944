// The engine's note values on an engraved page of dotted rhythms
// (fixtures/rhythms.ly): every note of the page description at its source
// step and duration, read with the shipped reference sets. The semiquavers
// carry part beams: beside a dotted quaver's full beam with stems up and
// down, and on middle stems of their groups, where the full beam runs on
// through the stem.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Quorm.h"
#include "benchmarks/MusicNotes.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

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

std::string Describe(const std::vector<ScoredNote>& notes) {
  std::ostringstream out;
  for (const ScoredNote& n : notes) out << " " << n.step << ":" << n.duration;
  return out.str();
}

TEST(EngravedRhythms, PartBeamsAndDotsGiveTheSourceDurations) {
  ASSERT_TRUE(EngineDataBuilt());
  EngineDataFolder shipped;
  EngravedPage engraved;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/rhythms.tif"));
  ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
  FreeEngine();
  ASSERT_EQ(InitialiseEngine(), kEngineOk);
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
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
  EXPECT_EQ(Describe(read), Describe(kRhythms));
  FreeEngine();
}

}  // namespace
