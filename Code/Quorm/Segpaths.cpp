// k-best paths: for every end point a list of at most k partial paths in
// increasing cost, each made from a path of an earlier point and one
// segment, merged from the sources by always taking the cheapest next one.
#include "Code/Quorm/Segpaths.h"

#include <algorithm>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"

namespace {

struct PartialPath {
  int32_t cost;
  int32_t segments;
  int32_t span;      // of the last segment
  int32_t previous;  // rank in the list of the point before the last segment
};

PartialPath* lists = nullptr;  // (n + 1) x k
int32_t* listLength = nullptr;
int32_t* sourceRank = nullptr;

}  // namespace

void KBestPaths::Reserve(int32_t paths, int32_t segmentsPerPath) {
  capacity = paths;
  maxSegments = segmentsPerPath;
  count = 0;
  segments.assign(static_cast<size_t>(paths), 0);
  cost.assign(static_cast<size_t>(paths), 0);
  positions.assign(static_cast<size_t>(paths) * (segmentsPerPath + 1), 0);
}

int32_t KBestPaths::Position(int32_t path, int32_t i) const {
  ENGINE_CHECK_INDEX(path, count);
  ENGINE_CHECK(i >= 0 && i <= segments[static_cast<size_t>(path)]);
  return positions[static_cast<size_t>(path) * (maxSegments + 1) + i];
}

int32_t BestSegmentPaths(const LatticeCell* cells, int32_t n, int32_t maxSpan, int32_t k, int32_t maxSegments,
                         KBestPaths* out) {
  ENGINE_CHECK_POINTER(out);
  ENGINE_CHECK(n >= 0 && maxSpan >= 1 && k >= 1 && maxSegments >= 1);
  ENGINE_CHECK(out->capacity >= k && out->maxSegments >= maxSegments);
  ENGINE_CHECK(n == 0 || cells != nullptr);
  out->count = 0;
  if (n == 0) return 0;
  FreeSegmentPaths();
  EngineAllocZeroedChecked(lists, sizeof(PartialPath) * static_cast<size_t>(n + 1) * k);
  EngineAllocZeroedChecked(listLength, sizeof(int32_t) * static_cast<size_t>(n + 1));
  EngineAllocZeroedChecked(sourceRank, sizeof(int32_t) * static_cast<size_t>(maxSpan));
  auto list = [&](int32_t e) { return lists + static_cast<size_t>(e) * k; };
  list(0)[0] = {0, 0, 0, -1};
  listLength[0] = 1;
  for (int32_t e = 1; e <= n; ++e) {
    const int32_t first = std::max(0, e - maxSpan);
    for (int32_t s = first; s < e; ++s) sourceRank[s - first] = 0;
    while (listLength[e] < k) {
      int64_t best = kNoPathCost;
      int32_t bestSource = -1;
      for (int32_t s = first; s < e; ++s) {
        const int32_t rank = sourceRank[s - first];
        if (rank >= listLength[s]) continue;
        const LatticeCell& cell = cells[static_cast<size_t>(e - s - 1) * n + s];
        const int64_t segment = static_cast<int64_t>(cell.cutCost) + cell.widthCost + cell.extraCost;
        const int64_t cost = std::min<int64_t>(kNoPathCost, list(s)[rank].cost + std::max<int64_t>(0, segment));
        if (cost < best) {
          best = cost;
          bestSource = s;
        }
      }
      if (bestSource < 0 || best >= kNoPathCost) break;
      const int32_t rank = sourceRank[bestSource - first]++;
      const PartialPath& from = list(bestSource)[rank];
      if (from.segments + 1 > maxSegments) continue;  // too many segments: not kept
      list(e)[listLength[e]++] = {static_cast<int32_t>(best), from.segments + 1, e - bestSource, rank};
    }
  }
  // Read the paths of the last point back to the start.
  const int32_t stride = out->maxSegments + 1;
  for (int32_t r = 0; r < listLength[n]; ++r) {
    const PartialPath& last = list(n)[r];
    const int32_t segments = last.segments;
    int32_t* positions = out->positions.data() + static_cast<size_t>(out->count) * stride;
    int32_t e = n, rank = r, i = segments;
    positions[i] = n;
    while (e > 0) {
      const PartialPath& p = list(e)[rank];
      ENGINE_CHECK(i > 0);
      e -= p.span;
      rank = p.previous;
      positions[--i] = e;
    }
    ENGINE_CHECK(i == 0);
    // Interval indices to positions: the first record's first, then the
    // end of the unit record that ends at each cut.
    for (int32_t j = segments; j >= 1; --j) positions[j] = cells[positions[j] - 1].end;
    positions[0] = cells[0].first;
    out->segments[static_cast<size_t>(out->count)] = segments;
    out->cost[static_cast<size_t>(out->count)] = last.cost;
    ++out->count;
  }
  FreeSegmentPaths();
  return out->count;
}

void FreeSegmentPaths() {
  EngineFree(lists);
  EngineFree(listLength);
  EngineFree(sourceRank);
}
