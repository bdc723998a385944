#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "building/PartStreamFinish.h"
#include "building/ScoreBuildingStages.h"
#include "platform/HandleTestControls.h"
#include "reading/ReadPageHandOver.h"
#include "building/TupletCompletion.h"
#include "score/ScoreItem.h"
#include "tests/support/BoxRecorder.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Fill(StreamSet* set, int slot, const Bytes& bytes) {
  ASSERT_EQ(GrowStream(set, slot, static_cast<uint32_t>(bytes.size()) + 1), 1);
  if (!bytes.empty()) std::memcpy(StreamBytes(*set, slot), bytes.data(), bytes.size());
  set->used[slot] = static_cast<uint32_t>(bytes.size());
}

class FinishPageStreamsTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeStreamSet(&set); }
  StreamSet set{};
  uint32_t starts[kMaxScorePages][kPageStartSlots] = {};
};

TEST_F(FinishPageStreamsTest, EndMarksGoAndTheNewPageRowRecordsTheEnds) {
  Fill(&set, 1, {0x09, 0x00, 0x80, 0x90, 0x90});
  Fill(&set, 2, {0x80, 0x88});
  ASSERT_EQ(FinishPagePartStreams(&set, starts, 2), 1);
  EXPECT_EQ(set.used[0], 0u);  // an empty stream records 0
  EXPECT_EQ(starts[1][0], 0u);
  EXPECT_EQ(set.used[1], 4u);  // only the last end mark goes
  EXPECT_EQ(starts[1][1], 4u);
  EXPECT_EQ(starts[1][2], 2u);
  for (int slot = 0; slot < kPartSlots; ++slot) EXPECT_GE(StreamCapacity(set, slot), set.used[slot] + 128) << slot;
  EXPECT_EQ(starts[0][1], 0u);  // the first page's row is untouched
}

TEST_F(FinishPageStreamsTest, PageNumbersOutsideTheScoreAreRefused) {
  Fill(&set, 1, {0x80, 0x90});
  for (int page : {0, -1, kMaxScorePages + 1}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(FinishPagePartStreams(&set, starts, page), 0);
    EXPECT_EQ(set.used[1], 2u);
  }
  EXPECT_EQ(FinishPagePartStreams(&set, starts, kMaxScorePages), 1);
  EXPECT_EQ(starts[kMaxScorePages - 1][1], 1u);
}


void SetStream(StreamSet* set, int slot, const Bytes& bytes, size_t capacity = 0) {
  FreeHandle(&set->block[slot]);
  set->used[slot] = 0;
  const size_t size = std::max(capacity, bytes.size());
  if (size == 0) return;
  ASSERT_TRUE(AllocHandle(&set->block[slot], size));
  if (!bytes.empty()) std::memcpy(set->block[slot], bytes.data(), bytes.size());
  set->used[slot] = static_cast<uint32_t>(bytes.size());
}

Bytes StreamOf(const StreamSet& set, int slot) {
  const uint8_t* b = StreamBytes(set, slot);
  return b ? Bytes(b, b + set.used[slot]) : Bytes();
}

// A score of `pages` pages: page k of slot s holds k + 1 items (bytes) of
// its own, then the page mark; the stream ends with the end mark.
struct Score {
  StreamSet score{};
  StreamSet work{};
  uint32_t starts[kMaxScorePages][kPageStartSlots] = {};
  int pages = 0;

  explicit Score(int pageCount) : pages(pageCount) {
    for (int slot = 0; slot < kPartSlots; ++slot) {
      Bytes bytes;
      for (int k = 0; k < pages; ++k) {
        starts[k][slot] = static_cast<uint32_t>(bytes.size());
        for (int i = 0; i <= k + slot % 3; ++i) bytes.push_back(static_cast<uint8_t>(0x10 + k));
        bytes.push_back(kPageMark);
      }
      if (pages) bytes.push_back(kEndOfScore);
      SetStream(&score, slot, bytes);
      // The read page: slot-dependent lengths, one slot without items.
      Bytes items;
      for (int i = 0; i < slot % 4; ++i) items.push_back(static_cast<uint8_t>(0x60 + slot));
      SetStream(&work, slot, items);
    }
  }
  ~Score() {
    FreeStreamSet(&score);
    FreeStreamSet(&work);
  }
};

TEST(MergePageStreams, InsertsAtStartMiddleAndEnd) {
  BoxRecorder boxes;
  for (int position : {1, 2, 4}) {
    SCOPED_TRACE(position);
    Score s(3);
    std::vector<Bytes> before, work;
    uint32_t startsBefore[kMaxScorePages][kPageStartSlots];
    std::memcpy(startsBefore, s.starts, sizeof startsBefore);
    for (int slot = 0; slot < kPartSlots; ++slot) {
      before.push_back(StreamOf(s.score, slot));
      work.push_back(StreamOf(s.work, slot));
    }
    ASSERT_TRUE(MergePageStreams(&s.score, &s.work, s.starts, s.pages, position, FinishPagePartStreams));
    for (int slot = 0; slot < kPartSlots; ++slot) {
      SCOPED_TRACE(slot);
      const uint32_t o = position <= 3 ? startsBefore[position - 1][slot] : uint32_t(before[slot].size() - 1);
      Bytes expected(before[slot].begin(), before[slot].begin() + o);
      expected.insert(expected.end(), work[slot].begin(), work[slot].end());
      expected.push_back(kPageMark);
      expected.insert(expected.end(), before[slot].begin() + o, before[slot].end());
      EXPECT_EQ(StreamOf(s.score, slot), expected);
      EXPECT_EQ(expected.back(), kEndOfScore);
      const uint32_t n = static_cast<uint32_t>(work[slot].size() + 1);
      for (int k = 0; k < 4; ++k) {
        const uint32_t want = k < position - 1 ? startsBefore[k][slot]
                              : k == position - 1 ? o
                                                  : startsBefore[k - 1][slot] + n;
        EXPECT_EQ(s.starts[k][slot], want) << "page " << k + 1;
      }
      EXPECT_EQ(s.work.block[slot], nullptr);
      EXPECT_EQ(s.work.used[slot], 0u);
    }
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(MergePageStreams, FirstPageOfAnEmptyScoreGetsItsEndMark) {
  Score s(0);
  ASSERT_TRUE(MergePageStreams(&s.score, &s.work, s.starts, 0, 1, FinishPagePartStreams));
  for (int slot = 0; slot < kPartSlots; ++slot) {
    Bytes expected(slot % 4, static_cast<uint8_t>(0x60 + slot));
    expected.push_back(kPageMark);
    expected.push_back(kEndOfScore);
    EXPECT_EQ(StreamOf(s.score, slot), expected);
    EXPECT_EQ(s.starts[0][slot], 0u);
  }
}

TEST(MergePageStreams, AFailedGrowthAnywhereMergesNothing) {
  BoxRecorder boxes;
  for (int failing = 0; failing < kPartSlots; ++failing) {
    SCOPED_TRACE(failing);
    Score s(2);
    // The slots before the failing one have room already; the failing one
    // must grow while every allocation fails.
    for (int slot = 0; slot < kPartSlots; ++slot) {
      const Bytes bytes = StreamOf(s.score, slot);
      SetStream(&s.score, slot, bytes, slot < failing ? bytes.size() + 2 * kPageStreamRoom : bytes.size());
    }
    std::vector<Bytes> before, work;
    for (int slot = 0; slot < kPartSlots; ++slot) {
      before.push_back(StreamOf(s.score, slot));
      work.push_back(StreamOf(s.work, slot));
    }
    uint32_t startsBefore[kMaxScorePages][kPageStartSlots];
    std::memcpy(startsBefore, s.starts, sizeof startsBefore);
    FailAllocationsForTest(true);
    const bool merged = MergePageStreams(&s.score, &s.work, s.starts, s.pages, 2, FinishPagePartStreams);
    FailAllocationsForTest(false);
    EXPECT_FALSE(merged);
    for (int slot = 0; slot < kPartSlots; ++slot) {
      EXPECT_EQ(StreamOf(s.score, slot), before[slot]);
      EXPECT_EQ(StreamOf(s.work, slot), work[slot]);
    }
    EXPECT_EQ(std::memcmp(startsBefore, s.starts, sizeof startsBefore), 0);
  }
}

TEST(MergePageStreams, AFullScoreTakesNoPage) {
  Score s(0);
  EXPECT_FALSE(MergePageStreams(&s.score, &s.work, s.starts, kMaxScorePages, kMaxScorePages + 1, FinishPagePartStreams));
  for (int slot = 0; slot < kPartSlots; ++slot) EXPECT_EQ(StreamOf(s.score, slot), Bytes());
}


// The merge readies the streams through the finisher it is given: a stream
// ending in two end marks loses one, and the page goes after the other; an
// empty stream takes the page at 0; without a finisher nothing is merged.
TEST(MergePageStreams, TheFinisherDropsOneEndMarkBeforeThePageGoesOn) {
  Score s(0);
  SetStream(&s.score, 1, {0x09, kPageMark, kEndOfScore, kEndOfScore});
  SetStream(&s.work, 1, {0x55, 0x00});
  s.starts[0][1] = 0;
  uint32_t startsBefore[kMaxScorePages][kPageStartSlots];
  std::memcpy(startsBefore, s.starts, sizeof startsBefore);
  EXPECT_FALSE(MergePageStreams(&s.score, &s.work, s.starts, 1, 2, nullptr));
  EXPECT_EQ(StreamOf(s.score, 1), (Bytes{0x09, kPageMark, kEndOfScore, kEndOfScore}));
  EXPECT_EQ(StreamOf(s.work, 1), (Bytes{0x55, 0x00}));
  EXPECT_EQ(std::memcmp(startsBefore, s.starts, sizeof startsBefore), 0);

  ASSERT_TRUE(MergePageStreams(&s.score, &s.work, s.starts, 1, 2, FinishPagePartStreams));
  EXPECT_EQ(StreamOf(s.score, 1), (Bytes{0x09, kPageMark, kEndOfScore, 0x55, 0x00, kPageMark, kEndOfScore}));
  EXPECT_EQ(s.starts[1][1], 3u);
  EXPECT_EQ(StreamOf(s.score, 0), (Bytes{kPageMark, kEndOfScore}));
  EXPECT_EQ(s.starts[1][0], 0u);
  for (int slot = 0; slot < kPartSlots; ++slot) EXPECT_GE(StreamCapacity(s.score, slot), kPageStreamRoom) << slot;
}

// Score building hands the hand-over its finisher.
TEST(MergePageStreams, TheHandOverMergesThroughScoreBuilding) {
  const HandOverHooks saved = CurrentHandOverHooks();
  CurrentHandOverHooks().finishPageStreams = nullptr;
  InstallScoreBuildingStages();
  EXPECT_EQ(CurrentHandOverHooks().finishPageStreams, static_cast<PageStreamFinisher>(FinishPagePartStreams));
  CurrentHandOverHooks() = saved;
}

TEST(TupletCompletionTest, RepeatedChordMarksAndBracketBytes) {
  struct Case {
    const char* name;
    Bytes in, out;
  };
  const uint8_t crotchet[6] = {0x0C, 0x14, 0, 0, 0, 16};
  const auto chord = [&] { return Bytes(crotchet, crotchet + 6); };
  const auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const std::vector<Case> cases = {
      {"value 0 after a repeated-chord mark is hidden", join({{150, 1, 0, 0, 0}, {142, 0, 0, 3, 2}}),
       join({{150, 1, 0, 0, 0}, {254, 0, 0, 3, 2}})},
      {"value 0 after a chord becomes the mark", join({{150, 1, 0, 0, 0}, chord(), {142, 0, 0x40, 3, 2}}),
       join({{150, 1, 0, 0, 0}, chord(), {150, 1, 0x40, 3, 2}})},
      {"a chord and its repetition", join({{142, 32, 0, 3, 2}, chord(), chord()}),
       join({{150, 1, 0, 3, 2}, chord(), chord()})},
      {"a far bracket keeps through the test and reads as a bracket after", join({{246, 32, 0, 3, 2}, chord()}),
       join({{142, 32, 0, 3, 2}, chord()})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = c.in;
    MarkRepeatedChordTuplets(bytes.data(), 0, static_cast<uint32_t>(bytes.size()), false, kCurrentScoreFormatVersion);
    EXPECT_EQ(bytes, c.out);
  }
}

}  // namespace
