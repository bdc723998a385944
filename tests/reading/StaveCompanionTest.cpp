#include <gtest/gtest.h>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "reading/FileOpenerHooks.h"
#include "reading/StaveCompanion.h"
#include "tests/reading/OpenerFixture.h"

namespace {

class StaveCompanionTest : public OpenerTest {
 protected:
  void SetUp() override {
    OpenerTest::SetUp();
    BlankViewPage(800, 600, 300);
  }
  int Read(const std::vector<uint8_t>& bytes) {
    std::u16string path = scratch_.File(u"page.tif.stv");
    WriteFileBytes(path, bytes);
    return ReadStaveCompanion(path.c_str());
  }
  // Ink in column x from row top to row bottom (exclusive).
  void DrawBrace(uint32_t x, uint32_t top, uint32_t bottom) {
    uint32_t stride = (SpriteWord(viewPage.Area(), kSpriteWidthWords) + 1) * 4;
    for (uint32_t y = top; y < bottom; ++y) SpriteRows(viewPage.Area())[y * stride + x / 8] |= uint8_t(1 << (x % 8));
  }
};

TEST_F(StaveCompanionTest, AtMostTwelveStavesAreRead) {
  std::vector<CompanionStaveSpec> staves;
  for (uint32_t k = 0; k < 15; ++k) staves.push_back({5, 0, 10, 10 + 35 * k, 500, 20});
  ASSERT_EQ(Read(CompanionBytes(staves)), 1);
  EXPECT_EQ(viewPage.staveCount, 12u);
  EXPECT_EQ(viewPage.staves[11].top, 10 + 35 * 11);
}

TEST_F(StaveCompanionTest, KindFollowsTheLineCount) {
  ASSERT_EQ(Read(CompanionBytes({{6, 0, 10, 10, 500, 50}, {3, 0, 10, 100, 500, 20}, {5, 0, 10, 200, 500, 40},
                                 {4, 0, 10, 300, 500, 30}, {1, 0, 10, 400, 500, 10}})),
            1);
  ASSERT_EQ(viewPage.staveCount, 5u);
  const int16_t kinds[] = {1, 2, 0, 1, 2};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(viewPage.staves[k].kind, kinds[k]) << k;
  EXPECT_EQ(viewPage.staves[2].midX, (10 + 510) / 2);
  EXPECT_EQ(viewPage.staves[2].rightTop, 200);
  EXPECT_EQ(viewPage.staves[2].joinLeftEnd, -1);
  EXPECT_EQ(viewPage.curvesValid[2], 1u);
}

TEST_F(StaveCompanionTest, LineTablesSpreadTheLinesEvenly) {
  ASSERT_EQ(Read(CompanionBytes({{5, 0, 10, 10, 500, 41}, {4, 0, 10, 100, 500, 31}, {1, 0, 10, 200, 500, 9}})), 1);
  const int16_t five[] = {0, 10, 21, 31, 41};  // 41 x i / 4, halves up
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(viewPage.lineCurves.y[0][i][0], five[i]);
    EXPECT_EQ(viewPage.lineCurves.y[0][i][1023], five[i]);
  }
  EXPECT_EQ(viewPage.lineCurves.y[1][3][500], 31);
  EXPECT_EQ(viewPage.lineCurves.y[2][0][7], 0);
}

TEST_F(StaveCompanionTest, BadLineCountsAndCutFilesAreRefusedAndChangeNothing) {
  ASSERT_EQ(Read(CompanionBytes({{5, 0, 10, 10, 500, 40}})), 1);
  for (uint32_t lines : {0u, 7u, 0xFFFFFFFFu})
    EXPECT_EQ(Read(CompanionBytes({{5, 0, 10, 10, 500, 40}, {lines, 0, 10, 100, 500, 40}})), 0) << lines;
  std::vector<uint8_t> cut = CompanionBytes({{5, 0, 10, 10, 500, 40}, {5, 0, 10, 100, 500, 40}});
  cut.resize(cut.size() - 3);
  EXPECT_EQ(Read(cut), 0);
  EXPECT_EQ(Read({1, 0}), 0);
  EXPECT_EQ(ReadStaveCompanion(scratch_.File(u"missing.stv").c_str()), 0);
  EXPECT_EQ(viewPage.staveCount, 1u);
}

TEST_F(StaveCompanionTest, BoxesAreClippedToThePageAndEmptyOnesDropped) {
  ASSERT_EQ(Read(CompanionBytes({{5, 0, 700, 500, 0xFFFFFF00u, 300},  // runs off to the right and down
                                 {5, 0, 900, 10, 50, 40},             // wholly right of the page
                                 {5, 0, 10, 700, 50, 40},             // wholly below it
                                 {5, 0, 10, 10, 0, 40}})),            // no width
            1);
  ASSERT_EQ(viewPage.staveCount, 1u);
  EXPECT_EQ(viewPage.staves[0].left, 700);
  EXPECT_EQ(viewPage.staves[0].right, 799);
  EXPECT_EQ(viewPage.staves[0].bottom, 599);
}

TEST_F(StaveCompanionTest, SystemsFollowTheJoinedFlagAndBracedGaps) {
  // Staves at 10-50, 100-140, 200-240, 300-340; a brace bridges the gap
  // between the second and the third.
  DrawBrace(95, 141, 200);
  ASSERT_EQ(Read(CompanionBytes({{5, 0, 100, 10, 500, 40},
                                 {5, 1, 100, 100, 500, 40},
                                 {5, 0, 100, 200, 500, 40},
                                 {5, 0, 100, 300, 500, 40}})),
            1);
  EXPECT_EQ(viewPage.staves[0].group, 1);
  EXPECT_EQ(viewPage.staves[1].group, 1);
  EXPECT_EQ(viewPage.staves[2].group, 1);
  EXPECT_EQ(viewPage.staves[3].group, 2);
}

TEST_F(StaveCompanionTest, TheCurrentPageRecordIsMarked) {
  pageTable.pageCount = 1;
  pageTable.currentPage = 0;
  pageTable.rows[0] = PageRecord{};
  ASSERT_EQ(Read(CompanionBytes({{5, 0, 10, 10, 500, 40}})), 1);
  EXPECT_NE(pageTable.rows[0].flags & kStavesFromCompanion, 0u);
}

// A page whose staves did not reach its data file is not marked as having
// them.
TEST_F(StaveCompanionTest, APageIsMarkedOnlyWhenItsStavesWereWritten) {
  pageTable.pageCount = 1;
  pageTable.currentPage = 0;
  pageTable.rows[0] = PageRecord{};
  FileOpenerHooks hooks{};
  hooks.writePageStaveData = [] { return false; };
  SetFileOpenerHooks(hooks);
  ASSERT_EQ(Read(CompanionBytes({{5, 0, 10, 10, 500, 40}})), 1);
  EXPECT_EQ(viewPage.staveCount, 1u);
  EXPECT_EQ(pageTable.rows[0].flags & kStavesFromCompanion, 0u);
}

}  // namespace
