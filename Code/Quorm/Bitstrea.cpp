// Bit strings and small rasters.
#include "Code/Quorm/Bitstrea.h"

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"

namespace {

int32_t BitAt(const uint32_t* words, int64_t bit) { return static_cast<int32_t>((words[bit >> 5] >> (bit & 31)) & 1u); }

int32_t PopCount(uint32_t v) {
  v = v - ((v >> 1) & 0x55555555u);
  v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
  v = (v + (v >> 4)) & 0x0F0F0F0Fu;
  return static_cast<int32_t>((v * 0x01010101u) >> 24);
}

// Mask of the bits from..to-1 of one word (0 <= from < to <= 32).
uint32_t WordMask(int32_t from, int32_t to) {
  uint32_t high = to == 32 ? 0xFFFFFFFFu : ((1u << to) - 1u);
  return high & ~((1u << from) - 1u);
}

void AllocRasterBits(RasterRecord* raster) {
  raster->bits = nullptr;
  EngineAllocZeroedChecked(raster->bits, static_cast<size_t>(RasterWordCount(raster->rows, raster->columns)) * 4);
}

}  // namespace

void SetBit(uint32_t* words, int32_t bit) {
  ENGINE_CHECK_POINTER(words);
  ENGINE_CHECK(bit >= 0);
  words[bit >> 5] |= 1u << (bit & 31);
}

void ClearBits(uint32_t* words, int32_t first, int32_t count) {
  ENGINE_CHECK_POINTER(words);
  ENGINE_CHECK(count > 0 && first >= 0);
  int64_t end = static_cast<int64_t>(first) + count;
  int64_t bit = first;
  while (bit < end) {
    int32_t from = static_cast<int32_t>(bit & 31);
    int32_t to = end - (bit - from) >= 32 ? 32 : static_cast<int32_t>(end - (bit - from));
    words[bit >> 5] &= ~WordMask(from, to);
    bit += to - from;
  }
}

int32_t GetBitMatrixBit(const RasterRecord& raster, int32_t row, int32_t column) {
  if (row < 0 || column < 0 || row >= raster.rows || column >= raster.columns || !raster.bits) return 0;
  return BitAt(raster.bits, static_cast<int64_t>(row) * raster.columns + column);
}

int32_t CountBitsInRange(const uint32_t* words, int32_t first, int32_t end) {
  ENGINE_CHECK_POINTER(words);
  ENGINE_CHECK(first >= 0 && end > first);
  int32_t count = 0;
  int32_t bit = first;
  while (bit < end) {
    int32_t from = bit & 31;
    int32_t to = end - (bit - from) >= 32 ? 32 : end - (bit - from);
    count += PopCount(words[bit >> 5] & WordMask(from, to));
    bit += to - from;
  }
  return count;
}

void UnpackBits(uint8_t* bytes, int32_t rows, int32_t columns, const uint32_t* words) {
  ENGINE_CHECK(rows >= 0 && columns >= 0);
  int64_t n = static_cast<int64_t>(rows) * columns;
  if (n == 0) return;
  ENGINE_CHECK(bytes && words);
  for (int64_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(BitAt(words, i));
}

void PackBytes(const uint8_t* bytes, uint32_t* words, int32_t n) {
  ENGINE_CHECK(n >= 0);
  if (n == 0) return;
  ENGINE_CHECK(bytes && words);
  ClearBits(words, 0, n);
  for (int32_t i = 0; i < n; ++i)
    if (bytes[i]) words[i >> 5] |= 1u << (i & 31);
}

uint32_t GetBitField(const uint32_t* words, int32_t first, int32_t count) {
  ENGINE_CHECK(count >= 0 && count <= 32);
  if (count == 0) return 0;
  ENGINE_CHECK_POINTER(words);
  ENGINE_CHECK(first >= 0);
  int32_t offset = first & 31;
  uint64_t joined = words[first >> 5];
  if (offset + count > 32) joined |= static_cast<uint64_t>(words[(first >> 5) + 1]) << 32;
  joined >>= offset;
  return count == 32 ? static_cast<uint32_t>(joined) : static_cast<uint32_t>(joined & ((uint64_t{1} << count) - 1));
}

int32_t IsBitColumnEmpty(int32_t first, const uint32_t* words, int32_t stride, int32_t count) {
  ENGINE_CHECK(count >= 0 && first >= 0);
  if (count == 0) return 1;
  ENGINE_CHECK_POINTER(words);
  for (int64_t i = 0, bit = first; i < count; ++i, bit += stride)
    if (BitAt(words, bit)) return 0;
  return 1;
}

void OrBits(const uint32_t* source, int32_t sourceFirst, uint32_t* target, int32_t targetFirst, int32_t count) {
  ENGINE_CHECK(count >= 0 && sourceFirst >= 0 && targetFirst >= 0);
  if (count == 0) return;
  ENGINE_CHECK(source && target);
  int32_t done = 0;
  while (done < count) {
    int32_t t = targetFirst + done;
    int32_t from = t & 31;
    int32_t take = 32 - from;
    if (take > count - done) take = count - done;
    uint32_t piece = GetBitField(source, sourceFirst + done, take);
    target[t >> 5] |= piece << from;
    done += take;
  }
}

void FreeRasterBits(RasterRecord* raster) {
  ENGINE_CHECK_POINTER(raster);
  EngineFree(raster->bits);
}

void TrimRaster(RasterRecord* raster) {
  ENGINE_CHECK_POINTER(raster);
  ENGINE_CHECK(raster->rows >= 0 && raster->columns >= 0);
  const int32_t rows = raster->rows;
  const int32_t columns = raster->columns;
  int32_t top = rows, bottom = -1, left = columns, right = -1;
  for (int32_t r = 0; r < rows && columns > 0; ++r) {
    if (CountBitsInRange(raster->bits, r * columns, (r + 1) * columns) == 0) continue;
    if (top == rows) top = r;
    bottom = r;
    for (int32_t c = 0; c < columns; ++c) {
      if (!BitAt(raster->bits, static_cast<int64_t>(r) * columns + c)) continue;
      if (c < left) left = c;
      if (c > right) right = c;
    }
  }
  if (bottom < 0) {
    FreeRasterBits(raster);
    raster->rows = raster->columns = 0;
    raster->top = raster->left = -1;
    return;
  }
  if (top == 0 && left == 0 && bottom == rows - 1 && right == columns - 1) return;
  RasterRecord trimmed = *raster;
  trimmed.rows = bottom - top + 1;
  trimmed.columns = right - left + 1;
  trimmed.top = raster->top + top;
  trimmed.left = raster->left + left;
  AllocRasterBits(&trimmed);
  for (int32_t r = 0; r < trimmed.rows; ++r)
    OrBits(raster->bits, (top + r) * columns + left, trimmed.bits, r * trimmed.columns, trimmed.columns);
  FreeRasterBits(raster);
  *raster = trimmed;
}

void SplitRasterAtColumn(int32_t top, int32_t left, int32_t rows, int32_t columns, const uint32_t* bits,
                         RasterRecord* first, RasterRecord* second, int32_t c) {
  ENGINE_CHECK(first && second && first != second);
  ENGINE_CHECK(rows >= 0 && columns >= 0 && (bits || rows * columns == 0));
  ENGINE_CHECK(c >= 0 && c < columns);
  ENGINE_CHECK(!first->bits && !second->bits);
  auto part = [&](RasterRecord* out, int32_t from, int32_t width) {
    *out = RasterRecord{top, left + from, rows, width, nullptr, -1, -1};
    if (width > 0 && rows > 0) {
      AllocRasterBits(out);
      for (int32_t r = 0; r < rows; ++r) OrBits(bits, r * columns + from, out->bits, r * width, width);
    }
    TrimRaster(out);
  };
  part(first, 0, c);
  part(second, c + 1, columns - c - 1);
}

int32_t SplitBitMatrixAtGap(int32_t rows, int32_t columns, const uint32_t* bits, int32_t halfWidth) {
  ENGINE_CHECK(rows >= 0 && columns >= 0);
  int32_t reach = columns * 3 / 8;
  if (halfWidth < reach) reach = halfWidth;
  int32_t middle = columns / 2;
  if (columns < 3 || reach < 0 || rows == 0) return 0;
  ENGINE_CHECK_POINTER(bits);
  for (int32_t d = 0; d <= reach; ++d) {
    const int32_t candidates[2] = {middle - d, middle + d};
    for (int32_t c : candidates) {
      if (c <= 0 || c >= columns - 1) continue;
      if (IsBitColumnEmpty(c, bits, columns, rows)) return c;
    }
  }
  return 0;
}
