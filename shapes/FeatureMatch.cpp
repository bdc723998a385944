#include "shapes/FeatureMatch.h"

#include "shapes/ZoneFeatureRecordHeader.h"

namespace {

inline uint32_t Word(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline int FloorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

constexpr int kLossLimit8x8 = 268;
constexpr int kLossLimit8x16 = 288;

// What one cell costs, by its count u in the window and r in the sample,
// packed so that one addition per cell keeps all three sums: the loss of
// the first measure (bits 0-20), the loss of the second (bits 21-41) and 15
// for a sample cell that is paper (bits 42-62), which the second measure
// leaves out of its total. No sum reaches 2^21 (at most 96 cells).
constexpr int kCellFieldBits = 21;
constexpr uint64_t kCellFieldMask = (uint64_t{1} << kCellFieldBits) - 1;

constexpr uint64_t PackCellCost(int lossP, int lossQ, int paper) {
  return static_cast<uint64_t>(lossP) | static_cast<uint64_t>(lossQ) << kCellFieldBits |
         static_cast<uint64_t>(paper) << (2 * kCellFieldBits);
}

constexpr uint64_t CellCost8x8(int u, int r) {
  const int d = u > r ? u - r : r - u;
  if (r == 0) return PackCellCost(u > 1 ? u : 0, 0, 15);
  if (u == 0) return r > 1 ? PackCellCost(r, r, 0) : 0;
  return d > 6 ? PackCellCost(d, d, 0) : 0;
}

constexpr uint64_t CellCost8x16(int u, int r) {
  const int d = u > r ? u - r : r - u;
  if (r == 0) return PackCellCost(u > 2 ? u : 0, 0, 15);
  if (u == 0) return PackCellCost(r > 2 ? r : 0, r > 4 ? r : 0, 0);
  return PackCellCost(d > 6 ? d : 0, d > 8 ? d : 0, 0);
}

struct CellCostTable {
  uint64_t cost[256];  // index r x 16 + u
  constexpr explicit CellCostTable(uint64_t (*of)(int, int)) : cost() {
    for (int r = 0; r < 16; ++r)
      for (int u = 0; u < 16; ++u) cost[r * 16 + u] = of(u, r);
  }
};
constexpr CellCostTable kCellCosts8x8(CellCost8x8);
constexpr CellCostTable kCellCosts8x16(CellCost8x16);

inline int LossP(uint64_t sums) { return static_cast<int>(sums & kCellFieldMask); }
inline int LossQ(uint64_t sums) { return static_cast<int>((sums >> kCellFieldBits) & kCellFieldMask); }
inline int Paper(uint64_t sums) { return static_cast<int>(sums >> (2 * kCellFieldBits)); }

}  // namespace

int ScoreFeatures8x8(const uint8_t* cells, const uint8_t* record) {
  const uint8_t* reference = record + kZoneHeaderBytes;
  uint64_t sums = 0;
  for (int row = 0; row < 8; ++row) {
    const uint32_t uw = Word(cells + row * 4);
    const uint32_t rw = Word(reference + row * 4);
    for (int j = 0; j < 8; ++j) sums += kCellCosts8x8.cost[((rw >> (4 * j)) & 15) << 4 | ((uw >> (4 * j)) & 15)];
    if (LossP(sums) + LossQ(sums) >= kLossLimit8x8) return 0;
  }
  const int k = 960 - Paper(sums);
  if (k == 0) return 0;
  const int p = 960 - LossP(sums), q = k - LossQ(sums);
  const int w = ZoneHeaderWeight(record);
  return FloorHalf(w * p / 960 + w * q / k) + 4;
}

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
    if (LossP(sums) + LossQ(sums) >= kLossLimit8x16) return 0;
  }
  const int t = 1440 - 15 * excluded;
  const int k = t - Paper(sums);
  if (k == 0) return 0;
  const int p = t - LossP(sums), q = k - LossQ(sums);
  const int w = ZoneHeaderWeight(record);
  return FloorHalf(w * q / k + w * p / t);
}

int BestGroupScore(ZoneGrid grid, const uint8_t* cells, const uint8_t* group, int safe, int maybe) {
  if (grid != ZoneGrid::k8x8 && grid != ZoneGrid::k8x16) return 0;
  const int recordBytes = ZoneFeatureRecordBytes(GridParameters(grid));
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
