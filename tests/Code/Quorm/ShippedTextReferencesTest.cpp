// The shipped text references ("Learned\Text", made from the reference
// fonts by tools/textrefs): they load through the engine's loader, cover the
// characters the engine reads, and their class statistics put the height and
// pitch of rendered lines where they are.
#include <gtest/gtest.h>

#include <vector>

#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/options.h"
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
  ExpectLinesFitTheReferenceMeasures({"words_serif", "lyric_serif", "alphabet_serif", "capitals_serif", "hq_serif"});
}

}  // namespace
