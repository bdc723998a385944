// The reference tool's calibration file: the floors it sets reach only the
// references they name, and a file that cannot be understood is refused
// with its line named, leaving the options as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Intmath.h"
#include "tests/support/TempText.h"
#include "tests/support/TestPaths.h"
#include "tools/refmaker/RefMaker.h"

namespace {

TEST(CalibrationFile, SetsTheFloorsItNames) {
  refmaker::HeadReferenceOptions heads;
  refmaker::SymbolReferenceOptions symbols;
  std::string error;
  ASSERT_TRUE(refmaker::ReadCalibration(
      WriteTempText("calibration-good.txt",
                       "# chosen on the calibration pages\n\nhead-spread-floor 4 4.5  # small heads\n"
                       "symbol-spread-floor 8\nhead-clusters 1 5\nhead-engraved-clusters 0 2\nsymbol-clusters 3\n"
                       "head-degraded-copies 2\nsymbol-degraded-copies 4\nhead-ledger-places 1\nsymbol-staff-places 3\n"
                       "head-stem-places 1\n"
                       "symbol-engraved-staves 2\nsymbol-engraved-types accidentals\nsymbol-neighbour-places 1\n"),
      &heads, &symbols, &error))
      << error;
  EXPECT_EQ(heads.FloorOf(4), 4.5);
  EXPECT_EQ(heads.FloorOf(0), heads.spreadFloor);
  EXPECT_EQ(symbols.spreadFloor, 8.0);
  EXPECT_EQ(heads.clusters[1], 5);
  EXPECT_EQ(heads.clusters[0], 0);
  EXPECT_EQ(heads.engravedClusters[0], 2);
  EXPECT_EQ(symbols.clusters, 3);
  EXPECT_EQ(heads.degradedCopies, 2);
  EXPECT_EQ(symbols.degradedCopies, 4);
  EXPECT_EQ(symbols.staffPlaces, 3);
  EXPECT_EQ(symbols.engravedStaveColumns, 2);
  EXPECT_TRUE(symbols.engravedAccidentalsOnly);
  EXPECT_TRUE(symbols.neighbourPlaces);
  for (int p = 0; p < refmaker::kHeadPlaceCount; ++p) EXPECT_TRUE(heads.places[p]) << p;

  // Each place key turns on its own places only.
  struct PlaceCase {
    const char* text;
    int first, end;  // the places it turns on
  };
  const PlaceCase placeCases[] = {
      {"head-ledger-places 1\n", refmaker::kFirstLedgerPlace, refmaker::kFirstStemPlace},
      {"head-stem-places 1\n", refmaker::kFirstStemPlace, refmaker::kHeadPlaceCount},
      {"head-stem-places 0\n", 0, 0},
      {"head-stem-places up\n", refmaker::kFirstStemPlace, refmaker::kFirstStemPlace + 2},
      {"head-stem-places down\n", refmaker::kFirstStemPlace + 2, refmaker::kHeadPlaceCount},
  };
  for (const PlaceCase& c : placeCases) {
    heads = refmaker::HeadReferenceOptions();
    ASSERT_TRUE(refmaker::ReadCalibration(WriteTempText("calibration-places.txt", c.text), &heads, &symbols, &error))
        << error;
    for (int p = 0; p < refmaker::kHeadPlaceCount; ++p)
      EXPECT_EQ(heads.places[p], p < refmaker::kDefaultHeadPlaceCount || (p >= c.first && p < c.end))
          << c.text << "place " << p;
  }

  // The floors alone reach only the references they name.
  heads = refmaker::HeadReferenceOptions();
  ASSERT_TRUE(refmaker::ReadCalibration(WriteTempText("calibration-floor.txt", "head-spread-floor 4 4.5\n"), &heads,
                                        &symbols, &error))
      << error;

  // Made from the glyphs, only the small head's references take the floor
  // (recorded x 100 in the reference) and their weights change.
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::vector<refmaker::HeadGlyphs> glyphs;
  ASSERT_TRUE(refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &glyphs, &error)) << error;
  const std::vector<NoteheadReference> plain = refmaker::MakeHeadReferences(glyphs, refmaker::HeadReferenceOptions());
  const std::vector<NoteheadReference> calibrated = refmaker::MakeHeadReferences(glyphs, heads);
  ASSERT_EQ(plain.size(), calibrated.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    const bool small = plain[i].headClass == 4;
    EXPECT_EQ(calibrated[i].words3to5[1], small ? 450 : 600) << "reference " << i;
    EXPECT_EQ(std::equal(plain[i].edgeRefs, plain[i].edgeRefs + sizeof plain[i].edgeRefs, calibrated[i].edgeRefs),
              !small)
        << "reference " << i;
  }
}

// The stemmed places asked for reach only the classes and the stem sides
// named: one reference a class and place, none stemmed for the others.
TEST(CalibrationFile, StemmedPlacesReachTheClassesNamed) {
  refmaker::HeadReferenceOptions heads;
  refmaker::SymbolReferenceOptions symbols;
  std::string error;
  ASSERT_TRUE(refmaker::ReadCalibration(
      WriteTempText("calibration-stems.txt", "head-stem-places up\nhead-stem-classes 0 4\n"), &heads, &symbols,
      &error))
      << error;
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::vector<refmaker::HeadGlyphs> glyphs;
  ASSERT_TRUE(refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &glyphs, &error, {14, 26}))
      << error;
  std::vector<std::pair<int, int>> stemmed;  // class, place
  for (const NoteheadReference& r : refmaker::MakeHeadReferences(glyphs, heads))
    if (r.word1 >= refmaker::kFirstStemPlace) stemmed.emplace_back(r.headClass, r.word1);
  const int up = static_cast<int>(refmaker::HeadPlace::kOnLineStemUp);
  const int upInSpace = static_cast<int>(refmaker::HeadPlace::kInSpaceStemUp);
  EXPECT_EQ(stemmed, (std::vector<std::pair<int, int>>{{0, up}, {0, upInSpace}, {4, up}, {4, upInSpace}}));
}

TEST(CalibrationFile, RefusesWhatItCannotUnderstand) {
  struct Case {
    const char* text;
    const char* line;
  };
  const Case cases[] = {
      {"head-spread-floor 3 5\n", "line 1"},                 // class 3 is not searched
      {"head-spread-floor 0 2\n", "line 1"},                 // below the cost table's own spread
      {"symbol-spread-floor 80\n", "line 1"},                // beyond any weight
      {"# floors\nhead-spread-floor 0\n", "line 2"},         // no floor
      {"head-spread-floor 0 5 extra\n", "line 1"},           // trailing words
      {"symbol-spread-floor 6\nspread-floor 6\n", "line 2"}, // unknown key
      {"head-clusters 3 4\n", "line 1"},                    // class 3 is not searched
      {"head-clusters 0 0\n", "line 1"},                    // no reference at all
      {"symbol-clusters 9\n", "line 1"},                    // beyond the limit
      {"head-degraded-copies 17\n", "line 1"},              // beyond the limit
      {"symbol-degraded-copies -1\n", "line 1"},            // below none
      {"head-ledger-places 2\n", "line 1"},                 // on or off only
      {"# stems\nhead-stem-places -1\n", "line 2"},         // on or off only
      {"head-stem-places 1 up\n", "line 1"},               // trailing words
      {"head-stem-classes 2\n", "line 1"},                 // a whole head has no stem
      {"head-stem-classes 0 3\n", "line 1"},               // class 3 is not searched
      {"head-stem-classes\n", "line 1"},                   // no class
      {"symbol-staff-places 10\n", "line 1"},               // more steps than a stave has
      {"# symbols\nsymbol-engraved-staves 9\n", "line 2"},  // beyond the limit
      {"symbol-engraved-staves -1\n", "line 1"},            // below none
      {"symbol-neighbour-places 2\n", "line 1"},            // on or off only
      {"symbol-engraved-types flags\n", "line 1"},          // every type or the accidentals
  };
  for (const Case& c : cases) {
    refmaker::HeadReferenceOptions heads;
    refmaker::SymbolReferenceOptions symbols;
    std::string error;
    EXPECT_FALSE(refmaker::ReadCalibration(WriteTempText("calibration-bad.txt", c.text), &heads, &symbols, &error))
        << c.text;
    EXPECT_NE(error.find(c.line), std::string::npos) << error;
    EXPECT_NE(error.find("calibration-bad.txt"), std::string::npos) << error;
    EXPECT_EQ(heads.FloorOf(0), 6.0) << c.text;
    EXPECT_EQ(symbols.spreadFloor, 6.0) << c.text;
    EXPECT_EQ(symbols.engravedStaveColumns, 0) << c.text;
    EXPECT_FALSE(symbols.neighbourPlaces) << c.text;
    EXPECT_FALSE(symbols.engravedAccidentalsOnly) << c.text;
  }
  refmaker::HeadReferenceOptions heads;
  refmaker::SymbolReferenceOptions symbols;
  std::string error;
  EXPECT_FALSE(refmaker::ReadCalibration(u"/nonexistent/calibration.txt", &heads, &symbols, &error));
  EXPECT_NE(error.find("/nonexistent/calibration.txt"), std::string::npos) << error;
}

}  // namespace
