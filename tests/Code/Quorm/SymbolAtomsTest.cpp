// Symbol atoms, atom pairs, and the decomposition of clusters of atoms,
// checked against a brute-force list of partitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/fssatoms.h"
#include "Code/Quorm/fssdecom.h"
#include "Code/Quorm/vertsegs.h"
#include "PageArt.h"

namespace {

class SymbolAtoms : public ::testing::Test {
 protected:
  void SetUp() override { FreeSymbolAtoms(); }
  void TearDown() override {
    FreeSymbolAtoms();
    FreeConnectedComponents();
    FreeVerticalSegments();
    FreeOnebppImage();
  }
};

using Adjacency = uint8_t[kMaxClusterAtoms][kMaxClusterAtoms];

bool Connected(int32_t mask, const Adjacency& adj, int32_t n) {
  int32_t first = 0;
  while (!((mask >> first) & 1)) ++first;
  int32_t reached = 1 << first;
  for (bool grew = true; grew;) {
    grew = false;
    for (int32_t i = 0; i < n; ++i)
      for (int32_t j = 0; j < n; ++j)
        if (((reached >> i) & 1) && ((mask >> j) & 1) && !((reached >> j) & 1) && adj[i][j]) {
          reached |= 1 << j;
          grew = true;
        }
  }
  return reached == mask;
}

using Partition = std::set<int32_t>;  // subsets as masks

// Every partition of the atoms into connected subsets.
void BrutePartitions(int32_t remaining, Partition& current, const Adjacency& adj, int32_t n,
                     std::set<Partition>* out) {
  if (remaining == 0) {
    out->insert(current);
    return;
  }
  int32_t low = 0;
  while (!((remaining >> low) & 1)) ++low;
  // Every subset of the remaining atoms that holds the lowest one.
  const int32_t rest = remaining & ~(1 << low);
  for (int32_t sub = rest;; sub = (sub - 1) & rest) {
    const int32_t block = sub | (1 << low);
    if (Connected(block, adj, n)) {
      current.insert(block);
      BrutePartitions(remaining & ~block, current, adj, n, out);
      current.erase(block);
    }
    if (sub == 0) break;
  }
}

std::set<Partition> CoversOf(const ClusterDecomposition& d) {
  std::set<Partition> covers;
  for (int32_t r = 0; r < d.coverCount; ++r) {
    const int32_t* cover = d.covers + r * kCoverWords;
    Partition p;
    for (int32_t k = 0; k < cover[0]; ++k) p.insert(d.subsets[cover[1 + k]]);
    covers.insert(p);
  }
  return covers;
}

TEST_F(SymbolAtoms, ChainOfThree) {
  Adjacency adj = {};
  adj[0][1] = adj[1][0] = adj[1][2] = adj[2][1] = 1;
  ClusterDecomposition d{};
  DecomposeCluster(&d, adj, 3, 2000);
  EXPECT_EQ(std::vector<int32_t>(d.subsets, d.subsets + d.subsetCount), (std::vector<int32_t>{1, 2, 4, 3, 6, 7}));
  EXPECT_EQ(d.coverCount, 4);
  EXPECT_EQ(d.best, -1);
  const std::set<Partition> expected = {{1, 2, 4}, {1, 6}, {3, 4}, {7}};
  EXPECT_EQ(CoversOf(d), expected);
}

TEST_F(SymbolAtoms, OneAtom) {
  Adjacency adj = {};
  ClusterDecomposition d{};
  DecomposeCluster(&d, adj, 1, 1);
  EXPECT_EQ(d.subsetCount, 1);
  EXPECT_EQ(d.coverCount, 1);
  EXPECT_EQ(d.covers[0], 1);
  EXPECT_EQ(d.covers[1], 0);
}

TEST_F(SymbolAtoms, EightTouchingAtomsAreCutAtTheLimit) {
  Adjacency adj;
  for (auto& row : adj)
    for (auto& cell : row) cell = 1;
  ClusterDecomposition d{};
  DecomposeCluster(&d, adj, 8, 2000);
  EXPECT_EQ(d.subsetCount, 255);
  EXPECT_EQ(d.coverCount, 2000);
  // The covers found are distinct partitions of all eight.
  EXPECT_EQ(CoversOf(d).size(), 2000u);
  for (int32_t r = 0; r < d.coverCount; ++r) {
    const int32_t* cover = d.covers + r * kCoverWords;
    int32_t all = 0;
    for (int32_t k = 0; k < cover[0]; ++k) {
      EXPECT_EQ(all & d.subsets[cover[1 + k]], 0);
      all |= d.subsets[cover[1 + k]];
    }
    EXPECT_EQ(all, 255);
  }
  EXPECT_THROW(DecomposeCluster(&d, adj, 9, 2000), EngineFailure);
  EXPECT_THROW(DecomposeCluster(&d, adj, 0, 2000), EngineFailure);
  EXPECT_THROW(DecomposeCluster(&d, adj, 3, 2001), EngineFailure);
  EXPECT_THROW(DecomposeCluster(&d, adj, 3, 0), EngineFailure);
}

TEST_F(SymbolAtoms, RandomClustersAgainstBruteForce) {
  std::mt19937 random(1913);
  for (int trial = 0; trial < 300; ++trial) {
    const int32_t n = 1 + static_cast<int32_t>(random() % 8);
    const int percent = 20 + static_cast<int>(random() % 60);
    Adjacency adj = {};
    for (int32_t i = 0; i < n; ++i)
      for (int32_t j = i + 1; j < n; ++j)
        if (static_cast<int>(random() % 100) < percent) adj[i][j] = adj[j][i] = 1;
    std::set<Partition> expected;
    Partition current;
    BrutePartitions((1 << n) - 1, current, adj, n, &expected);
    std::set<int32_t> connected;
    for (int32_t mask = 1; mask < (1 << n); ++mask)
      if (Connected(mask, adj, n)) connected.insert(mask);

    ClusterDecomposition d{};
    DecomposeCluster(&d, adj, n, 2000);
    const std::vector<int32_t> subsets(d.subsets, d.subsets + d.subsetCount);
    EXPECT_EQ(std::set<int32_t>(subsets.begin(), subsets.end()), connected) << "trial " << trial;
    EXPECT_EQ(subsets.size(), connected.size()) << "trial " << trial;
    // Smaller subsets first, ascending within a size.
    for (size_t k = 1; k < subsets.size(); ++k) {
      const int a = __builtin_popcount(static_cast<unsigned>(subsets[k - 1]));
      const int b = __builtin_popcount(static_cast<unsigned>(subsets[k]));
      EXPECT_TRUE(a < b || (a == b && subsets[k - 1] < subsets[k]));
    }
    if (expected.size() <= 2000) {
      EXPECT_EQ(static_cast<size_t>(d.coverCount), expected.size()) << "trial " << trial;
      EXPECT_EQ(CoversOf(d), expected) << "trial " << trial;
    }
  }
}

TEST_F(SymbolAtoms, PairsAreKeyedBySmallerThenLargerIndex) {
  EXPECT_EQ(HasAtomPair(1, 2), 0);
  AddAtomPair(5, 2, 40);
  AddAtomPair(1, 9, 70);
  AddAtomPair(2, 5, 99);  // the same key again: the first stays the answer
  EXPECT_EQ(HasAtomPair(2, 5), 1);
  EXPECT_EQ(HasAtomPair(5, 2), 1);
  EXPECT_EQ(GetAtomPairValue(5, 2), 40);
  EXPECT_EQ(GetAtomPairValue(9, 1), 70);
  EXPECT_EQ(HasAtomPair(1, 2), 0);
  EXPECT_THROW(GetAtomPairValue(1, 2), EngineFailure);
  AddAtomPair(0, 1, 3);  // a later addition is found after sorting again
  EXPECT_EQ(GetAtomPairValue(1, 0), 3);
  FreeSymbolAtoms();
  EXPECT_EQ(GetAtomPairCount(), 0);
  EXPECT_EQ(HasAtomPair(0, 1), 0);
}

TEST_F(SymbolAtoms, AtomsFromComponentsKeepTheirPixels) {
  ASSERT_EQ(LoadArt(MakePageArt({"..........",
                                 ".##.......",
                                 ".##....#..",
                                 "......###.",
                                 ".......#..",
                                 ".........."})),
            kEngineOk);
  ResetConnectedComponents();
  FindConnectedComponents(5000, 500, 500);
  ASSERT_EQ(GetComponentCount(), 2);
  MakeAtomsFromComponents();
  EXPECT_EQ(GetComponentCount(), 0);
  ASSERT_EQ(GetSymbolAtomCount(), 2);
  int32_t plus = GetSymbolAtomInfo(0).height == 3 ? 0 : 1;
  const EngineBox box = GetSymbolAtomBox(plus);
  EXPECT_EQ(box.x0, 6);
  EXPECT_EQ(box.y0, 2);
  EXPECT_EQ(box.x1, 9);
  EXPECT_EQ(box.y1, 5);
  const RasterRecord raster = GetSymbolAtomRaster(plus);
  EXPECT_EQ(GetBitMatrixBit(raster, 0, 1), 1);
  EXPECT_EQ(GetBitMatrixBit(raster, 0, 0), 0);
  EXPECT_EQ(GetBitMatrixBit(raster, 1, 2), 1);
  const SymbolAtom atom = GetSymbolAtom(plus);
  EXPECT_EQ(atom.link, -1);
  EXPECT_EQ(atom.flag, 0);
  EXPECT_EQ(atom.index, plus);
  EXPECT_EQ(IsAtomFlagged(plus), 0);
  EXPECT_THROW(GetSymbolAtom(2), EngineFailure);
  EXPECT_THROW(GetSymbolAtomBox(-1), EngineFailure);

  uint32_t* bits = nullptr;
  EngineAlloc(bits, 4);
  bits[0] = 1;
  const int32_t flagged = AddSymbolAtom(10, 20, 1, 1, bits, 2, 14, 7, 1);
  EXPECT_EQ(IsAtomFlagged(flagged), 1);
  EXPECT_EQ(GetSymbolAtomInfo(flagged).state, 2);
  EXPECT_EQ(GetSymbolAtomInfo(flagged).spare, 14);
}

}  // namespace
