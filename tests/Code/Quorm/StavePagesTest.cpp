// The reference tool's engraved stave pages: the committed pages read with
// their layout, heads stood on their lines and in their spaces, and bad
// layouts and missing pages refused by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Intmath.h"
#include "tests/support/TempText.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"
#include "tools/refmaker/RefMaker.h"
#include "tools/refmaker/StavePages.h"

namespace {

using refmaker::HeadPlace;

std::string StaveFolder() { return U8(SourcePath("tools/refmaker/staves")); }

bool Ink(const refmaker::Canvas& c, int y, int x) {
  return y >= 0 && y < c.height && x >= 0 && x < c.width && c.pixels[static_cast<size_t>(y) * c.width + x] != 0;
}

class StavePages : public ::testing::Test {
 protected:
  void SetUp() override {
    InitialiseIntMath();
    InitialiseEdgeFeatureTables();
    std::string error;
    ASSERT_TRUE(refmaker::LoadStavePages(StaveFolder(), &pages_, &error)) << error;
  }
  std::vector<refmaker::StavePage> pages_;
};

// Every page of both engravers is read, its staves lie on ink, and each
// stave has blank stretches where nothing but its five lines cross.
TEST_F(StavePages, EveryPageIsReadAndItsStavesHaveBlankStretches) {
  int lilypond = 0, musescore = 0;
  double smallest = 1e9, largest = 0;
  for (const refmaker::StavePage& page : pages_) {
    SCOPED_TRACE(page.name);
    lilypond += page.name.find("-ly-") != std::string::npos;
    musescore += page.name.find("-ms-") != std::string::npos;
    ASSERT_FALSE(page.staves.empty());
    for (const refmaker::EngravedStave& stave : page.staves) {
      smallest = std::min(smallest, stave.Space());
      largest = std::max(largest, stave.Space());
      const int width = 40;
      const std::vector<int32_t> columns = refmaker::BlankStaveColumns(page.image, stave, width, 4);
      ASSERT_EQ(columns.size(), 4u);
      for (int32_t left : columns)
        for (int32_t x = left; x < left + width; ++x) {
          for (const double row : stave.rows) ASSERT_TRUE(Ink(page.image, static_cast<int>(row), x)) << "column " << x;
          // Half way between two lines, paper.
          ASSERT_FALSE(Ink(page.image, static_cast<int>((stave.rows[1] + stave.rows[2]) / 2), x)) << "column " << x;
        }
    }
  }
  EXPECT_GE(lilypond, 4);
  EXPECT_GE(musescore, 3);
  // The engravers' range at 300 dpi: staff spaces from about 11 to 50 pixels.
  EXPECT_LT(smallest, 14);
  EXPECT_GT(largest, 45);
}

// Whether a place has a line through the head (on a stave line or a ledger
// line, alone or in a chord).
bool OnALine(int place) {
  for (HeadPlace p : {HeadPlace::kOnLine, HeadPlace::kOnLineInChord, HeadPlace::kOnLineHeadAbove,
                      HeadPlace::kOnLineHeadBelow, HeadPlace::kOnLedgerBelowStaff, HeadPlace::kOnLedgerAboveStaff,
                      HeadPlace::kOnLineStemUp, HeadPlace::kOnLineStemDown})
    if (place == static_cast<int>(p)) return true;
  return false;
}

// A black head stood on an engraved stave's line reads nearest a drawn
// reference of a head with a line through it, and one stood in a space
// nearest one of a head between lines; a stemmed one reads nearer the drawn
// reference of its own place than that of the same head stemmed the other
// way: the glyph stands where the place says, on the page's own lines, with
// its stem on the side the drawn staves give it.
TEST_F(StavePages, HeadsStandOnTheLinesAndInTheSpacesOfEachStave) {
  std::vector<refmaker::HeadGlyphs> glyphs;
  std::string error;
  ASSERT_TRUE(refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &glyphs, &error,
                                       refmaker::ShippedHeadStaffSpaces()))
      << error;
  refmaker::HeadReferenceOptions options;  // one reference a place, the stemmed ones too
  for (int p = refmaker::kFirstStemPlace; p < refmaker::kHeadPlaceCount; ++p) options.places[p] = true;
  const std::vector<NoteheadReference> refs = refmaker::MakeHeadReferences({glyphs[0]}, options);
  ASSERT_EQ(glyphs[0].headClass, 0);
  auto nearestPlace = [&](const uint8_t* f) {
    int best = INT_MAX, place = -1;
    for (const NoteheadReference& r : refs) {
      const int d = WeightedFeatureDistance(f, r.edgeRefs, kEdgeFeatureCount);
      if (d < best) best = d, place = r.word1;
    }
    return place;
  };
  auto distanceTo = [&](const uint8_t* f, HeadPlace place) {
    for (const NoteheadReference& r : refs)
      if (r.word1 == static_cast<int>(place)) return WeightedFeatureDistance(f, r.edgeRefs, kEdgeFeatureCount);
    ADD_FAILURE() << "no reference of place " << static_cast<int>(place);
    return 0;
  };
  const int32_t shift[1][3] = {{0, 0, 0}};
  for (const refmaker::StavePage& page : pages_)
    for (const refmaker::EngravedStave& stave : page.staves) {
      size_t nearest = 0;
      for (size_t i = 1; i < glyphs[0].staffSpaces.size(); ++i)
        if (std::abs(glyphs[0].staffSpaces[i] - stave.Space()) < std::abs(glyphs[0].staffSpaces[nearest] - stave.Space()))
          nearest = i;
      const refmaker::GlyphImage& glyph = glyphs[0].images[nearest];
      const int32_t s = static_cast<int32_t>(stave.Space() + 0.5);
      const std::vector<int32_t> columns = refmaker::BlankStaveColumns(page.image, stave, glyph.width + 4 * s, 3);
      ASSERT_FALSE(columns.empty()) << page.name;
      for (size_t k = 0; k < columns.size(); ++k) {
        SCOPED_TRACE(page.name + " staff space " + std::to_string(stave.Space()) + " variant " + std::to_string(k));
        struct Case {
          HeadPlace place;
          bool onLine;
          HeadPlace mirror;  // the same head stemmed the other way (itself when unstemmed)
        };
        const Case cases[] = {
            {HeadPlace::kOnLine, true, HeadPlace::kOnLine},
            {HeadPlace::kInSpace, false, HeadPlace::kInSpace},
            {HeadPlace::kOnLineStemUp, true, HeadPlace::kOnLineStemDown},
            {HeadPlace::kInSpaceStemUp, false, HeadPlace::kInSpaceStemDown},
            {HeadPlace::kOnLineStemDown, true, HeadPlace::kOnLineStemUp},
            {HeadPlace::kInSpaceStemDown, false, HeadPlace::kInSpaceStemUp},
        };
        for (const Case& c : cases) {
          SCOPED_TRACE("place " + std::to_string(static_cast<int>(c.place)));
          std::vector<uint8_t> rows;
          ASSERT_EQ(refmaker::EngravedStaveHeadFeatures(page.image, stave, glyph, 0, c.place, columns[k] + 2 * s,
                                                        static_cast<int32_t>(k), shift, 1, nullptr, &rows),
                    1);
          EXPECT_EQ(OnALine(nearestPlace(rows.data())), c.onLine);
          if (c.mirror != c.place) {
            EXPECT_LT(distanceTo(rows.data(), c.place), distanceTo(rows.data(), c.mirror));
          }
        }
      }
    }
}

// The layout file's faults are named with the file and line; a page it names
// that is not there is named.
TEST(StaveLayout, BadLinesAndMissingPagesAreNamed) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"a.tif 10 20 30 40\n", "line 1"},                          // four rows
      {"# pages\na.tif 10 20 30 25 50 5 100\n", "line 2"},        // rows not rising
      {"a.tif 10 20 30 40 50 100 5\n", "line 1"},                 // columns reversed
      {"a.tif 10 20 30 40 50 5 100 extra\n", "line 1"},           // something after
  };
  for (const Case& c : cases) {
    const std::u16string path = WriteTempText("staves.txt", c.text);
    std::vector<refmaker::StavePage> pages;
    std::string error;
    EXPECT_FALSE(refmaker::ReadStaveLayout(path, &pages, &error)) << c.text;
    EXPECT_NE(error.find("staves.txt " + std::string(c.expected)), std::string::npos) << error;
  }
  // A good layout whose page is not in the folder.
  const std::u16string path = WriteTempText("staves.txt", "missing-page.tif 10 20 30 40 50 5 100\n");
  const std::string file = U8(path);
  const std::string folder = file.substr(0, file.find_last_of("/\\"));
  std::vector<refmaker::StavePage> pages;
  std::string error;
  EXPECT_FALSE(refmaker::LoadStavePages(folder, &pages, &error));
  EXPECT_NE(error.find("missing-page.tif"), std::string::npos) << error;
  EXPECT_NE(error.find("cannot be read"), std::string::npos) << error;
  // A folder without a layout.
  EXPECT_FALSE(refmaker::LoadStavePages(folder + "/nothing-here", &pages, &error));
  EXPECT_NE(error.find("staves.txt"), std::string::npos) << error;
}

}  // namespace
