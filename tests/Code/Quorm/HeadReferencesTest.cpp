// The test references made from the Emmentaler head glyphs with the
// reference maker: every glyph at every rendered staff space and place comes
// well within its own class's limit and well outside the limits of the
// classes it must not be taken for; the file written is the one the engine
// loads, and the JSON source is that of tools/make_engine_data.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/HeadArt.h"
#include "tests/support/TestPaths.h"

namespace {

int Distance(const uint8_t* features, const NoteheadReference& r) {
  return WeightedFeatureDistance(features, r.edgeRefs, kEdgeFeatureCount);
}

// Head classes a glyph must not be accepted as (a small head may also pass
// for a black one: the width statistics tell them apart).
bool MustNotMatch(HeadKind kind, int headClass) {
  const int own = ModelOfKind(kind);
  if (headClass == own) return false;
  return !((own == 0 && headClass == 4) || (own == 4 && headClass == 0));
}

TEST(HeadReferences, EachGlyphMatchesItsOwnClassOnly) {
  const std::vector<NoteheadReference>& refs = TestHeadReferences();
  ASSERT_EQ(refs.size(), 4u * refmaker::kDefaultHeadPlaceCount);
  for (HeadKind kind : kHeadKinds)
    for (int place = 0; place < refmaker::kDefaultHeadPlaceCount; ++place)
      for (int s : GlyphStaffSpaces()) {
        uint8_t f[kEdgeFeatureCount];
        ASSERT_TRUE(refmaker::HeadGlyphFeatures(HeadGlyph(kind, s), ModelOfKind(kind),
                                                static_cast<refmaker::HeadPlace>(place), s,
                                                refmaker::LineThicknessFor(s), 0, 0, 0, f));
        int best[8];
        std::fill(best, best + 8, 1 << 30);
        for (const NoteheadReference& r : refs) best[r.headClass] = std::min(best[r.headClass], Distance(f, r));
        // Within the lowest class limit (3000) by a margin, and a good way
        // above the highest (3400) for the others.
        EXPECT_LT(best[ModelOfKind(kind)], 2600) << NameOfKind(kind) << " place " << place << " staff space " << s;
        for (int c : {0, 1, 2, 4})
          if (MustNotMatch(kind, c)) {
            EXPECT_GT(best[c], 3900) << NameOfKind(kind) << " as class " << c << " place " << place << " staff space "
                                     << s;
          }
      }
}

// The stemmed places draw a stem as thick as StemThicknessFor says, up from
// the head's right edge or down from its left, beyond the head and the lines
// round it; the other places draw none.
TEST(HeadReferences, StemmedPlacesDrawTheStemOnItsSide) {
  using refmaker::HeadPlace;
  struct Case {
    HeadPlace place;
    int stem;  // +1 up on the right, -1 down on the left, 0 none
  };
  const Case cases[] = {{HeadPlace::kOnLine, 0},          {HeadPlace::kInSpace, 0},
                        {HeadPlace::kOnLineStemUp, 1},    {HeadPlace::kInSpaceStemUp, 1},
                        {HeadPlace::kOnLineStemDown, -1}, {HeadPlace::kInSpaceStemDown, -1}};
  for (const Case& c : cases)
    for (HeadKind kind : {HeadKind::kBlack, HeadKind::kHalf, HeadKind::kSmall})
      for (int s : {12, 26, 45}) {
        SCOPED_TRACE(std::string(NameOfKind(kind)) + " place " + std::to_string(static_cast<int>(c.place)) +
                     " staff space " + std::to_string(s));
        const refmaker::GlyphImage& glyph = HeadGlyph(kind, s);
        const int t = refmaker::LineThicknessFor(s);
        int centre = 0, left = 0;
        const refmaker::Canvas canvas = refmaker::DrawHeadAtPlace(glyph, c.place, s, t, &centre, &left);
        const int right = left + glyph.width;
        // Rows of a column inked between y0 and y1 (half-open).
        auto inked = [&](int x, int y0, int y1) {
          int n = 0;
          for (int y = y0; y < y1; ++y) n += canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
          return n;
        };
        // Above and below the lines within a staff space of the head.
        const int aboveEnd = centre - s - t, belowStart = centre + s + t + 1;
        ASSERT_GT(aboveEnd, s / 2);
        ASSERT_LT(belowStart, canvas.height - s / 2);
        const int above = aboveEnd, below = canvas.height - belowStart;
        const int stem = refmaker::StemThicknessFor(s);
        for (int x = 0; x < stem; ++x) {
          EXPECT_EQ(inked(right - 1 - x, 0, aboveEnd), c.stem > 0 ? above : 0) << "column " << right - 1 - x;
          EXPECT_EQ(inked(left + x, belowStart, canvas.height), c.stem < 0 ? below : 0) << "column " << left + x;
          EXPECT_EQ(inked(left + x, 0, aboveEnd), 0);
          EXPECT_EQ(inked(right - 1 - x, belowStart, canvas.height), 0);
        }
        EXPECT_EQ(inked(right - 1 - stem, 0, aboveEnd), 0);
        EXPECT_EQ(inked(left + stem, belowStart, canvas.height), 0);
      }
}

// With the stemmed places made, a stemmed head of each stemmed class falls
// nearest a reference of its own class (or, for a black or small head, of
// the other of the two), within the lowest class limit of one of its own; a
// whole head takes no stemmed reference.
TEST(HeadReferences, StemmedHeadsFallNearestTheirOwnClass) {
  using refmaker::HeadPlace;
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::vector<refmaker::HeadGlyphs> glyphs;
  std::string error;
  ASSERT_TRUE(refmaker::LoadHeadGlyphs(SourcePath("tests/Code/Quorm/fixtures/glyphs"), &glyphs, &error)) << error;
  refmaker::HeadReferenceOptions options;  // one reference a place
  for (int p = refmaker::kFirstStemPlace; p < refmaker::kHeadPlaceCount; ++p) options.places[p] = true;
  const std::vector<NoteheadReference> refs = refmaker::MakeHeadReferences(glyphs, options);
  for (const NoteheadReference& r : refs)
    if (r.headClass == 2) {
      EXPECT_LT(r.word1, refmaker::kFirstStemPlace);
    }
  for (HeadKind kind : {HeadKind::kBlack, HeadKind::kHalf, HeadKind::kSmall})
    for (HeadPlace place : {HeadPlace::kOnLineStemUp, HeadPlace::kInSpaceStemUp, HeadPlace::kOnLineStemDown,
                            HeadPlace::kInSpaceStemDown})
      for (int s : GlyphStaffSpaces()) {
        uint8_t f[kEdgeFeatureCount];
        ASSERT_TRUE(refmaker::HeadGlyphFeatures(HeadGlyph(kind, s), ModelOfKind(kind), place, s,
                                                refmaker::LineThicknessFor(s), 0, 0, 0, f));
        int best = 1 << 30, bestClass = -1, own = 1 << 30;
        for (const NoteheadReference& r : refs) {
          if (Distance(f, r) < best) best = Distance(f, r), bestClass = r.headClass;
          if (r.headClass == ModelOfKind(kind)) own = std::min(own, Distance(f, r));
        }
        EXPECT_FALSE(MustNotMatch(kind, bestClass))
            << NameOfKind(kind) << " place " << static_cast<int>(place) << " staff space " << s << " read as class "
            << bestClass;
        EXPECT_LT(own, 3000) << NameOfKind(kind) << " place " << static_cast<int>(place) << " staff space " << s;
      }
}

// The file holds count and records field by field; loaded, the engine sees
// the same records and notes each class's variants.
TEST(HeadReferences, WrittenFileLoadsAsMade) {
  const std::vector<NoteheadReference>& refs = TestHeadReferences();
  const std::vector<uint8_t> bytes = refmaker::NoteheadReferenceFileBytes(refs);
  ASSERT_EQ(bytes.size(), 4 + 204 * refs.size());
  EXPECT_EQ(bytes[0], refs.size() & 0xFF);
  HeadReferenceFolder folder;
  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(GetNoteheadReferenceCount(), static_cast<int>(refs.size()));
  for (size_t r = 0; r < refs.size(); ++r) {
    EXPECT_EQ(GetNoteheadReferenceClass(static_cast<int>(r)), refs[r].headClass);
    EXPECT_EQ(GetNoteheadReferenceVariant(static_cast<int>(r)), 0);
    const NoteheadReference& loaded = LoadedMusicReferences().noteheads[r];
    EXPECT_EQ(std::string(loaded.edgeRefs, loaded.edgeRefs + 180), std::string(refs[r].edgeRefs, refs[r].edgeRefs + 180));
    EXPECT_EQ(loaded.word1, refs[r].word1);
  }
  for (int c : {0, 1, 2, 4}) EXPECT_EQ(GetNoteheadClassVariants(c), 1) << c;
  for (int c : {3, 5, 6, 7, -1, 8}) EXPECT_EQ(GetNoteheadClassVariants(c), 0) << c;
  CloseEngine();
  EXPECT_EQ(GetNoteheadClassVariants(0), 0);
}

TEST(HeadReferences, JsonSourceNamesEveryField) {
  std::vector<NoteheadReference> one(1);
  one[0].headClass = 2;
  one[0].word1 = 5;
  one[0].variant = 1;
  one[0].words3to5[0] = 7;
  for (int i = 0; i < 180; ++i) one[0].edgeRefs[i] = static_cast<uint8_t>(i);
  const std::string json = refmaker::NoteheadReferenceJson(one);
  EXPECT_NE(json.find("\"headClass\": 2"), std::string::npos) << json;
  EXPECT_NE(json.find("\"variant\": 1"), std::string::npos);
  EXPECT_NE(json.find("\"words3to5\": [7, 0, 0]"), std::string::npos);
  EXPECT_NE(json.find("\"edgeRefs\": \"000102"), std::string::npos);
  EXPECT_EQ(refmaker::NoteheadReferenceJson({}), "{\n \"records\": []\n}\n");
}

}  // namespace
