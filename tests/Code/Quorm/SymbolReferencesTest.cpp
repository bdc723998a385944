// The music symbol references the reference maker makes from the Emmentaler
// symbol glyphs (rests, flags, clefs, accidentals, the dot, two dynamics and
// the time-signature signs): through the music classifier each glyph is read
// as its own type at every staff space the set is made from, and at a staff
// space left out of the set.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/mclassif.h"
#include "Code/Quorm/mocgcalc.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/StaffFixture.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"
#include "tools/refmaker/RefMaker.h"
#include "tools/refmaker/StavePages.h"

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
        ASSERT_TRUE(refmaker::StandSymbolOnStave(set.images[size], nullptr, s, {{place.step, refmaker::SymbolStand::kNoHead, place.step}}, &out)) << what;
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
    if (st.symbol.staffSpace1024 == GetStaffSpace(0)) {
      EXPECT_EQ(std::vector<uint8_t>(features, features + kMusicFeatureCount),
                std::vector<uint8_t>(st.symbol.features, st.symbol.features + kMusicFeatureCount))
          << st.what;
    }
    SymbolCandidates result{};
    ClassifySymbolPatch(st.symbol.patch.data(), &result, st.symbol.width, st.symbol.height, 0);
    EXPECT_TRUE(ReadAs(result, st.type)) << st.what << ":" << Describe(result);
    FreeHandPage();
  }
}

// What the engine left of a glyph on a stave reads as the type to the
// references loaded, on a hand staff of the staff space it was read at.
bool StavedReadsAs(const refmaker::StavedSymbol& symbol, int type, std::string* said) {
  const int s = static_cast<int>(std::lround(symbol.staffSpace1024 / 1024.0));
  LoadHandPage(800, 600, s);
  AddHandStaff({0, 100, s, 20, 780, 5, 0});
  SymbolCandidates result{};
  ClassifySymbolPatch(symbol.patch.data(), &result, symbol.width, symbol.height, 0);
  *said = Describe(result);
  FreeHandPage();
  return ReadAs(result, type);
}

// The type of the loaded reference nearest the features, whatever its size
// limits say.
int NearestType(const uint8_t* features) {
  int best = INT_MAX, type = -1;
  for (int r = 0; r < GetMusicReferenceCount(); ++r) {
    const int d = MusicReferenceDistance(features, r);
    if (d < best) best = d, type = GetMusicReferenceType(r);
  }
  return type;
}

const refmaker::SymbolGlyphs& Named(const std::vector<refmaker::SymbolGlyphs>& glyphs, const std::string& name) {
  for (const refmaker::SymbolGlyphs& set : glyphs)
    if (set.name == name) return set;
  ADD_FAILURE() << "no glyph " << name;
  return glyphs.front();
}

// A symbol stood on a stave, with the glyph's name and its type.
struct Stood {
  std::string what;
  int type;
  refmaker::StavedSymbol symbol;
};

// Stood on the engraved staves of both engravers, each glyph, drawn at the
// staff space nearest the stave's, comes through the engine's line removal
// at each of its steps and each blank stretch asked for, at the stave's own
// staff space, and its features lie nearest its own type's reference made
// from the glyphs alone: a sharp nearest the sharp, a clef nearest its clef.
// (The glyph is up to a sixth smaller or larger than the stave's own, so
// the size limits of those references may refuse it.)
TEST_F(SymbolReferences, SymbolsOnEngravedStavesKeepTheirType) {
  std::vector<refmaker::StavePage> pages;
  std::string error;
  ASSERT_TRUE(refmaker::LoadStavePages(U8(SourcePath("tools/refmaker/staves")), &pages, &error)) << error;
  const std::vector<refmaker::SymbolGlyphs> glyphs = Glyphs(refmaker::ShippedSymbolStaffSpaces());
  const char* names[] = {"sharp", "flat", "natural", "rest-quarter", "rest-8", "clef-G", "clef-F", "dot", "time-4"};
  std::vector<Stood> stood;
  int staves = 0;
  for (const char* pageName : {"staves-ly-11.tif", "staves-ly-20.tif", "staves-ms-24.tif", "staves-ms-34.tif"})
    for (const refmaker::StavePage& page : pages) {
      if (page.name != pageName) continue;
      const refmaker::EngravedStave& stave = page.staves.back();
      ++staves;
      std::vector<refmaker::SymbolJob> jobs;
      std::vector<int> types;
      size_t expected = 0;
      for (const char* name : names) {
        const refmaker::SymbolGlyphs& set = Named(glyphs, name);
        size_t nearest = 0;
        for (size_t i = 1; i < set.staffSpaces.size(); ++i)
          if (std::fabs(set.staffSpaces[i] - stave.Space()) < std::fabs(set.staffSpaces[nearest] - stave.Space()))
            nearest = i;
        jobs.push_back({&set.images[nearest], nullptr, refmaker::SymbolStands(set.type, 3, false)});
        types.push_back(set.type);
        expected += 2 * jobs.back().stands.size();
      }
      std::vector<refmaker::StavedSymbol> out;
      ASSERT_TRUE(refmaker::StandSymbolsOnEngravedStave(page, stave, jobs, 2, &out)) << page.name;
      ASSERT_EQ(out.size(), expected) << page.name;
      for (const refmaker::StavedSymbol& symbol : out) {
        const std::string what = page.name + " " + names[symbol.job] + " at step " + std::to_string(symbol.step);
        EXPECT_NEAR(symbol.staffSpace1024, stave.Space() * 1024, 1024) << what;
        stood.push_back({what, types[static_cast<size_t>(symbol.job)], symbol});
      }
    }
  EXPECT_EQ(staves, 4);
  // The engine's page state is freed by each reading: the references go in
  // once all are read.
  Load(refmaker::MakeSymbolReferences(glyphs, refmaker::SymbolReferenceOptions()));
  for (const Stood& st : stood) EXPECT_EQ(NearestType(st.symbol.features), st.type) << st.what;
}

// With the engraved staves asked for, the glyph of each type stands once at
// its first step on every stave of the committed pages, and each sample
// joins its type's reference; asked for the accidentals alone, only their
// references take samples more.
TEST_F(SymbolReferences, EngravedStandsJoinTheirTypesReferences) {
  std::vector<refmaker::StavePage> pages;
  std::string error;
  ASSERT_TRUE(refmaker::LoadStavePages(U8(SourcePath("tools/refmaker/staves")), &pages, &error)) << error;
  int staves = 0;
  for (const refmaker::StavePage& page : pages) staves += static_cast<int>(page.staves.size());
  const std::vector<refmaker::SymbolGlyphs> glyphs = Glyphs(refmaker::SymbolReferenceStaffSpaces());
  refmaker::SymbolReferenceOptions options;
  const std::vector<MusicReference> plain = refmaker::MakeSymbolReferences(glyphs, options);
  options.engravedStaveColumns = 1;
  options.engravedAccidentalsOnly = true;
  const std::vector<MusicReference> stood = refmaker::MakeSymbolReferences(glyphs, options, nullptr, &pages);
  ASSERT_EQ(stood.size(), plain.size());
  int accidentals = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    const bool accidental = IsAccidentalType(plain[i].type) != 0;
    accidentals += accidental;
    EXPECT_EQ(stood[i].word0, plain[i].word0 + (accidental ? staves : 0)) << plain[i].type;
  }
  EXPECT_EQ(accidentals, 5);
}

// Beside a black head: an accidental before it and a dot after it, on the
// stave and by a head on a ledger line beyond it. Every stand comes through
// the line removal with its head marked. On the stave the head stands clear
// of the accidental's box and the dot's, so what is left over the box is the
// glyph alone and reads as its type; the ledger line, as wide as the head
// and a quarter space more each side, reaches up to the accidental, which
// takes the ledger line and its head into its patch where its ink touches
// the line's end, as on a page.
TEST_F(SymbolReferences, AccidentalsAndDotsStandBesideHeads) {
  const std::vector<refmaker::SymbolGlyphs> glyphs = Glyphs(refmaker::SymbolReferenceStaffSpaces());
  std::vector<refmaker::HeadGlyphs> heads;
  std::string error;
  ASSERT_TRUE(refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &heads, &error)) << error;
  ASSERT_EQ(heads[0].headClass, 0);
  std::vector<Stood> stood;
  int ledgerJoined = 0;
  for (const char* name : {"sharp", "flat", "natural", "dot"}) {
    const refmaker::SymbolGlyphs& set = Named(glyphs, name);
    for (size_t size = 0; size < set.images.size(); ++size) {
      const int s = set.staffSpaces[size];
      const refmaker::GlyphImage& glyph = set.images[size];
      size_t nearest = 0;
      for (size_t i = 1; i < heads[0].staffSpaces.size(); ++i)
        if (std::abs(heads[0].staffSpaces[i] - s) < std::abs(heads[0].staffSpaces[nearest] - s)) nearest = i;
      const std::vector<refmaker::SymbolStand> stands = refmaker::SymbolStands(set.type, 1, true);
      std::vector<refmaker::StavedSymbol> out;
      ASSERT_TRUE(refmaker::StandSymbolOnStave(glyph, &heads[0].images[nearest], s, stands, &out));
      ASSERT_EQ(out.size(), stands.size()) << name << " at " << s;
      for (size_t k = 0; k < out.size(); ++k) {
        const refmaker::StavedSymbol& symbol = out[k];
        const std::string what = std::string(name) + " at " + std::to_string(s) + " step " + std::to_string(symbol.step);
        EXPECT_EQ(symbol.step, stands[k].step) << what;
        EXPECT_EQ(symbol.head, stands[k].head) << what;
        const bool besideLedger = stands[k].head != refmaker::SymbolStand::kNoHead &&
                                  (stands[k].headStep < 0 || stands[k].headStep > 8);
        if (besideLedger && set.type != kDotType) {
          // The glyph alone, or the glyph with the ledger line and the head.
          const bool joined = symbol.width >= glyph.width + heads[0].images[nearest].width;
          EXPECT_TRUE(joined || symbol.width <= glyph.width + 1) << what << " width " << symbol.width;
          ledgerJoined += joined;
          continue;
        }
        EXPECT_LE(symbol.width, glyph.width + s) << what;
        stood.push_back({what, set.type, symbol});
      }
    }
  }
  EXPECT_GT(ledgerJoined, 0);
  Load(refmaker::MakeSymbolReferences(glyphs, refmaker::SymbolReferenceOptions()));
  for (const Stood& st : stood) {
    std::string said;
    EXPECT_TRUE(StavedReadsAs(st.symbol, st.type, &said)) << st.what << ":" << said;
  }
}

// A type's stands: its steps alone, and with neighbours an accidental before
// a head at the same steps (at least one) and on the first ledger line either
// side, a dot after a head in the same spaces and off either ledger line into
// the space above; other types take none beside a head.
TEST(SymbolStands, HeadsBesideAccidentalsAndDots) {
  using Stand = refmaker::SymbolStand;
  struct Case {
    int type;
    int count;
    bool neighbours;
    std::vector<std::array<int, 3>> stands;  // step, head, head step
  };
  const Case cases[] = {
      {91, 2, false, {{4, Stand::kNoHead, 4}, {3, Stand::kNoHead, 3}}},
      {91, 2, true,
       {{4, Stand::kNoHead, 4}, {3, Stand::kNoHead, 3}, {4, Stand::kHeadAfter, 4}, {3, Stand::kHeadAfter, 3},
        {-2, Stand::kHeadAfter, -2}, {10, Stand::kHeadAfter, 10}}},
      {90, 0, true, {{4, Stand::kHeadAfter, 4}, {-2, Stand::kHeadAfter, -2}, {10, Stand::kHeadAfter, 10}}},
      {150, 1, true,
       {{3, Stand::kNoHead, 3}, {3, Stand::kHeadBefore, 3}, {-3, Stand::kHeadBefore, -2},
        {9, Stand::kHeadBefore, 10}}},
      {80, 1, true, {{6, Stand::kNoHead, 6}}},
      {353, 3, true, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::array<int, 3>> got;
    for (const Stand& stand : refmaker::SymbolStands(c.type, c.count, c.neighbours))
      got.push_back({stand.step, stand.head, stand.headStep});
    EXPECT_EQ(got, c.stands) << c.type << " " << c.count << " " << c.neighbours;
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
