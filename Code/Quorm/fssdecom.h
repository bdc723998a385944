// Every way of cutting a small cluster of atoms into connected subsets, so
// that recognition can try each and keep the best.
#pragma once

#include <cstdint>

constexpr int32_t kMaxClusterAtoms = 8;
constexpr int32_t kMaxClusterSubsets = 512;
constexpr int32_t kMaxClusterCovers = 2000;
constexpr int32_t kCoverWords = 9;  // subset count k, then k subset indices

struct ClusterDecomposition {
  int32_t subsetCount;
  int32_t subsets[kMaxClusterSubsets];  // bit i = atom i of the cluster; by size, ascending within a size
  int32_t coverCount;
  const int32_t* covers;  // coverCount records of kCoverWords words, in the order found; owned by the module
  int32_t best;           // -1: for the caller to fill
};

// adjacency[i][j] non-zero: atoms i and j may belong to one symbol. Lists the
// connected subsets of the n atoms and up to maxCovers ways of covering all n
// with disjoint ones. 1 <= n <= 8 and 1 <= maxCovers <= 2000, else a failed
// check. The covers stay valid until the next call or FreeSymbolAtoms.
void DecomposeCluster(ClusterDecomposition* out, const uint8_t adjacency[kMaxClusterAtoms][kMaxClusterAtoms],
                      int32_t n, int32_t maxCovers);

// The decomposition work block (FreeSymbolAtoms frees it too).
void FreeClusterDecomposition();
