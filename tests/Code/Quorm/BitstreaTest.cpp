// Bit strings against a bit-by-bit reference, and small rasters.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"

namespace {

bool Bit(const std::vector<uint32_t>& w, int i) { return (w[i / 32] >> (i % 32)) & 1u; }

std::vector<uint32_t> RandomWords(std::mt19937& random, int n) {
  std::vector<uint32_t> w(n);
  for (uint32_t& v : w) v = random();
  return w;
}

TEST(BitStrings, EdgeCases) {
  const uint32_t ones = 0xFFFFFFFFu;
  EXPECT_EQ(CountBitsInRange(&ones, 0, 32), 32);
  const uint32_t w18 = 0x18;
  EXPECT_EQ(CountBitsInRange(&w18, 3, 5), 2);
  EXPECT_THROW(CountBitsInRange(&w18, 3, 3), EngineFailure);
  const uint32_t pair[2] = {0xF0000000u, 0x00000005u};
  EXPECT_EQ(GetBitField(pair, 28, 6), 0x1Fu);  // high bits of the first word, then the low bits of the next
  EXPECT_EQ(GetBitField(pair, 28, 0), 0u);
  EXPECT_EQ(GetBitField(pair, 0, 32), 0xF0000000u);
  EXPECT_THROW(GetBitField(pair, 0, 33), EngineFailure);
  uint32_t w = 0;
  EXPECT_THROW(ClearBits(&w, 0, 0), EngineFailure);
  EXPECT_THROW(ClearBits(nullptr, 0, 1), EngineFailure);
}

TEST(BitStrings, AgainstBitByBit) {
  std::mt19937 random(108);
  for (int t = 0; t < 2000; ++t) {
    std::vector<uint32_t> a = RandomWords(random, 6), b = RandomWords(random, 6);
    int first = static_cast<int>(random() % 150);
    int count = 1 + static_cast<int>(random() % 40);
    int bits = 0;
    for (int i = first; i < first + count; ++i) bits += Bit(a, i);
    ASSERT_EQ(CountBitsInRange(a.data(), first, first + count), bits);
    if (count <= 32) {
      uint32_t field = 0;
      for (int i = 0; i < count; ++i) field |= static_cast<uint32_t>(Bit(a, first + i)) << i;
      ASSERT_EQ(GetBitField(a.data(), first, count), field);
    }
    int target = static_cast<int>(random() % 150);
    std::vector<uint32_t> ored = b;
    OrBits(a.data(), first, ored.data(), target, count);
    for (int i = 0; i < 192; ++i) {
      bool expected = Bit(b, i) || (i >= target && i < target + count && Bit(a, first + i - target));
      ASSERT_EQ(Bit(ored, i), expected) << i;
    }
    std::vector<uint32_t> cleared = a;
    ClearBits(cleared.data(), first, count);
    for (int i = 0; i < 192; ++i) ASSERT_EQ(Bit(cleared, i), Bit(a, i) && (i < first || i >= first + count));
    int stride = 1 + static_cast<int>(random() % 9);
    int n = static_cast<int>(random() % 4);
    bool empty = true;
    for (int i = 0; i < n; ++i) empty = empty && !Bit(a, first + i * stride);
    ASSERT_EQ(IsBitColumnEmpty(first, a.data(), stride, n), empty ? 1 : 0);
  }
}

TEST(BitStrings, BytesRoundTrip) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(77);
  for (uint8_t& b : bytes) b = random() % 3 == 0 ? static_cast<uint8_t>(1 + random() % 200) : 0;
  std::vector<uint32_t> words(3, 0xFFFFFFFFu);
  PackBytes(bytes.data(), words.data(), 77);
  EXPECT_EQ(words[2] >> 13, 0x7FFFFu);  // bits past n untouched
  std::vector<uint8_t> back(77);
  UnpackBits(back.data(), 7, 11, words.data());
  for (int i = 0; i < 77; ++i) EXPECT_EQ(back[i], bytes[i] ? 1 : 0) << i;
}

// A raster from text rows ('#' set), owning its bits through the engine heap.
RasterRecord MakeRaster(int32_t top, int32_t left, const std::vector<std::string>& rows) {
  RasterRecord r{top, left, static_cast<int32_t>(rows.size()), static_cast<int32_t>(rows[0].size()), nullptr, -1, -1};
  EngineAllocZeroed(r.bits, static_cast<size_t>(RasterWordCount(r.rows, r.columns)) * 4);
  for (int32_t y = 0; y < r.rows; ++y)
    for (int32_t x = 0; x < r.columns; ++x)
      if (rows[y][x] == '#') SetBit(r.bits, y * r.columns + x);
  return r;
}

std::vector<std::string> RasterRows(const RasterRecord& r) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < r.rows; ++y) {
    std::string row;
    for (int32_t x = 0; x < r.columns; ++x) row += GetBitMatrixBit(r, y, x) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

TEST(Rasters, TrimToTheSetBits) {
  RasterRecord r = MakeRaster(10, 20, {".....", ".....", "..#..", ".....", "....."});
  TrimRaster(&r);
  EXPECT_EQ(r.rows, 1);
  EXPECT_EQ(r.columns, 1);
  EXPECT_EQ(r.top, 12);
  EXPECT_EQ(r.left, 22);
  EXPECT_EQ(GetBitMatrixBit(r, 0, 0), 1);
  EXPECT_EQ(GetBitMatrixBit(r, 0, 1), 0);
  EXPECT_EQ(GetBitMatrixBit(r, -1, 0), 0);
  FreeRasterBits(&r);

  r = MakeRaster(0, 0, {"......", ".#....", "...##.", "......"});
  TrimRaster(&r);
  EXPECT_EQ(RasterRows(r), (std::vector<std::string>{"#...", "..##"}));
  EXPECT_EQ(r.top, 1);
  EXPECT_EQ(r.left, 1);
  FreeRasterBits(&r);

  r = MakeRaster(5, 5, {"...", "..."});
  TrimRaster(&r);
  EXPECT_EQ(r.rows, 0);
  EXPECT_EQ(r.columns, 0);
  EXPECT_EQ(r.top, -1);
  EXPECT_EQ(r.left, -1);
  EXPECT_EQ(r.bits, nullptr);
}

TEST(Rasters, SplitAtAColumn) {
  RasterRecord r = MakeRaster(3, 7, {"##.#", "#..#", "...#"});
  RasterRecord left{}, right{};
  SplitRasterAtColumn(r.top, r.left, r.rows, r.columns, r.bits, &left, &right, 2);
  EXPECT_EQ(RasterRows(left), (std::vector<std::string>{"##", "#."}));
  EXPECT_EQ(left.top, 3);
  EXPECT_EQ(left.left, 7);
  EXPECT_EQ(RasterRows(right), (std::vector<std::string>{"#", "#", "#"}));
  EXPECT_EQ(right.left, 10);
  EXPECT_EQ(left.link, -1);
  EXPECT_EQ(right.index, -1);
  FreeRasterBits(&left);
  FreeRasterBits(&right);
  // At the first column: nothing on the left.
  SplitRasterAtColumn(r.top, r.left, r.rows, r.columns, r.bits, &left, &right, 0);
  EXPECT_EQ(left.rows, 0);
  EXPECT_EQ(left.bits, nullptr);
  EXPECT_EQ(RasterRows(right), (std::vector<std::string>{"#.#", "..#", "..#"}));
  FreeRasterBits(&right);
  EXPECT_THROW(SplitRasterAtColumn(r.top, r.left, r.rows, r.columns, r.bits, &left, &right, 4), EngineFailure);
  FreeRasterBits(&r);
}

TEST(Rasters, GapNearTheMiddle) {
  RasterRecord r = MakeRaster(0, 0, {"###.####.#", "###.####.#"});
  // Middle column 5 is set; the nearest empty columns are 3 (left) and 8.
  EXPECT_EQ(SplitBitMatrixAtGap(r.rows, r.columns, r.bits, 10), 3);
  EXPECT_EQ(SplitBitMatrixAtGap(r.rows, r.columns, r.bits, 1), 0);  // not within the half-width
  FreeRasterBits(&r);
  r = MakeRaster(0, 0, {"##########"});
  EXPECT_EQ(SplitBitMatrixAtGap(r.rows, r.columns, r.bits, 10), 0);
  FreeRasterBits(&r);
  r = MakeRaster(0, 0, {"#.#"});
  EXPECT_EQ(SplitBitMatrixAtGap(r.rows, r.columns, r.bits, 10), 1);
  FreeRasterBits(&r);
  r = MakeRaster(0, 0, {"#.", ".#"});
  EXPECT_EQ(SplitBitMatrixAtGap(r.rows, r.columns, r.bits, 10), 0);  // too narrow for a search
  FreeRasterBits(&r);
}

}  // namespace
