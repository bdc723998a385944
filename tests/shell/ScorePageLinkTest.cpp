// The score-to-page link: the page record of a score page, the item under
// the pointer and the box on the page image it came from.
#include <gtest/gtest.h>

#include "pages/PageTable.h"
#include "score/ScoreFile.h"
#include "shell/ScorePageLink.h"

namespace {

class ScorePageLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPages = ScorePages;
    savedCount = pageTable.pageCount;
    for (int i = 0; i < 4; ++i) savedKeys[i] = pageTable.rows[i].pageKey;
    // A three-page score whose scans lie in rows 2, 0 and 3 of the table.
    ScorePages = ScorePageList{};
    ScorePages.count = 3;
    ScorePages.current = 1;
    const uint32_t keys[3] = {0x1111, 0x2222, 0x3333};
    for (int p = 0; p < 3; ++p) ScorePages.rows[p] = ScorePageRow{uint16_t(p), 0, keys[p]};
    pageTable.pageCount = 4;
    pageTable.rows[0].pageKey = 0x2222;
    pageTable.rows[1].pageKey = 0x9999;
    pageTable.rows[2].pageKey = 0x1111;
    pageTable.rows[3].pageKey = 0x3333;
  }
  void TearDown() override {
    ScorePages = savedPages;
    pageTable.pageCount = savedCount;
    for (int i = 0; i < 4; ++i) pageTable.rows[i].pageKey = savedKeys[i];
  }
  static void AddRow(ItemIndex& index, int16_t l, int16_t r, int16_t t, int16_t b) {
    index.rows[index.count++] = ItemIndexRow{l, r, t, b, 1, 0, 0};
  }

  ScorePageList savedPages{};
  uint32_t savedCount = 0;
  uint32_t savedKeys[4] = {};
};

TEST_F(ScorePageLinkTest, EachScorePageFindsTheRecordOfItsScan) {
  EXPECT_EQ(PageRowOfScorePage(1), 2);
  EXPECT_EQ(PageRowOfScorePage(2), 0);
  EXPECT_EQ(PageRowOfScorePage(3), 3);
  EXPECT_EQ(PageRowOfScorePage(0), -1);
  EXPECT_EQ(PageRowOfScorePage(4), -1);
  // A scan that left the table links nothing.
  pageTable.rows[3].pageKey = 0x4444;
  EXPECT_EQ(PageRowOfScorePage(3), -1);
}

TEST_F(ScorePageLinkTest, ItemsOnPagesOneAndThreeLinkToTheirOwnBoxes) {
  static ItemIndex index;
  index.count = 0;
  AddRow(index, 100, 120, 50, 90);   // a note on page 1
  AddRow(index, 110, 160, 40, 100);  // a wider item over it
  AddRow(index, 300, 320, 200, 240);
  // On page 1 the pointer on the note takes the note (nearest centre).
  EXPECT_EQ(LinkedItemRow(index, 110, 70, 3), 0);
  EXPECT_EQ(LinkedItemRow(index, 150, 70, 3), 1);
  EXPECT_EQ(LinkedItemRow(index, 200, 70, 3), -1);
  // Page 3's page data hold only two boxes: the third item has none.
  ScorePages.current = 3;
  EXPECT_EQ(PageRowOfScorePage(ScorePages.current), 3);
  EXPECT_EQ(LinkedItemRow(index, 310, 220, 2), -1);
  EXPECT_EQ(LinkedItemRow(index, 310, 220, 3), 2);
}

TEST_F(ScorePageLinkTest, TheHighlightIsTheStoredBoxGrownByTwoPixelsOfTheZoom) {
  const int16_t box[4] = {100, 140, 200, 260};  // left, right, top, bottom
  HighlightRegion h = LinkHighlight(box, 1.0);
  EXPECT_EQ(h.left, 98);
  EXPECT_EQ(h.top, 198);
  EXPECT_EQ(h.right, 142);
  EXPECT_EQ(h.bottom, 262);
  h = LinkHighlight(box, 0.5);
  EXPECT_EQ(h.left, 96);
  EXPECT_EQ(h.bottom, 264);
}

}  // namespace
