// Staff-line removal: black pixels near a staff line are scored by how far
// they run on beyond the line in any of nine slants; a smoothed score keeps
// the pixels of symbols that cross or touch a line and clears the rest.
#include <algorithm>
#include <cmath>

#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"

namespace {

constexpr uint8_t kBlackMark = 224;
constexpr uint8_t kWhiteMark = 64;
constexpr uint8_t kKeepBit = 128;
constexpr int32_t kMaxKernelEntries = 10000;

struct KernelEntry {
  int32_t dy;
  int32_t dx;
  int32_t weight;
};

int32_t FloorDiv4(int32_t v) { return v >= 0 ? v / 4 : -((-v + 3) / 4); }

// Score 0..32 of a black pixel: low inside a thin horizontal line, high on a
// stroke that runs on beyond the line.
int32_t LineScore(int32_t y, int32_t x, int32_t centreRow, int32_t t) {
  double sum = 0;
  for (int32_t k = -4; k <= 4; ++k) {
    int32_t a = 1, b = 1;
    for (int32_t j = 1; j <= t && GetPagePixel(y - j, FloorDiv4(4 * x - k * j + 2)); ++j) ++a;
    for (int32_t j = 1; j <= t && GetPagePixel(y + j, FloorDiv4(4 * x + k * j + 2)); ++j) ++b;
    const double sample = 0.2 * std::abs(centreRow - y) / t +
                          ((2.0 * a - 1) / (2.0 * t + 2)) * ((2.0 * b - 1) / (2.0 * t + 2));
    sum += std::pow(sample, 8.0);
  }
  return std::min(32, RoundToInt(32.0 * std::pow(sum / 9.0, 1.0 / 8.0)));
}

int32_t BuildKernel(KernelEntry* kernel, int32_t* count) {
  const double sigma = std::max(0.3, GetPageLineThickness() * 0.0004);
  const int32_t r = static_cast<int32_t>(3.0 * sigma);
  int32_t total = 0;
  *count = 0;
  for (int32_t dy = -r; dy <= r; ++dy)
    for (int32_t dx = -r; dx <= r && *count < kMaxKernelEntries; ++dx) {
      const int32_t w =
          RoundToInt(1024.0 * std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma)) / (std::sqrt(6.2831852) * sigma));
      if (w <= 0) continue;
      kernel[(*count)++] = {dy, dx, w};
      total += w;
    }
  return total;
}

}  // namespace

void EraseStaffLines() {
  if (GetStaffCount() == 0) return;
  const int32_t width = GetPageImageWidth();
  const int32_t height = GetPageImageHeight();
  WorkArray<uint8_t> marks(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      marks[static_cast<size_t>(y) * width + x] = GetPagePixel(y, x) ? kBlackMark : kWhiteMark;

  for (int32_t s = 0; s < GetStaffCount(); ++s) {
    const StaffRecord& row = CountedStaff(s);
    const int32_t band = row.lineThickness / 2 + row.thicknessSpread + row.staffSpace / 20;
    const int32_t t = std::max(1, RoundQ10(RoundToInt(1.5 * row.thicknessSpread) + row.staffSpace / 8));
    for (int32_t k = 0; k < row.lineCount; ++k)
      for (int32_t c = std::max(0, row.leftX); c < std::min(width, row.rightX); ++c) {
        const int32_t y = row.lineY[k][c];
        const int32_t centre = RoundQ10(y);
        for (int32_t r = std::max(0, RoundQ10(y - band)); r < std::min(height, RoundQ10(y + band)); ++r) {
          uint8_t& mark = marks[static_cast<size_t>(r) * width + c];
          if (mark == kBlackMark) mark = static_cast<uint8_t>(LineScore(r, c, centre, t));
        }
      }
  }

  WorkArray<KernelEntry> kernel(kMaxKernelEntries);
  int32_t entries = 0;
  const int64_t total = BuildKernel(kernel.data(), &entries);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t& mark = marks[static_cast<size_t>(y) * width + x];
      if (mark & kWhiteMark) continue;
      int64_t sum = 0;
      for (int32_t i = 0; i < entries; ++i) {
        const int32_t ny = y + kernel[i].dy, nx = x + kernel[i].dx;
        if (ny < 0 || ny >= height || nx < 0 || nx >= width) continue;
        sum += static_cast<int64_t>(kernel[i].weight) * (marks[static_cast<size_t>(ny) * width + nx] & 63);
      }
      if (2 * sum > 32 * total) mark |= kKeepBit;
    }

  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (marks[static_cast<size_t>(y) * width + x] < kWhiteMark) ClearPagePixel(y, x);
}
