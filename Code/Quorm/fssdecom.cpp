// Decomposition of a cluster of atoms into connected subsets.
#include "Code/Quorm/fssdecom.h"

#include <algorithm>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"

namespace {

constexpr int32_t kEndOfLevel = 0x7fffffff;

int32_t* gCovers = nullptr;  // kMaxClusterCovers x kCoverWords, allocated on first use

struct CoverSearch {
  const int32_t* masks;
  int32_t maskCount;
  int32_t full;
  int32_t maxCovers;
  int32_t found;
  int32_t chosen[kMaxClusterAtoms];
};

// Depth-first over the masks in index order: each cover is found once, as
// its subsets in increasing index order. Returns false once the covers are
// full.
bool SearchCovers(CoverSearch& s, int32_t start, int32_t covered, int32_t depth) {
  for (int32_t i = start; i < s.maskCount; ++i) {
    const int32_t mask = s.masks[i];
    if ((mask & covered) != 0) continue;
    s.chosen[depth] = i;
    if ((covered | mask) == s.full) {
      int32_t* cover = gCovers + static_cast<size_t>(s.found) * kCoverWords;
      cover[0] = depth + 1;
      for (int32_t k = 0; k <= depth; ++k) cover[1 + k] = s.chosen[k];
      if (++s.found >= s.maxCovers) return false;
    } else if (!SearchCovers(s, i + 1, covered | mask, depth + 1)) {
      return false;
    }
  }
  return true;
}

}  // namespace

void DecomposeCluster(ClusterDecomposition* out, const uint8_t adjacency[kMaxClusterAtoms][kMaxClusterAtoms],
                      int32_t n, int32_t maxCovers) {
  ENGINE_CHECK_POINTER(out);
  ENGINE_CHECK_POINTER(adjacency);
  ENGINE_CHECK(n >= 1 && n <= kMaxClusterAtoms);
  ENGINE_CHECK(maxCovers >= 1 && maxCovers <= kMaxClusterCovers);
  if (gCovers == nullptr)
    EngineAllocChecked(gCovers, sizeof(int32_t) * static_cast<size_t>(kMaxClusterCovers) * kCoverWords);
  std::fill(out->subsets, out->subsets + kMaxClusterSubsets, 0);
  const int32_t full = (1 << n) - 1;

  // Connected subsets, one size after the other.
  int32_t count = 0;
  for (int32_t i = 0; i < n; ++i) out->subsets[count++] = 1 << i;
  int32_t levelStart = 0;
  int32_t levelEnd = count;
  for (int32_t size = 2; size <= n; ++size) {
    const int32_t newStart = count;
    for (int32_t m = levelStart; m < levelEnd; ++m) {
      const int32_t mask = out->subsets[m];
      for (int32_t j = 0; j < n; ++j) {
        if ((mask >> j) & 1) continue;
        bool adjacent = false;
        for (int32_t i = 0; i < n && !adjacent; ++i) adjacent = ((mask >> i) & 1) && adjacency[i][j] != 0;
        if (adjacent && count < kMaxClusterSubsets) out->subsets[count++] = mask | (1 << j);
      }
    }
    int32_t* level = out->subsets + newStart;
    std::sort(level, out->subsets + count);
    for (int32_t k = 0; k + 1 < count - newStart; ++k)
      if (level[k] == level[k + 1]) level[k] = kEndOfLevel;
    std::sort(level, out->subsets + count);
    int32_t kept = 0;
    while (newStart + kept < count && level[kept] != kEndOfLevel) ++kept;
    std::fill(level + kept, out->subsets + count, 0);
    count = newStart + kept;
    levelStart = newStart;
    levelEnd = count;
    if (kept == 0) break;
  }
  out->subsetCount = count;

  CoverSearch search{out->subsets, count, full, maxCovers, 0, {}};
  SearchCovers(search, 0, 0, 0);
  out->coverCount = search.found;
  out->covers = gCovers;
  out->best = -1;
}

void FreeClusterDecomposition() { EngineFree(gCovers); }
