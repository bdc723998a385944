// Zone features of symbol bitmaps: a coarse grid of cells over a symbol's box,
// each cell counting how many of a fixed set of sample points are black.
//
// Symbol bitmaps are 1 bit per pixel, 1 = black, rows top to bottom, a row
// (stride + 1) x 4 bytes long; pixel x of a row is bit (x mod 8) of byte x / 8
// (least significant bit leftmost). No pixel outside the box is read.
#pragma once

#include <cstddef>
#include <cstdint>

// Widths and heights of a symbol box: 1 .. kZoneMaxSize pixels.
constexpr int kZoneMaxSize = 255;

// The sample offsets: A[n][i] = floor(i x n / 64) (64 positions over n
// pixels) and B[n][i] = floor(i x n / 32) (= A[n][2i]). Built on first use and
// read-only afterwards, so any thread may read it.
struct ZoneStepTable {
  uint8_t a[256][64];
  uint8_t b[256][32];
};
const ZoneStepTable& GetZoneStepTable();

enum class ZoneGrid { k8x8, k8x16, k16x16, k8x32, k16x32 };
constexpr int kZoneGridCount = 5;

struct ZoneGridParameters {
  ZoneGrid grid;
  int cols, rows;
  int cellWidth, cellHeight;  // in sample positions of part A
  int columnStep, rowStep;
};
const ZoneGridParameters& GridParameters(ZoneGrid grid);
// The grid of a columns x rows pair; false when it names none of the five.
bool GridFromSize(int cols, int rows, ZoneGrid* grid);
// Bytes of the packed cells (cols x rows / 2) and of a whole record (+ 8).
inline int PackedCellBytes(const ZoneGridParameters& p) { return p.cols * p.rows / 2; }
inline int ZoneFeatureRecordBytes(const ZoneGridParameters& p) { return PackedCellBytes(p) + 8; }

// Packed counts (two 4-bit counts per byte, even cell in the low nibble) to
// out + 2 onward; out[0] and out[1] are not touched. False, and nothing
// written, when width or height lies outside 1..255 or the parameters are
// not a whole grid: such boxes are scaled or skipped by the caller.
bool ComputeZoneFeatures(const uint8_t* bits, int x0, int y0, int width, int height, int stride, int cols, int rows,
                         int cellWidth, int cellHeight, int columnStep, int rowStep, uint8_t* out);
inline bool ComputeZoneFeatures(const uint8_t* bits, int x0, int y0, int width, int height, int stride,
                                const ZoneGridParameters& p, uint8_t* out) {
  return ComputeZoneFeatures(bits, x0, y0, width, height, stride, p.cols, p.rows, p.cellWidth, p.cellHeight,
                             p.columnStep, p.rowStep, out);
}
// The same result by the plain cell-by-cell rule, for any parameter set
// (the fast form above is checked and measured against it).
bool ComputeZoneFeaturesReference(const uint8_t* bits, int x0, int y0, int width, int height, int stride, int cols,
                                  int rows, int cellWidth, int cellHeight, int columnStep, int rowStep, uint8_t* out);

// One count per cell, row by row, for one of the five grids. Returns 1 when
// the sum of the counts exceeds 7 x cols, else 0; a box outside 1..255 or an
// unknown grid gives all-zero cells and 0.
int ComputeZoneDensityGrid(const uint8_t* bits, int stride, int x0, int y0, int width, int height, int cols, int rows,
                           uint8_t* out);
