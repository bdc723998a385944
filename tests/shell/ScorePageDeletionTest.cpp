// Deleting a score page: the cut of its bytes from every stream, the later
// pages' starts and rows moved down, the end mark kept, the reading's target
// moved; and the command refused on page 1 while a page is read.
#include "shell/ScorePageDeletion.h"

#include <gtest/gtest.h>

#include <vector>

#include "pages/PageTable.h"
#include "reading/ReadingThread.h"
#include "score/ScoreItem.h"
#include "tests/support/BoxRecorder.h"

namespace {

// Three pages in slot 0: [1 2 P] [3 4 5 P] [6 P] E, slot 1 empty.
struct ThreePageScore {
  StreamSet streams{};
  uint32_t starts[kMaxScorePages][kPageStartSlots] = {};
  ScorePageList pages{};
  ThreePageScore() {
    const std::vector<uint8_t> bytes = {1, 2, kPageMark, 3, 4, 5, kPageMark, 6, kPageMark, kEndOfScore};
    EXPECT_TRUE(GrowStream(&streams, 0, static_cast<uint32_t>(bytes.size()) + 16));
    std::copy(bytes.begin(), bytes.end(), StreamBytes(streams, 0));
    streams.used[0] = static_cast<uint32_t>(bytes.size());
    starts[0][0] = 0;
    starts[1][0] = 3;
    starts[2][0] = 7;
    pages.count = 3;
    for (int k = 0; k < 3; ++k) {
      pages.rows[k] = ScorePageRow{static_cast<uint16_t>(10 + k), 300, 100u + k};
      pages.second[k] = 200u + k;
    }
  }
  ~ThreePageScore() { FreeStreamSet(&streams); }
  std::vector<uint8_t> Bytes() const {
    const uint8_t* b = StreamBytes(streams, 0);
    return std::vector<uint8_t>(b, b + streams.used[0]);
  }
};

TEST(ScorePageDeletionTest, CuttingAPageMovesTheLaterPagesDown) {
  struct Case {
    const char* name;
    int page;
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> starts;
    std::vector<uint32_t> keys;
    uint32_t target, targetAfter;
  };
  const Case cases[] = {
      {"the middle page", 2, {1, 2, kPageMark, 6, kPageMark, kEndOfScore}, {0, 3}, {100, 102}, 3, 2},
      {"the last page, the stream still ending in its end mark", 3,
       {1, 2, kPageMark, 3, 4, 5, kPageMark, kEndOfScore}, {0, 3}, {100, 101}, 2, 2},
      {"the first page", 1, {3, 4, 5, kPageMark, 6, kPageMark, kEndOfScore}, {0, 4}, {101, 102}, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ThreePageScore score;
    uint32_t target = c.target;
    ASSERT_TRUE(CutScorePage(c.page, &score.streams, score.starts, &score.pages, &target));
    EXPECT_EQ(score.Bytes(), c.bytes);
    ASSERT_EQ(score.pages.count, 2);
    for (int k = 0; k < 2; ++k) {
      EXPECT_EQ(score.starts[k][0], c.starts[size_t(k)]) << k;
      EXPECT_EQ(score.pages.rows[k].key, c.keys[size_t(k)]) << k;
      EXPECT_EQ(score.pages.second[k], c.keys[size_t(k)] + 100) << k;
    }
    EXPECT_EQ(target, c.targetAfter);
    EXPECT_EQ(score.streams.used[1], 0u) << "an empty stream stays empty";
  }
  ThreePageScore score;
  EXPECT_FALSE(CutScorePage(4, &score.streams, score.starts, &score.pages, nullptr));
  EXPECT_FALSE(CutScorePage(0, &score.streams, score.starts, &score.pages, nullptr));
  EXPECT_EQ(score.pages.count, 3);
}

TEST(ScorePageDeletionTest, TheFirstPageIsNotDeletedWhileAPageIsRead) {
  const int savedCount = ScorePages.count, savedCurrent = ScorePages.current;
  ScorePages.count = 2;
  ScorePages.current = 1;
  ReadingActive() = 1;
  {
    BoxRecorder boxes;
    DeleteScorePage(1, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, u"Please cancel all reading first if you wish to delete the first page.");
  }
  EXPECT_EQ(ScorePages.count, 2);
  ReadingActive() = 0;
  ScorePages.count = savedCount;
  ScorePages.current = savedCurrent;
}

}  // namespace
