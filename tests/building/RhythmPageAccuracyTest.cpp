#include <gtest/gtest.h>

#include "building/PageRhythmCorrection.h"
#include "pages/PageTable.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "tests/score/RhythmFixture.h"

namespace {

TEST(RhythmPageAccuracy, ThirtyPerCentOfTheCheckedBarsMakeAPageInaccurate) {
  struct Case {
    int32_t checked, faulty;
    bool seen, correction, inaccurate;
  };
  const Case cases[] = {
      {10, 3, true, false, true},   {10, 2, true, false, false}, {3, 1, true, false, true},
      {0, 0, true, true, false},    {10, 9, false, false, false}, {10, 9, false, true, true},
      {7, 2, true, false, false},  // 28 per cent
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PageRhythmIsInaccurate(c.checked, c.faulty, c.seen, c.correction), c.inaccurate)
        << c.checked << " " << c.faulty << " " << c.seen << " " << c.correction;
  }
}

class MarkInaccuratePageTest : public ScoreStreamTest {
 protected:
  void SetUp() override {
    ScoreStreamTest::SetUp();
    global_ = Global();
    pageTable.pageCount = 1;
    pageTable.rows[0].flags = 0;
    Reading().pageIndex = 0;
    Reading().scorePosition = 1;
    Reading().pageHasItems = 1;
    Flags().abort = 0;
    Global().showAccuracyWarning = true;
  }
  void TearDown() override {
    Global() = global_;
    pageTable.pageCount = 0;
    Reading().pageHasItems = 0;
    ScorePages = ScorePageList{};
    ScoreStreamTest::TearDown();
  }
  // One page of four 4/4 bars of which faulty are a crotchet short.
  void ReadPage(int faulty) {
    StreamBytesList part = TimeItem(4, 5);
    for (int bar = 0; bar < 4; ++bar) {
      part = JoinItems({part, Minim(), Crotchet(), bar < faulty ? StreamBytesList{} : Crotchet(), Line()});
    }
    SetPart(1, JoinItems({part, Boundary(), EndMark()}));
    CountPageMarks();
    ScorePages.current = 1;
  }
  GlobalSettings global_;
};

TEST_F(MarkInaccuratePageTest, APageWithManyFaultyBarsIsFlagged) {
  ReadPage(2);
  EXPECT_EQ(MarkInaccuratePage(), 1);
  EXPECT_TRUE(pageTable.rows[0].flags & kPageManyErrors);
}

TEST_F(MarkInaccuratePageTest, AFewFaultyBarsAPageNotMergedOrTheWarningOffFlagNothing) {
  ReadPage(1);
  EXPECT_EQ(MarkInaccuratePage(), 0);
  EXPECT_FALSE(pageTable.rows[0].flags & kPageManyErrors);

  ReadPage(4);
  Reading().pageHasItems = 0;
  EXPECT_EQ(MarkInaccuratePage(), 0);
  EXPECT_FALSE(pageTable.rows[0].flags & kPageManyErrors);

  Reading().pageHasItems = 1;
  Global().showAccuracyWarning = false;
  EXPECT_EQ(MarkInaccuratePage(), 1);
  EXPECT_FALSE(pageTable.rows[0].flags & kPageManyErrors);
}

}  // namespace
