// The music symbol references the reference maker makes from the Emmentaler
// symbol glyphs (rests, flags, clefs, accidentals, the dot, two dynamics and
// the time-signature signs): through the music classifier each glyph is read
// as its own type at every staff space the set is made from, and at a staff
// space left out of the set.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/mclassif.h"
#include "Code/Quorm/mocgcalc.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/StaffFixture.h"
#include "tests/support/TestPaths.h"
#include "tools/refmaker/RefMaker.h"

namespace {

std::vector<refmaker::SymbolGlyphs> Glyphs(const std::vector<int32_t>& staffSpaces) {
  std::vector<refmaker::SymbolGlyphs> glyphs;
  std::string error;
  if (!refmaker::LoadSymbolGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), staffSpaces, &glyphs, &error))
    ADD_FAILURE() << error;
  return glyphs;
}

std::string Describe(const SymbolCandidates& c) {
  std::ostringstream out;
  for (int i = 0; i < c.count; ++i) out << " " << c.entries[i].type << " (" << c.entries[i].cost << ")";
  return c.count == 0 ? " nothing" : out.str();
}

// Whether the type is the best candidate, or shares the best cost. (The whole
// and the half rest are one block apart from the line it hangs from or stands
// on, which staff-line removal takes away; their placement tells them apart.)
bool ReadAs(const SymbolCandidates& c, int type) {
  for (int i = 0; i < c.count && c.entries[i].cost == c.entries[0].cost; ++i)
    if (c.entries[i].type == type) return true;
  return false;
}

// Classifies every glyph at the staff space on a staff of that spacing with
// the references loaded from the folder; returns the glyphs read as another
// type (or as nothing).
std::vector<std::string> Misread(const std::vector<refmaker::SymbolGlyphs>& glyphs, size_t size) {
  std::vector<std::string> wrong;
  for (const refmaker::SymbolGlyphs& set : glyphs) {
    const refmaker::GlyphImage& g = set.images[size];
    const int s = set.staffSpaces[size];
    LoadHandPage(800, 600, s);
    AddHandStaff({0, 100, s, 20, 780, 5, 0});
    SymbolCandidates result{};
    ClassifySymbolPatch(g.pixels.data(), &result, g.width, g.height, 0);
    if (!ReadAs(result, set.type))
      wrong.push_back(set.name + " at " + std::to_string(s) + ":" + Describe(result));
    FreeHandPage();
  }
  return wrong;
}

class SymbolReferences : public ::testing::Test {
 protected:
  void SetUp() override {
    InitialiseIntMath();
    InitialiseEdgeFeatureTables();
  }
  void Load(const std::vector<MusicReference>& references) {
    folder_.Write(u"Learned\\fssOLD", refmaker::MusicReferenceFileBytes(references));
    ASSERT_EQ(LoadMusicReferences(), kEngineOk);
    ASSERT_EQ(GetMusicReferenceCount(), static_cast<int>(references.size()));
  }
  void TearDown() override { FreeEngine(); }
  EngineDataFolder folder_;
};

TEST_F(SymbolReferences, EveryGlyphReadsAsItsOwnType) {
  const std::vector<refmaker::SymbolGlyphs> glyphs = Glyphs(refmaker::SymbolReferenceStaffSpaces());
  const std::vector<MusicReference> references =
      refmaker::MakeSymbolReferences(glyphs, refmaker::SymbolReferenceOptions());
  ASSERT_EQ(references.size(), refmaker::SymbolGlyphSources().size());
  Load(references);
  for (size_t size = 0; size < refmaker::SymbolReferenceStaffSpaces().size(); ++size)
    for (const std::string& wrong : Misread(glyphs, size)) ADD_FAILURE() << wrong;
}

// Made from 14, 28 and 37 pixels, the set reads the glyphs at 20.
TEST_F(SymbolReferences, AStaffSpaceLeftOutIsReadToo) {
  const std::vector<MusicReference> references =
      refmaker::MakeSymbolReferences(Glyphs({14, 28, 37}), refmaker::SymbolReferenceOptions());
  Load(references);
  for (const std::string& wrong : Misread(Glyphs({20}), 0)) ADD_FAILURE() << wrong;
}

// Once its stem is erased a flag keeps less than its glyph on its stem
// side: commonly a tenth of a staff space and a pixel, and inside the staff,
// where the stem's found centre may lie a pixel towards it, up to a quarter
// of its width (on an engraved page 5 of a quaver flag's 19 pixels at a
// staff space of 21). So cut, every flag is still read as a flag of its
// direction at every staff space, the quaver and semiquaver flags as their
// own type (the quavers even when cut by a quarter; the hooks of the shorter
// notes are counted from the patch, not from the references); cut to half
// its width, a flag is no flag of its type any more.
TEST_F(SymbolReferences, AFlagThatLostItsStemSideIsStillItsFlag) {
  const std::vector<refmaker::SymbolGlyphs> glyphs = Glyphs(refmaker::SymbolReferenceStaffSpaces());
  Load(refmaker::MakeSymbolReferences(glyphs, refmaker::SymbolReferenceOptions()));
  int flags = 0;
  for (const refmaker::SymbolGlyphs& set : glyphs) {
    if (!IsFlagType(set.type)) continue;
    ++flags;
    const int hooks = FlagCountOfType(set.type);
    for (size_t size = 0; size < set.images.size(); ++size) {
      const refmaker::GlyphImage& g = set.images[size];
      const int s = set.staffSpaces[size];
      struct Cut {
        int pixels;
        bool read;
      };
      std::vector<Cut> cuts = {{1 + (s + 5) / 10, true}, {(g.width + 1) / 2, false}};
      if (hooks == 1) cuts.push_back({(g.width + 2) / 4, true});
      for (const Cut& cut : cuts) {
        const int w = g.width - cut.pixels;
        std::vector<uint8_t> patch(static_cast<size_t>(w) * g.height);
        for (int y = 0; y < g.height; ++y)
          for (int x = 0; x < w; ++x) patch[static_cast<size_t>(y) * w + x] = g.Ink(y, x + cut.pixels);
        LoadHandPage(800, 600, s);
        AddHandStaff({0, 100, s, 20, 780, 5, 0});
        SymbolCandidates result{};
        ClassifySymbolPatch(patch.data(), &result, w, g.height, 0);
        const std::string what = set.name + " at " + std::to_string(s) + " less " + std::to_string(cut.pixels) + ":" +
                                 Describe(result);
        if (!cut.read) {
          EXPECT_FALSE(ReadAs(result, set.type)) << what;
        } else if (hooks <= 2) {
          EXPECT_TRUE(ReadAs(result, set.type)) << what;
        } else {
          ASSERT_GT(result.count, 0) << what;
          EXPECT_TRUE(IsFlagType(result.entries[0].type) &&
                      IsUpFlagType(result.entries[0].type) == IsUpFlagType(set.type))
              << what;
        }
        FreeHandPage();
      }
    }
  }
  EXPECT_EQ(flags, 8);
}

// A glyph stood on a drawn stave goes through the engine's staff-line
// removal and components: what is left over its box is still its own type
// to the references made from the glyphs alone, at a line, in a space and
// across the lines (the quaver rest spans three of them), and the stave's
// staff space is the one the glyph was drawn for.
TEST_F(SymbolReferences, ASymbolOnAStaveKeepsItsTypeThroughLineRemoval) {
  struct Place {
    const char* name;
    int step;  // 0 the top line, 8 the bottom one
  };
  const std::vector<Place> places = {{"flat", 4},    {"flat", 3},   {"sharp", 2},    {"natural", 5}, {"rest-8", 4},
                                     {"rest-quarter", 4}, {"clef-G", 6}, {"clef-F", 2}, {"dot", 3},   {"time-4", 8}};
  const std::vector<refmaker::SymbolGlyphs> glyphs = Glyphs(refmaker::SymbolReferenceStaffSpaces());
  struct Stood {
    std::string what;
    int type;
    int staffSpace;
    refmaker::StavedSymbol symbol;
  };
  std::vector<Stood> stood;
  for (const Place& place : places)
    for (const refmaker::SymbolGlyphs& set : glyphs) {
      if (set.name != place.name) continue;
      for (size_t size = 0; size < set.images.size(); ++size) {
        const int s = set.staffSpaces[size];
        const std::string what = set.name + " at step " + std::to_string(place.step) + ", staff space " +
                                 std::to_string(s);
        std::vector<refmaker::StavedSymbol> out;
        ASSERT_TRUE(refmaker::StandSymbolOnStave(set.images[size], s, {place.step}, &out)) << what;
        ASSERT_EQ(out.size(), 1u) << what;
        EXPECT_EQ(out[0].step, place.step);
        EXPECT_NEAR(out[0].staffSpace1024, s * 1024, 512) << what;
        // The removal leaves no more than the glyph's box (and a line's stub
        // beside it), never the whole stave.
        EXPECT_LE(out[0].width, set.images[size].width + s) << what;
        EXPECT_LE(out[0].height, set.images[size].height + 2) << what;
        stood.push_back({what, set.type, s, out[0]});
      }
    }
  ASSERT_EQ(stood.size(), places.size() * refmaker::SymbolReferenceStaffSpaces().size());
  Load(refmaker::MakeSymbolReferences(glyphs, refmaker::SymbolReferenceOptions()));
  for (const Stood& st : stood) {
    LoadHandPage(800, 600, st.staffSpace);
    AddHandStaff({0, 100, st.staffSpace, 20, 780, 5, 0});
    // The engine's own features of the patch at the hand staff's space are
    // the tool's sample.
    uint8_t features[kMusicFeatureCount];
    ClassifyMusicPatch(features, st.symbol.patch.data(), st.symbol.width, st.symbol.height, GetStaffSpace(0));
    if (st.symbol.staffSpace1024 == GetStaffSpace(0))
      EXPECT_EQ(std::vector<uint8_t>(features, features + kMusicFeatureCount),
                std::vector<uint8_t>(st.symbol.features, st.symbol.features + kMusicFeatureCount))
          << st.what;
    SymbolCandidates result{};
    ClassifySymbolPatch(st.symbol.patch.data(), &result, st.symbol.width, st.symbol.height, 0);
    EXPECT_TRUE(ReadAs(result, st.type)) << st.what << ":" << Describe(result);
    FreeHandPage();
  }
}

// Steps of a type: the usual first, at most the count asked for.
TEST(SymbolStaffSteps, UsualStepsFirst) {
  EXPECT_EQ(refmaker::SymbolStaffSteps(80, 4), std::vector<int32_t>({6}));
  EXPECT_EQ(refmaker::SymbolStaffSteps(81, 4), std::vector<int32_t>({2}));
  EXPECT_EQ(refmaker::SymbolStaffSteps(44, 1), std::vector<int32_t>({4}));
  EXPECT_EQ(refmaker::SymbolStaffSteps(150, 2), std::vector<int32_t>({3, 5}));
  EXPECT_EQ(refmaker::SymbolStaffSteps(91, 3), std::vector<int32_t>({4, 3, 5}));
  EXPECT_TRUE(refmaker::SymbolStaffSteps(91, 0).empty());
  EXPECT_TRUE(refmaker::SymbolStaffSteps(800, 4).empty());  // the join stands between two staves
  EXPECT_TRUE(refmaker::SymbolStaffSteps(353, 4).empty());  // a tuplet numeral stands off the stave
}

}  // namespace
