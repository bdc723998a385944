#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "score/PageMarks.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

class PageMarksTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetScoreStreams(); }
  void TearDown() override { ResetScoreStreams(); }
  void SetStream(int slot, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(GrowScoreStream(slot, uint32_t(bytes.size())), 1);
    std::memcpy(StreamBytes(ScoreStream, slot), bytes.data(), bytes.size());
    ScoreStream.used[slot] = uint32_t(bytes.size());
  }
};

TEST_F(PageMarksTest, PageMarksStartPagesButNotBeforeTheEnd) {
  SetStream(0, {kPageMark, kPageMark, kEndOfScore});
  SetStream(1, {kPageMark, kPageMark, kPageMark, kEndOfScore});
  CountPageMarks();
  EXPECT_EQ(ScorePages.count, 3);
  EXPECT_EQ(PageStarts[1][0], 1u);
  EXPECT_EQ(PageStarts[1][1], 1u);
  EXPECT_EQ(PageStarts[2][1], 2u);
}

TEST_F(PageMarksTest, MoreThanTwentyPagesAreReportedOnce) {
  SetStream(0, std::vector<uint8_t>(25, kPageMark));
  SetStream(1, std::vector<uint8_t>(25, kPageMark));
  BoxRecorder boxes;
  CountPageMarks();
  EXPECT_EQ(ScorePages.count, 20);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(kStrTooManyScorePages));
}

}  // namespace
