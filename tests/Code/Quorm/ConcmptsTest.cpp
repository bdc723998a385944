// Connected components on small rasters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/vertsegs.h"
#include "PageArt.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

class Components : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPageStaffSpace(20 * 1024);  // 10 per cent: 2 pixels
    ResetConnectedComponents();
  }
  void TearDown() override {
    FreeConnectedComponents();
    FreeVerticalSegments();
    FreeOnebppImage();
    FreePageScale();
  }
};

// A component's raster as text rows.
std::vector<std::string> RasterArt(const ConnectedComponent& c) {
  std::vector<std::string> rows;
  for (int32_t r = 0; r < c.rows; ++r) {
    std::string row;
    for (int32_t k = 0; k < c.columns; ++k) row += GetBitMatrixBit(c, r, k) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

using Art = std::vector<std::string>;

TEST_F(Components, CornersJoinGapsSeparate) {
  ASSERT_EQ(LoadArt(MakePageArt({"........",
                                 ".#......",
                                 "..#..#..",
                                 "....#...",
                                 ".##.##..",
                                 "........"})),
            kEngineOk);
  FindConnectedComponents(5000, 500, 500);
  ASSERT_EQ(GetComponentCount(), 3);
  ConnectedComponent c{};
  GetComponent(&c, 0);  // found from the bottom up
  EXPECT_EQ(c.top, 4);
  EXPECT_EQ(c.link, -1);
  EXPECT_EQ(c.index, 0);
  // After sorting: reading order of the top-left corners.
  CompactComponents();
  GetComponent(&c, 0);
  EXPECT_EQ(c.top, 1);
  EXPECT_EQ(c.left, 1);
  EXPECT_EQ(c.index, 2);
  EXPECT_EQ(RasterArt(c), (Art{"#.", ".#"}));
  GetComponent(&c, 1);
  EXPECT_EQ(c.top, 2);
  EXPECT_EQ(c.left, 4);
  EXPECT_EQ(RasterArt(c), (Art{".#", "#.", "##"}));
  GetComponent(&c, 2);
  EXPECT_EQ(c.top, 4);
  EXPECT_EQ(c.left, 1);
  EXPECT_EQ(RasterArt(c), (Art{"##"}));
  EngineBox box{};
  GetComponentBox(&box, 1);
  EXPECT_EQ(box.x0, 4);
  EXPECT_EQ(box.y0, 2);
  EXPECT_EQ(box.x1, 6);
  EXPECT_EQ(box.y1, 5);
  EXPECT_EQ(GetComponentKey(2).x, 1);
  EXPECT_EQ(GetComponentKey(2).y, 4);
  EngineBox bounds = GetComponentBounds();
  EXPECT_EQ(bounds.x0, 1);
  EXPECT_EQ(bounds.y0, 1);
  EXPECT_EQ(bounds.x1, 6);
  EXPECT_EQ(bounds.y1, 5);
  // Finding consumes the page.
  EXPECT_EQ(CountBoxInk(0, 0, 6, 8), 0);
  EXPECT_THROW(GetComponent(&c, 3), EngineFailure);
  EXPECT_THROW(GetComponentBox(&box, -1), EngineFailure);
}

TEST_F(Components, FirstAndLastRowsOnlyThroughNeighbours) {
  ASSERT_EQ(LoadArt(MakePageArt({"#....#",
                                 "......",
                                 "....#.",
                                 "#....."})),
            kEngineOk);
  FindConnectedComponents(5000, 500, 500);
  ASSERT_EQ(GetComponentCount(), 1);
  ConnectedComponent c{};
  GetComponent(&c, 0);
  EXPECT_EQ(c.top, 2);
  EXPECT_EQ(c.left, 4);
  EXPECT_EQ(GetPagePixel(0, 0), 1);  // never scanned: still on the page
  EXPECT_EQ(GetPagePixel(0, 5), 1);
  EXPECT_EQ(GetPagePixel(3, 0), 1);

  FreeConnectedComponents();
  ResetConnectedComponents();
  ASSERT_EQ(LoadArt(MakePageArt({"#.....",
                                 ".#....",
                                 "..#...",
                                 "...#.."})),
            kEngineOk);
  FindConnectedComponents(5000, 500, 500);
  ASSERT_EQ(GetComponentCount(), 1);
  GetComponent(&c, 0);
  EXPECT_EQ(c.top, 0);
  EXPECT_EQ(c.rows, 4);
  EXPECT_EQ(RasterArt(c), (Art{"#...", ".#..", "..#.", "...#"}));
}

TEST_F(Components, TooLargeComponentsAreClearedButNotRecorded) {
  ASSERT_EQ(LoadArt(MakePageArt({"..........",
                                 ".#....###.",
                                 ".#........",
                                 ".#........",
                                 ".#....#...",
                                 ".........."})),
            kEngineOk);
  FindConnectedComponents(2, 3, 500);  // at most 2 wide and 3 high
  ASSERT_EQ(GetComponentCount(), 1);
  ConnectedComponent c{};
  GetComponent(&c, 0);
  EXPECT_EQ(c.top, 4);
  EXPECT_EQ(c.left, 6);
  EXPECT_EQ(CountBoxInk(0, 0, 6, 10), 0);
}

TEST_F(Components, TooManyRunsAreNotRecorded) {
  Art u = {".......",
           ".#...#.",
           ".#...#.",
           ".#####.",
           "......."};  // four runs
  ASSERT_EQ(LoadArt(MakePageArt(u)), kEngineOk);
  FindConnectedComponents(5000, 500, 4);
  EXPECT_EQ(GetComponentCount(), 0);
  EXPECT_EQ(CountBoxInk(0, 0, 5, 7), 0);
  FreeConnectedComponents();
  ResetConnectedComponents();
  ASSERT_EQ(LoadArt(MakePageArt(u)), kEngineOk);
  FindConnectedComponents(5000, 500, 6);
  ASSERT_EQ(GetComponentCount(), 1);
  ConnectedComponent c{};
  GetComponent(&c, 0);
  EXPECT_EQ(RasterArt(c), (Art{"#...#", "#...#", "#####"}));
  EXPECT_THROW(FindConnectedComponents(5000, 500, 2001), EngineFailure);
}

TEST_F(Components, SmallPiecesMergeIntoCoveringComponents) {
  Art page = {"................",
              "..#######.......",
              "..#.....#.......",
              "..#..#..#....#..",
              "..#.....#.......",
              "..#######.......",
              "................"};
  ASSERT_EQ(LoadArt(MakePageArt(page)), kEngineOk);
  KeepPageImageCopy();
  FindConnectedComponents(5000, 500, 500);
  RestorePageImageCopy();
  ASSERT_EQ(GetComponentCount(), 3);
  CompactComponents();
  EXPECT_EQ(MergeIntoCoveringComponent(0, 1), 0);  // the ring is not inside the dot
  ForEachComponent([](const ConnectedComponent& c) -> int32_t { return c.rows <= 2 || c.columns <= 2; });
  // The dot inside the ring joined it; the lone dot outside stays.
  ASSERT_EQ(GetComponentCount(), 2);
  ConnectedComponent c{};
  GetComponent(&c, 0);
  EXPECT_EQ(RasterArt(c), (Art{"#######", "#.....#", "#..#..#", "#.....#", "#######"}));
  GetComponent(&c, 1);
  EXPECT_EQ(c.top, 3);
  EXPECT_EQ(c.left, 13);
  EXPECT_EQ(PageAsArt(), page);
}

TEST_F(Components, CleanSmallComponentsKeepsThePage) {
  Art page = {"..........",
              ".#####....",
              ".#.#.#..#.",
              ".#####....",
              ".........."};
  ASSERT_EQ(LoadArt(MakePageArt(page)), kEngineOk);
  CleanSmallComponents();
  EXPECT_EQ(PageAsArt(), page);
  EXPECT_EQ(HasPageImageCopy(), 0);
  ASSERT_EQ(GetComponentCount(), 2);
  ConnectedComponent c{};
  GetComponent(&c, 0);
  EXPECT_EQ(RasterArt(c), (Art{"#####", "#.#.#", "#####"}));
}

TEST_F(Components, OutOfMemoryUnwindsWithXheapmem) {
  Art page = {"........", ".#..#.#.", "........"};
  for (long failAt = 1; failAt <= 4; ++failAt) {
    ASSERT_EQ(LoadArt(MakePageArt(page)), kEngineOk);
    ResetConnectedComponents();
    FailEngineAllocationAfter(failAt);  // the queue, then the rasters one by one
    try {
      FindConnectedComponents(5000, 500, 500);
      ADD_FAILURE() << "no failure at allocation " << failAt;
    } catch (const EngineFailure& failure) {
      EXPECT_STREQ(failure.code(), "Xheapmem");
      EXPECT_FALSE(failure.failedCheck());
    }
    FailEngineAllocationAfter(0);
    FreeConnectedComponents();  // releases whatever the search held
  }
}

// Three 16 x 20 blocks joined by one-pixel bridges, near a staff and far
// below it, and a lone block.
TEST_F(Components, TouchingEqualSymbolsAreSplit) {
  const int32_t width = 400, height = 400;
  LoadHandPage(width, height, 20);
  AddHandStaff(HandStaff{0, 50, 20, 10, 390, 5, 0});  // lines at rows 50 .. 130
  PageArt art;
  art.width = width;
  art.height = height;
  art.words.assign(static_cast<size_t>(art.wordsPerRow()) * height, 0);
  auto block = [&](int32_t top, int32_t left) {
    for (int32_t y = top; y < top + 20; ++y)
      for (int32_t x = left; x < left + 16; ++x) art.Set(y, x);
  };
  for (int32_t top : {80, 300}) {
    block(top, 100);
    block(top, 117);
    block(top, 134);
    art.Set(top + 10, 116);
    art.Set(top + 10, 133);
  }
  block(80, 250);
  ASSERT_EQ(LoadArt(art), kEngineOk);
  ResetConnectedComponents();
  FindConnectedComponents(5000, 500, 500);
  ASSERT_EQ(GetComponentCount(), 3);
  SplitTouchingComponents();
  ASSERT_EQ(GetComponentCount(), 5);
  EngineBox box{};
  const int32_t lefts[] = {100, 117, 134, 250};
  for (int32_t i = 0; i < 4; ++i) {
    GetComponentBox(&box, i);
    EXPECT_EQ(box.y0, 80) << i;
    EXPECT_EQ(box.x0, lefts[i]) << i;
    EXPECT_EQ(box.x1 - box.x0, 16) << i;
    EXPECT_EQ(box.y1 - box.y0, 20) << i;
  }
  GetComponentBox(&box, 4);  // out of the staff's reach: whole
  EXPECT_EQ(box.y0, 300);
  EXPECT_EQ(box.x1 - box.x0, 50);
  FreeHandPage();
}

TEST_F(Components, ShortPagesHaveNone) {
  ASSERT_EQ(LoadArt(MakePageArt({"#.#", "..."})), kEngineOk);
  FindConnectedComponents(5000, 500, 500);
  EXPECT_EQ(GetComponentCount(), 0);
}

}  // namespace
