// Candidate lists, the text character classifier and the position and
// scale model.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Textclas.h"
#include "Code/Quorm/Textlref.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

// ---- Candidate lists ----

bool NoSample(int32_t start, int32_t end, uint8_t*, int32_t*, int32_t*, int32_t box[4]) {
  box[0] = start;
  box[1] = 0;
  box[2] = end;
  box[3] = 10;
  return false;
}

class CandidateLists : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEngineHeapHook(OnEngineHeapExhausted);
    ClearCandidateLists();
    SetSegmentSampler(NoSample);
    SetCandidateCostFactor(10);
  }
  void TearDown() override { ClearCandidateLists(); }
};

TEST_F(CandidateLists, Table) {
  // A duplicate add keeps the first list.
  EXPECT_EQ(AddCandidateList(3, 5), 1);
  EXPECT_EQ(AddCandidateList(3, 5), 0);
  EXPECT_EQ(CandidateListCount(), 1);
  // Keys that fall on one slot (start x 103 + end) are still two lists,
  // and so are pairs whose old key was the same.
  EXPECT_EQ(AddCandidateList(0, 103), 1);
  EXPECT_EQ(AddCandidateList(1, 0), 1);
  EXPECT_NE(FindCandidateList(0, 103), FindCandidateList(1, 0));
  EXPECT_EQ(FindCandidateList(0, 103)->end, 103);
  EXPECT_EQ(FindCandidateList(1, 0)->start, 1);
  // A wrap from slot 1023 to 0: 1023 = 9 x 103 + 96; (10, 93) lands there too.
  EXPECT_EQ(AddCandidateList(9, 96), 1);
  EXPECT_EQ(AddCandidateList(0, 1023), 1);
  EXPECT_EQ(AddCandidateList(10, 93), 1);
  EXPECT_EQ(FindCandidateList(10, 93)->start, 10);
  EXPECT_EQ(FindCandidateList(0, 1023)->start, 0);
  EXPECT_EQ(FindCandidateList(7, 7), nullptr);
  // The 801st list is refused and nothing changes.
  for (int32_t i = 0; CandidateListCount() < kMaxCandidateLists; ++i) AddCandidateList(2000 + i, 2001 + i);
  EXPECT_EQ(AddCandidateList(5000, 5001), -1);
  EXPECT_EQ(FindCandidateList(5000, 5001), nullptr);
  EXPECT_EQ(CandidateListCount(), kMaxCandidateLists);
  EXPECT_EQ(AddCandidateList(3, 5), 0);
}

TEST_F(CandidateLists, CostsAndMaps) {
  ASSERT_EQ(AddCandidateList(0, 1), 1);
  // No alternatives: factor x 3072 for any character, mapped as 96000.
  EXPECT_EQ(CharacterCost(0, 1, 'a'), 10 * 3072);
  EXPECT_EQ(MappedCharacterCost(0, 1, 'a'), 58289);
  EXPECT_THROW(CharacterCost(1, 2, 'a'), EngineFailure);
  const struct {
    int32_t cost, confidence, mapped;
  } cases[] = {{0, 1014, 10}, {1500, 996, 28}, {3000, 979, 46}, {9000, 512, 710}, {72000, 0, 58289}, {100000, 0, 58289}};
  for (const auto& c : cases) {
    EXPECT_EQ(CandidateConfidence(c.cost), c.confidence) << c.cost;
    EXPECT_EQ(CandidateMappedCost(c.cost), c.mapped) << c.cost;
  }
  EXPECT_THROW(CandidateConfidence(-1), EngineFailure);
  SetCandidateCostFactor(2);
  EXPECT_EQ(GetCandidateCostFactor(), 6);
  SetCandidateCostFactor(99);
  EXPECT_EQ(GetCandidateCostFactor(), 25);
  // The alternative cost is capped at 3072 before scaling.
  CandidateList list{};
  list.count = 1;
  list.matchCost[0] = 9000;
  list.base[0] = 1000;
  EXPECT_EQ(AlternativeCost(list, 0), 25 * 3072);
}

// ---- The classifier ----

std::vector<uint8_t> RingSample(int32_t w, int32_t h) {
  std::vector<uint8_t> s(static_cast<size_t>(w) * h, 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const bool edge = x < 4 || y < 4 || x >= w - 4 || y >= h - 4;
      s[static_cast<size_t>(y) * w + x] = edge ? 1 : 0;
    }
  return s;
}

class Classifier : public ::testing::Test {
 protected:
  void Start(const std::vector<int>& codes, int32_t spread) {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartTextReadingWith(folder, BuildSameShapeReferences(codes, RingSample(20, 30), 20, 30, spread)));
  }
  void TearDown() override { StopTextReading(); }
  EngineDataFolder folder;
};

TEST_F(Classifier, SampleLimitsAndTheApostrophe) {
  Start({'\'', 'o', '"', 'O'}, 100);
  CharacterChoices c;
  const std::vector<uint8_t> ring = RingSample(20, 30);
  ClassifyCharacter(&c, ring.data(), 20, 30);
  ASSERT_EQ(c.count, 4);
  // The same shape: the quotes need 400 less, so they come last.
  EXPECT_EQ(c.character[0] == 'o' || c.character[0] == 'O', true);
  EXPECT_EQ(c.distance[2] - c.distance[0], kApostropheExtraDistance);
  EXPECT_TRUE(c.character[2] == '\'' || c.character[2] == '"');
  EXPECT_GT(c.ink, 0);
  // 101 columns or 81 rows give no choices; 100 x 80 is read.
  std::vector<uint8_t> wide(101 * 30, 1);
  ClassifyCharacter(&c, wide.data(), 101, 30);
  EXPECT_EQ(c.count, 0);
  std::vector<uint8_t> tall(20 * 81, 1);
  ClassifyCharacter(&c, tall.data(), 20, 81);
  EXPECT_EQ(c.count, 0);
  std::vector<uint8_t> largest(100 * 80, 1);
  ClassifyCharacter(&c, largest.data(), 100, 80);
  EXPECT_GT(c.count, 0);
  // An empty sample: no ink, no crash.
  std::vector<uint8_t> empty(20 * 30, 0);
  ClassifyCharacter(&c, empty.data(), 20, 30);
  EXPECT_EQ(c.ink, 0);
  EXPECT_EQ(SampleInkMeasure(empty.data(), 0, 0), 0);
}

TEST_F(Classifier, AtMostTenCharactersAndZeroSpreads) {
  Start({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'k', 'm', 'n', 'o'}, 0);
  CharacterChoices c;
  const std::vector<uint8_t> ring = RingSample(20, 30);
  ClassifyCharacter(&c, ring.data(), 20, 30);
  EXPECT_EQ(c.count, kMaxCharacterChoices);
  // Spreads of 0 count as 1.
  const int32_t measures[10] = {100, 1000, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_GT(ClassRefDistance(0, measures), 0);
  int32_t d1 = -1, d2 = -1;
  ClassInkDistances(0, 0, &d1, &d2);
  EXPECT_GE(d1, 0);
  RemoveCharacterChoice(&c, 0);
  EXPECT_EQ(c.count, kMaxCharacterChoices - 1);
}

TEST_F(Classifier, NothingEnabledGivesNoChoices) {
  // Control bytes are not in the engine's character table: every pattern is off.
  Start({1, 2, 3}, 100);
  CharacterChoices c;
  const std::vector<uint8_t> ring = RingSample(20, 30);
  ClassifyCharacter(&c, ring.data(), 20, 30);
  EXPECT_EQ(c.count, 0);
}

// ---- The position and scale model ----

class PositionModel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartTextReading(folder, {"alphabet_serif", "capitals_serif"}, ""));
  }
  void TearDown() override {
    FreePositionScales();
    StopTextReading();
  }
  EngineDataFolder folder;
};

TEST_F(PositionModel, HeightAndPitchOfRenderedLines) {
  ExpectLinesFitTheReferenceMeasures({"words_serif", "lyric_serif", "hq_serif"});
}

TEST_F(PositionModel, SixtyIdenticalGlyphsAndPeakConfidence) {
  SetCandidateCostFactor(10);
  std::vector<CandidateList> lists(60);
  std::vector<CandidateList*> positions;
  for (int32_t i = 0; i < 60; ++i) {
    CandidateList& l = lists[static_cast<size_t>(i)];
    l = {};
    l.left = 30 * i;
    l.right = l.left + 24;
    l.top = 10;
    l.bottom = 36;
    l.count = 1;
    l.character[0] = 'o';
    positions.push_back(&l);
  }
  FitPositionScale(positions.data(), 60, 52);
  EXPECT_LE(GetHeightConfidence(), 1000);
  EXPECT_LE(GetPitchConfidence(), 1000);
  // One bin that holds everything is full confidence, never more.
  std::vector<int32_t> profile(60, 0);
  profile[30] = 2000000000;
  EXPECT_EQ(PeakConfidence(profile.data(), 0, 59, 30), 1000);
  std::vector<int32_t> flat(60, 5000);
  EXPECT_EQ(PeakConfidence(flat.data(), 0, 59, 30), 0);
  FreePositionRecords();
  EXPECT_THROW(GetTextHeight(), EngineFailure);
}

}  // namespace
