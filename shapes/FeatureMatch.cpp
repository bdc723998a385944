#include "shapes/FeatureMatch.h"

#include "shapes/ZoneRecordHeader.h"

namespace {

inline uint32_t Word(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline int FloorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

constexpr int kLossLimit8x8 = 268;
constexpr int kLossLimit8x16 = 288;

}  // namespace

int ScoreFeatures8x8(const uint8_t* cells, const uint8_t* record) {
  const uint8_t* reference = record + kZoneHeaderBytes;
  int p = 960, q = 960, k = 960;
  for (int row = 0; row < 8; ++row) {
    const uint32_t uw = Word(cells + row * 4);
    const uint32_t rw = Word(reference + row * 4);
    for (int j = 0; j < 8; ++j) {
      const int u = (uw >> (4 * j)) & 15;
      const int r = (rw >> (4 * j)) & 15;
      if (r == 0) {
        q -= 15;
        k -= 15;
        if (u > 1) p -= u;
      } else if (u == 0) {
        if (r > 1) {
          p -= r;
          q -= r;
        }
      } else {
        const int d = u > r ? u - r : r - u;
        if (d > 6) {
          p -= d;
          q -= d;
        }
      }
    }
    if ((960 - p) + (k - q) >= kLossLimit8x8) return 0;
  }
  if (k == 0) return 0;
  const int w = ZoneHeaderWeight(record);
  return FloorHalf(w * p / 960 + w * q / k) + 4;
}

namespace {

// What one 8 x 16 cell costs, by its count u in the window and r in the
// sample, packed so that one addition per cell keeps all three sums: the
// loss of the first measure (bits 0-20), the loss of the second (bits
// 21-41) and 15 for a sample cell that is paper (bits 42-62), which the
// second measure leaves out of its total. No sum reaches 2^21 (96 cells).
constexpr int kCellFieldBits = 21;
constexpr uint64_t kCellFieldMask = (uint64_t{1} << kCellFieldBits) - 1;

constexpr uint64_t CellCost8x16(int u, int r) {
  const int d = u > r ? u - r : r - u;
  int lossP = 0, lossQ = 0, paper = 0;
  if (r == 0) {
    paper = 15;
    if (u > 2) lossP = u;
  } else if (u == 0) {
    if (r > 2) lossP = r;
    if (r > 4) lossQ = r;
  } else {
    if (d > 6) lossP = d;
    if (d > 8) lossQ = d;
  }
  return static_cast<uint64_t>(lossP) | static_cast<uint64_t>(lossQ) << kCellFieldBits |
         static_cast<uint64_t>(paper) << (2 * kCellFieldBits);
}

struct CellCostTable {
  uint64_t cost[256];  // index r x 16 + u
  constexpr CellCostTable() : cost() {
    for (int r = 0; r < 16; ++r)
      for (int u = 0; u < 16; ++u) cost[r * 16 + u] = CellCost8x16(u, r);
  }
};
constexpr CellCostTable kCellCosts8x16;

}  // namespace

int ScoreFeatures8x16(const uint8_t* cells, const uint8_t* record) {
  const uint8_t* reference = record + kZoneHeaderBytes;
  const int firstColumn = ZoneHeaderExcludesFirstColumn(record) ? 1 : 0;
  const int firstExcludedLast = 8 - ZoneHeaderExcludedLastColumns(record);
  // Rows 1-6 and 9-14 are compared; a left-out column costs both measures
  // and their totals 15 a cell, which cancels in the losses.
  const int excluded = 12 * (firstColumn + 8 - firstExcludedLast);
  uint64_t sums = 0;
  for (int row = 1; row < 15; ++row) {
    if (row == 7) row = 9;
    const uint32_t uw = Word(cells + row * 4);
    const uint32_t rw = Word(reference + row * 4);
    for (int j = firstColumn; j < firstExcludedLast; ++j)
      sums += kCellCosts8x16.cost[((rw >> (4 * j)) & 15) << 4 | ((uw >> (4 * j)) & 15)];
    const int lossP = static_cast<int>(sums & kCellFieldMask);
    const int lossQ = static_cast<int>((sums >> kCellFieldBits) & kCellFieldMask);
    if (lossP + lossQ >= kLossLimit8x16) return 0;
  }
  const int t = 1440 - 15 * excluded;
  const int k = t - static_cast<int>(sums >> (2 * kCellFieldBits));
  if (k == 0) return 0;
  const int p = t - static_cast<int>(sums & kCellFieldMask);
  const int q = k - static_cast<int>((sums >> kCellFieldBits) & kCellFieldMask);
  const int w = ZoneHeaderWeight(record);
  return FloorHalf(w * q / k + w * p / t);
}

int BestGroupScore(ZoneGrid grid, const uint8_t* cells, const uint8_t* group, int safe, int maybe) {
  if (grid != ZoneGrid::k8x8 && grid != ZoneGrid::k8x16) return 0;
  const int recordBytes = ZoneRecordBytes(GridParameters(grid));
  int best = 0;
  for (int i = 0; i < kComparedGroupRecords; ++i) {
    const uint8_t* record = group + i * recordBytes;
    const int score = grid == ZoneGrid::k8x8 ? ScoreFeatures8x8(cells, record) : ScoreFeatures8x16(cells, record);
    if (score > best) best = score;
    if (i == 0 && (score < maybe || ZoneHeaderFirstRecordOnly(group))) break;
    if (score >= safe) break;
  }
  return best;
}
