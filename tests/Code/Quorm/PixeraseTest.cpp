// Pixel erasing: scan conversion against a point-in-triangle reference, and
// the four modes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Pixerase.h"
#include "Code/Quorm/vertsegs.h"
#include "PageArt.h"

namespace {

class Erasing : public ::testing::Test {
 protected:
  // A black page of the given size (its last row white, so that it loads).
  void LoadBlackPage(int32_t width, int32_t height) {
    PageArt art;
    art.width = width;
    art.height = height;
    art.words.assign(static_cast<size_t>(art.wordsPerRow()) * height, 0);
    for (int32_t y = 0; y + 1 < height; ++y)
      for (int32_t x = 0; x < width; ++x) art.Set(y, x);
    ASSERT_EQ(LoadArt(art), kEngineOk);
  }
  void TearDown() override {
    FreeVerticalSegments();
    FreeOnebppImage();
  }
};

// Closed triangle, exact in integers: the point lies on the inner side of
// (or on) every edge.
bool InTriangle(const ShapeTriangle& t, int64_t y, int64_t x) {
  auto cross = [](int64_t ay, int64_t ax, int64_t by, int64_t bx, int64_t py, int64_t px) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
  };
  int64_t d1 = cross(t.y0, t.x0, t.y1, t.x1, y, x);
  int64_t d2 = cross(t.y1, t.x1, t.y2, t.x2, y, x);
  int64_t d3 = cross(t.y2, t.x2, t.y0, t.x0, y, x);
  bool negative = d1 < 0 || d2 < 0 || d3 < 0;
  bool positive = d1 > 0 || d2 > 0 || d3 > 0;
  if (negative && positive) return false;
  if (d1 == 0 && d2 == 0 && d3 == 0) {  // degenerate: on the segment hull
    int64_t ylo = std::min({t.y0, t.y1, t.y2}), yhi = std::max({t.y0, t.y1, t.y2});
    int64_t xlo = std::min({t.x0, t.x1, t.x2}), xhi = std::max({t.x0, t.x1, t.x2});
    return y >= ylo && y <= yhi && x >= xlo && x <= xhi;
  }
  return true;
}

TEST_F(Erasing, TrianglesCoverTheirLatticePointsOnce) {
  const int32_t width = 45, height = 41;
  LoadBlackPage(width, height);
  std::vector<uint8_t> ones(static_cast<size_t>(width) * height, 1);
  std::mt19937 random(107);
  for (int t = 0; t < 400; ++t) {
    EraseShape shape;
    ClearShape(&shape);
    int triangles = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < triangles; ++k) {
      auto point = [&] { return EnginePoint{static_cast<int32_t>(random() % 50) - 5, static_cast<int32_t>(random() % 55) - 5}; };
      AddShapeTriangle(&shape, point(), point(), point());
    }
    if (t % 3 == 0) AddShapeSpan(&shape, static_cast<int32_t>(random() % 40), 3, 20);
    int32_t expected = 0;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        bool in = false;
        for (int k = 0; k < shape.triangleCount; ++k) in = in || InTriangle(shape.triangles[k], y, x);
        for (int k = 0; k < shape.spanCount; ++k)
          in = in || (shape.spans[k].row == y && x >= shape.spans[k].x0 && x < shape.spans[k].x1);
        expected += in;
      }
    int32_t covered = -1, inReference = -1;
    CountShapePixelsInBox(shape, EngineBox{0, 0, width, height}, ones.data(), &covered, &inReference);
    ASSERT_EQ(covered, expected) << t;
    ASSERT_EQ(inReference, expected) << t;
  }
}

TEST_F(Erasing, EraseClearsExactlyTheShape) {
  LoadBlackPage(12, 9);
  EraseShape shape;
  ClearShape(&shape);
  AddShapeTriangle(&shape, EnginePoint{1, 1}, EnginePoint{1, 5}, EnginePoint{5, 1});
  AddShapeBox(&shape, EngineBox{8, 2, 10, 4});
  AddShapeSpan(&shape, 7, -5, 2);
  EraseShapePixels(shape);
  std::vector<std::string> expected = {"############",
                                       "#.....######",
                                       "#....###..##",
                                       "#...####..##",
                                       "#..#########",
                                       "#.##########",
                                       "############",
                                       "..##########",
                                       "............"};
  EXPECT_EQ(PageAsArt(), expected);
}

TEST_F(Erasing, ShapeToBitmapCopiesThenClears) {
  ASSERT_EQ(LoadArt(MakePageArt({"..........",
                                 ".##.......",
                                 ".#.#......",
                                 "....#.....",
                                 ".........."})),
            kEngineOk);
  EraseShape shape;
  ClearShape(&shape);
  AddShapeBand(&shape, EnginePoint{1, 1}, EnginePoint{3, 4}, 1);
  EngineBox box{};
  ASSERT_TRUE(ShapeBox(shape, &box));
  RasterRecord raster{};
  ASSERT_EQ(ShapeToBitmap(shape, 2, 2, &raster), 1);
  EXPECT_EQ(raster.top, box.y0);
  EXPECT_EQ(raster.left, box.x0);
  EXPECT_EQ(raster.rows, box.y1 - box.y0);
  EXPECT_EQ(raster.columns, box.x1 - box.x0);
  int32_t copied = CountBitsInRange(raster.bits, 0, raster.rows * raster.columns);
  EXPECT_EQ(copied, 5);  // every black pixel lies in the band
  EXPECT_EQ(GetBitMatrixBit(raster, 2 - raster.top, 3 - raster.left), 1);
  EXPECT_EQ(GetBitMatrixBit(raster, 3 - raster.top, 4 - raster.left), 1);
  EXPECT_EQ(CountBoxInk(0, 0, 5, 10), 0);
  FreeRasterBits(&raster);
  // Too small: nothing kept, the pixels are cleared all the same.
  for (int32_t x : {0, 5, 9}) SetPagePixel(1, x, 1);
  ClearShape(&shape);
  AddShapeSpan(&shape, 1, 0, 10);
  ASSERT_EQ(ShapeToBitmap(shape, 2, 2, &raster), 0);
  EXPECT_EQ(raster.bits, nullptr);
  EXPECT_EQ(raster.rows, 0);
  EXPECT_EQ(CountBoxInk(0, 0, 5, 10), 0);
}

TEST_F(Erasing, CountsInsideTheWindow) {
  LoadBlackPage(10, 10);
  EraseShape shape;
  ClearShape(&shape);
  AddShapeBox(&shape, EngineBox{0, 0, 4, 4});
  AddShapeBox(&shape, EngineBox{2, 2, 6, 6});  // overlaps count once
  const uint8_t reference[9] = {1, 0, 1,  //
                                0, 1, 0,  //
                                1, 1, 1};
  int32_t covered = 0, inReference = 0;
  CountShapePixelsInBox(shape, EngineBox{3, 3, 6, 6}, reference, &covered, &inReference);
  EXPECT_EQ(covered, 16 + 16 - 4);
  EXPECT_EQ(inReference, 6);
  EXPECT_EQ(CountBoxInk(0, 0, 9, 10), 90);  // the page is unchanged
}

TEST_F(Erasing, OddWidthsStopAtTheLastColumn) {
  for (int32_t width : {1, 31, 33, 63, 65}) {
    LoadBlackPage(width, 4);
    EraseShape shape;
    ClearShape(&shape);
    AddShapeSpan(&shape, 0, width - 1, width + 40);
    AddShapeTriangle(&shape, EnginePoint{1, width - 1}, EnginePoint{1, width + 50}, EnginePoint{2, width + 50});
    RasterRecord raster{};
    ASSERT_EQ(ShapeToBitmap(shape, 1, 1, &raster), 1) << width;
    EXPECT_EQ(raster.left, width - 1);
    EXPECT_EQ(raster.columns, 1);
    EXPECT_EQ(CountBitsInRange(raster.bits, 0, raster.rows * raster.columns), 2);
    FreeRasterBits(&raster);
    for (int32_t y = 0; y < 2; ++y) {
      EXPECT_EQ(CountRowInk(y, 0, width + 64), width - 1) << width;
      uint32_t last = GetPageRow(y)[GetPageWordsPerRow() - 1];
      int32_t used = (width - 1) % 32 + 1;
      EXPECT_EQ(used == 32 ? 0u : last >> used, 0u) << width;
    }
    EXPECT_EQ(CountRowInk(2, 0, width), width);
    FreeVerticalSegments();
    FreeOnebppImage();
  }
}

TEST_F(Erasing, FullShapesAreFailedChecks) {
  EraseShape shape;
  ClearShape(&shape);
  for (int i = 0; i < kMaxShapeTriangles; ++i) AddShapeTriangle(&shape, EnginePoint{0, 0}, EnginePoint{0, 0}, EnginePoint{0, 0});
  EXPECT_THROW(AddShapeTriangle(&shape, EnginePoint{0, 0}, EnginePoint{0, 0}, EnginePoint{0, 0}), EngineFailure);
  for (int i = 0; i < kMaxShapeSpans; ++i) AddShapeSpan(&shape, 0, 0, 1);
  EXPECT_THROW(AddShapeSpan(&shape, 0, 0, 1), EngineFailure);
}

}  // namespace
