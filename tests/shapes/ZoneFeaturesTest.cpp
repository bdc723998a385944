#include "shapes/ZoneFeatures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/shapes/ShapeBitmaps.h"

namespace {

constexpr ZoneGrid kAllGrids[] = {ZoneGrid::k8x8, ZoneGrid::k8x16, ZoneGrid::k16x16, ZoneGrid::k8x32,
                                  ZoneGrid::k16x32};

enum class Pattern { kBlack, kWhite, kOnePixel, kChecker, kRandom };

// A box of w x h at (x0, y0) in a bitmap with spare words and ink around the
// box (which must never be read as part of it).
TestBitmap MakeSymbol(Pattern pattern, int x0, int y0, int w, int h, uint32_t seed) {
  TestBitmap bitmap(x0 + w + 7, y0 + h + 2, 1);
  TestRandom random(seed);
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
      bool black = false;
      if (!inside) {
        black = (x + y) % 3 == 0;
      } else {
        switch (pattern) {
          case Pattern::kBlack: black = true; break;
          case Pattern::kWhite: black = false; break;
          case Pattern::kOnePixel: black = x == x0 + w / 2 && y == y0 + h / 3; break;
          case Pattern::kChecker: black = (x + y) % 2 == 0; break;
          case Pattern::kRandom: black = random.Below(100) < 40; break;
        }
      }
      bitmap.Set(x, y, black);
    }
  }
  return bitmap;
}

TEST(ZoneFeaturesTest, FastFormAgreesWithTheCellRuleOnEveryGrid) {
  const int sizes[] = {1, 2, 63, 64, 255};
  const Pattern patterns[] = {Pattern::kBlack, Pattern::kWhite, Pattern::kOnePixel, Pattern::kChecker,
                              Pattern::kRandom};
  uint32_t seed = 7;
  for (Pattern pattern : patterns) {
    for (int w : sizes) {
      for (int h : sizes) {
        const int x0 = 5, y0 = 3;
        TestBitmap bitmap = MakeSymbol(pattern, x0, y0, w, h, ++seed);
        for (ZoneGrid grid : kAllGrids) {
          const ZoneGridParameters& p = GridParameters(grid);
          std::vector<uint8_t> fast(2 + PackedCellBytes(p), 0xA5), reference(fast.size(), 0x5A);
          ASSERT_TRUE(ComputeZoneFeatures(bitmap.bits.data(), x0, y0, w, h, bitmap.stride, p, fast.data()));
          ASSERT_TRUE(ComputeZoneFeaturesReference(bitmap.bits.data(), x0, y0, w, h, bitmap.stride, p.cols, p.rows,
                                                   p.cellWidth, p.cellHeight, p.columnStep, p.rowStep,
                                                   reference.data()));
          const std::string where = "pattern " + std::to_string(static_cast<int>(pattern)) + " size " +
                                    std::to_string(w) + "x" + std::to_string(h) + " grid " +
                                    std::to_string(p.cols) + "x" + std::to_string(p.rows);
          EXPECT_EQ(fast[0], 0xA5) << where;
          EXPECT_EQ(fast[1], 0xA5) << where;
          EXPECT_EQ(reference[0], 0x5A) << where;
          EXPECT_TRUE(std::equal(fast.begin() + 2, fast.end(), reference.begin() + 2)) << where;
        }
      }
    }
  }
}

TEST(ZoneFeaturesTest, BlackSymbolsFillEveryCell) {
  struct Case {
    ZoneGrid grid;
    int expected;
  };
  // 16 samples per cell are clipped to 15; 16 x 32 cells take 8 samples.
  const Case cases[] = {{ZoneGrid::k8x8, 15}, {ZoneGrid::k8x16, 15}, {ZoneGrid::k16x16, 15},
                        {ZoneGrid::k8x32, 15}, {ZoneGrid::k16x32, 8}};
  TestBitmap bitmap(40, 40);
  bitmap.Fill(0, 0, 40, 40);
  for (const Case& c : cases) {
    const ZoneGridParameters& p = GridParameters(c.grid);
    std::vector<uint8_t> out(2 + PackedCellBytes(p));
    ASSERT_TRUE(ComputeZoneFeatures(bitmap.bits.data(), 0, 0, 40, 40, bitmap.stride, p, out.data()));
    for (int k = 0; k < p.cols * p.rows; ++k) EXPECT_EQ(CellAt(out.data() + 2, k), c.expected) << p.cols << "x" << p.rows;
  }
}

TEST(ZoneFeaturesTest, OnePixelWideSymbolSamplesOnlyItsColumn) {
  const ZoneGridParameters& p = GridParameters(ZoneGrid::k8x16);
  // Column 4 black: every sample of a 1-pixel box at x 4 is black.
  TestBitmap column(16, 30);
  column.Fill(4, 0, 5, 30);
  std::vector<uint8_t> out(2 + PackedCellBytes(p));
  ASSERT_TRUE(ComputeZoneFeatures(column.bits.data(), 4, 0, 1, 30, column.stride, p, out.data()));
  for (int k = 0; k < 128; ++k) EXPECT_EQ(CellAt(out.data() + 2, k), 15);
  // Everything black but column 4: the box sees none of it.
  TestBitmap around(16, 30);
  around.Fill(0, 0, 16, 30);
  for (int y = 0; y < 30; ++y) around.Set(4, y, false);
  ASSERT_TRUE(ComputeZoneFeatures(around.bits.data(), 4, 0, 1, 30, around.stride, p, out.data()));
  for (int k = 0; k < 128; ++k) EXPECT_EQ(CellAt(out.data() + 2, k), 0);
}

TEST(ZoneFeaturesTest, DoubledRenderingGivesTheSameFeatures) {
  // A glyph-like shape at 40 x 40 and the same shape with every pixel doubled.
  TestBitmap small(40, 40), large(80, 80);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const int dx = x - 20, dy = y - 22;
      const bool ink = (dx * dx + dy * dy * 2 < 150 && dx * dx + dy * dy * 2 > 40) || (x >= 30 && x < 33 && y < 22);
      small.Set(x, y, ink);
      for (int j = 0; j < 4; ++j) large.Set(2 * x + j % 2, 2 * y + j / 2, ink);
    }
  for (ZoneGrid grid : kAllGrids) {
    const ZoneGridParameters& p = GridParameters(grid);
    std::vector<uint8_t> a(2 + PackedCellBytes(p)), b(a.size());
    ASSERT_TRUE(ComputeZoneFeatures(small.bits.data(), 0, 0, 40, 40, small.stride, p, a.data()));
    ASSERT_TRUE(ComputeZoneFeatures(large.bits.data(), 0, 0, 80, 80, large.stride, p, b.data()));
    EXPECT_TRUE(std::equal(a.begin() + 2, a.end(), b.begin() + 2)) << p.cols << "x" << p.rows;
  }
}

TEST(ZoneFeaturesTest, BoxesOutsideTheStepTableAreRefused) {
  struct Case {
    int width, height;
  };
  const Case cases[] = {{256, 10}, {10, 256}, {0, 10}, {10, 0}, {300, 300}, {-1, 5}};
  TestBitmap bitmap(320, 320);
  bitmap.Fill(0, 0, 320, 320);
  for (ZoneGrid grid : kAllGrids) {
    const ZoneGridParameters& p = GridParameters(grid);
    for (const Case& c : cases) {
      std::vector<uint8_t> out(2 + PackedCellBytes(p), 0x77);
      EXPECT_FALSE(ComputeZoneFeatures(bitmap.bits.data(), 0, 0, c.width, c.height, bitmap.stride, p, out.data()))
          << c.width << "x" << c.height;
      for (uint8_t b : out) ASSERT_EQ(b, 0x77);
      std::vector<uint8_t> grid8(p.cols * p.rows, 0x77);
      EXPECT_EQ(ComputeZoneDensityGrid(bitmap.bits.data(), bitmap.stride, 0, 0, c.width, c.height, p.cols, p.rows,
                                       grid8.data()),
                0);
      for (uint8_t b : grid8) ASSERT_EQ(b, 0);
    }
  }
  // A parameter set that is no whole grid is refused too.
  std::vector<uint8_t> out(70);
  EXPECT_FALSE(ComputeZoneFeatures(bitmap.bits.data(), 0, 0, 10, 10, bitmap.stride, 8, 8, 7, 8, 2, 2, out.data()));
}

TEST(ZoneFeaturesTest, StepTableRowsSpreadSamplesOverTheLength) {
  const ZoneStepTable& table = GetZoneStepTable();
  for (int n : {0, 1, 2, 63, 64, 200, 255}) {
    for (int i = 0; i < 64; ++i) EXPECT_EQ(table.a[n][i], i * n / 64);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(table.b[n][i], table.a[n][2 * i]);
  }
  EXPECT_EQ(table.a[255][63], 251);
}

TEST(ZoneFeaturesTest, DensityGridSumDecidesTheResult) {
  // 64 x 64 box: the 8 x 8 grid samples (2t, 2s); one black sample in each
  // of the first n cells gives a total of n.
  struct Case {
    int blackCells, expected;
  };
  const Case cases[] = {{0, 0}, {56, 0}, {57, 1}, {64, 1}};
  for (const Case& c : cases) {
    TestBitmap bitmap(64, 64);
    for (int k = 0; k < c.blackCells; ++k) bitmap.Set((k % 8) * 8, (k / 8) * 8);
    uint8_t cells[64];
    EXPECT_EQ(ComputeZoneDensityGrid(bitmap.bits.data(), bitmap.stride, 0, 0, 64, 64, 8, 8, cells), c.expected)
        << c.blackCells;
    int sum = 0;
    for (uint8_t v : cells) sum += v;
    EXPECT_EQ(sum, c.blackCells);
  }
  // Density cells equal the packed counts.
  TestBitmap random = MakeSymbol(Pattern::kRandom, 2, 1, 50, 70, 99);
  for (ZoneGrid grid : kAllGrids) {
    const ZoneGridParameters& p = GridParameters(grid);
    std::vector<uint8_t> packed(2 + PackedCellBytes(p)), cells(p.cols * p.rows);
    ASSERT_TRUE(ComputeZoneFeatures(random.bits.data(), 2, 1, 50, 70, random.stride, p, packed.data()));
    ComputeZoneDensityGrid(random.bits.data(), random.stride, 2, 1, 50, 70, p.cols, p.rows, cells.data());
    for (int k = 0; k < p.cols * p.rows; ++k) EXPECT_EQ(cells[k], CellAt(packed.data() + 2, k));
  }
}

}  // namespace
