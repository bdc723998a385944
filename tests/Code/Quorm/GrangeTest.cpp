#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Grange.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"

namespace {

std::vector<GrangePoint> keys;

GrangePoint KeyOf(int32_t item) { return keys.at(static_cast<size_t>(item)); }

class GrangeGridTest : public ::testing::Test {
 protected:
  void TearDown() override {
    GrangeFree(&grid);
    keys.clear();
  }
  std::vector<int32_t> Query(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t max = 1000) {
    std::vector<int32_t> out(static_cast<size_t>(max));
    int32_t n = GrangeQuery(&grid, x0, y0, x1, y1, out.data(), max);
    out.resize(static_cast<size_t>(std::min(n, max)));
    if (n <= max) std::sort(out.begin(), out.end());
    return out;
  }
  RecordingEngineHost host;
  GrangeGrid* grid = nullptr;
};

TEST_F(GrangeGridTest, CellSizesBecomePowersOfTwo) {
  struct Case {
    int32_t cell, shift;
  };
  const Case cases[] = {{1, 0}, {2, 1}, {3, 2}, {5, 2}, {6, 2}, {8, 3}, {12, 3}, {23, 4}, {24, 5}, {100, 7}};
  for (const Case& c : cases) {
    GrangeCreate(&grid, KeyOf, c.cell, c.cell, 1000, 1000);
    GrangeShape shape = GrangeShapeOf(grid);
    EXPECT_EQ(shape.xShift, c.shift) << c.cell;
    EXPECT_EQ(shape.columns, (1000 + (1 << c.shift) - 1) >> c.shift);
    GrangeFree(&grid);
  }
  // A cell larger than the grid becomes half of it, rounded up.
  GrangeCreate(&grid, KeyOf, 50, 1, 10, 7);
  EXPECT_EQ(GrangeShapeOf(grid).xShift, 2);  // 5 -> 4
}

TEST_F(GrangeGridTest, QueriesMatchABruteForceSearch) {
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i)
    keys.push_back({static_cast<int32_t>(random() % 640), static_cast<int32_t>(random() % 480)});
  GrangeCreate(&grid, KeyOf, 20, 12, 640, 480);
  GrangeAddRange(&grid, static_cast<int32_t>(keys.size()));
  for (int i = 0; i < 200; ++i) {
    int32_t x0 = static_cast<int32_t>(random() % 700) - 30, y0 = static_cast<int32_t>(random() % 540) - 30;
    int32_t x1 = x0 + static_cast<int32_t>(random() % 200), y1 = y0 + static_cast<int32_t>(random() % 200);
    std::vector<int32_t> expected;
    for (int32_t item = 0; item < static_cast<int32_t>(keys.size()); ++item) {
      GrangePoint k = keys[static_cast<size_t>(item)];
      if (k.x >= x0 && k.x < x1 && k.y >= y0 && k.y < y1) expected.push_back(item);
    }
    EXPECT_EQ(Query(x0, y0, x1, y1, 4000), expected);
  }
}

TEST_F(GrangeGridTest, GrowsBeyondItsFirstSlots) {
  for (int i = 0; i < 25000; ++i) keys.push_back({i % 100, (i / 100) % 100});
  GrangeCreate(&grid, KeyOf, 10, 10, 100, 100);
  GrangeAddRange(&grid, 25000);
  EXPECT_GE(GrangeShapeOf(grid).capacity, 25000);
  EXPECT_EQ(Query(0, 0, 1, 1, 100).size(), 3u);  // items 0, 10000 and 20000
}

TEST_F(GrangeGridTest, RoomMadeAtOnceForTheItemsAskedFor) {
  for (int i = 0; i < 25000; ++i) keys.push_back({i % 100, (i / 100) % 100});
  GrangeCreate(&grid, KeyOf, 10, 10, 100, 100, 30000);
  const GrangeShape shape = GrangeShapeOf(grid);
  const int32_t capacity = shape.capacity;
  EXPECT_EQ(capacity, 5 + shape.columns * shape.rows + 30000);  // header, cells, items
  GrangeAddRange(&grid, 25000);
  EXPECT_EQ(GrangeShapeOf(grid).capacity, capacity);
  EXPECT_EQ(Query(0, 0, 1, 1, 100).size(), 3u);
  GrangeFree(&grid);
  GrangeCreate(&grid, KeyOf, 10, 10, 100, 100, 5);  // fewer than the first room
  EXPECT_EQ(GrangeShapeOf(grid).capacity, 5 + shape.columns * shape.rows + 10000);
}

TEST_F(GrangeGridTest, BoxesOutsideAndEmptyBoxesFindNothing) {
  keys = {{0, 0}, {5, 5}, {9, 9}};
  GrangeCreate(&grid, KeyOf, 4, 4, 10, 10);
  GrangeAddRange(&grid, 3);
  EXPECT_TRUE(Query(-20, -20, 0, 0).empty());
  EXPECT_TRUE(Query(-20, 0, -1, 10).empty());
  EXPECT_TRUE(Query(0, -5, 10, 0).empty());
  EXPECT_TRUE(Query(5, 5, 5, 9).empty());
  EXPECT_EQ(Query(-100, -100, 100, 100), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(Query(5, 5, 9, 9), (std::vector<int32_t>{1}));  // half-open: 9 is left out
}

TEST_F(GrangeGridTest, AFullResultAnswersMaxPlusOneAtTheNextChainedItem) {
  keys = {{3, 3}, {0, 0}, {1, 0}, {2, 0}};
  GrangeCreate(&grid, KeyOf, 4, 4, 8, 8);  // one cell holds all four, newest first
  GrangeAddRange(&grid, 4);
  int32_t out[4];
  // Item 0 lies outside the box, yet once three are taken it makes the answer 4.
  EXPECT_EQ(GrangeQuery(&grid, 0, 0, 3, 1, out, 3), 4);
  EXPECT_EQ(GrangeQuery(&grid, 0, 0, 3, 1, out, 4), 3);
}

TEST_F(GrangeGridTest, RemovingTwiceChangesNothingTheSecondTime) {
  keys = {{1, 1}, {1, 1}, {6, 6}};
  GrangeCreate(&grid, KeyOf, 4, 4, 8, 8);
  GrangeAddRange(&grid, 3);
  GrangeRemove(&grid, 0);
  EXPECT_EQ(Query(0, 0, 8, 8), (std::vector<int32_t>{1, 2}));
  GrangeRemove(&grid, 0);
  EXPECT_EQ(Query(0, 0, 8, 8), (std::vector<int32_t>{1, 2}));
}

TEST_F(GrangeGridTest, OneCellGridRefusesEveryOtherKey) {
  keys = {{0, 0}, {1, 0}, {0, 1}, {-1, 0}};
  GrangeCreate(&grid, KeyOf, 1, 1, 1, 1);
  EXPECT_EQ(GrangeShapeOf(grid).columns * GrangeShapeOf(grid).rows, 1);
  EXPECT_EQ(GrangeAdd(&grid, 0), 5);
  EXPECT_THROW(GrangeAdd(&grid, 1), EngineFailure);
  EXPECT_THROW(GrangeAdd(&grid, 2), EngineFailure);
  EXPECT_THROW(GrangeAdd(&grid, 3), EngineFailure);
}

TEST_F(GrangeGridTest, BadArgumentsAreFailedChecks) {
  EXPECT_THROW(GrangeCreate(&grid, KeyOf, 0, 1, 10, 10), EngineFailure);
  EXPECT_THROW(GrangeCreate(&grid, KeyOf, 1, 1, 0, 10), EngineFailure);
  EXPECT_THROW(GrangeCreate(&grid, KeyOf, 1, 1, 10, 0), EngineFailure);
  int32_t out[1];
  EXPECT_THROW(GrangeQuery(&grid, 0, 0, 1, 1, out, 1), EngineFailure);  // no grid
  GrangeCreate(&grid, KeyOf, 2, 2, 10, 10);
  EXPECT_THROW(GrangeCreate(&grid, KeyOf, 2, 2, 10, 10), EngineFailure);  // slot taken
  EXPECT_THROW(GrangeQuery(&grid, 0, 0, 1, 1, out, 0), EngineFailure);
  EXPECT_THROW(GrangeQuery(&grid, 0, 0, 1, 1, nullptr, 1), EngineFailure);
}

}  // namespace
