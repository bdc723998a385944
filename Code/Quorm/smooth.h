// Gaussian smoothing of integer profiles (projection histograms) in integer
// arithmetic. Every smoothing result carries the kernel gain of 2048: a
// constant profile smoothed with mirrored ends becomes that constant x 2048.
// Results that would not fit 32 bits are saturated.
#pragma once

#include <cstdint>

constexpr int32_t kKernelGain = 2048;
constexpr int32_t kKernelCount = 27;
constexpr int32_t kMaxKernelTaps = 64;

// The half-kernel of sigma's class: c0, c1, ... ended by 0, with
// c0 + 2 (c1 + c2 + ...) = 2048.
const int32_t* SelectGaussianKernel(double sigma);
const int32_t* GetGaussianKernel(int32_t classIndex);   // checked 0..26
int32_t GaussianKernelClass(double sigma);

// out[i] = c0 in[i] + sum ck (in[i - k s] + in[i + k s]). Samples beyond the
// ends are mirrored (in[-j] = in[j - 1], in[n - 1 + j] = in[n - j]) when
// mirror is set, else left out. in and out must differ.
void ApplyKernel(int32_t* out, const int32_t* in, int32_t n, int32_t stride, int32_t mirror, const int32_t* kernel);
// out[i] = 2 in[i] + in[i - s] + in[i + s], same end rule.
void ApplyBinomial(int32_t stride, int32_t* out, const int32_t* in, int32_t n, int32_t mirror);
// When the greatest magnitude is 2^20 or more, divides every value by 2^k
// (rounded) so that it falls below 2^20; returns k.
int32_t NormaliseProfile(int32_t* values, int32_t n);
// Adds weight x ck / 2 at position +- k for each tap of sigma's kernel (the
// centre once), within 0..n-1.
void AddKernelSpike(int32_t* values, int32_t n, int32_t weight, int32_t position, double sigma);
// In place; sigma from 8 upwards (binomial cascade, then a strided kernel).
void SmoothWide(int32_t mirror, double sigma, int32_t* values, int32_t n);
// In place; sigma at most 8 (more is a failed check).
void SmoothSmall(double sigma, int32_t mirror, int32_t* values, int32_t n);
// SmoothSmall up to 8, else SmoothWide; mirrored ends or left out.
void SmoothMirrored(int32_t* values, int32_t n, double sigma);
void SmoothProfile(int32_t* values, int32_t n, double sigma);
