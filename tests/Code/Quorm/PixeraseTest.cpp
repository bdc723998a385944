// Pixel erasing: scan conversion against a point-in-triangle reference, the
// four modes, and the shapes of the found objects of each kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Pixerase.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/vertsegs.h"
#include "PageArt.h"
#include "tests/Code/Quorm/StaffFixture.h"

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

// ---- Found objects: the shape of each kind, erased and counted ----

class ObjectErasing : public ::testing::Test {
 protected:
  static constexpr int32_t kSize = 400;
  // A 400 x 400 page with staff space 20 (so 100 per cent is 20 pixels) and
  // one five-line staff from row 100 to row 180, columns 20..379.
  void SetUp() override {
    LoadHandPage(kSize, kSize, 20);
    AddHandStaff({0, 100, 20, 20, 380, 5, 0});
  }
  void TearDown() override {
    FreeVerticalLines();
    FreeNoteheads();
    FreeSlurs();
    FreeBarLines();
    FreeHandPage();
  }
  static void PaintPage(int32_t value) {
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) SetPagePixel(y, x, value);
  }
  // The box (x1, y1 excluded) of the white pixels and their number.
  static int32_t WhitePixels(EngineBox* box) {
    int32_t count = 0;
    *box = EngineBox{kSize, kSize, -1, -1};
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x)
        if (!GetPagePixel(y, x)) {
          ++count;
          *box = EngineBox{std::min(box->x0, x), std::min(box->y0, y), std::max(box->x1, x + 1),
                           std::max(box->y1, y + 1)};
        }
    return count;
  }
  static int32_t BlackPixels() { return CountBoxInk(0, 0, kSize, kSize); }
};

// A level slur from column 100 to 180 whose stroke takes rows 250..252.
int32_t AddLevelSlur() {
  std::vector<SlurColumn> columns(81, SlurColumn{250, 252, 0});
  FoundSlur slur{};
  slur.columnCount = 81;
  slur.startY = 251;
  slur.startX = 100;
  slur.endY = 251;
  slur.endX = 180;
  slur.cost = 300;
  return AddFoundSlur(slur, columns.data());
}

TEST_F(ObjectErasing, EachKindErasesItsShapeWithItsMargins) {
  // A stem 3 pixels wide from row 50 to row 120 (one staff space beyond each
  // end, one pixel beside it); a head over columns 60..75 at row 110 (40 per
  // cent of a space beside it, half a space and 25 per cent above and
  // below); the level slur (40 per cent beyond its ends, 25 per cent above
  // and below its stroke); a bar line over columns 200..202 (one pixel
  // beside it, two spaces beyond the staff's outer lines).
  const int32_t stem = AddFoundVerticalLine({50, 100, 120, 100, 3 * 1024, 500, 0});
  FoundNotehead head{};
  head.leftX = 60;
  head.rightX = 75;
  head.centreY = 110;
  const int32_t notehead = AddFoundNotehead(head);
  const int32_t slur = AddLevelSlur();
  const int32_t bar = AddFoundBarLine({0, 200, 203, 0, 0, -1, 100, 0});
  const struct {
    int32_t kind, index;
    EngineBox erased;
  } cases[] = {
      {kObjectVerticalLine, stem, {98, 30, 103, 141}},
      {kObjectNotehead, notehead, {52, 95, 84, 126}},
      {kObjectSlur, slur, {92, 245, 189, 258}},
      {kObjectBarLine, bar, {199, 60, 204, 221}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    PaintPage(1);
    const int32_t before = BlackPixels();
    std::vector<uint8_t> ones(static_cast<size_t>(kSize) * kSize, 1);
    int32_t covered = -1, inReference = -1;
    CountObjectPixelsInBox(c.kind, c.index, EngineBox{0, 0, kSize, kSize}, ones.data(), &covered, &inReference);
    EXPECT_EQ(BlackPixels(), before) << "counting leaves the page as it was";
    EraseObjectPixels(c.kind, c.index);
    EngineBox box{};
    const int32_t erased = WhitePixels(&box);
    EXPECT_EQ(box.x0, c.erased.x0);
    EXPECT_EQ(box.y0, c.erased.y0);
    EXPECT_EQ(box.x1, c.erased.x1);
    EXPECT_EQ(box.y1, c.erased.y1);
    // Every shape here is a full rectangle: erased and counted alike.
    EXPECT_EQ(erased, (c.erased.x1 - c.erased.x0) * (c.erased.y1 - c.erased.y0));
    EXPECT_EQ(covered, erased);
    EXPECT_EQ(inReference, erased);
  }
}

TEST_F(ObjectErasing, CountingInAWindowCountsOnlyTheReferencePixelsInside) {
  const int32_t bar = AddFoundBarLine({0, 200, 203, 0, 0, -1, 100, 0});
  // Window columns 195..204, rows 50..70: the shape covers columns 199..203
  // of rows 60..69 there; the reference marks only column 199.
  const EngineBox window{195, 50, 205, 70};
  std::vector<uint8_t> reference(10 * 20, 0);
  for (int32_t r = 0; r < 20; ++r) reference[static_cast<size_t>(r) * 10 + 4] = 1;
  int32_t covered = 0, inReference = 0;
  CountObjectPixelsInBox(kObjectBarLine, bar, window, reference.data(), &covered, &inReference);
  EXPECT_EQ(covered, 5 * 161);
  EXPECT_EQ(inReference, 10);
}

TEST_F(ObjectErasing, ALongCurvedSlurIsErasedWholeWithinTheShapeLimit) {
  // A 301-column arc, two pixels thick, drawn on a white page: far more
  // columns than the shape has triangles.
  PaintPage(0);
  std::vector<SlurColumn> columns;
  for (int32_t k = 0; k <= 300; ++k) {
    const double t = (k - 150) / 150.0;
    const int32_t top = 300 - static_cast<int32_t>(60 * (1 - t * t));
    columns.push_back(SlurColumn{top, top + 1, 0});
    for (int32_t y = top; y <= top + 1; ++y) SetPagePixel(y, 50 + k, 1);
  }
  FoundSlur slur{};
  slur.columnCount = static_cast<int32_t>(columns.size());
  slur.startX = 50;
  slur.endX = 350;
  const int32_t index = AddFoundSlur(slur, columns.data());
  ASSERT_EQ(BlackPixels(), 2 * 301);
  EraseShape shape;
  BuildObjectShape(kObjectSlur, index, &shape);
  EXPECT_LE(shape.triangleCount, kMaxShapeTriangles);
  EraseObjectPixels(kObjectSlur, index);
  EXPECT_EQ(BlackPixels(), 0);
}

// A slur's shape reaches 25 per cent of a space beyond its stroke; a dot
// standing in that margin, clear of the stroke, is ink of its own and stays
// on the page both when the slur is erased and when it is cut out as a
// raster, while ink that touches the stroke goes with it.
TEST_F(ObjectErasing, ASlurTakesOnlyTheInkOfItsStroke) {
  const int32_t slur = AddLevelSlur();  // rows 250..252, shape rows 245..257
  auto paint = [](int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x) SetPagePixel(y, x, 1);
  };
  for (const bool asRaster : {false, true}) {
    SCOPED_TRACE(asRaster ? "cut out as a raster" : "erased");
    PaintPage(0);
    paint(250, 100, 253, 181);  // the stroke
    paint(254, 140, 258, 144);  // a dot a row below it, inside the margin
    paint(253, 160, 257, 164);  // a blob hanging from the stroke
    RasterRecord raster{};
    if (asRaster) {
      ASSERT_EQ(ObjectToBitmap(kObjectSlur, slur, 1, 1, &raster), 1);
      EXPECT_EQ(raster.left, 100);
      EXPECT_EQ(raster.top, 250);
      EXPECT_EQ(raster.columns, 81);
      EXPECT_EQ(raster.rows, 7);
      int32_t bits = 0;
      for (int32_t r = 0; r < raster.rows; ++r)
        for (int32_t c = 0; c < raster.columns; ++c) bits += GetBitMatrixBit(raster, r, c);
      EXPECT_EQ(bits, 3 * 81 + 16);
      FreeRasterBits(&raster);
    } else {
      EraseObjectPixels(kObjectSlur, slur);
    }
    EXPECT_EQ(BlackPixels(), 16);
    EXPECT_EQ(CountBoxInk(254, 140, 258, 144), 16) << "the dot is whole";
  }
}

TEST_F(ObjectErasing, OtherKindsAndBadIndexesAreFailedChecksThatLeaveThePage) {
  AddFoundVerticalLine({50, 100, 120, 100, 3 * 1024, 500, 0});
  AddFoundNotehead(FoundNotehead{});
  AddLevelSlur();
  AddFoundBarLine({0, 200, 203, 0, 0, -1, 100, 0});
  PaintPage(1);
  const int32_t before = BlackPixels();
  std::vector<uint8_t> ones(static_cast<size_t>(kSize) * kSize, 1);
  int32_t covered = 0, inReference = 0;
  const struct {
    int32_t kind, index;
  } cases[] = {
      {0, 0}, {kObjectBeam, 0}, {4, 0}, {kObjectLedgerLine, 0}, {kObjectTextBlockItem, 0}, {90, 0}, {-1, 0},
      {kObjectVerticalLine, -1}, {kObjectVerticalLine, 1}, {kObjectNotehead, 1}, {kObjectSlur, 1},
      {kObjectBarLine, 1}, {kObjectBarLine, -1}, {kObjectNotehead, INT32_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(EraseObjectPixels(c.kind, c.index), EngineFailure) << c.kind << " " << c.index;
    EXPECT_THROW(CountObjectPixelsInBox(c.kind, c.index, EngineBox{0, 0, kSize, kSize}, ones.data(), &covered,
                                        &inReference),
                 EngineFailure)
        << c.kind << " " << c.index;
  }
  EXPECT_EQ(BlackPixels(), before);
  // The engine goes on after a failed check: a good object still erases.
  EraseObjectPixels(kObjectBarLine, 0);
  EXPECT_LT(BlackPixels(), before);
}

}  // namespace
