// Integer and fixed-point maths of the engine: rounding, roots, angles,
// logarithms, packed fractions, table look-ups, peaks and line fits.
// Q10 values carry 10 fraction bits (1024 = 1.0). A bad argument is a failed
// check (Engerror.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- Rounding and small helpers ----
int32_t RoundToInt(double v);                  // halves away from zero
int32_t DivRound(int32_t a, int32_t b);        // halves away from zero; b = 0 is a failed check
int64_t DivRound64(int64_t a, int64_t b);
int32_t MinOfInts(int32_t a, int32_t b);
int32_t MaxOfInts(int32_t a, int32_t b);
void RaiseTo(int32_t v, int32_t* x);           // x = max(x, v)
void LowerTo(int32_t* x, int32_t v);           // x = min(x, v)
void ClampTo(int32_t lo, int32_t* x, int32_t hi);  // lo > hi is a failed check
int32_t RoundQ10(int32_t v);                   // (v + 512) >> 10
int32_t SaturateToInt32(int64_t v);

// ---- Roots, angles, logarithms ----
int32_t IntSqrt(int64_t v);                    // nearest integer; 0 for v < 1
int32_t Hypot(int32_t dx, int32_t dy);
int32_t Atan2Q10(int32_t y, int32_t x);        // 1/1024 radian, -3217..3217
int32_t Atan2Centidegrees(int32_t y, int32_t x);  // hundredths of a degree, -18000..18000
int32_t IntLog(int64_t v);                     // ln v x 2^20; v > 0
int32_t IntExp(int32_t x);                     // e^(-x / 2^20) x 2^22; x >= 0; 0 above 15263167
int32_t MulQ16(int32_t a, int32_t b);          // a x b / 65536 rounded, saturated to 32 bits
int64_t Mul32To64(int32_t a, int32_t b);
double SumToDouble(const int32_t* values, int32_t n);
double SumProductsToDouble(const int32_t* a, const int32_t* b, int32_t n);

// ---- Tables and arrays ----
// ys[0] at or below xs[0], ys[n-1] at or above xs[n-1], linear between
// (truncated). xs ascending, n >= 1.
int32_t InterpolateTable(const int32_t* xs, const int32_t* ys, int32_t n, int32_t x);
// from..to inclusive.
int32_t ArgMaxFirst(const int32_t* values, int32_t from, int32_t to);
int32_t ArgMaxLast(const int32_t* values, int32_t from, int32_t to);
// Sub-entry position of the maximum in Q10 (parabola through the centre of
// the first greatest plateau and its neighbours).
int32_t PeakPositionQ10(const int32_t* values, int32_t from, int32_t to);
// Removes in place every element for which drop answers nonzero, keeping the
// order; returns the number kept.
using CompactDropTest = int (*)(const void* element);
int32_t CompactArray(void* base, int32_t n, size_t elementSize, CompactDropTest drop);
// out[i] = in[i] when nothing within radius on the left is greater and
// nothing within radius on the right is greater or equal; else 0.
void KeepLocalMaxima(int32_t* out, const int32_t* in, int32_t n, int32_t radius);

// ---- Packed fractions: numerator in the low 16 bits (signed), denominator
// in the high 16 bits; a denominator <= 0 means no value ----
using PackedFraction = uint32_t;
int32_t Gcd(int32_t a, int32_t b);             // a, b >= 0; gcd(a, 0) = a
PackedFraction MakeFraction(int32_t numerator, int32_t denominator);
PackedFraction MakeReducedFraction(int32_t denominator, int32_t numerator);
PackedFraction ReduceFraction(PackedFraction f);
PackedFraction IntToFraction(int32_t n);       // n in 0..32767
PackedFraction ZeroFraction();                 // no value
int32_t FractionIsNone(PackedFraction f);
int32_t FractionNumerator(PackedFraction f);
int32_t FractionDenominator(PackedFraction f);
int32_t CompareFractions(PackedFraction a, PackedFraction b);  // -1, 0, 1
PackedFraction AddFractions(PackedFraction a, PackedFraction b);

// ---- Least-squares line y = slope x + intercept ----
struct LinearFitResult {
  double residual;   // mean squared vertical distance from the line
  double slope;
  double intercept;
  int32_t n;
};
// A centred fit. One point, or points that all share one x, give slope 0
// and the mean of y; n = 0 gives an empty record.
LinearFitResult LinearFit(const int32_t* xs, const int32_t* ys, int32_t n);

// ---- Text ----
// Skips white space (CR, LF, blank, tab, VT, FF), then reads up to size - 1
// characters up to the next white space, which goes back to the stream; the
// buffer is NUL-terminated. A word cut by a full buffer leaves its rest in
// the stream. Returns the word's length (0 at the end of the stream).
int32_t ReadTextToken(FILE* stream, char* buffer, int32_t size);

// ---- Tables built once ----
int32_t InitialiseIntMath();                   // returns 0
int32_t ArctanTableEntry(int32_t i);           // atan(i/1024) x 2048, i in 0..1024
int32_t ArctanDegreeTableEntry(int32_t i);     // atan(i/1024) x 5729.578
int32_t PowerOfTwoTableEntry(int32_t i);       // 2^(-i/512) x 4194304, i in 0..512
int32_t LogTableEntry(int32_t i);              // ln((i + 256)/256) x 4194304, i in 0..256
int32_t QuarterSineTableEntry(int32_t i);      // sin(i pi / 2048) x 1048576, i in 0..1024
int32_t SmallSineTableEntry(int32_t i);        // sin(i/1024) x (1 + 2^-24) x 2097152, i in 0..1609
