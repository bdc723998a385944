// Small 1-bit symbol bitmaps made in the tests: rows of (stride + 1) x 4
// bytes, pixel x in bit x mod 8 of byte x / 8, 1 = black.
#pragma once

#include <cstdint>
#include <vector>

struct TestBitmap {
  int width, height, stride;
  std::vector<uint8_t> bits;

  TestBitmap(int w, int h, int extraWords = 0)
      : width(w), height(h), stride((w + 31) / 32 - 1 + extraWords), bits(RowBytes() * h, 0) {}
  size_t RowBytes() const { return (static_cast<size_t>(stride) + 1) * 4; }
  void Set(int x, int y, bool black = true) {
    uint8_t& b = bits[y * RowBytes() + x / 8];
    b = static_cast<uint8_t>(black ? (b | 1 << (x % 8)) : (b & ~(1 << (x % 8))));
  }
  bool Get(int x, int y) const { return (bits[y * RowBytes() + x / 8] >> (x % 8)) & 1; }
  void Fill(int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y);
  }
};

// A fixed-seed generator, the same on every build.
class TestRandom {
 public:
  explicit TestRandom(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint32_t state_;
};

// Unpacked nibble k of packed cells.
inline int CellAt(const uint8_t* cells, int k) { return (cells[k / 2] >> (k % 2 * 4)) & 15; }
