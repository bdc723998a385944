// Vertical segments: the column runs that end above the bottom row.
#include <gtest/gtest.h>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/vertsegs.h"
#include "PageArt.h"

namespace {

class VerticalSegments : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeVerticalSegments();
    FreeOnebppImage();
  }
};

int gCalls = 0;
int gStopAt = 0;
int StopAtCall(int) { return ++gCalls == gStopAt ? 0 : 1; }

TEST_F(VerticalSegments, ARunGivesItsTopAndEnd) {
  PageArt art;
  art.width = 3;
  art.height = 30;
  art.words.assign(30, 0);
  for (int32_t y = 10; y < 20; ++y) art.Set(y, 1);
  ASSERT_EQ(LoadArt(art), kEngineOk);
  ASSERT_EQ(GetVerticalSegmentCount(), 1);
  const VerticalSegment* s = GetVerticalSegment(0);
  EXPECT_EQ(s->x, 1);
  EXPECT_EQ(s->top, 10);
  EXPECT_EQ(s->end, 20);
  EXPECT_EQ(s->mark1 + s->mark2 + s->mark3, 0);
  EXPECT_EQ(FindVerticalSegment(1, 10), 0);
  EXPECT_EQ(FindVerticalSegment(1, 19), 0);
  EXPECT_EQ(FindVerticalSegment(1, 20), -1);  // just below the last black row
  EXPECT_EQ(FindVerticalSegment(1, 9), -1);
  EXPECT_EQ(FindVerticalSegment(0, 15), -1);
  EXPECT_EQ(FindVerticalSegment(2, 15), -1);
}

TEST_F(VerticalSegments, OrderTopRowAndBottomRow) {
  ASSERT_EQ(LoadArt(MakePageArt({"#..#.",
                                 "#.##.",
                                 "...#.",
                                 "#.#..",
                                 "#....",
                                 "#.#.#"})),
            kEngineOk);
  // Column 0: a run from the top row (kept) and one reaching the bottom (not);
  // column 4: only a pixel in the bottom row (never found).
  struct Expected {
    int32_t x, top, end;
  } expected[] = {{0, 0, 2}, {2, 1, 2}, {2, 3, 4}, {3, 0, 3}};
  ASSERT_EQ(GetVerticalSegmentCount(), 4);
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(GetVerticalSegment(i)->x, expected[i].x) << i;
    EXPECT_EQ(GetVerticalSegment(i)->top, expected[i].top) << i;
    EXPECT_EQ(GetVerticalSegment(i)->end, expected[i].end) << i;
    EXPECT_EQ(FindVerticalSegment(expected[i].x, expected[i].top), i);
  }
  EXPECT_EQ(FindVerticalSegment(0, 4), -1);
  EXPECT_EQ(FindVerticalSegment(4, 5), -1);
  EXPECT_THROW(GetVerticalSegment(4), EngineFailure);
  EXPECT_THROW(GetVerticalSegment(-1), EngineFailure);
}

TEST_F(VerticalSegments, AWhitePageHasNone) {
  PageArt art = MakePageArt({"....", "....", "####"});
  EXPECT_STREQ(LoadArt(art), kCodeNoSegments);
  EXPECT_EQ(GetVerticalSegmentCount(), 0);
}

TEST_F(VerticalSegments, MarksAreSetAndCleared) {
  ASSERT_EQ(LoadArt(MakePageArt({"#.#", "...", "..."})), kEngineOk);
  SetSegmentMark1(0);
  SetSegmentMark2(1);
  SetSegmentMark3(1);
  EXPECT_EQ(GetVerticalSegment(0)->mark1, 1);
  EXPECT_EQ(HasSegmentMark3(0), 0);
  EXPECT_EQ(HasSegmentMark3(1), 1);
  ClearSegmentMarks();
  EXPECT_EQ(GetVerticalSegment(0)->mark1, 0);
  EXPECT_EQ(GetVerticalSegment(1)->mark2, 0);
  EXPECT_EQ(HasSegmentMark3(1), 0);
  EXPECT_THROW(SetSegmentMark1(2), EngineFailure);
}

TEST_F(VerticalSegments, AStopLeavesNoTable) {
  ASSERT_EQ(LoadArt(MakePageArt({".#.#", ".#.#", "...."})), kEngineOk);
  FreeVerticalSegments();
  // Four columns per pass: stop in the counting pass, then in the filling one.
  for (int stopAt : {2, 6}) {
    gCalls = 0;
    gStopAt = stopAt;
    EXPECT_EQ(BuildVerticalSegments(StopAtCall), kSegmentsStopped);
    EXPECT_EQ(GetVerticalSegmentCount(), 0);
  }
  gCalls = 0;
  gStopAt = 0;
  EXPECT_EQ(BuildVerticalSegments(StopAtCall), kSegmentsBuilt);
  EXPECT_EQ(gCalls, 8);
  EXPECT_EQ(GetVerticalSegmentCount(), 2);
  EXPECT_EQ(BuildVerticalSegments(nullptr), kSegmentsBuilt);  // already there
  EXPECT_EQ(GetVerticalSegmentCount(), 2);
}

}  // namespace
