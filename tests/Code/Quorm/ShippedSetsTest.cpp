// The reference sets the program ships ("Learned\nhOLD", "Learned\fssOLD"):
// they load, every head class the notehead finder searches has a reference,
// and the join symbol of the music set marks the staves of the engraved piano
// page's grand staff as joined.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/mclassif.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

class ShippedSets : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    FreeEngine();
    InitialiseIntMath();
    InitialiseEdgeFeatureTables();
  }
  void TearDown() override { FreeEngine(); }
  EngineDataFolder folder_;
};

TEST_F(ShippedSets, EverySearchedHeadClassHasAReference) {
  ASSERT_EQ(LoadMusicReferences(), kEngineOk);
  const MusicReferenceStore& store = LoadedMusicReferences();
  for (int headClass : {0, 1, 2, 4}) EXPECT_EQ(store.headClassVariants[headClass] & 1, 1) << "class " << headClass;
  int joins = 0;
  for (int32_t r = 0; r < GetMusicReferenceCount(); ++r) joins += GetMusicReferenceType(r) == 800;
  EXPECT_GE(joins, 1);
}

// The program's engine start reads the shipped folder: both sets load.
TEST_F(ShippedSets, TheEngineStartLoadsThem) {
  ASSERT_EQ(StartEngine(), 0);
  EXPECT_GT(GetMusicReferenceCount(), 0);
  EXPECT_GT(LoadedMusicReferences().noteheadCount, 0);
  EXPECT_EQ(CloseEngine(), 0);
}

// The piano page: two systems of a grand staff whose brace spans some 270
// pixels. Each system's upper staff is joined to the one below it; the
// second system is not joined to the first.
TEST_F(ShippedSets, ThePianoBraceJoinsItsStaves) {
  EngravedPage engraved;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/piano.tif"));
  ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
  ASSERT_EQ(LoadMusicReferences(), kEngineOk);
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(GetStaffCount(), 4);
  EXPECT_EQ(GetStaffJoinedBelow(0), 1);
  EXPECT_EQ(GetStaffJoinedBelow(1), 0);
  EXPECT_EQ(GetStaffJoinedBelow(2), 1);
}

// The same page through the hinted staff stage, as the program reads it:
// the staves come as hints, whose left ends may lie where the finder's do (on
// the line that opens the system), inside the brace before it, or a little
// right of it. The joins are measured from the system's opening line all
// the same.
TEST_F(ShippedSets, HintedStavesOfThePianoPageAreJoinedByTheBraceToo) {
  EngravedPage engraved;
  ASSERT_TRUE(LoadEngravedPage(U8(SourcePath("tests/Code/Quorm/fixtures/piano.tif")), &engraved));
  ASSERT_EQ(LoadMusicReferences(), kEngineOk);
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(GetStaffCount(), 4);
  struct Found {
    int left, right, top, space, system;
    std::vector<int> ys;  // each line's y at 1024 columns from left to right
  };
  std::vector<Found> found;
  for (int32_t i = 0; i < 4; ++i) {
    Found f{GetStaffLeftX(i), GetStaffRightX(i), StaffTopLineY(i, GetStaffLeftX(i)), RoundQ10(GetStaffSpace(i)),
            GetStaffSystem(i), {}};
    for (int k = 0; k < GetStaffLineCount(i); ++k)
      for (int c = 0; c < 1024; ++c) f.ys.push_back(StaffLineY(i, k, f.left + (f.right - f.left) * c / 1024) - f.top);
    found.push_back(f);
  }
  for (const double shift : {0.0, -1.25, -0.75, 0.5}) {
    SCOPED_TRACE(testing::Message() << "left ends moved by " << shift << " spaces");
    StaffHints hints;
    for (const Found& f : found) {
      // The hint's lines run flat from its left end to the staff's.
      const int left = f.left + static_cast<int>(std::lround(shift * f.space));
      hints.Add(left, f.right, f.top, std::vector<int>(f.ys.size() / 1024, 0), f.system);
      int16_t* table = &hints.lines[hints.lines.size() - 6 * 1024];
      for (size_t k = 0; k < f.ys.size() / 1024; ++k)
        for (int c = 0; c < 1024; ++c) {
          const int x = left + (f.right - left) * c / 1024;
          const int at = std::clamp((x - f.left) * 1024 / (f.right - f.left), 0, 1023);
          table[1024 * k + c] = static_cast<int16_t>(f.ys[1024 * k + at]);
        }
    }
    FreeEngine();
    ASSERT_EQ(LoadMusicReferences(), kEngineOk);
    ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
    ASSERT_EQ(RunStaffStageWithHints(hints.rows.data(), hints.lines.data(), hints.count, nullptr, nullptr), 0);
    ASSERT_EQ(GetStaffCount(), 4);
    EXPECT_EQ(GetStaffJoinedBelow(0), 1);
    EXPECT_EQ(GetStaffJoinedBelow(1), 0);
    EXPECT_EQ(GetStaffJoinedBelow(2), 1);
  }
}

// Patches past the old 250-pixel bound reach the classifier; patches the
// feature code cannot take are refused without a failed check.
TEST_F(ShippedSets, TallJoinPatchesReachTheClassifier) {
  ASSERT_EQ(LoadMusicReferences(), kEngineOk);
  EngravedPage engraved;
  ASSERT_TRUE(LoadEngravedPage(U8(SourcePath("tests/Code/Quorm/fixtures/piano.tif")), &engraved));
  ASSERT_EQ(LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  struct Case {
    int width;
    int height;
  };
  for (const Case& c : std::vector<Case>{{20, 300}, {20, 499}, {20, 500}, {500, 20}, {1, 300}}) {
    std::vector<uint32_t> patch(static_cast<size_t>(c.width) * c.height, 1);
    const int32_t answer = PatchHasType800(patch.data(), c.width, 4 * c.height);
    EXPECT_TRUE(answer == 0 || answer == 1) << c.width << "x" << c.height;
    if (c.width >= 500 || c.height >= 500 || c.width < 2) {
      EXPECT_EQ(answer, 0) << c.width << "x" << c.height;
    }
  }
}

}  // namespace
