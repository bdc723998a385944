#include "shapes/ZoneFeatures.h"

#include <cstring>

namespace {

constexpr ZoneGridParameters kGrids[kZoneGridCount] = {
    {ZoneGrid::k8x8, 8, 8, 8, 8, 2, 2},       {ZoneGrid::k8x16, 8, 16, 8, 4, 2, 1},
    {ZoneGrid::k16x16, 16, 16, 4, 4, 1, 1},   {ZoneGrid::k8x32, 8, 32, 8, 2, 1, 1},
    {ZoneGrid::k16x32, 16, 32, 4, 2, 1, 1},
};

ZoneStepTable MakeZoneStepTable() {
  ZoneStepTable table;
  for (int n = 0; n < 256; ++n) {
    for (int i = 0; i < 64; ++i) table.a[n][i] = static_cast<uint8_t>(i * n / 64);
    for (int i = 0; i < 32; ++i) table.b[n][i] = static_cast<uint8_t>(i * n / 32);
  }
  return table;
}

bool BoxFits(int x0, int y0, int width, int height, int stride) {
  return x0 >= 0 && y0 >= 0 && stride >= 0 && width >= 1 && width <= kZoneMaxSize && height >= 1 &&
         height <= kZoneMaxSize;
}

bool WholeGrid(int cols, int rows, int cellWidth, int cellHeight, int columnStep, int rowStep) {
  return cols >= 1 && rows >= 1 && cellWidth >= 1 && cellHeight >= 1 && cols * cellWidth == 64 &&
         rows * cellHeight == 64 && (cols * rows) % 2 == 0 && columnStep >= 1 && rowStep >= 1;
}

bool SameParameters(const ZoneGridParameters& p, int cols, int rows, int cellWidth, int cellHeight, int columnStep,
                    int rowStep) {
  return p.cols == cols && p.rows == rows && p.cellWidth == cellWidth && p.cellHeight == cellHeight &&
         p.columnStep == columnStep && p.rowStep == rowStep;
}

inline bool Black(const uint8_t* row, int x) { return (row[x >> 3] >> (x & 7)) & 1; }

int CountCell(const uint8_t* bits, size_t rowBytes, int x0, int y0, const uint8_t* columnSteps,
              const uint8_t* rowSteps, int r, int c, int cellWidth, int cellHeight, int columnStep, int rowStep) {
  int count = 0;
  for (int s = r * cellHeight; s < (r + 1) * cellHeight; s += rowStep) {
    const uint8_t* row = bits + static_cast<size_t>(y0 + rowSteps[s]) * rowBytes;
    for (int t = c * cellWidth; t < (c + 1) * cellWidth; t += columnStep) count += Black(row, x0 + columnSteps[t]);
  }
  return count < 15 ? count : 15;
}

void PackCell(uint8_t* cells, int k, int value) {
  if (k % 2 == 0)
    cells[k / 2] = static_cast<uint8_t>(value);
  else
    cells[k / 2] = static_cast<uint8_t>(cells[k / 2] + value * 16);
}

// Every grid takes its sample columns (32 or 64, every columnStep-th
// position) as one 64-bit word per sample row: bit j = sample column j, so a
// cell of four sample columns is a nibble and one of eight a byte. The cells'
// counts are taken in parallel: for four-column cells even cells in the byte
// lanes of one word and odd cells in another, for eight-column cells one cell
// per byte lane, summed over the cell's sample rows (at most 16 per lane).
//
// The word of a row is put together from the bytes the sample columns lie
// in: per byte two 16-entry tables, from the value of its low and of its high
// nibble to the sample bits those pixels give, made once per window. A
// sample row on the same pixel row as the one before takes its word again.
constexpr int kMaxSampleBytes = 33;  // 255 pixels from any bit of a byte
constexpr uint64_t kNibbleLanes = 0x0F0F0F0F0F0F0F0Full;

uint8_t Clipped(uint64_t lanes, int shift) {
  const uint64_t count = (lanes >> shift) & 0xFF;
  return static_cast<uint8_t>(count < 15 ? count : 15);
}

void FastFeatures(const uint8_t* bits, size_t rowBytes, int x0, int y0, int width, int height,
                  const ZoneGridParameters& grid, uint8_t* cells) {
  const ZoneStepTable& table = GetZoneStepTable();
  const int firstByte = x0 >> 3;
  const int byteCount = ((x0 + width - 1) >> 3) - firstByte + 1;
  const int sampleColumns = 64 / grid.columnStep;
  uint64_t pixelMask[kMaxSampleBytes][8];
  std::memset(pixelMask, 0, sizeof pixelMask[0] * static_cast<size_t>(byteCount));
  for (int j = 0; j < sampleColumns; ++j) {
    const int x = x0 + table.a[width][j * grid.columnStep];
    pixelMask[(x >> 3) - firstByte][x & 7] |= uint64_t(1) << j;
  }
  uint64_t nibble[kMaxSampleBytes][2][16];
  for (int u = 0; u < byteCount; ++u) {
    for (int half = 0; half < 2; ++half) {
      uint64_t* t = nibble[u][half];
      const uint64_t* m = pixelMask[u] + 4 * half;
      t[0] = 0;
      for (int v = 1; v < 16; ++v) {
        const int low = v & 1 ? 0 : v & 2 ? 1 : v & 4 ? 2 : 3;
        t[v] = t[v & (v - 1)] | m[low];
      }
    }
  }
  const bool byteCells = grid.cellWidth / grid.columnStep == 8;
  const int sampleRows = grid.cellHeight / grid.rowStep;
  const uint8_t* rowSteps = table.a[height];
  int lastY = -1;
  uint64_t lastSamples = 0;
  for (int gridRow = 0; gridRow < grid.rows; ++gridRow) {
    uint64_t even = 0, odd = 0;
    for (int k = 0; k < sampleRows; ++k) {
      const int y = y0 + rowSteps[gridRow * grid.cellHeight + k * grid.rowStep];
      uint64_t samples = lastSamples;
      if (y != lastY) {
        const uint8_t* row = bits + static_cast<size_t>(y) * rowBytes + firstByte;
        samples = 0;
        for (int u = 0; u < byteCount; ++u) samples |= nibble[u][0][row[u] & 15] | nibble[u][1][row[u] >> 4];
        lastY = y;
        lastSamples = samples;
      }
      // Ones per nibble: pairs, then nibbles.
      samples = samples - ((samples >> 1) & 0x5555555555555555ull);
      samples = (samples & 0x3333333333333333ull) + ((samples >> 2) & 0x3333333333333333ull);
      if (byteCells) {
        even += (samples & kNibbleLanes) + ((samples >> 4) & kNibbleLanes);
      } else {
        even += samples & kNibbleLanes;
        odd += (samples >> 4) & kNibbleLanes;
      }
    }
    uint8_t* out = cells + gridRow * grid.cols / 2;
    for (int b = 0; b < grid.cols / 2; ++b) {
      if (byteCells)
        out[b] = static_cast<uint8_t>(Clipped(even, 16 * b) | Clipped(even, 16 * b + 8) << 4);
      else
        out[b] = static_cast<uint8_t>(Clipped(even, 8 * b) | Clipped(odd, 8 * b) << 4);
    }
  }
}

}  // namespace

const ZoneStepTable& GetZoneStepTable() {
  static const ZoneStepTable table = MakeZoneStepTable();
  return table;
}

const ZoneGridParameters& GridParameters(ZoneGrid grid) { return kGrids[static_cast<int>(grid)]; }

bool GridFromSize(int cols, int rows, ZoneGrid* grid) {
  for (const ZoneGridParameters& p : kGrids) {
    if (p.cols == cols && p.rows == rows) {
      *grid = p.grid;
      return true;
    }
  }
  return false;
}

bool ComputeZoneFeaturesReference(const uint8_t* bits, int x0, int y0, int width, int height, int stride, int cols,
                                  int rows, int cellWidth, int cellHeight, int columnStep, int rowStep, uint8_t* out) {
  if (!bits || !out || !BoxFits(x0, y0, width, height, stride) ||
      !WholeGrid(cols, rows, cellWidth, cellHeight, columnStep, rowStep))
    return false;
  const ZoneStepTable& table = GetZoneStepTable();
  const size_t rowBytes = (static_cast<size_t>(stride) + 1) * 4;
  uint8_t* cells = out + 2;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      PackCell(cells, r * cols + c,
               CountCell(bits, rowBytes, x0, y0, table.a[width], table.a[height], r, c, cellWidth, cellHeight,
                         columnStep, rowStep));
  return true;
}

bool ComputeZoneFeatures(const uint8_t* bits, int x0, int y0, int width, int height, int stride, int cols, int rows,
                         int cellWidth, int cellHeight, int columnStep, int rowStep, uint8_t* out) {
  for (const ZoneGridParameters& grid : kGrids) {
    if (!SameParameters(grid, cols, rows, cellWidth, cellHeight, columnStep, rowStep)) continue;
    if (!bits || !out || !BoxFits(x0, y0, width, height, stride)) return false;
    FastFeatures(bits, (static_cast<size_t>(stride) + 1) * 4, x0, y0, width, height, grid, out + 2);
    return true;
  }
  return ComputeZoneFeaturesReference(bits, x0, y0, width, height, stride, cols, rows, cellWidth, cellHeight,
                                      columnStep, rowStep, out);
}

int ComputeZoneDensityGrid(const uint8_t* bits, int stride, int x0, int y0, int width, int height, int cols, int rows,
                           uint8_t* out) {
  ZoneGrid grid;
  if (!out || !GridFromSize(cols, rows, &grid)) return 0;
  std::memset(out, 0, static_cast<size_t>(cols) * rows);
  if (!bits || !BoxFits(x0, y0, width, height, stride)) return 0;
  const ZoneGridParameters& p = GridParameters(grid);
  const ZoneStepTable& table = GetZoneStepTable();
  const size_t rowBytes = (static_cast<size_t>(stride) + 1) * 4;
  int sum = 0;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const int count = CountCell(bits, rowBytes, x0, y0, table.a[width], table.a[height], r, c, p.cellWidth,
                                  p.cellHeight, p.columnStep, p.rowStep);
      out[r * cols + c] = static_cast<uint8_t>(count);
      sum += count;
    }
  }
  return sum > 7 * cols ? 1 : 0;
}
