#include "tests/Code/Quorm/EngravedNotes.h"

#include <gtest/gtest.h>

#include <sstream>

#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

void RecogniseEngravedFixture(const std::string& name) {
  EngravedPage engraved;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/" + name));
  ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
  FreeEngine();
  ASSERT_EQ(InitialiseEngine(), kEngineOk);
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
}

std::vector<refmaker::ScoredNote> NotesOfOneStaveSystems(int systems) {
  std::vector<refmaker::ScoredNote> read;
  EXPECT_EQ(GetPageSystemCount(0), systems);
  for (int system = 0; system < GetPageSystemCount(0); ++system) {
    EXPECT_EQ(GetSystemStaveCount(0, system), 1);
    for (int slot = 0; slot < GetStaveTimeSlotCount(0, system, 0); ++slot) {
      int32_t count = 0;
      const MscriptNoteGroup* groups = GetTimeSlotNotes(0, system, 0, slot, &count);
      for (int g = 0; g < count; ++g) AppendScoredNotes(groups[g], 0, &read);
    }
  }
  return read;
}

std::string DescribeNotes(const std::vector<refmaker::ScoredNote>& notes) {
  std::ostringstream out;
  for (const refmaker::ScoredNote& n : notes) out << " " << n.step << ":" << n.duration;
  return out.str();
}

void ExpectFixtureNotes(const std::string& name, int systems, const std::vector<refmaker::ScoredNote>& expected) {
  RecogniseEngravedFixture(name);
  if (::testing::Test::HasFatalFailure()) return;
  EXPECT_EQ(DescribeNotes(NotesOfOneStaveSystems(systems)), DescribeNotes(expected)) << name;
}
