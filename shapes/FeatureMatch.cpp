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

int ScoreFeatures8x16(const uint8_t* cells, const uint8_t* record) {
  const uint8_t* reference = record + kZoneHeaderBytes;
  const bool skipFirst = ZoneHeaderExcludesFirstColumn(record);
  const int firstExcludedLast = 8 - ZoneHeaderExcludedLastColumns(record);
  int p = 1440, q = 1440, k = 1440, t = 1440;
  for (int row = 1; row < 15; ++row) {
    if (row == 7) row = 9;
    const uint32_t uw = Word(cells + row * 4);
    const uint32_t rw = Word(reference + row * 4);
    for (int j = 0; j < 8; ++j) {
      if ((j == 0 && skipFirst) || j >= firstExcludedLast) {
        p -= 15;
        q -= 15;
        k -= 15;
        t -= 15;
        continue;
      }
      const int u = (uw >> (4 * j)) & 15;
      const int r = (rw >> (4 * j)) & 15;
      if (r == 0) {
        q -= 15;
        k -= 15;
        if (u > 2) p -= u;
      } else if (u == 0) {
        if (r > 2) p -= r;
        if (r > 4) q -= r;
      } else {
        const int d = u > r ? u - r : r - u;
        if (d > 6) p -= d;
        if (d > 8) q -= d;
      }
    }
    if ((t - p) + (k - q) >= kLossLimit8x16) return 0;
  }
  if (k == 0) return 0;
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
