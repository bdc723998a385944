// The shipped text references ("Learned\Text", made from the reference
// fonts by tools/textrefs): they load through the engine's loader, cover the
// characters the engine reads, and their class statistics put the height and
// pitch of rendered lines where they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/options.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

class ShippedTextReferences : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartShippedTextReading(folder, ""));
  }
  void TearDown() override {
    FreePositionScales();
    StopTextReading();
  }
  EngineDataFolder folder;
};

TEST_F(ShippedTextReferences, LoadAndCoverTheEnabledCharacters) {
  TextRefHeader header{};
  ASSERT_EQ(CheckTextRefFile(EngineText(folder.File(u"Learned\\Text")).c_str(), &header), nullptr);
  const TextReferenceStore& store = LoadedTextReferences();
  EXPECT_EQ(store.header.classCount, header.classCount);
  EXPECT_GT(header.veryFastCount, 1);
  EXPECT_GT(header.fastCount, header.veryFastCount);
  EXPECT_GT(header.mainCount, header.fastCount);
  // Every character the engine reads has a class, except the private
  // letter pairs no reference font draws.
  for (int c = 0; c < 256; ++c) {
    if (!IsCharacterEnabled(static_cast<unsigned char>(c))) continue;
    EXPECT_GE(GetClassOfCharacter(static_cast<unsigned char>(c)), 0) << "character " << c;
  }
  // The ranges tile each level; every pattern is on and carries a style.
  int32_t expectFast = 0, expectMain = 0;
  for (int32_t v = 0; v < header.veryFastCount; ++v) {
    EXPECT_EQ(store.veryFast[v].words[0], expectFast);
    expectFast = store.veryFast[v].words[1];
    EXPECT_TRUE(store.veryFast[v].on);
  }
  EXPECT_EQ(expectFast, header.fastCount);
  for (int32_t f = 0; f < header.fastCount; ++f) {
    EXPECT_EQ(store.fast[f].words[0], expectMain);
    expectMain = store.fast[f].words[1];
  }
  EXPECT_EQ(expectMain, header.mainCount);
  for (int32_t m = 0; m < header.mainCount; ++m) EXPECT_NE(store.main[m].words[6], 0) << "main pattern " << m;
}

TEST_F(ShippedTextReferences, HeightAndPitchOfRenderedLinesWithinATenth) {
  const LineMeasures truth = MeasureReferenceLine("alphabet_serif");
  ASSERT_GT(truth.height, 0);
  SetCandidateCostFactor(10);
  for (const char* name : {"words_serif", "lyric_serif", "alphabet_serif", "capitals_serif", "hq_serif"}) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(name, &line));
    // One list per glyph, its own character the only candidate.
    std::vector<CandidateList> lists;
    for (const GlyphTruth& g : line.glyphs) {
      CandidateList l{};
      l.left = g.firstColumn;
      l.right = g.lastColumn + 1;
      l.top = line.height;
      for (int32_t y = 0; y < line.height; ++y)
        for (int32_t x = l.left; x < l.right; ++x)
          if (line.Ink(x, y)) {
            l.top = std::min(l.top, y);
            l.bottom = std::max(l.bottom, y + 1);
          }
      l.count = 1;
      l.character[0] = static_cast<uint8_t>(g.code);
      lists.push_back(l);
    }
    std::vector<CandidateList*> positions;
    for (CandidateList& l : lists) positions.push_back(&l);
    FitPositionScale(positions.data(), static_cast<int32_t>(positions.size()), 2 * truth.height);
    EXPECT_NEAR(GetTextHeight(), truth.height, truth.height / 10.0) << name;
    EXPECT_NEAR(GetTextPitch(), truth.pitch, truth.pitch / 10.0) << name;
    EXPECT_GT(GetHeightConfidence(), 0) << name;
    // Each glyph fits its own class: none is dropped.
    for (const CandidateList& l : lists) EXPECT_EQ(l.count, 1) << name << ": " << l.character[0];
  }
}

}  // namespace
