#include "shapes/ShapeRuns.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "shapes/InkProjections.h"
#include "shapes/RunDescription.h"
#include "tests/shapes/ShapeBitmaps.h"
#include "tests/support/BoxRecorder.h"

namespace {

std::vector<uint8_t> Line(const std::vector<std::array<int, 3>>& runs) {  // dark, centre, length
  std::vector<uint8_t> l = {static_cast<uint8_t>(4 + 4 * runs.size()), 0, 0, 0};
  for (const auto& r : runs) l.insert(l.end(), {uint8_t(r[0]), uint8_t(r[1]), uint8_t(r[2]), 0});
  return l;
}

std::vector<uint8_t> Describe(const std::vector<uint8_t>& cells, int cols = 8, int rows = 8) {
  std::vector<uint8_t> grid = cells;
  std::vector<uint8_t> d(ShapeRunDescriptionMaxBytes(cols, rows));
  BuildShapeRunDescription(grid.data(), cols, rows, -1, d.data());
  return d;
}

std::vector<uint8_t> Blob(int x0, int y0, int x1, int y1) {
  std::vector<uint8_t> cells(64, 0);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) cells[y * 8 + x] = 12;
  return cells;
}

TEST(ShapeRuns, CompareRunLinesCountsUnpairedAndMovedRuns) {
  int diff = 0, runs = 0;
  const auto a = Line({{0, 12, 24}, {1, 40, 32}});
  EXPECT_EQ(CompareRunLines(a.data(), a.data(), &diff, &runs), 0);
  EXPECT_EQ(diff, 0);
  EXPECT_EQ(runs, 2);
  // The dark run has no partner (its length counts); the light run's partner
  // is 20 away and 40 longer.
  const auto light = Line({{0, 32, 64}});
  EXPECT_EQ(CompareRunLines(a.data(), light.data(), &diff, &runs), 20);
  EXPECT_EQ(diff, 32 + 40);
  // A dark run moved by 20 with the same length: cost 20, shift +20.
  const auto moved = Line({{0, 12, 24}, {1, 60, 32}});
  EXPECT_EQ(CompareRunLines(a.data(), moved.data(), &diff, &runs), 20);
  EXPECT_EQ(diff, 0);
}

TEST(ShapeRuns, MergeShapeRunByPlace) {
  RunLine in;
  in.count = 3;
  in.runs[0] = {0, 8, 0, 16};
  in.runs[1] = {1, 28, 0, 24};
  in.runs[2] = {0, 52, 0, 24};
  RunLine out;
  int half = -1;
  EXPECT_EQ(MergeShapeRun(in, &out, 0, &half), 3);
  EXPECT_EQ(half, 0);
  EXPECT_EQ(MergeShapeRun(in, &out, 1, &half), 2);
  EXPECT_EQ(half, 8);
  EXPECT_EQ(out.runs[0].position, 14u);
  EXPECT_EQ(out.runs[0].length, 40u);
  EXPECT_EQ(MergeShapeRun(in, &out, 2, &half), 1);
  EXPECT_EQ(out.runs[0].position, 30u);
  EXPECT_EQ(out.runs[0].length, 64u);
  EXPECT_EQ(MergeShapeRun(in, &out, 3, &half), 2);
  EXPECT_EQ(out.runs[1].position, (28u + 52u + 12u) / 2);
  EXPECT_EQ(out.runs[1].length, 48u);
}

TEST(ShapeRuns, MapRowBetweenShapesTable) {
  struct Case {
    int line, count, s0, s1, t0, t1, want;
  } cases[] = {
      {3, 8, kNoSpan, 4, 2, 5, 3},  // no span: itself
      {1, 8, 2, 4, 4, 6, 2},        // before: 0..2 onto 0..4
      {2, 8, 2, 4, 4, 6, 4},        // inside
      {4, 8, 2, 4, 4, 6, 6},
      {6, 8, 2, 4, 4, 6, 6},        // after: 4..7 onto 6..7
      {7, 8, 2, 4, 4, 6, 7},
      {7, 8, 2, 3, 6, 7, 7},        // never past the last line
  };
  for (const Case& c : cases)
    EXPECT_EQ(MapRowBetweenShapes(c.line, c.count, c.s0, c.s1, c.t0, c.t1), c.want) << c.line << " " << c.s0;
}

TEST(ShapeRuns, FitLineClampedHoldsTheSlope) {
  const double x[] = {0, 1, 2, 3}, flat[] = {1, 1.05, 1.1, 1.15}, steep[] = {0, 10, 20, 30}, same[] = {5, 5, 5, 5};
  double m = 0, c = 0;
  EXPECT_EQ(FitLineClamped(x, flat, 4, &m, &c), 1);
  EXPECT_NEAR(m, 0.05, 1e-9);
  EXPECT_NEAR(c, 1.0, 1e-9);
  EXPECT_EQ(FitLineClamped(x, steep, 4, &m, &c), 1);
  EXPECT_DOUBLE_EQ(m, 0.095);
  EXPECT_DOUBLE_EQ(c, 0.0);  // through the first point
  EXPECT_EQ(FitLineClamped(same, steep, 4, &m, &c), 0);
}

TEST(ShapeRuns, ScoreShapeMatchDistancesAndGrades) {
  const auto a = Describe(Blob(2, 2, 6, 6));
  const auto b = Describe(Blob(1, 0, 7, 8));
  int grade = -1;
  EXPECT_EQ(ScoreShapeMatch(a.data(), a.data(), 1, 2, &grade), 0);
  EXPECT_EQ(grade, 2);
  const int d = ScoreShapeMatch(a.data(), b.data(), 0, kNotComparable, &grade);
  EXPECT_GT(d, 0);
  EXPECT_EQ(grade, 1);
  EXPECT_EQ(ScoreShapeMatch(a.data(), b.data(), 0, d, &grade), d);
  EXPECT_EQ(grade, 0);
  std::vector<uint8_t> wide(64 * 2, 0);
  const auto other = Describe(wide, 16, 8);
  EXPECT_EQ(ScoreShapeMatch(a.data(), other.data(), 0, kNotComparable, &grade), kNotComparable);
  EXPECT_EQ(grade, 0);
}

// A group of one template over the given descriptions block.
std::vector<uint8_t> GroupOf(int count, bool thresholds, int safe, int maybe) {
  std::vector<uint8_t> g = {0, 0, 255, 1, kChunkHeader, 12, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0};
  if (thresholds) g.insert(g.end(), {kChunkThresholds, 8, uint8_t(safe), uint8_t(safe >> 8), uint8_t(maybe),
                                     uint8_t(maybe >> 8), 0, 0});
  g.insert(g.end(), {kChunkEnd, 4, 0, 0, uint8_t(count), 0, 0, 0});
  for (int i = 0; i < count; ++i) g.insert(g.end(), {0, 0, 0, 0});
  g[0] = static_cast<uint8_t>(g.size());
  return g;
}

TEST(ShapeRuns, MatchShapeTemplatesGrades) {
  const auto templ = Describe(Blob(2, 2, 6, 6));
  const auto shape = Describe(Blob(2, 1, 6, 7));
  int grade = 0;
  const int d = ScoreShapeMatch(templ.data(), shape.data(), 0, kNotComparable, &grade);
  ASSERT_GT(d, 0);
  struct Case {
    bool thresholds;
    int safe, maybe, wantGrade, want;
  } cases[] = {
      {false, 0, 0, 1, 90 - d * 10 / 65536},      // no thresholds: grade 1 for any finite distance
      {true, d + 1, d + 10, 2, 100 - d * 10 / (d + 1)},
      {true, 0, d + 10, 1, 90 - d * 10 / (d + 10)},
      {true, 0, 0, 0, 0},                          // a group that accepts nothing
  };
  for (const Case& c : cases) {
    const auto bytes = GroupOf(1, c.thresholds, c.safe, c.maybe);
    NotationGroup g;
    ASSERT_TRUE(ReadNotationGroup(bytes.data(), bytes.size(), &g));
    EXPECT_EQ(MatchShapeTemplates(g, templ.data(), templ.size(), shape.data(), &grade), c.want) << c.safe;
    EXPECT_EQ(grade, c.wantGrade);
  }
  // A template identical to the shape, safe 0: 95.
  const auto bytes = GroupOf(1, false, 0, 0);
  NotationGroup g;
  ASSERT_TRUE(ReadNotationGroup(bytes.data(), bytes.size(), &g));
  EXPECT_EQ(MatchShapeTemplates(g, templ.data(), templ.size(), templ.data(), &grade), 90);
}

TEST(ShapeRuns, DamagedGroupsAreRefusedWithoutAHang) {
  auto good = GroupOf(1, true, 5, 9);
  NotationGroup g;
  ASSERT_TRUE(ReadNotationGroup(good.data(), good.size(), &g));
  EXPECT_NE(FindMusicBlock(good.data(), good.size()), nullptr);
  struct Case {
    size_t at;
    uint8_t value;
  } spoils[] = {{5, 0}, {5, 1}, {5, 200}, {4, 99}, {17, 0}, {0, 200}, {24, 9}};
  BoxRecorder boxes;  // a damaged group is passed over without a box
  for (const Case& c : spoils) {
    auto bad = good;
    bad[c.at] = c.value;
    EXPECT_FALSE(ReadNotationGroup(bad.data(), bad.size(), &g)) << c.at;
    EXPECT_EQ(FindMusicBlock(bad.data(), bad.size()), nullptr) << c.at;
  }
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(ReadNotationGroup(good.data(), n, &g)) << n;
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(InkProjections, ColumnsAndShrinking) {
  TestBitmap page(40, 20);
  page.Fill(10, 2, 11, 12);  // a 10-pixel column
  page.Fill(20, 5, 23, 8);
  const InkPage ink{page.bits.data(), page.stride, page.width, page.height};
  int offset = -1;
  EXPECT_EQ(BestInkColumn(ink, 5, 0, 10, 20, &offset), 50);
  EXPECT_EQ(offset, 5);
  EXPECT_EQ(BestPaperColumn(ink, 8, 0, 4, 20, &offset), 100);
  EXPECT_EQ(offset, 0);
  int x0 = -5, y0 = -5, x1 = 100, y1 = 100;
  ShrinkBoxToInk(ink, &x0, &y0, &x1, &y1);
  EXPECT_EQ(x0, 10);
  EXPECT_EQ(x1, 22);
  EXPECT_EQ(y0, 2);
  EXPECT_EQ(y1, 11);
  TestBitmap blank(30, 10);
  const InkPage none{blank.bits.data(), blank.stride, blank.width, blank.height};
  x0 = 0, y0 = 0, x1 = 29, y1 = 9;
  ShrinkBoxToInk(none, &x0, &y0, &x1, &y1);
  EXPECT_EQ(x0, x1);
  EXPECT_EQ(y0, y1);
}

}  // namespace
