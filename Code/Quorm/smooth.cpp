// Gaussian smoothing of integer profiles.
#include "Code/Quorm/smooth.h"

#include <algorithm>
#include <cmath>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"

namespace {

// Symmetric half-kernels c0, c1, ... ended by 0, each with
// c0 + 2 (c1 + c2 + ...) = 2048; one per sigma class. The rows between the
// first four and the last are sampled Gaussians of the class's middle sigma
// (geometric), rounded so that the sum is exact.
const int32_t kKernels[kKernelCount][kMaxKernelTaps] = {
    {1550, 248, 1, 0},
    {1206, 406, 15, 0},
    {930, 486, 70, 3, 0},
    {782, 494, 125, 13, 1, 0},
    {718, 488, 153, 22, 2, 0},
    {658, 476, 180, 35, 4, 0},
    {604, 459, 203, 52, 8, 0},
    {554, 440, 221, 70, 14, 2, 0},
    {508, 419, 235, 89, 23, 4, 0},
    {466, 396, 243, 108, 35, 8, 1, 0},
    {426, 372, 248, 125, 48, 14, 3, 1, 0},
    {392, 349, 247, 140, 63, 22, 6, 1, 0},
    {358, 326, 244, 151, 77, 32, 11, 3, 1, 0},
    {330, 303, 238, 159, 90, 43, 18, 6, 2, 0},
    {302, 282, 230, 163, 101, 55, 26, 11, 4, 1, 0},
    {276, 261, 220, 165, 111, 66, 35, 17, 7, 3, 1, 0},
    {254, 242, 209, 164, 117, 76, 45, 24, 12, 5, 2, 1, 0},
    {232, 223, 198, 162, 122, 84, 54, 32, 17, 9, 4, 2, 1, 0},
    {214, 206, 186, 157, 124, 91, 63, 40, 24, 13, 7, 3, 2, 1, 0},
    {196, 190, 174, 151, 124, 96, 70, 48, 31, 19, 11, 6, 3, 2, 1, 0},
    {180, 175, 163, 145, 122, 98, 75, 55, 38, 25, 16, 10, 6, 3, 2, 1, 0},
    {164, 161, 152, 137, 119, 99, 80, 61, 45, 32, 22, 14, 9, 5, 3, 2, 1, 0},
    {150, 148, 141, 129, 115, 99, 82, 66, 51, 38, 27, 19, 13, 9, 5, 3, 2, 1, 1, 0},
    {138, 136, 131, 122, 110, 97, 83, 69, 55, 43, 33, 24, 18, 12, 8, 6, 4, 2, 1, 1, 0},
    {126, 125, 121, 114, 105, 94, 82, 70, 59, 48, 38, 29, 22, 17, 12, 8, 6, 4, 3, 2, 1, 1, 0},
    {116, 115, 112, 106, 99, 90, 81, 71, 61, 51, 42, 34, 27, 21, 16, 12, 9, 6, 5, 3, 2, 1, 1, 1, 0},
    {106, 106, 103, 99, 93, 86, 78, 70, 62, 54, 46, 38, 31, 25, 20, 16, 12, 9, 7, 5, 4, 3, 2, 1, 1, 0},
};

// Lower bounds of the classes 1 .. 26: below 1 in steps of 2^(3/8), from 1 in
// steps of 2^(1/8).
const double kClassBounds[kKernelCount - 1] = {0.595, 0.771, 1.0,   1.091, 1.189, 1.297, 1.414, 1.542, 1.682,
                                               1.834, 2.0,   2.181, 2.378, 2.594, 2.828, 3.084, 3.364, 3.668,
                                               4.0,   4.362, 4.757, 5.187, 5.657, 6.169, 6.727, 7.336};

const int32_t kBinomial[] = {2, 1, 0};

// Index of sample t of a profile of n samples mirrored at both ends
// (in[-j] = in[j - 1], in[n - 1 + j] = in[n - j], and so on periodically).
int64_t MirrorIndex(int64_t t, int64_t n) {
  int64_t period = 2 * n;
  t %= period;
  if (t < 0) t += period;
  return t < n ? t : period - 1 - t;
}

// A work array of the engine heap that is freed however the scope is left.
struct WorkArray {
  int32_t* data = nullptr;
  explicit WorkArray(int32_t n) { EngineAllocChecked(data, static_cast<size_t>(n) * sizeof(int32_t)); }
  ~WorkArray() { EngineFree(data); }
  WorkArray(const WorkArray&) = delete;
  WorkArray& operator=(const WorkArray&) = delete;
};

void CheckProfile(const int32_t* values, int32_t n) {
  ENGINE_CHECK(n >= 0);
  ENGINE_CHECK(n == 0 || values != nullptr);
}

// values x 2^shift, saturated.
int32_t ShiftLeftSaturated(int32_t v, int32_t shift) { return SaturateToInt32(static_cast<int64_t>(v) * (int64_t{1} << shift)); }

}  // namespace

int32_t GaussianKernelClass(double sigma) {
  ENGINE_CHECK(!std::isnan(sigma));
  int32_t k = 0;
  while (k < kKernelCount - 1 && sigma >= kClassBounds[k]) ++k;
  return k;
}

const int32_t* GetGaussianKernel(int32_t classIndex) {
  ENGINE_CHECK_INDEX(classIndex, kKernelCount);
  return kKernels[classIndex];
}

const int32_t* SelectGaussianKernel(double sigma) { return kKernels[GaussianKernelClass(sigma)]; }

void ApplyKernel(int32_t* out, const int32_t* in, int32_t n, int32_t stride, int32_t mirror, const int32_t* kernel) {
  CheckProfile(in, n);
  CheckProfile(out, n);
  ENGINE_CHECK_POINTER(kernel);
  ENGINE_CHECK(stride >= 1);
  if (n == 0) return;
  ENGINE_CHECK(out != in);
  int64_t taps = 1;
  while (taps < kMaxKernelTaps && kernel[taps] != 0) ++taps;
  auto atEdge = [&](int64_t i) {
    int64_t sum = static_cast<int64_t>(kernel[0]) * in[i];
    for (int64_t k = 1; k < taps; ++k) {
      int64_t left = i - k * stride;
      int64_t right = i + k * stride;
      int64_t pair = 0;
      if (mirror) {
        pair = static_cast<int64_t>(in[MirrorIndex(left, n)]) + in[MirrorIndex(right, n)];
      } else {
        if (left >= 0) pair += in[left];
        if (right < n) pair += in[right];
      }
      sum += kernel[k] * pair;
    }
    out[i] = SaturateToInt32(sum);
  };
  // Samples whose taps all lie inside the profile need no mirroring and no
  // bounds: the same sums, read straight.
  const int64_t reach = (taps - 1) * static_cast<int64_t>(stride);
  const int64_t firstInner = std::min<int64_t>(reach, n);
  const int64_t endInner = std::max<int64_t>(firstInner, n - reach);
  for (int64_t i = 0; i < firstInner; ++i) atEdge(i);
  for (int64_t i = firstInner; i < endInner; ++i) {
    int64_t sum = static_cast<int64_t>(kernel[0]) * in[i];
    for (int64_t k = 1; k < taps; ++k)
      sum += kernel[k] * (static_cast<int64_t>(in[i - k * stride]) + in[i + k * stride]);
    out[i] = SaturateToInt32(sum);
  }
  for (int64_t i = endInner; i < n; ++i) atEdge(i);
}

void ApplyBinomial(int32_t stride, int32_t* out, const int32_t* in, int32_t n, int32_t mirror) {
  ApplyKernel(out, in, n, stride, mirror, kBinomial);
}

int32_t NormaliseProfile(int32_t* values, int32_t n) {
  CheckProfile(values, n);
  int64_t greatest = 0;
  for (int32_t i = 0; i < n; ++i) {
    int64_t magnitude = values[i] < 0 ? -static_cast<int64_t>(values[i]) : values[i];
    if (magnitude > greatest) greatest = magnitude;
  }
  int32_t shift = 0;
  while (greatest >= (int64_t{1} << 20)) {
    greatest >>= 1;
    ++shift;
  }
  if (shift > 0)
    for (int32_t i = 0; i < n; ++i) values[i] = static_cast<int32_t>(DivRound64(values[i], int64_t{1} << shift));
  return shift;
}

void AddKernelSpike(int32_t* values, int32_t n, int32_t weight, int32_t position, double sigma) {
  CheckProfile(values, n);
  const int32_t* kernel = SelectGaussianKernel(sigma);
  auto add = [&](int64_t at, int32_t tap) {
    if (at >= 0 && at < n)
      values[at] = SaturateToInt32(values[at] + static_cast<int64_t>(weight) * tap / 2);
  };
  add(position, kernel[0]);
  for (int32_t k = 1; k < kMaxKernelTaps && kernel[k] != 0; ++k) {
    add(static_cast<int64_t>(position) - k, kernel[k]);
    add(static_cast<int64_t>(position) + k, kernel[k]);
  }
}

void SmoothSmall(double sigma, int32_t mirror, int32_t* values, int32_t n) {
  ENGINE_CHECK(!std::isnan(sigma) && sigma <= 8.0);
  CheckProfile(values, n);
  if (n == 0) return;
  WorkArray copy(n);
  for (int32_t i = 0; i < n; ++i) copy.data[i] = values[i];
  int32_t shift = NormaliseProfile(copy.data, n);
  ApplyKernel(values, copy.data, n, 1, mirror, SelectGaussianKernel(sigma));
  if (shift > 0)
    for (int32_t i = 0; i < n; ++i) values[i] = ShiftLeftSaturated(values[i], shift);
}

void SmoothWide(int32_t mirror, double sigma, int32_t* values, int32_t n) {
  ENGINE_CHECK(!std::isnan(sigma) && sigma >= 8.0);
  CheckProfile(values, n);
  if (n == 0) return;
  WorkArray work(n);
  int32_t shift = NormaliseProfile(values, n);
  // Binomial passes at strides f/2 .. 1 widen the profile, so that the
  // kernel of sigma / f can sample it at stride f; their gain is f^2.
  int32_t passes = sigma >= 128.0 ? 5 : sigma >= 64.0 ? 4 : sigma >= 32.0 ? 3 : sigma >= 16.0 ? 2 : 1;
  int32_t f = 1 << passes;
  int32_t* source = values;
  int32_t* target = work.data;
  for (int32_t stride = f / 2; stride >= 1; stride /= 2) {
    ApplyBinomial(stride, target, source, n, mirror);
    int32_t* t = source;
    source = target;
    target = t;
  }
  shift += NormaliseProfile(source, n);
  ApplyKernel(target, source, n, f, mirror, SelectGaussianKernel(sigma / f));
  // Take out the binomial gain f^2 = 2^(2 passes) and put back the shifts.
  int32_t exponent = shift - 2 * passes;
  for (int32_t i = 0; i < n; ++i) {
    int32_t v = target[i];
    if (exponent > 0)
      v = ShiftLeftSaturated(v, exponent);
    else if (exponent < 0)
      v = static_cast<int32_t>(DivRound64(v, int64_t{1} << -exponent));
    values[i] = v;
  }
}

void SmoothMirrored(int32_t* values, int32_t n, double sigma) {
  if (sigma <= 8.0)
    SmoothSmall(sigma, 1, values, n);
  else
    SmoothWide(1, sigma, values, n);
}

void SmoothProfile(int32_t* values, int32_t n, double sigma) {
  if (sigma <= 8.0)
    SmoothSmall(sigma, 0, values, n);
  else
    SmoothWide(0, sigma, values, n);
}
