// Reading the shown page into the score again: the question names the score
// page it would replace, and No leaves the score and the page table as they
// were.
#include "shell/ReadPlacement.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pages/PageTable.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "tests/support/BoxRecorder.h"

namespace {

TEST(ReadPlacementTest, TheQuestionNamesTheScorePageTwice) {
  char16_t text[512];
  ReReadQuestionText(7, text, 512);
  EXPECT_EQ(std::u16string(text),
            u"Since this scan has already been read as page 7 in the current score, re-reading it will REPLACE "
            u"page 7 and any corrections made to it will be lost.\n\nPress Yes to continue, or No to prevent "
            u"reading.");
  ReReadQuestionText(7, text, 10);
  EXPECT_EQ(std::u16string(text), u"Since thi");
}

class ReadPlacementCase : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::make_unique<PageTable>(pageTable);
    savedScore_ = ScorePages;
    ReadingActive() = 0;
    pageTable = PageTable{};
    pageTable.pageCount = 2;
    pageTable.rows[0].pageKey = 500;
    pageTable.rows[1].pageKey = 101;
    pageTable.rows[1].state = kPageRead;
    pageTable.currentPage = 1;
    ScorePages.count = 3;
    ScorePages.current = 3;
    for (int k = 0; k < 3; ++k) ScorePages.rows[k].key = 100u + k;
  }
  void TearDown() override {
    pageTable = *saved_;
    ScorePages = savedScore_;
    ReadingActive() = 0;
  }
  std::unique_ptr<PageTable> saved_;
  ScorePageList savedScore_{};
};

TEST_F(ReadPlacementCase, APageTheScoreHoldsIsReadAgainOnlyAfterAYes) {
  const int commands[] = {IDM_READ_PLACE_AT_END, IDM_READ_PLACE_BEFORE, IDM_READ_PLACE_AFTER, IDM_READ_REPLACE};
  for (int command : commands) {
    SCOPED_TRACE(command);
    BoxRecorder boxes;
    boxes.QueueAnswer(platform::kAnswerNo);
    EXPECT_FALSE(ReadRowIntoScore(1, command));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {u"read as page 2 ", u"REPLACE page 2 and"}));
    EXPECT_EQ(boxes.Boxes()[0].caption, u"Warning from Velmorant Korvalinde");
    // Nothing moved: the score keeps its pages, the row its place.
    EXPECT_EQ(ScorePages.count, 3);
    EXPECT_EQ(ScorePages.rows[1].key, 101u);
    EXPECT_EQ(pageTable.rows[1].pageKey, 101u);
    EXPECT_EQ(pageTable.rows[1].state, kPageRead);
    EXPECT_EQ(pageTable.currentPage, 1);
  }
  // While a page is read the question is not asked: the page is refused.
  ReadingActive() = 1;
  Reading().pageIndex = 0;
  BoxRecorder boxes;
  EXPECT_FALSE(ReadRowIntoScore(1, IDM_READ_PLACE_AFTER));
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_FALSE(ReadRowIntoScore(5, IDM_READ_PLACE_AT_END)) << "no such row";
}

}  // namespace
