// Edge features: sample the image onto a 32 x 32 patch, smooth it, histogram
// the gradient directions in 8 x 8 cells and pool the cells into feature bytes.
#include "Code/Quorm/Edgefeat.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Engerror.h"

namespace {

constexpr int kPatch = 32;
constexpr int kSplitSide = 226;  // magnitudes 0..225 have shares
constexpr int kMaxMagnitude = kSplitSide - 1;

// Direction split table, indexed (first << 8) + second; two bytes each
// (axis share, diagonal share).
uint8_t g_splitAxis[kSplitSide << 8];
uint8_t g_splitDiagonal[kSplitSide << 8];
uint8_t g_costTable[256][256];
uint8_t g_compression[4096];

// Work areas, reused by every call.
uint8_t g_patch[kPatch][kPatch];
int32_t g_smoothed[kPatch][kPatch];
// Eight direction sums per cell: word k = axis bin (low half), diagonal bin
// (high half).
uint32_t g_cells[4][64];

void BuildSplitTable() {
  std::memset(g_splitAxis, 0, sizeof g_splitAxis);
  std::memset(g_splitDiagonal, 0, sizeof g_splitDiagonal);
  for (int i = 0; i < kSplitSide; ++i) {
    for (int j = 0; j < kSplitSide; ++j) {
      if (i == 0 && j == 0) continue;
      const double lo = i < j ? i : j;
      const double hi = i < j ? j : i;
      const double a = std::atan2(lo, hi) / 0.785398164;
      const double r = std::sqrt(static_cast<double>(i * i + j * j)) / 318.19815;
      g_splitAxis[(i << 8) + j] = static_cast<uint8_t>(static_cast<int>(255.0 * (1.0 - a) * r));
      g_splitDiagonal[(i << 8) + j] = static_cast<uint8_t>(static_cast<int>(255.0 * a * r));
    }
  }
}

void BuildCostTable() {
  for (int w = 0; w < 256; ++w) {
    const double half = w / 2.0;
    const double s = std::sqrt(half * half + 9.0);
    const double s2 = s * s;
    for (int d = 0; d < 256; ++d) {
      const double d2 = static_cast<double>(d) * d;
      const double d4 = d2 * d2;
      double value;
      if (12100.0 * s2 * s2 < d4)
        value = std::log(s) + 27.5;
      else
        value = std::log(s) + d2 / (2.0 * (d4 / (12100.0 * s2) + s2));
      value *= 8.0;
      if (value > 255.4) value = 255.4;
      g_costTable[w][d] = static_cast<uint8_t>(std::floor(value + 0.5));
    }
  }
}

void BuildCompressionTable() {
  for (int v = 0; v < 4096; ++v) {
    const long rounded = std::lround(0.5 * std::pow(static_cast<double>(v), 0.75));
    g_compression[v] = static_cast<uint8_t>(rounded > 255 ? 255 : rounded);
  }
}

// Every patch cell is the sum of nine image samples (0..9): ink counts 1
// whatever byte marks it, so a sum always fits its byte.
void SamplePatch(const uint8_t* image, int32_t width, int32_t height, int margin) {
  std::memset(g_patch, 0, sizeof g_patch);
  const int cells = kPatch - 2 * margin;
  const int64_t cellH = (static_cast<int64_t>(height) << 22) / cells;
  const int64_t cellW = (static_cast<int64_t>(width) << 22) / cells;
  for (int i = 0; i < cells; ++i) {
    const int64_t cy = i * cellH + cellH / 2;
    int rows[3] = {static_cast<int>((cy - cellH / 3) >> 22), static_cast<int>(cy >> 22),
                   static_cast<int>((cy + cellH / 3) >> 22)};
    for (int j = 0; j < cells; ++j) {
      const int64_t cx = j * cellW + cellW / 2;
      int cols[3] = {static_cast<int>((cx - cellW / 3) >> 22), static_cast<int>(cx >> 22),
                     static_cast<int>((cx + cellW / 3) >> 22)};
      int sum = 0;
      for (int y : rows) {
        if (y < 0 || y >= height) continue;
        for (int x : cols) {
          if (x < 0 || x >= width) continue;
          if (image[static_cast<size_t>(y) * width + x] != 0) ++sum;
        }
      }
      g_patch[margin + i][margin + j] = static_cast<uint8_t>(sum);
    }
  }
}

// Separable 1 4 5 4 1 kernel, vertical then horizontal; outside counts 0.
// Rows 0 and 31 stay 0.
void SmoothPatch32() {
  static const int kKernel[5] = {1, 4, 5, 4, 1};
  int32_t vertical[kPatch][kPatch];
  for (int r = 0; r < kPatch; ++r) {
    for (int c = 0; c < kPatch; ++c) {
      int32_t sum = 0;
      for (int k = -2; k <= 2; ++k) {
        const int rr = r + k;
        if (rr >= 0 && rr < kPatch) sum += kKernel[k + 2] * g_patch[rr][c];
      }
      vertical[r][c] = sum;
    }
  }
  std::memset(g_smoothed, 0, sizeof g_smoothed);
  for (int r = 1; r < kPatch - 1; ++r) {
    for (int c = 0; c < kPatch; ++c) {
      int32_t sum = 0;
      for (int k = -2; k <= 2; ++k) {
        const int cc = c + k;
        if (cc >= 0 && cc < kPatch) sum += kKernel[k + 2] * vertical[r][cc];
      }
      g_smoothed[r][c] = sum;
    }
  }
}

// Row and column bands of the cells (first and last grid line of each).
constexpr int kRowBands[8][2] = {{2, 7}, {8, 11}, {12, 13}, {14, 16}, {17, 19}, {20, 21}, {22, 25}, {26, 31}};
constexpr int kColumnBands[8][2] = {{2, 8}, {9, 11}, {12, 16}, {1, 0}, {1, 0}, {17, 21}, {22, 24}, {25, 31}};

void AddShares(uint32_t* cell, int x, int y) {
  const int magX = std::abs(x) >> 4;
  const int magY = std::abs(y) >> 4;
  // Larger magnitudes lie beyond the table and take no share.
  if (magX > kMaxMagnitude || magY > kMaxMagnitude) return;
  const int index = (magX << 8) + magY;
  const uint32_t axis = g_splitAxis[index];
  const uint32_t diagonal = g_splitDiagonal[index];
  int axisWord;
  if (magX > magY)
    axisWord = x >= 0 ? 2 : 3;
  else
    axisWord = y >= 0 ? 0 : 1;
  int diagonalWord;
  if (x < 0)
    diagonalWord = y >= 0 ? 0 : 3;
  else
    diagonalWord = y >= 0 ? 2 : 1;
  cell[axisWord] += axis;
  cell[diagonalWord] += diagonal << 16;
}

void BuildCellHistograms() {
  std::memset(g_cells, 0, sizeof g_cells);
  for (int rb = 0; rb < 8; ++rb) {
    for (int cb = 0; cb < 8; ++cb) {
      uint32_t words[4] = {0, 0, 0, 0};
      for (int r = kRowBands[rb][0]; r <= kRowBands[rb][1]; ++r) {
        for (int c = kColumnBands[cb][0]; c <= kColumnBands[cb][1]; ++c) {
          const int a = g_smoothed[r - 2][c - 2] - g_smoothed[r][c];
          const int b = g_smoothed[r - 2][c];
          const int e = g_smoothed[r][c - 2];
          AddShares(words, a - b + e, a + b - e);
        }
      }
      for (int k = 0; k < 4; ++k) g_cells[k][rb * 8 + cb] = words[k];
    }
  }
}

struct Band {
  int from, to;
};

// One bin summed over the block rows x columns of cells.
int32_t PooledSum(int word, bool diagonal, Band rows, Band columns) {
  int32_t sum = 0;
  for (int rb = rows.from; rb <= rows.to; ++rb) {
    for (int cb = columns.from; cb <= columns.to; ++cb) {
      const uint32_t w = g_cells[word][rb * 8 + cb];
      sum += static_cast<int32_t>(diagonal ? (w >> 16) : (w & 0xFFFF));
    }
  }
  return sum;
}

constexpr Band kFiveRows[] = {{0, 0}, {1, 2}, {3, 4}, {5, 6}, {7, 7}};
constexpr Band kThreeBlocks[] = {{0, 1}, {2, 5}, {6, 7}};
constexpr Band kFourColumns[] = {{0, 0}, {1, 2}, {5, 6}, {7, 7}};
constexpr Band kHalves[] = {{0, 3}, {4, 7}};

template <size_t NO, size_t NI>
uint8_t* PoolMain(uint8_t* out, int word, bool diagonal, const Band (&outer)[NO], const Band (&inner)[NI]) {
  for (const Band& o : outer) {
    for (const Band& i : inner) {
      const int32_t sum = PooledSum(word, diagonal, o, i);
      *out++ = sum >= 4096 ? 255 : g_compression[sum];
    }
  }
  return out;
}

template <size_t NO, size_t NI>
uint8_t* PoolSecond(uint8_t* out, int word, bool diagonal, const Band (&outer)[NO], const Band (&inner)[NI]) {
  for (const Band& o : outer) {
    for (const Band& i : inner) {
      const int32_t value = PooledSum(word, diagonal, o, i) / 32;
      *out++ = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
  }
  return out;
}

void ComputeFeatures(uint8_t* main90, uint8_t* second40, uint8_t* third12, const uint8_t* image,
                     int32_t width, int32_t height, int margin) {
  ENGINE_CHECK_POINTER(main90);
  ENGINE_CHECK(width >= 0 && width < kEdgeImageLimit);
  ENGINE_CHECK(height >= 0 && height < kEdgeImageLimit);
  ENGINE_CHECK(image != nullptr || width == 0 || height == 0);
  SamplePatch(image, width, height, margin);
  SmoothPatch32();
  BuildCellHistograms();

  uint8_t* out = main90;
  out = PoolMain(out, 0, false, kFiveRows, kThreeBlocks);
  out = PoolMain(out, 1, false, kFiveRows, kThreeBlocks);
  out = PoolMain(out, 2, false, kThreeBlocks, kFourColumns);
  out = PoolMain(out, 3, false, kThreeBlocks, kFourColumns);
  out = PoolMain(out, 2, true, kThreeBlocks, kThreeBlocks);
  out = PoolMain(out, 3, true, kThreeBlocks, kThreeBlocks);
  out = PoolMain(out, 0, true, kThreeBlocks, kThreeBlocks);
  PoolMain(out, 1, true, kThreeBlocks, kThreeBlocks);

  if (second40 == nullptr) return;
  uint8_t* s = second40;
  s = PoolSecond(s, 0, false, kThreeBlocks, kHalves);
  s = PoolSecond(s, 1, false, kThreeBlocks, kHalves);
  s = PoolSecond(s, 2, false, kHalves, kThreeBlocks);
  s = PoolSecond(s, 3, false, kHalves, kThreeBlocks);
  s = PoolSecond(s, 2, true, kHalves, kHalves);
  s = PoolSecond(s, 3, true, kHalves, kHalves);
  s = PoolSecond(s, 0, true, kHalves, kHalves);
  PoolSecond(s, 1, true, kHalves, kHalves);

  if (third12 == nullptr) return;
  for (int k = 0; k < 6; ++k) {
    third12[k] = static_cast<uint8_t>((second40[k] + second40[6 + k]) / 2);
    third12[6 + k] = static_cast<uint8_t>((second40[12 + k] + second40[18 + k]) / 2);
  }
}

}  // namespace

void InitialiseEdgeFeatureTables() {
  BuildSplitTable();
  BuildCostTable();
  BuildCompressionTable();
}

void ComputeEdgeFeatures(uint8_t* main90, const uint8_t* image, int32_t width, int32_t height) {
  ComputeFeatures(main90, nullptr, nullptr, image, width, height, 0);
}

void ComputeEdgeFeaturesFull(uint8_t* main90, uint8_t* second40, uint8_t* third12,
                             const uint8_t* image, int32_t width, int32_t height) {
  ComputeFeatures(main90, second40, third12, image, width, height, 3);
}

int32_t WeightedFeatureDistance(const uint8_t* features, const uint8_t* references, int32_t n) {
  ENGINE_CHECK(n % 2 == 0);
  if (n < 2) return 0;
  ENGINE_CHECK_POINTER(features);
  ENGINE_CHECK_POINTER(references);
  int32_t sum = 0;
  for (int32_t k = 0; k < n; ++k) {
    const int value = references[2 * k];
    const int row = references[2 * k + 1];
    sum += g_costTable[row][std::abs(features[k] - value)];
  }
  return sum;
}

uint8_t EdgeCostTableEntry(int32_t weightRow, int32_t difference) {
  ENGINE_CHECK_INDEX(weightRow, 256);
  ENGINE_CHECK_INDEX(difference, 256);
  return g_costTable[weightRow][difference];
}

uint8_t EdgeCompressionEntry(int32_t value) {
  ENGINE_CHECK_INDEX(value, 4096);
  return g_compression[value];
}
