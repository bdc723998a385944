#include "reading/ReadPageHandOver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/HandleTestControls.h"
#include "platform/Messages.h"
#include "score/ScoreItem.h"
#include "tests/support/BoxRecorder.h"

namespace {

using Bytes = std::vector<uint8_t>;

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
  uint32_t starts[20][15] = {};
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
    uint32_t startsBefore[20][15];
    std::memcpy(startsBefore, s.starts, sizeof startsBefore);
    for (int slot = 0; slot < kPartSlots; ++slot) {
      before.push_back(StreamOf(s.score, slot));
      work.push_back(StreamOf(s.work, slot));
    }
    ASSERT_TRUE(MergePageStreams(&s.score, &s.work, s.starts, s.pages, position));
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
  ASSERT_TRUE(MergePageStreams(&s.score, &s.work, s.starts, 0, 1));
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
      SetStream(&s.score, slot, bytes, slot < failing ? bytes.size() + 64 : bytes.size());
    }
    std::vector<Bytes> before, work;
    for (int slot = 0; slot < kPartSlots; ++slot) {
      before.push_back(StreamOf(s.score, slot));
      work.push_back(StreamOf(s.work, slot));
    }
    uint32_t startsBefore[20][15];
    std::memcpy(startsBefore, s.starts, sizeof startsBefore);
    FailAllocationsForTest(true);
    const bool merged = MergePageStreams(&s.score, &s.work, s.starts, s.pages, 2);
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
  EXPECT_FALSE(MergePageStreams(&s.score, &s.work, s.starts, 20, 21));
  for (int slot = 0; slot < kPartSlots; ++slot) EXPECT_EQ(StreamOf(s.score, slot), Bytes());
}

}  // namespace
