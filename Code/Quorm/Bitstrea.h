// Bit strings in arrays of 32-bit words (bit i is bit i mod 32 of word
// i / 32) and the small rasters stored as such strings.
#pragma once

#include <cstdint>

// The seven-word raster record shared by every small raster of the engine
// (connected components among them). The bit string holds rows x columns
// bits, row after row, with no padding between rows; 1 = black. The bits
// block belongs to the record (engine heap).
struct RasterRecord {
  int32_t top;        // page row of the first raster row
  int32_t left;       // page column of the first raster column
  int32_t rows;
  int32_t columns;
  uint32_t* bits;     // ceil(rows x columns / 32) words
  int32_t link;       // -1 when made; -2 marks a record to be dropped
  int32_t index;
};

inline int32_t RasterWordCount(int32_t rows, int32_t columns) {
  return static_cast<int32_t>((static_cast<int64_t>(rows) * columns + 31) / 32);
}

// Clears count bits from first; missing words or count 0 are failed checks.
void ClearBits(uint32_t* words, int32_t first, int32_t count);
// The bit at (row, column) of the raster, both counted within the raster;
// 0 outside it.
int32_t GetBitMatrixBit(const RasterRecord& raster, int32_t row, int32_t column);
// Set bits in first..end-1; end must exceed first.
int32_t CountBitsInRange(const uint32_t* words, int32_t first, int32_t end);
// One byte (0 or 1) per bit of a rows x columns raster.
void UnpackBits(uint8_t* bytes, int32_t rows, int32_t columns, const uint32_t* words);
// Clears n bits, then sets bit i for every nonzero byte i.
void PackBytes(const uint8_t* bytes, uint32_t* words, int32_t n);
// count (0..32) bits from first as an unsigned number, first bit lowest.
uint32_t GetBitField(const uint32_t* words, int32_t first, int32_t count);
void SetBit(uint32_t* words, int32_t bit);
// 1 when none of the bits first, first + stride, ... (count of them) is set.
int32_t IsBitColumnEmpty(int32_t first, const uint32_t* words, int32_t stride, int32_t count);
// ORs count bits of the source from sourceFirst into the target at targetFirst.
void OrBits(const uint32_t* source, int32_t sourceFirst, uint32_t* target, int32_t targetFirst, int32_t count);

// Removes empty rows and columns at every side, moving top and left and
// rebuilding the bit string; an empty raster becomes rows 0, columns 0, top
// and left -1, without a bit string.
void TrimRaster(RasterRecord* raster);
// The columns left of column c (counted within the raster) become first,
// those right of it second; column c belongs to neither. Both are trimmed,
// own new bit strings, and have link and index -1. The source is unchanged.
void SplitRasterAtColumn(int32_t top, int32_t left, int32_t rows, int32_t columns, const uint32_t* bits,
                         RasterRecord* first, RasterRecord* second, int32_t c);
// A column without set bits, searched from the middle outwards (left side
// first at each distance) up to halfWidth columns away and within 3/8 of the
// width; 0 when there is none or the raster is too narrow for a search.
int32_t SplitBitMatrixAtGap(int32_t rows, int32_t columns, const uint32_t* bits, int32_t halfWidth);
// Frees a raster's bit string and empties the pointer.
void FreeRasterBits(RasterRecord* raster);
