// The k-best path search against a brute-force enumeration on small random
// lattices.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Segpaths.h"

namespace {

struct Lattice {
  int32_t n, span;
  std::vector<LatticeCell> cells;
  const LatticeCell& At(int32_t s, int32_t length) const { return cells[static_cast<size_t>(length - 1) * n + s]; }
};

Lattice RandomLattice(std::mt19937& random, int32_t n, int32_t span) {
  Lattice l{n, span, std::vector<LatticeCell>(static_cast<size_t>(span) * n)};
  for (int32_t length = 1; length <= span; ++length)
    for (int32_t s = 0; s + length <= n; ++s) {
      LatticeCell& c = l.cells[static_cast<size_t>(length - 1) * n + s];
      c.first = 10 * s;  // positions are not the interval indices
      c.end = 10 * (s + length);
      c.cutCost = static_cast<int32_t>(random() % 1000);
      c.widthCost = static_cast<int32_t>(random() % 500);
      c.extraCost = static_cast<int32_t>(random() % 3) * 100;
    }
  return l;
}

struct Path {
  int64_t cost;
  std::vector<int32_t> cuts;  // interval indices
};

std::vector<Path> AllPaths(const Lattice& l) {
  std::vector<Path> all;
  std::vector<int32_t> cuts = {0};
  std::function<void(int32_t, int64_t)> walk = [&](int32_t at, int64_t cost) {
    if (at == l.n) {
      all.push_back({cost, cuts});
      return;
    }
    for (int32_t length = 1; length <= l.span && at + length <= l.n; ++length) {
      const LatticeCell& c = l.At(at, length);
      cuts.push_back(at + length);
      walk(at + length, cost + c.cutCost + c.widthCost + c.extraCost);
      cuts.pop_back();
    }
  };
  walk(0, 0);
  std::stable_sort(all.begin(), all.end(), [](const Path& a, const Path& b) { return a.cost < b.cost; });
  return all;
}

TEST(Segpaths, MatchesBruteForceOnRandomLattices) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 60; ++trial) {
    const int32_t n = 1 + static_cast<int32_t>(random() % 9);
    const int32_t span = 1 + static_cast<int32_t>(random() % 4);
    const int32_t k = 1 + static_cast<int32_t>(random() % 12);
    const Lattice l = RandomLattice(random, n, span);
    KBestPaths out;
    out.Reserve(k, n);
    const int32_t found = BestSegmentPaths(l.cells.data(), n, span, k, n, &out);
    const std::vector<Path> all = AllPaths(l);
    ASSERT_EQ(found, std::min<int32_t>(k, static_cast<int32_t>(all.size()))) << "trial " << trial;
    for (int32_t p = 0; p < found; ++p) {
      EXPECT_EQ(out.cost[p], all[p].cost) << "trial " << trial << " path " << p;
      // The path's own segments add up to its cost, and its positions are
      // the cells' positions.
      int64_t sum = 0;
      for (int32_t i = 0; i < out.segments[p]; ++i) {
        const int32_t a = out.Position(p, i) / 10, b = out.Position(p, i + 1) / 10;
        ASSERT_LT(a, b);
        ASSERT_LE(b - a, span);
        const LatticeCell& c = l.At(a, b - a);
        sum += c.cutCost + c.widthCost + c.extraCost;
      }
      EXPECT_EQ(out.Position(p, 0), 0);
      EXPECT_EQ(out.Position(p, out.segments[p]), 10 * n);
      EXPECT_EQ(sum, out.cost[p]);
    }
  }
}

TEST(Segpaths, SegmentLimitAndTableChecks) {
  std::mt19937 random(5);
  const Lattice l = RandomLattice(random, 6, 3);
  KBestPaths out;
  out.Reserve(50, 6);
  BestSegmentPaths(l.cells.data(), 6, 3, 50, 2, &out);
  EXPECT_GT(out.count, 0);
  for (int32_t p = 0; p < out.count; ++p) EXPECT_LE(out.segments[p], 2);
  KBestPaths small;
  small.Reserve(2, 6);
  EXPECT_THROW(BestSegmentPaths(l.cells.data(), 6, 3, 5, 6, &small), EngineFailure);
  EXPECT_EQ(BestSegmentPaths(nullptr, 0, 3, 2, 6, &small), 0);
}

}  // namespace
