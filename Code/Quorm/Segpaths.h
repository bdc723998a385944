// The k-best path search over a lattice of segments: the cheapest ways of
// covering n unit intervals with segments of at most a given span.
#pragma once

#include <cstdint>
#include <vector>

// A lattice cell: the union box of its pieces, its first and end position,
// and three cost parts (the segment's cost is their sum).
struct LatticeCell {
  int32_t top, bottom, left, right;
  int32_t first, end;
  int32_t cutCost;
  int32_t widthCost;
  int32_t extraCost;  // 0 when built; the re-reader keeps its classifier penalty here
};

constexpr int32_t kNoPathCost = 0x3FFFFFFF;

// The paths found, cheapest first.
struct KBestPaths {
  int32_t capacity = 0;      // paths the table has room for
  int32_t maxSegments = 0;   // segments a path may have
  int32_t count = 0;
  std::vector<int32_t> segments;   // per path
  std::vector<int32_t> cost;       // per path
  std::vector<int32_t> positions;  // per path: maxSegments + 1 positions
  void Reserve(int32_t paths, int32_t segmentsPerPath);
  int32_t Position(int32_t path, int32_t i) const;
};

// cells: one record per segment of length L (1..maxSpan) starting at
// interval s, at index (L - 1) x n + s. Finds at most k paths of at most
// maxSegments segments into out (which must have room for k paths and that
// many segments). Returns the number of paths.
int32_t BestSegmentPaths(const LatticeCell* cells, int32_t n, int32_t maxSpan, int32_t k, int32_t maxSegments,
                         KBestPaths* out);
// Frees the search's work blocks.
void FreeSegmentPaths();
