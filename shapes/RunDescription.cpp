#include "shapes/RunDescription.h"

#include <cstdlib>

namespace {

inline bool Dark(uint8_t value) { return value >= 8; }

// One line of n cells, step apart in the grid; returns the bytes written.
size_t WriteLineList(const uint8_t* first, int n, int step, int lineIndex, uint8_t* out) {
  auto dark = [&](int i) { return Dark(first[i * step]); };
  // A cell past the end of the line counts as agreeing with the state.
  auto differs = [&](int i, bool state) { return i < n && dark(i) != state; };
  size_t at = 4;
  auto emit = [&](bool state, int start, int end) {
    out[at + 0] = state ? 1 : 0;
    out[at + 1] = static_cast<uint8_t>((start + end) * 4);
    out[at + 2] = static_cast<uint8_t>((end - start) * 8);
    out[at + 3] = static_cast<uint8_t>(lineIndex * 8);
    at += 4;
  };
  bool state = dark(0);
  if (differs(1, state) && differs(2, state)) state = !state;
  int start = 0;
  for (int i = 1; i <= n - 2; ++i) {
    if (dark(i) != state && dark(i + 1) != state) {
      emit(state, start, i);
      start = i;
      state = !state;
    }
  }
  emit(state, start, n);
  out[0] = static_cast<uint8_t>(at);
  out[1] = out[2] = out[3] = 0;
  return at;
}

}  // namespace

size_t ShapeRunDescriptionMaxBytes(int cols, int rows) {
  if (cols < 1 || rows < 1) return kRunDescriptionHeaderBytes;
  // A line of n cells has at most n runs.
  return kRunDescriptionHeaderBytes + static_cast<size_t>(rows) * (4 + 4 * cols) +
         static_cast<size_t>(cols) * (4 + 4 * rows);
}

int GridDarknessPercent(const uint8_t* grid, int cols, int rows) {
  const int cells = cols * rows;
  if (cells <= 0) return 0;
  long sum = 0;
  for (int i = 0; i < cells; ++i) sum += grid[i];
  return static_cast<int>(sum * 100 / (cells * 15));
}

void AdjustGridDarkness(uint8_t* grid, int cols, int rows, int target) {
  const int cells = cols * rows;
  if (cells <= 0) return;
  long histogram[16] = {};
  long sum = 0;
  for (int i = 0; i < cells; ++i) {
    const int v = grid[i] & 15;
    ++histogram[v];
    sum += grid[i];
  }
  const long full = static_cast<long>(cells) * 15;
  const int p = static_cast<int>(sum * 100 / full);
  if (std::abs(p - target) <= 5) return;
  long total = sum;
  int q = p;
  int shift = 0;
  if (p < target) {
    for (int k = 14; k >= 1; --k) {
      for (int v = 1; v <= k; ++v) total += histogram[v];
      const int next = static_cast<int>(total * 100 / full);
      if (std::abs(next - target) >= std::abs(q - target)) break;
      ++shift;
      if (std::abs(next - target) <= 5 || next >= target) break;
      q = next;
    }
  } else {
    for (int k = 1; k <= 14; ++k) {
      for (int v = k; v <= 14; ++v) total -= histogram[v];
      const int next = static_cast<int>(total * 100 / full);
      if (std::abs(next - target) >= std::abs(q - target)) break;
      --shift;
      if (std::abs(next - target) <= 5 || next <= target) break;
      q = next;
    }
  }
  if (shift == 0) return;
  for (int i = 0; i < cells; ++i) {
    if (grid[i] < 1 || grid[i] > 14) continue;
    int v = grid[i] + shift;
    if (v < 0) v = 0;
    if (v > 15) v = 15;
    grid[i] = static_cast<uint8_t>(v);
  }
}

int BuildShapeRunDescription(uint8_t* grid, int cols, int rows, int target, uint8_t* out) {
  if (!grid || !out || cols < 1 || cols > kRunGridMaxSide || rows < 1 || rows > kRunGridMaxSide || target < -1 ||
      target > 100)
    return 0;
  if (target != -1) {
    AdjustGridDarkness(grid, cols, rows, target);
    out[6] = static_cast<uint8_t>(target);
  } else {
    out[6] = static_cast<uint8_t>(GridDarknessPercent(grid, cols, rows));
  }
  out[4] = static_cast<uint8_t>(cols);
  out[5] = static_cast<uint8_t>(rows);
  out[7] = 0;
  size_t at = kRunDescriptionHeaderBytes;
  for (int r = 0; r < rows; ++r) at += WriteLineList(grid + r * cols, cols, 1, r, out + at);
  for (int c = 0; c < cols; ++c) at += WriteLineList(grid + c, rows, cols, c, out + at);
  const uint32_t total = static_cast<uint32_t>(at);
  out[0] = static_cast<uint8_t>(total);
  out[1] = static_cast<uint8_t>(total >> 8);
  out[2] = static_cast<uint8_t>(total >> 16);
  out[3] = static_cast<uint8_t>(total >> 24);
  return 1;
}
