// Integer and fixed-point maths of the engine.
#include "Code/Quorm/Intmath.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "Code/Quorm/Engerror.h"

namespace {

constexpr int64_t kLn2Q32 = 2977044472LL;     // ln 2 x 2^32
constexpr int64_t kInvLn2Q20 = 1512775;       // 2^20 / ln 2
constexpr int32_t kExpLimit = 15263167;       // IntExp is 0 above this

// Rounded half away from zero, for building the tables.
int32_t RoundTableValue(double v) { return static_cast<int32_t>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }

struct MathTables {
  int32_t arctan[1025];
  int32_t arctanDegrees[1025];
  int32_t powerOfTwo[513];
  int32_t logarithm[257];
  int32_t quarterSine[1025];
  int32_t smallSine[1610];

  MathTables() {
    for (int i = 0; i <= 1024; ++i) {
      double a = std::atan(i / 1024.0);
      arctan[i] = RoundTableValue(a * 2048.0);
      arctanDegrees[i] = RoundTableValue(a * 5729.578);
      quarterSine[i] = RoundTableValue(std::sin(i * 3.141592653 / 2048.0) * 1048576.0);
    }
    for (int i = 0; i <= 512; ++i) powerOfTwo[i] = RoundTableValue(std::pow(2.0, -i / 512.0) * 4194304.0);
    for (int i = 0; i <= 256; ++i) logarithm[i] = RoundTableValue(std::log((i + 256) / 256.0) * 4194304.0);
    for (int i = 0; i < 1610; ++i)
      smallSine[i] = RoundTableValue(std::sin(i / 1024.0) * (1.0 + std::ldexp(1.0, -24)) * 2097152.0);
  }
};

const MathTables& Tables() {
  static const MathTables tables;  // built once, thread-safe
  return tables;
}

int HighestBit(uint64_t v) {
  int bit = -1;
  while (v) {
    v >>= 1;
    ++bit;
  }
  return bit;
}

// Floor of the square root of v.
uint64_t FloorSqrt(uint64_t v) {
  uint64_t root = 0;
  uint64_t bit = uint64_t{1} << 62;
  while (bit > v) bit >>= 2;
  while (bit) {
    if (v >= root + bit) {
      v -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  }
  return root;
}

int32_t RoundedSqrt(uint64_t v) {
  uint64_t root = FloorSqrt(v);
  // sqrt(v) >= root + 1/2 exactly when v > root^2 + root.
  if (v - root * root > root) ++root;
  return root > INT32_MAX ? INT32_MAX : static_cast<int32_t>(root);
}

// atan(small / big) for 0 <= small <= big, big > 0, in the table's units x
// 1024, interpolated between entries.
int64_t ArctanOfRatio(const int32_t* table, uint64_t small, uint64_t big) {
  uint64_t ratio = (small << 20) / big;  // Q20, at most 2^20
  uint64_t index = ratio >> 10;
  int64_t fraction = static_cast<int64_t>(ratio & 1023);
  if (index >= 1024) return static_cast<int64_t>(table[1024]) * 1024;
  int64_t step = table[index + 1] - table[index];
  return static_cast<int64_t>(table[index]) * 1024 + step * fraction;
}

uint64_t Magnitude(int32_t v) { return v < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(v)) : static_cast<uint64_t>(v); }

// Angle of (x, y) from an octant table, in the table's units x 1024: quarter
// and half are a right and a straight angle in those units.
int64_t OctantAngle(const int32_t* table, int64_t quarter, int64_t half, int32_t y, int32_t x) {
  uint64_t ax = Magnitude(x);
  uint64_t ay = Magnitude(y);
  if (ax == 0 && ay == 0) return 0;
  int64_t angle = ay <= ax ? ArctanOfRatio(table, ay, ax) : quarter - ArctanOfRatio(table, ax, ay);
  if (x < 0) angle = half - angle;
  return y < 0 ? -angle : angle;
}

}  // namespace

int32_t SaturateToInt32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t RoundToInt(double v) {
  ENGINE_CHECK(v > -2147483648.5 && v < 2147483647.5);  // also refuses NaN
  return RoundTableValue(v);
}

int64_t DivRound64(int64_t a, int64_t b) {
  ENGINE_CHECK(b != 0);
  ENGINE_CHECK(a != INT64_MIN && b != INT64_MIN);
  if (b < 0) {
    a = -a;
    b = -b;
  }
  int64_t q = ((a < 0 ? -a : a) + b / 2) / b;
  return a < 0 ? -q : q;
}

int32_t DivRound(int32_t a, int32_t b) { return SaturateToInt32(DivRound64(a, b)); }

int32_t MinOfInts(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t MaxOfInts(int32_t a, int32_t b) { return a > b ? a : b; }

void RaiseTo(int32_t v, int32_t* x) {
  ENGINE_CHECK_POINTER(x);
  if (*x < v) *x = v;
}

void LowerTo(int32_t* x, int32_t v) {
  ENGINE_CHECK_POINTER(x);
  if (*x > v) *x = v;
}

void ClampTo(int32_t lo, int32_t* x, int32_t hi) {
  ENGINE_CHECK_POINTER(x);
  ENGINE_CHECK(lo <= hi);
  if (*x < lo) *x = lo;
  if (*x > hi) *x = hi;
}

int32_t RoundQ10(int32_t v) { return static_cast<int32_t>((static_cast<int64_t>(v) + 512) >> 10); }

int32_t IntSqrt(int64_t v) { return v < 1 ? 0 : RoundedSqrt(static_cast<uint64_t>(v)); }

int32_t Hypot(int32_t dx, int32_t dy) {
  uint64_t ax = Magnitude(dx);
  uint64_t ay = Magnitude(dy);
  return RoundedSqrt(ax * ax + ay * ay);  // at most 2^63: no wrap in 64 bits
}

int32_t Atan2Q10(int32_t y, int32_t x) {
  // The table holds 1/2048 radian; pi/2 and pi in 1/2^21 radian.
  return static_cast<int32_t>(DivRound64(OctantAngle(Tables().arctan, 3294199, 6588398, y, x), 2048));
}

int32_t Atan2Centidegrees(int32_t y, int32_t x) {
  return static_cast<int32_t>(DivRound64(OctantAngle(Tables().arctanDegrees, 9000 * 1024, 18000 * 1024, y, x), 1024));
}

int32_t IntLog(int64_t v) {
  ENGINE_CHECK(v > 0);
  const int32_t* table = Tables().logarithm;
  int top = HighestBit(static_cast<uint64_t>(v));
  // Mantissa in [2^30, 2^31).
  uint64_t m = top >= 30 ? static_cast<uint64_t>(v) >> (top - 30) : static_cast<uint64_t>(v) << (30 - top);
  uint64_t fraction = m - (uint64_t{1} << 30);
  uint64_t index = fraction >> 22;
  int64_t rest = static_cast<int64_t>(fraction & ((uint64_t{1} << 22) - 1));
  int64_t step = table[index + 1] - table[index];
  // Q32 sum of the mantissa's logarithm (Q22 x 1024) and top x ln 2.
  int64_t q32 = (static_cast<int64_t>(table[index]) << 10) + ((step * rest) >> 12) + top * kLn2Q32;
  return static_cast<int32_t>((q32 + (1 << 11)) >> 12);
}

int32_t IntExp(int32_t x) {
  ENGINE_CHECK(x >= 0);
  if (x > kExpLimit) return 0;
  const int32_t* table = Tables().powerOfTwo;
  int64_t halvingsQ40 = static_cast<int64_t>(x) * kInvLn2Q20;  // x / ln 2 in Q40
  int shift = static_cast<int>(halvingsQ40 >> 40);
  int64_t fraction = halvingsQ40 & ((int64_t{1} << 40) - 1);
  int64_t index = fraction >> 31;
  int64_t rest = fraction & ((int64_t{1} << 31) - 1);
  int64_t value = table[index] - (((table[index] - table[index + 1]) * rest) >> 31);
  if (shift > 0) value = (value + (int64_t{1} << (shift - 1))) >> shift;
  return static_cast<int32_t>(value);
}

int32_t MulQ16(int32_t a, int32_t b) { return SaturateToInt32(DivRound64(Mul32To64(a, b), 65536)); }

int64_t Mul32To64(int32_t a, int32_t b) { return static_cast<int64_t>(a) * b; }

double SumToDouble(const int32_t* values, int32_t n) {
  ENGINE_CHECK(n >= 0 && (n == 0 || values));
  int64_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += values[i];
  return static_cast<double>(sum);
}

double SumProductsToDouble(const int32_t* a, const int32_t* b, int32_t n) {
  ENGINE_CHECK(n >= 0 && (n == 0 || (a && b)));
  // Each product is below 2^62; sum halves of them so that n up to 2^31 fit.
  int64_t high = 0;
  int64_t low = 0;
  for (int32_t i = 0; i < n; ++i) {
    int64_t p = Mul32To64(a[i], b[i]);
    high += p >> 31;
    low += p & 0x7FFFFFFF;
  }
  return static_cast<double>(high) * 2147483648.0 + static_cast<double>(low);
}

int32_t InterpolateTable(const int32_t* xs, const int32_t* ys, int32_t n, int32_t x) {
  ENGINE_CHECK_POINTER(xs);
  ENGINE_CHECK_POINTER(ys);
  ENGINE_CHECK(n >= 1);
  if (x <= xs[0]) return ys[0];
  if (x >= xs[n - 1]) return ys[n - 1];
  int32_t lo = 0;
  int32_t hi = n - 1;  // xs[lo] < x < xs[hi]
  while (hi - lo > 1) {
    int32_t mid = lo + (hi - lo) / 2;
    if (xs[mid] == x) return ys[mid];
    if (xs[mid] < x)
      lo = mid;
    else
      hi = mid;
  }
  int64_t span = static_cast<int64_t>(xs[hi]) - xs[lo];
  ENGINE_CHECK(span > 0);
  int64_t v = ((static_cast<int64_t>(x) - xs[lo]) * ys[hi] + (static_cast<int64_t>(xs[hi]) - x) * ys[lo]) / span;
  return SaturateToInt32(v);
}

int32_t ArgMaxFirst(const int32_t* values, int32_t from, int32_t to) {
  ENGINE_CHECK_POINTER(values);
  ENGINE_CHECK(from <= to);
  int32_t best = from;
  for (int32_t i = from + 1; i <= to; ++i)
    if (values[i] > values[best]) best = i;
  return best;
}

int32_t ArgMaxLast(const int32_t* values, int32_t from, int32_t to) {
  ENGINE_CHECK_POINTER(values);
  ENGINE_CHECK(from <= to);
  int32_t best = from;
  for (int32_t i = from + 1; i <= to; ++i)
    if (values[i] >= values[best]) best = i;
  return best;
}

int32_t PeakPositionQ10(const int32_t* values, int32_t from, int32_t to) {
  int32_t first = ArgMaxFirst(values, from, to);
  int32_t last = first;
  while (last < to && values[last + 1] == values[first]) ++last;
  int32_t c = first + (last - first) / 2;
  int64_t base = static_cast<int64_t>(c) * 1024;
  if (c == from || c == to) return SaturateToInt32(base);
  int64_t l = values[c - 1];
  int64_t v = values[c];
  int64_t r = values[c + 1];
  if (v >= 0x1FFFFF || v <= -0x1FFFFF) {
    l /= 1024;
    v /= 1024;
    r /= 1024;
  }
  if (l == v && v == r) return SaturateToInt32(base);
  int64_t d = 2 * v - l - r;
  return SaturateToInt32(base + DivRound64((r - l) * 1024, 2 * d));
}

int32_t CompactArray(void* base, int32_t n, size_t elementSize, CompactDropTest drop) {
  ENGINE_CHECK_POINTER(drop);
  ENGINE_CHECK(n >= 0 && (n == 0 || base));
  auto* bytes = static_cast<unsigned char*>(base);
  int32_t kept = 0;
  for (int32_t i = 0; i < n; ++i) {
    unsigned char* element = bytes + static_cast<size_t>(i) * elementSize;
    if (drop(element)) continue;
    if (kept != i) std::memmove(bytes + static_cast<size_t>(kept) * elementSize, element, elementSize);
    ++kept;
  }
  return kept;
}

void KeepLocalMaxima(int32_t* out, const int32_t* in, int32_t n, int32_t radius) {
  ENGINE_CHECK(n >= 0 && radius >= 0);
  if (n == 0) return;
  ENGINE_CHECK(out && in && out != in);
  for (int32_t i = 0; i < n; ++i) {
    bool peak = true;
    for (int32_t k = 1; k <= radius && peak; ++k) {
      if (i - k >= 0 && in[i - k] > in[i]) peak = false;
      if (i + k < n && in[i + k] >= in[i]) peak = false;
    }
    out[i] = peak ? in[i] : 0;
  }
}

// ---- Packed fractions ----

namespace {

int64_t Gcd64(int64_t a, int64_t b) {
  while (b) {
    int64_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}

PackedFraction Pack(int32_t numerator, int32_t denominator) {
  return (static_cast<uint32_t>(denominator) << 16) | static_cast<uint16_t>(numerator);
}

}  // namespace

int32_t Gcd(int32_t a, int32_t b) {
  ENGINE_CHECK(a >= 0 && b >= 0);
  return static_cast<int32_t>(Gcd64(a, b));
}

PackedFraction MakeFraction(int32_t numerator, int32_t denominator) {
  ENGINE_CHECK(denominator >= 1 && denominator < 32768);
  ENGINE_CHECK(numerator >= -32768 && numerator < 32768);
  return Pack(numerator, denominator);
}

PackedFraction MakeReducedFraction(int32_t denominator, int32_t numerator) {
  ENGINE_CHECK(numerator >= 0 && denominator >= 1);
  int32_t g = Gcd(numerator, denominator);
  numerator /= g;
  denominator /= g;
  ENGINE_CHECK(numerator <= 32767 && denominator <= 32767);
  return Pack(numerator, denominator);
}

PackedFraction ReduceFraction(PackedFraction f) {
  if (FractionIsNone(f)) return f;
  int32_t numerator = FractionNumerator(f);
  int32_t denominator = FractionDenominator(f);
  int32_t g = Gcd(numerator < 0 ? -numerator : numerator, denominator);
  return Pack(numerator / g, denominator / g);
}

PackedFraction IntToFraction(int32_t n) {
  ENGINE_CHECK(n >= 0 && n <= 32767);
  return Pack(n, 1);
}

PackedFraction ZeroFraction() { return 0; }
int32_t FractionIsNone(PackedFraction f) { return FractionDenominator(f) <= 0 ? 1 : 0; }
int32_t FractionNumerator(PackedFraction f) { return static_cast<int16_t>(f & 0xFFFF); }
int32_t FractionDenominator(PackedFraction f) { return static_cast<int16_t>(f >> 16); }

int32_t CompareFractions(PackedFraction a, PackedFraction b) {
  ENGINE_CHECK(!FractionIsNone(a) && !FractionIsNone(b));
  ENGINE_CHECK(FractionNumerator(a) >= 0 && FractionNumerator(b) >= 0);
  int64_t left = static_cast<int64_t>(FractionNumerator(a)) * FractionDenominator(b);
  int64_t right = static_cast<int64_t>(FractionNumerator(b)) * FractionDenominator(a);
  return left < right ? -1 : (left > right ? 1 : 0);
}

PackedFraction AddFractions(PackedFraction a, PackedFraction b) {
  ENGINE_CHECK(!FractionIsNone(a) && !FractionIsNone(b));
  int64_t da = FractionDenominator(a);
  int64_t db = FractionDenominator(b);
  int64_t numerator = FractionNumerator(a) * db + FractionNumerator(b) * da;
  int64_t denominator = da * db;
  ENGINE_CHECK(numerator >= 0);
  int64_t g = Gcd64(numerator, denominator);
  numerator /= g;
  denominator /= g;
  ENGINE_CHECK(numerator <= 32767 && denominator <= 32767);
  return Pack(static_cast<int32_t>(numerator), static_cast<int32_t>(denominator));
}

// ---- Line fit ----

LinearFitResult LinearFit(const int32_t* xs, const int32_t* ys, int32_t n) {
  ENGINE_CHECK(n >= 0);
  LinearFitResult fit{0.0, 0.0, 0.0, n};
  if (n == 0) return fit;
  ENGINE_CHECK(xs && ys);
  // Means from exact sums, then the centred sums (no cancellation for data
  // far from the origin).
  double meanX = SumToDouble(xs, n) / n;
  double meanY = SumToDouble(ys, n) / n;
  double sxx = 0.0;
  double sxy = 0.0;
  double syy = 0.0;
  for (int32_t i = 0; i < n; ++i) {
    double dx = xs[i] - meanX;
    double dy = ys[i] - meanY;
    sxx += dx * dx;
    sxy += dx * dy;
    syy += dy * dy;
  }
  fit.intercept = meanY;
  if (sxx > 0.0) {
    fit.slope = sxy / sxx;
    fit.intercept = meanY - fit.slope * meanX;
    syy -= sxy * sxy / sxx;
  }
  fit.residual = syy > 0.0 ? syy / n : 0.0;
  return fit;
}

// ---- Text ----

namespace {
bool IsTokenSpace(int c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
}  // namespace

int32_t ReadTextToken(FILE* stream, char* buffer, int32_t size) {
  ENGINE_CHECK_POINTER(stream);
  ENGINE_CHECK_POINTER(buffer);
  ENGINE_CHECK(size >= 1);
  int c = std::getc(stream);
  while (c != EOF && IsTokenSpace(c)) c = std::getc(stream);
  int32_t length = 0;
  while (c != EOF && !IsTokenSpace(c)) {
    if (length == size - 1) break;  // the rest stays in the stream
    buffer[length++] = static_cast<char>(c);
    c = std::getc(stream);
  }
  if (c != EOF) std::ungetc(c, stream);
  buffer[length] = '\0';
  return length;
}

// ---- Tables ----

int32_t InitialiseIntMath() {
  Tables();
  return 0;
}

int32_t ArctanTableEntry(int32_t i) {
  ENGINE_CHECK_INDEX(i, 1025);
  return Tables().arctan[i];
}
int32_t ArctanDegreeTableEntry(int32_t i) {
  ENGINE_CHECK_INDEX(i, 1025);
  return Tables().arctanDegrees[i];
}
int32_t PowerOfTwoTableEntry(int32_t i) {
  ENGINE_CHECK_INDEX(i, 513);
  return Tables().powerOfTwo[i];
}
int32_t LogTableEntry(int32_t i) {
  ENGINE_CHECK_INDEX(i, 257);
  return Tables().logarithm[i];
}
int32_t QuarterSineTableEntry(int32_t i) {
  ENGINE_CHECK_INDEX(i, 1025);
  return Tables().quarterSine[i];
}
int32_t SmallSineTableEntry(int32_t i) {
  ENGINE_CHECK_INDEX(i, 1610);
  return Tables().smallSine[i];
}
