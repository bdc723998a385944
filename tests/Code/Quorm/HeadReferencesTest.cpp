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
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/HeadArt.h"

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
