#include "shapes/RunDescription.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ShapeRun {
  int dark, centre, length, line;
  bool operator==(const ShapeRun& o) const {
    return dark == o.dark && centre == o.centre && length == o.length && line == o.line;
  }
};

uint32_t U32At(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// The line lists of a description: rows, then columns.
std::vector<std::vector<ShapeRun>> Lines(const std::vector<uint8_t>& d) {
  std::vector<std::vector<ShapeRun>> lines;
  size_t at = kRunDescriptionHeaderBytes;
  for (int i = 0; i < d[4] + d[5]; ++i) {
    const int length = d[at];
    std::vector<ShapeRun> runs;
    for (int r = 4; r < length; r += 4) runs.push_back({d[at + r], d[at + r + 1], d[at + r + 2], d[at + r + 3]});
    lines.push_back(runs);
    at += length;
  }
  EXPECT_EQ(at, U32At(d.data()));
  return lines;
}

std::vector<uint8_t> Describe(std::vector<uint8_t> grid, int cols, int rows, int target = -1) {
  std::vector<uint8_t> out(ShapeRunDescriptionMaxBytes(cols, rows), 0xEE);
  EXPECT_EQ(BuildShapeRunDescription(grid.data(), cols, rows, target, out.data()), 1);
  out.resize(U32At(out.data()));
  return out;
}

TEST(RunDescriptionTest, AllLightGridGivesOneLightRunPerLine) {
  const std::vector<uint8_t> d = Describe(std::vector<uint8_t>(64, 0), 8, 8);
  EXPECT_EQ(U32At(d.data()), 136u);
  EXPECT_EQ(d[4], 8);
  EXPECT_EQ(d[5], 8);
  EXPECT_EQ(d[6], 0);
  const auto lines = Lines(d);
  ASSERT_EQ(lines.size(), 16u);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int index = static_cast<int>(i % 8) * 8;
    EXPECT_EQ(lines[i], (std::vector<ShapeRun>{{0, 32, 64, index}})) << i;
  }
}

TEST(RunDescriptionTest, RowsSplitOnlyWhereTwoCellsChange) {
  struct Case {
    const char* row;  // D dark, L light
    std::vector<ShapeRun> runs;
  };
  const Case cases[] = {
      {"DLDDDDDD", {{1, 32, 64, 0}}},
      {"DLLDDLLL", {{0, 12, 24, 0}, {1, 32, 16, 0}, {0, 52, 24, 0}}},
      {"LLLLDDDD", {{0, 16, 32, 0}, {1, 48, 32, 0}}},
      {"DDDDDDDL", {{1, 32, 64, 0}}},
      {"LDDLLLLL", {{1, 12, 24, 0}, {0, 44, 40, 0}}},
      {"LLDDLLDD", {{0, 8, 16, 0}, {1, 24, 16, 0}, {0, 40, 16, 0}, {1, 56, 16, 0}}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> grid(64, 0);
    for (int i = 0; i < 8; ++i) grid[i] = c.row[i] == 'D' ? 12 : 3;
    const auto lines = Lines(Describe(grid, 8, 8));
    EXPECT_EQ(lines[0], c.runs) << c.row;
  }
}

TEST(RunDescriptionTest, ColumnsFollowTheRowsWithTheirOwnIndex) {
  // Two dark columns (2 and 3) over the whole height.
  std::vector<uint8_t> grid(8 * 16, 0);
  for (int r = 0; r < 16; ++r) grid[r * 8 + 2] = grid[r * 8 + 3] = 15;
  const std::vector<uint8_t> d = Describe(grid, 8, 16);
  const auto lines = Lines(d);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[5], (std::vector<ShapeRun>{{0, 8, 16, 40}, {1, 24, 16, 40}, {0, 48, 32, 40}}));
  EXPECT_EQ(lines[16 + 2], (std::vector<ShapeRun>{{1, 64, 128, 16}}));
  EXPECT_EQ(lines[16 + 4], (std::vector<ShapeRun>{{0, 64, 128, 32}}));
  // 32 x 15 / (128 x 15) of ink.
  EXPECT_EQ(d[6], 25);
}

TEST(RunDescriptionTest, DarknessIsPulledTowardTheTarget) {
  struct Case {
    const char* name;
    std::vector<uint8_t> grid;
    int target;
    std::vector<uint8_t> expected;
  };
  std::vector<uint8_t> tens(64, 10);
  std::vector<uint8_t> mixed(64, 0);
  for (int k = 0; k < 64; ++k) mixed[k] = k < 16 ? 15 : (k < 32 ? 0 : 6);
  std::vector<uint8_t> mixedLight = mixed, mixedDark = mixed;
  for (int k = 32; k < 64; ++k) mixedLight[k] = 0, mixedDark[k] = 15;
  const Case cases[] = {
      // 10 x 64 / 960 = 66%: five steps down reach 33%, within 5 of 30.
      {"lowered in steps", tens, 30, std::vector<uint8_t>(64, 5)},
      {"raised in steps", std::vector<uint8_t>(64, 5), 66, std::vector<uint8_t>(64, 10)},
      // 8 x 64 / 960 = 53%, within 5 of 50.
      {"within five points unchanged", std::vector<uint8_t>(64, 8), 50, std::vector<uint8_t>(64, 8)},
      // 15 and 0 cells never move.
      {"extremes kept when lightened", mixed, 0, mixedLight},
      {"extremes kept when darkened", mixed, 100, mixedDark},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> grid = c.grid;
    AdjustGridDarkness(grid.data(), 8, 8, c.target);
    EXPECT_EQ(grid, c.expected) << c.name;
  }
}

TEST(RunDescriptionTest, TargetIsStoredAndAppliedBeforeTheRuns) {
  std::vector<uint8_t> grid(64, 5);  // 33%, every cell light
  const std::vector<uint8_t> plain = Describe(grid, 8, 8);
  EXPECT_EQ(plain[6], 33);
  EXPECT_EQ(Lines(plain)[0], (std::vector<ShapeRun>{{0, 32, 64, 0}}));
  const std::vector<uint8_t> darkened = Describe(grid, 8, 8, 66);
  EXPECT_EQ(darkened[6], 66);
  EXPECT_EQ(Lines(darkened)[0], (std::vector<ShapeRun>{{1, 32, 64, 0}}));
}

TEST(RunDescriptionTest, SmallAndRefusedGrids) {
  // Lines of one and two cells read no cell past their end.
  const auto one = Lines(Describe({12}, 1, 1));
  EXPECT_EQ(one[0], (std::vector<ShapeRun>{{1, 4, 8, 0}}));
  const auto two = Lines(Describe({12, 0, 0, 0}, 2, 2));
  EXPECT_EQ(two[0], (std::vector<ShapeRun>{{1, 8, 16, 0}}));
  EXPECT_EQ(two[1], (std::vector<ShapeRun>{{0, 8, 16, 8}}));
  struct Case {
    int cols, rows, target;
  };
  const Case refused[] = {{0, 8, -1}, {8, 0, -1}, {33, 8, -1}, {8, 33, -1}, {8, 8, -2}, {8, 8, 101}};
  for (const Case& c : refused) {
    std::vector<uint8_t> grid(40 * 40, 9);
    std::vector<uint8_t> out(8, 0xEE);
    EXPECT_EQ(BuildShapeRunDescription(grid.data(), c.cols, c.rows, c.target, out.data()), 0);
    EXPECT_EQ(out, std::vector<uint8_t>(8, 0xEE));
  }
  // The largest grid with the most runs fits the room given.
  std::vector<uint8_t> stripes(32 * 32);
  for (int k = 0; k < 32 * 32; ++k) stripes[k] = ((k % 32) / 2 + (k / 32) / 2) % 2 ? 15 : 0;
  const std::vector<uint8_t> d = Describe(stripes, 32, 32);
  EXPECT_LE(d.size(), ShapeRunDescriptionMaxBytes(32, 32));
}

}  // namespace
