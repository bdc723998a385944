// Smoothing of integer profiles against a slow convolution in long double.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/smooth.h"

namespace {

using Profile = std::vector<int32_t>;
using Exact = std::vector<long double>;

long double Sample(const Exact& in, long long t, bool mirror, bool* inside) {
  long long n = static_cast<long long>(in.size());
  *inside = true;
  if (!mirror) {
    *inside = t >= 0 && t < n;
    return *inside ? in[t] : 0;
  }
  while (t < 0 || t >= n) t = t < 0 ? -t - 1 : 2 * n - 1 - t;
  return in[t];
}

Exact Convolve(const Exact& in, const int32_t* kernel, int stride, bool mirror) {
  Exact out(in.size());
  bool inside;
  for (long long i = 0; i < static_cast<long long>(in.size()); ++i) {
    long double sum = kernel[0] * in[i];
    for (int k = 1; kernel[k] != 0; ++k)
      sum += kernel[k] * (Sample(in, i - k * stride, mirror, &inside) + Sample(in, i + k * stride, mirror, &inside));
    out[i] = sum;
  }
  return out;
}

Exact ToExact(const Profile& p) { return Exact(p.begin(), p.end()); }

// What SmoothSmall / SmoothWide compute, without fixed-point losses.
Exact ReferenceSmooth(const Profile& values, double sigma, bool mirror) {
  static const int32_t binomial[] = {2, 1, 0};
  Exact v = ToExact(values);
  if (sigma <= 8.0) return Convolve(v, SelectGaussianKernel(sigma), 1, mirror);
  int passes = sigma >= 128 ? 5 : sigma >= 64 ? 4 : sigma >= 32 ? 3 : sigma >= 16 ? 2 : 1;
  int f = 1 << passes;
  for (int stride = f / 2; stride >= 1; stride /= 2) v = Convolve(v, binomial, stride, mirror);
  v = Convolve(v, SelectGaussianKernel(sigma / f), f, mirror);
  for (long double& x : v) x /= static_cast<long double>(f) * f;
  return v;
}

Profile RandomProfile(std::mt19937& random, int n, int bits) {
  Profile p(n);
  for (int32_t& v : p) v = static_cast<int32_t>(random() % (1u << bits));
  return p;
}

TEST(Smooth, KernelTable) {
  for (int k = 0; k < kKernelCount; ++k) {
    const int32_t* c = GetGaussianKernel(k);
    int sum = c[0];
    int taps = 1;
    while (c[taps] != 0) {
      EXPECT_LE(c[taps], c[taps - 1]) << k;
      sum += 2 * c[taps];
      ++taps;
    }
    EXPECT_EQ(sum, kKernelGain) << k;
    EXPECT_LT(taps, kMaxKernelTaps);
  }
  const int32_t first[] = {1550, 248, 1, 0};
  const int32_t fourth[] = {782, 494, 125, 13, 1, 0};
  const int32_t last[] = {106, 106, 103, 99, 93, 86, 78, 70, 62, 54, 46, 38, 31, 25, 20, 16};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(SelectGaussianKernel(0.3)[i], first[i]);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(SelectGaussianKernel(1.05)[i], fourth[i]);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(SelectGaussianKernel(7.5)[i], last[i]);
  EXPECT_EQ(SelectGaussianKernel(0.6)[0], 1206);
  EXPECT_EQ(SelectGaussianKernel(0.9)[0], 930);
}

TEST(Smooth, KernelClasses) {
  struct Case {
    double sigma;
    int kernel;
  } cases[] = {{0.0, 0},   {0.594, 0}, {0.595, 1},  {0.771, 2},  {0.99, 2},   {1.0, 3},    {1.09, 3},
               {1.091, 4}, {1.9, 10},   {2.0, 11},   {2.1, 11},   {3.9, 18},   {4.0, 19},   {7.335, 25},
               {7.336, 26}, {8.0, 26}, {500.0, 26}};
  for (const Case& c : cases) EXPECT_EQ(GaussianKernelClass(c.sigma), c.kernel) << c.sigma;
  EXPECT_THROW(GaussianKernelClass(std::nan("")), EngineFailure);
}

TEST(Smooth, ConstantProfileCarriesTheKernelGain) {
  for (double sigma : {0.5, 1.0, 3.3, 8.0, 8.5, 20.0, 40.0, 90.0, 200.0}) {
    for (int32_t c : {0, 1, 7, 1000, 1048575}) {
      Profile p(300, c);
      SmoothMirrored(p.data(), 300, sigma);
      for (int32_t v : p) ASSERT_EQ(v, c * 2048) << sigma << " " << c;
    }
  }
}

// A copy of p smoothed (mirrored at its ends or not) is within tolerance of
// the reference convolution want at every sample, want saturated above 32
// bits.
void ExpectSmoothedNear(const Profile& p, double sigma, bool mirror, const Exact& want, long double tolerance) {
  const int n = static_cast<int>(p.size());
  Profile got = p;
  if (mirror)
    SmoothMirrored(got.data(), n, sigma);
  else
    SmoothProfile(got.data(), n, sigma);
  for (int i = 0; i < n; ++i) {
    long double expected = std::min<long double>(want[i], INT32_MAX);
    ASSERT_LE(std::fabs(got[i] - expected), tolerance) << "sigma " << sigma << " n " << n << " i " << i;
  }
}

TEST(Smooth, SmallSigmaMatchesConvolution) {
  std::mt19937 random(111);
  for (int t = 0; t < 200; ++t) {
    double sigma = (random() % 8000) / 1000.0;
    int n = 1 + static_cast<int>(random() % 70);
    bool mirror = t % 2 == 0;
    int bits = 4 + t % 28;  // from small counts to values far above 2^20
    Profile p = RandomProfile(random, n, bits);
    Exact want = ReferenceSmooth(p, sigma, mirror);
    long double greatest = 0;
    for (int32_t v : p) greatest = std::max<long double>(greatest, v);
    // Values below 2^20 are exact; above, each sample is rounded to a
    // multiple of 2^k before the kernel.
    long double tolerance = greatest < 1048576 ? 0 : 2048 * greatest / 1048576 + 1;
    ASSERT_NO_FATAL_FAILURE(ExpectSmoothedNear(p, sigma, mirror, want, tolerance));
  }
}

TEST(Smooth, WideSigmaMatchesConvolution) {
  std::mt19937 random(222);
  for (int t = 0; t < 60; ++t) {
    double sigma = 8.0 + (random() % 250000) / 1000.0;
    int n = 1 + static_cast<int>(random() % 900);
    bool mirror = t % 2 == 1;
    Profile p = RandomProfile(random, n, 4 + t % 24);
    Exact want = ReferenceSmooth(p, sigma, mirror);
    long double greatest = 1;
    for (long double v : want) greatest = std::max(greatest, std::fabs(v));
    ASSERT_NO_FATAL_FAILURE(ExpectSmoothedNear(p, sigma, mirror, want, greatest / 65536 + 2));
  }
}

TEST(Smooth, NeverOverflows) {
  // 2^21 x 2048 = 2^32 does not fit: saturated, with the sign kept.
  Profile p(50, 2097152);
  SmoothMirrored(p.data(), 50, 2.0);
  for (int32_t v : p) EXPECT_EQ(v, INT32_MAX);
  p.assign(50, -2097152);
  SmoothMirrored(p.data(), 50, 30.0);
  for (int32_t v : p) EXPECT_EQ(v, INT32_MIN);
  // A lone huge spike: saturated where the true value is too big, exact
  // (to the normalisation) where it fits.
  p.assign(41, 0);
  p[20] = INT32_MAX;
  SmoothProfile(p.data(), 41, 0.3);
  EXPECT_EQ(p[20], INT32_MAX);
  EXPECT_EQ(p[19], INT32_MAX);
  EXPECT_NEAR(p[22], 2147483647.0, 2048.0 * 2048);  // tap 2 of {1550, 248, 1}
  EXPECT_EQ(p[23], 0);
  int32_t in[3] = {INT32_MAX, INT32_MIN, INT32_MAX};
  int32_t out[3];
  ApplyBinomial(1, out, in, 3, 1);
  EXPECT_EQ(out[0], INT32_MAX);
  EXPECT_EQ(out[1], -2);
}

TEST(Smooth, NormaliseProfile) {
  Profile small = {5, -1048575, 1048575, 0};
  Profile copy = small;
  EXPECT_EQ(NormaliseProfile(copy.data(), 4), 0);
  EXPECT_EQ(copy, small);
  Profile big = {1048576, -3, 3, -4194304};
  EXPECT_EQ(NormaliseProfile(big.data(), 4), 3);
  EXPECT_EQ(big, (Profile{131072, 0, 0, -524288}));
}

TEST(Smooth, KernelsAndSpikes) {
  // Mirrored ends: in[-1] = in[0], in[n] = in[n-1].
  int32_t in[4] = {1, 2, 3, 4};
  int32_t out[4];
  ApplyBinomial(1, out, in, 4, 1);
  EXPECT_EQ(out[0], 2 + 1 + 2);
  EXPECT_EQ(out[3], 8 + 3 + 4);
  ApplyBinomial(1, out, in, 4, 0);
  EXPECT_EQ(out[0], 2 + 2);
  EXPECT_EQ(out[3], 8 + 3);
  ApplyBinomial(2, out, in, 4, 1);
  EXPECT_EQ(out[0], 2 + 2 + 3);  // in[-2] = in[1]
  EXPECT_THROW(ApplyBinomial(1, in, in, 4, 1), EngineFailure);

  int32_t values[4] = {0, 0, 0, 0};
  AddKernelSpike(values, 4, 2, 1, 0.5);
  EXPECT_EQ(values[0], 248);
  EXPECT_EQ(values[1], 1550);
  EXPECT_EQ(values[2], 248);
  EXPECT_EQ(values[3], 1);
  AddKernelSpike(values, 4, 2, -5, 0.5);  // wholly outside: nothing
  EXPECT_EQ(values[0], 248);
}

TEST(Smooth, SigmaRangesAreChecked) {
  Profile p(10, 1);
  EXPECT_THROW(SmoothSmall(8.5, 1, p.data(), 10), EngineFailure);
  EXPECT_THROW(SmoothWide(1, 7.9, p.data(), 10), EngineFailure);
  SmoothMirrored(p.data(), 0, 3.0);  // an empty profile is nothing to do
}

TEST(Smooth, OutOfMemoryUnwindsWithXheapmem) {
  Profile p(10, 1);
  for (double sigma : {2.0, 20.0}) {
    FailEngineAllocationAfter(1);
    try {
      SmoothMirrored(p.data(), 10, sigma);
      ADD_FAILURE() << sigma;
    } catch (const EngineFailure& failure) {
      EXPECT_STREQ(failure.code(), "Xheapmem");
    }
    FailEngineAllocationAfter(0);
  }
  EXPECT_EQ(p, Profile(10, 1));  // untouched
}

}  // namespace
