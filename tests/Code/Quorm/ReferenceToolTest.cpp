// The reference tool's own steps: the degradations it draws (seeded, a
// stave line never thinned away), its clustering (seeded, groups found as
// they lie), clustered and engraved references, and the file of samples cut
// from engraved pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Intmath.h"
#include "tests/support/TempText.h"
#include "tests/support/TestPaths.h"
#include "tools/refmaker/RefMaker.h"

namespace {

int RowInk(const refmaker::Canvas& c, int y) {
  int n = 0;
  for (int x = 0; x < c.width; ++x) n += c.pixels[static_cast<size_t>(y) * c.width + x];
  return n;
}

int Ink(const refmaker::Canvas& c) { return std::accumulate(c.pixels.begin(), c.pixels.end(), 0); }

// A 2-pixel line across a canvas, as a stave line at 300 dpi.
refmaker::Canvas LineCanvas() {
  refmaker::Canvas c(200, 40);
  c.Line(20, 2);
  return c;
}

TEST(Degradations, AStaveLineKeepsItsHeightAndThickeningAddsOnePixel) {
  struct Case {
    int thickness;
    int rows;  // rows the line covers without noise and skew
  };
  for (const Case& k : {Case{-1, 2}, Case{0, 2}, Case{1, 3}}) {
    refmaker::Canvas c = LineCanvas();
    refmaker::Degradation d;
    d.thickness = k.thickness;
    refmaker::DegradeCanvas(&c, d);
    int rows = 0;
    for (int y = 0; y < c.height; ++y) rows += RowInk(c, y) > 150 ? 1 : 0;
    EXPECT_EQ(rows, k.rows) << "thickness " << k.thickness;
  }
  // With the tool's own noise and skew the line is still there on every
  // copy drawn: most of its ink, and a gap at no more than one column in
  // ten (noise may break it, as a scan does, never wipe it out).
  for (const refmaker::Degradation& d : refmaker::MakeDegradations(17, 12)) {
    refmaker::Canvas c = LineCanvas();
    refmaker::DegradeCanvas(&c, d);
    EXPECT_GT(Ink(c), 300) << "skew " << d.skewDegrees << " thickness " << d.thickness;
    int gaps = 0;
    for (int x = 10; x < 190; ++x) {
      int column = 0;
      for (int y = 0; y < c.height; ++y) column += c.pixels[static_cast<size_t>(y) * c.width + x];
      gaps += column == 0 ? 1 : 0;
    }
    EXPECT_LE(gaps, 18) << "skew " << d.skewDegrees << " thickness " << d.thickness;
  }
}

TEST(Degradations, SeededSkewedAndTheSameEveryTime) {
  const std::vector<refmaker::Degradation> a = refmaker::MakeDegradations(5, 9);
  const std::vector<refmaker::Degradation> b = refmaker::MakeDegradations(5, 9);
  ASSERT_EQ(a.size(), 9u);
  bool differ = false;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].seed, b[i].seed);
    EXPECT_EQ(a[i].skewDegrees, b[i].skewDegrees);
    EXPECT_LE(std::abs(a[i].skewDegrees), 2.0);
    EXPECT_EQ(a[i].thickness, static_cast<int>(i % 3) - 1);
    differ = differ || a[i].skewDegrees != a[0].skewDegrees;
    refmaker::Canvas x = LineCanvas(), y = LineCanvas();
    refmaker::DegradeCanvas(&x, a[i]);
    refmaker::DegradeCanvas(&y, b[i]);
    EXPECT_EQ(x.pixels, y.pixels);
  }
  EXPECT_TRUE(differ);
  // A skew of 2 degrees turns the line: its ends stand some 7 rows apart
  // over 200 columns.
  refmaker::Degradation d;
  d.skewDegrees = 2.0;
  refmaker::Canvas c = LineCanvas();
  refmaker::DegradeCanvas(&c, d);
  auto rowAt = [&](int x) {
    for (int y = 0; y < c.height; ++y)
      if (c.pixels[static_cast<size_t>(y) * c.width + x]) return y;
    return -1;
  };
  EXPECT_NEAR(std::abs(rowAt(5) - rowAt(194)), 7, 1);
}

TEST(Clustering, FindsSeparateGroupsAndIsSeeded) {
  // Three groups of rows of 4 features round 20, 120 and 220.
  std::vector<uint8_t> rows;
  for (int i = 0; i < 30; ++i)
    for (int f = 0; f < 4; ++f) rows.push_back(static_cast<uint8_t>((i % 3) * 100 + 20 + (i * 7 + f) % 5));
  const std::vector<std::vector<int32_t>> groups = refmaker::ClusterRows(rows, 4, 3, 42);
  ASSERT_EQ(groups.size(), 3u);
  for (const std::vector<int32_t>& g : groups) {
    ASSERT_EQ(g.size(), 10u);
    for (int32_t i : g) EXPECT_EQ(i % 3, g[0] % 3) << "row " << i;
    EXPECT_TRUE(std::is_sorted(g.begin(), g.end()));
  }
  EXPECT_EQ(groups[0][0], 0);  // ordered by their first row
  EXPECT_EQ(refmaker::ClusterRows(rows, 4, 3, 42), groups);
  // More groups asked than rows, one row, no rows.
  EXPECT_EQ(refmaker::ClusterRows(std::vector<uint8_t>(rows.begin(), rows.begin() + 8), 4, 5, 1).size(), 2u);
  EXPECT_EQ(refmaker::ClusterRows(std::vector<uint8_t>(4, 9), 4, 3, 1), (std::vector<std::vector<int32_t>>{{0}}));
  EXPECT_TRUE(refmaker::ClusterRows({}, 4, 3, 1).empty());
}

class ClusteredReferences : public ::testing::Test {
 protected:
  void SetUp() override {
    InitialiseIntMath();
    InitialiseEdgeFeatureTables();
    std::string error;
    ASSERT_TRUE(refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &glyphs_, &error, {14, 26}))
        << error;
  }
  std::vector<refmaker::HeadGlyphs> glyphs_;
};

// Clustered, a class's references hold all its samples between them, and
// each glyph drawn at a place still comes within the class's limit of one.
TEST_F(ClusteredReferences, EveryClassGetsItsClustersAndEveryGlyphIsNearOne) {
  refmaker::HeadReferenceOptions options;
  for (int c : {0, 1, 2, 4}) options.clusters[c] = 3;
  for (int p = 0; p < refmaker::kHeadPlaceCount; ++p) options.places[p] = true;
  const std::vector<NoteheadReference> refs = refmaker::MakeHeadReferences(glyphs_, options);
  ASSERT_EQ(refs.size(), 12u);
  for (const refmaker::HeadGlyphs& set : glyphs_) {
    int samples = 0, word = 0;
    for (const NoteheadReference& r : refs)
      if (r.headClass == set.headClass) {
        EXPECT_EQ(r.word1, word++);
        samples += r.words3to5[0];
      }
    // Every place but the stemmed ones for the whole head.
    const int places = set.headClass == 2 ? refmaker::kFirstStemPlace : refmaker::kHeadPlaceCount;
    EXPECT_EQ(samples, 2 * places * 7) << "class " << set.headClass;
    for (size_t i = 0; i < set.images.size(); ++i)
      for (int p = 0; p < places; ++p) {
        uint8_t f[kEdgeFeatureCount];
        const int s = set.staffSpaces[i];
        ASSERT_TRUE(refmaker::HeadGlyphFeatures(set.images[i], set.headClass, static_cast<refmaker::HeadPlace>(p), s,
                                                refmaker::LineThicknessFor(s), 0, 0, 0, f));
        int best = 1 << 30;
        for (const NoteheadReference& r : refs)
          if (r.headClass == set.headClass)
            best = std::min(best, WeightedFeatureDistance(f, r.edgeRefs, kEdgeFeatureCount));
        EXPECT_LT(best, 3000) << "class " << set.headClass << " place " << p << " staff space " << s;
      }
  }
  // The same glyphs and options make the same references.
  const std::vector<NoteheadReference> again = refmaker::MakeHeadReferences(glyphs_, options);
  EXPECT_EQ(refmaker::NoteheadReferenceFileBytes(again), refmaker::NoteheadReferenceFileBytes(refs));
}

// Samples cut from engraved pages make references of their own (word1 100
// and up) only for the classes given engraved clusters.
TEST_F(ClusteredReferences, EngravedSamplesMakeTheirOwnReferences) {
  std::vector<refmaker::CutSample> cuts;
  for (int i = 0; i < 6; ++i) {
    refmaker::CutSample c;
    c.code = i < 4 ? 0 : 1;
    c.features.assign(kEdgeFeatureCount, static_cast<uint8_t>(40 + i));
    cuts.push_back(c);
  }
  refmaker::HeadReferenceOptions options;
  options.engravedClusters[0] = 2;
  const std::vector<NoteheadReference> plain = refmaker::MakeHeadReferences(glyphs_, refmaker::HeadReferenceOptions());
  const std::vector<NoteheadReference> refs = refmaker::MakeHeadReferences(glyphs_, options, &cuts);
  ASSERT_EQ(refs.size(), plain.size() + 2);
  int engraved = 0, samples = 0;
  for (const NoteheadReference& r : refs)
    if (r.word1 >= 100) {
      ++engraved;
      samples += r.words3to5[0];
      EXPECT_EQ(r.headClass, 0);
    }
  EXPECT_EQ(engraved, 2);
  EXPECT_EQ(samples, 4);
}

TEST(CutSamples, LinesReadBackAsWrittenAndBadLinesAreNamed) {
  refmaker::CutSample head;
  head.code = 1;
  for (int i = 0; i < kEdgeFeatureCount; ++i) head.features.push_back(static_cast<uint8_t>(i * 3));
  refmaker::CutSample symbol;
  symbol.head = false;
  symbol.code = 90;
  symbol.widthPercent = 95;
  symbol.heightPercent = 270;
  symbol.features.assign(kMusicFeatureCount, 0xAB);
  const std::string text =
      "# cut\n\n" + refmaker::CutSampleLine(head) + "\n" + refmaker::CutSampleLine(symbol) + "  # a sharp\n";
  std::vector<refmaker::CutSample> read;
  std::string error;
  ASSERT_TRUE(refmaker::ReadCutSamples(WriteTempText("cut-good.txt", text), &read, &error)) << error;
  ASSERT_EQ(read.size(), 2u);
  EXPECT_TRUE(read[0].head);
  EXPECT_EQ(read[0].code, 1);
  EXPECT_EQ(read[0].features, head.features);
  EXPECT_FALSE(read[1].head);
  EXPECT_EQ(read[1].code, 90);
  EXPECT_EQ(read[1].widthPercent, 95);
  EXPECT_EQ(read[1].heightPercent, 270);
  EXPECT_EQ(read[1].features, symbol.features);

  const std::string good = refmaker::CutSampleLine(head);
  struct Case {
    std::string text;
    const char* line;
  };
  const Case cases[] = {
      {"head 3 " + good.substr(7) + "\n", "line 1"},                   // class 3 is not searched
      {"# x\n" + good.substr(0, good.size() - 2) + "\n", "line 2"},    // a feature short
      {good + "00\n", "line 1"},                                       // a feature too many
      {"symbol 1000 90 90 " + good.substr(7) + "\n", "line 1"},        // built by the engine
      {"shape 0 " + good.substr(7) + "\n", "line 1"},                  // unknown kind
      {good + " extra\n", "line 1"},                                   // trailing words
      {good + "\n" + good, "last line has no end"},                    // cut short
  };
  for (const Case& c : cases) {
    std::vector<refmaker::CutSample> kept(1);
    EXPECT_FALSE(refmaker::ReadCutSamples(WriteTempText("cut-bad.txt", c.text), &kept, &error)) << c.text;
    EXPECT_NE(error.find(c.line), std::string::npos) << error;
    EXPECT_NE(error.find("cut-bad.txt"), std::string::npos) << error;
    EXPECT_EQ(kept.size(), 1u);
  }
  EXPECT_FALSE(refmaker::ReadCutSamples(u"/nonexistent/cut.txt", &read, &error));
  EXPECT_NE(error.find("/nonexistent/cut.txt"), std::string::npos) << error;
}

}  // namespace
