// Integer maths against slow references: tables of cases and random inputs
// with fixed seeds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Intmath.h"

namespace {

// Half away from zero, the reference rounding.
long long RoundAway(long double v) { return static_cast<long long>(v < 0 ? -std::floor(-v + 0.5L) : std::floor(v + 0.5L)); }

TEST(Intmath, RoundingTable) {
  struct Case {
    int a, b, expected;
  } cases[] = {{7, 2, 4}, {-7, 2, -4}, {7, -2, -4}, {-7, -2, 4}, {6, 4, 2}, {5, 4, 1}, {0, 5, 0}, {-1, 3, 0}, {-2, 3, -1}};
  for (const Case& c : cases) EXPECT_EQ(DivRound(c.a, c.b), c.expected) << c.a << "/" << c.b;
  EXPECT_EQ(RoundQ10(-512), 0);
  EXPECT_EQ(RoundQ10(1536), 2);
  EXPECT_EQ(RoundQ10(-513), -1);
  EXPECT_EQ(RoundToInt(2.5), 3);
  EXPECT_EQ(RoundToInt(-2.5), -3);
  EXPECT_EQ(RoundToInt(-2.49), -2);
  EXPECT_EQ(DivRound(INT32_MIN, -1), INT32_MAX);  // saturated, not a wrap
}

TEST(Intmath, BadArgumentsAreFailedChecks) {
  int32_t x = 3;
  EXPECT_THROW(DivRound(1, 0), EngineFailure);
  EXPECT_THROW(ClampTo(5, &x, 1), EngineFailure);
  EXPECT_THROW(Gcd(-1, 2), EngineFailure);
  EXPECT_THROW(MakeFraction(1, 0), EngineFailure);
  EXPECT_THROW(MakeFraction(32768, 1), EngineFailure);
  EXPECT_THROW(MakeReducedFraction(1, 40000), EngineFailure);
  EXPECT_THROW(IntLog(0), EngineFailure);
  EXPECT_THROW(IntExp(-1), EngineFailure);
  EXPECT_THROW(RoundToInt(std::nan("")), EngineFailure);
  EXPECT_THROW(ArgMaxFirst(&x, 1, 0), EngineFailure);
}

TEST(Intmath, ClampRaiseLower) {
  int32_t x = 10;
  RaiseTo(12, &x);
  EXPECT_EQ(x, 12);
  RaiseTo(3, &x);
  EXPECT_EQ(x, 12);
  LowerTo(&x, 4);
  EXPECT_EQ(x, 4);
  ClampTo(5, &x, 9);
  EXPECT_EQ(x, 5);
  x = 100;
  ClampTo(5, &x, 9);
  EXPECT_EQ(x, 9);
}

TEST(Intmath, SquareRootsAreRoundedExactly) {
  EXPECT_EQ(IntSqrt(2), 1);
  EXPECT_EQ(IntSqrt(3), 2);
  EXPECT_EQ(IntSqrt(0), 0);
  EXPECT_EQ(IntSqrt(-5), 0);
  EXPECT_EQ(Hypot(3, 4), 5);
  EXPECT_EQ(Hypot(-3, -4), 5);
  EXPECT_EQ(Hypot(INT32_MIN, 0), INT32_MAX);  // 2^31 does not fit
  std::mt19937_64 random(105);
  for (int i = 0; i < 20000; ++i) {
    int64_t v = static_cast<int64_t>(random() >> (1 + i % 40));
    long double root = std::sqrt(static_cast<long double>(v));
    // sqrt(v) is never exactly k + 1/2 for whole v.
    long long expected = static_cast<long long>(std::floor(root + 0.5L));
    if (expected > INT32_MAX) continue;
    ASSERT_EQ(IntSqrt(v), expected) << v;
  }
  for (int32_t v = 0; v < 5000; ++v) ASSERT_EQ(IntSqrt(v), static_cast<int32_t>(std::floor(std::sqrt(v) + 0.5))) << v;
}

TEST(Intmath, AnglesFollowAtan2) {
  EXPECT_NEAR(Atan2Q10(1, 1), 804, 1);
  EXPECT_EQ(Atan2Q10(0, 0), 0);
  EXPECT_EQ(Atan2Q10(0, -5), 3217);
  EXPECT_EQ(Atan2Q10(5, 0), 1608);
  EXPECT_EQ(Atan2Centidegrees(7, 0), 9000);
  EXPECT_EQ(Atan2Centidegrees(3, 3), 4500);
  EXPECT_EQ(Atan2Centidegrees(0, -1), 18000);
  std::mt19937 random(2048);
  std::uniform_int_distribution<int32_t> coordinate(-100000, 100000);
  for (int i = 0; i < 20000; ++i) {
    int32_t y = coordinate(random) >> (i % 16);
    int32_t x = coordinate(random) >> ((i / 16) % 16);
    if (x == 0 && y == 0) continue;
    double a = std::atan2(static_cast<double>(y), static_cast<double>(x));
    ASSERT_NEAR(Atan2Q10(y, x), a * 1024.0, 1.01) << y << "," << x;
    ASSERT_NEAR(Atan2Centidegrees(y, x), a * 18000.0 / 3.14159265358979323846, 1.01) << y << "," << x;
  }
}

TEST(Intmath, LogarithmAndExponential) {
  EXPECT_EQ(IntLog(1), 0);
  EXPECT_NEAR(IntLog(2), 726817, 1);  // ln 2 x 2^20
  std::mt19937_64 random(20);
  for (int i = 0; i < 20000; ++i) {
    int64_t v = static_cast<int64_t>(random() >> (1 + i % 62));
    if (v < 1) continue;
    long double expected = std::log(static_cast<long double>(v)) * 1048576.0L;
    ASSERT_NEAR(IntLog(v), static_cast<double>(expected), 3.0) << v;
  }
  EXPECT_EQ(IntExp(0), 4194304);
  EXPECT_EQ(IntExp(15263168), 0);
  EXPECT_GT(IntExp(15263167), 0);
  for (int32_t x = 0; x <= 15263167; x += 1237) {
    long double expected = std::exp(-static_cast<long double>(x) / 1048576.0L) * 4194304.0L;
    ASSERT_NEAR(IntExp(x), static_cast<double>(expected), 1.0 + static_cast<double>(expected) * 2e-6) << x;
  }
}

TEST(Intmath, ProductsAndSums) {
  std::mt19937 random(16);
  for (int i = 0; i < 20000; ++i) {
    int32_t a = static_cast<int32_t>(random()) >> (i % 20);
    int32_t b = static_cast<int32_t>(random()) >> ((i / 20) % 20);
    long long expected = RoundAway(static_cast<long double>(a) * b / 65536.0L);
    if (expected > INT32_MAX) expected = INT32_MAX;
    if (expected < INT32_MIN) expected = INT32_MIN;
    ASSERT_EQ(MulQ16(a, b), expected) << a << "*" << b;
    ASSERT_EQ(Mul32To64(a, b), static_cast<int64_t>(a) * b);
  }
  std::vector<int32_t> xs(1000, INT32_MAX), ys(1000, INT32_MIN);
  EXPECT_EQ(SumToDouble(xs.data(), 1000), 1000.0 * INT32_MAX);
  EXPECT_EQ(SumProductsToDouble(xs.data(), ys.data(), 1000), 1000.0 * INT32_MAX * static_cast<double>(INT32_MIN));
}

TEST(Intmath, InterpolationAgainstLinearScan) {
  const int32_t xs[] = {0, 100, 600, 960, 1200, 3000};
  const int32_t ys[] = {4000, 500, 0, 500, 4000, 40000};
  EXPECT_EQ(InterpolateTable(xs, ys, 6, -5), 4000);
  EXPECT_EQ(InterpolateTable(xs, ys, 6, 9999), 40000);
  EXPECT_EQ(InterpolateTable(xs, ys, 6, 600), 0);
  EXPECT_EQ(InterpolateTable(xs, ys, 6, 50), 2250);
  std::mt19937 random(3);
  for (int t = 0; t < 200; ++t) {
    int n = 1 + static_cast<int>(random() % 12);
    std::vector<int32_t> tx(n), ty(n);
    int32_t x = -5000 + static_cast<int32_t>(random() % 100);
    for (int i = 0; i < n; ++i) {
      x += 1 + static_cast<int32_t>(random() % 700);
      tx[i] = x;
      ty[i] = static_cast<int32_t>(random() % 20001) - 10000;
    }
    for (int32_t q = tx[0] - 50; q <= tx[n - 1] + 50; q += 7) {
      int32_t expected;
      if (q <= tx[0]) {
        expected = ty[0];
      } else if (q >= tx[n - 1]) {
        expected = ty[n - 1];
      } else {
        int i = 0;
        while (tx[i + 1] < q) ++i;
        expected = tx[i + 1] == q ? ty[i + 1]
                                  : static_cast<int32_t>((static_cast<int64_t>(q - tx[i]) * ty[i + 1] +
                                                          static_cast<int64_t>(tx[i + 1] - q) * ty[i]) /
                                                         (tx[i + 1] - tx[i]));
      }
      ASSERT_EQ(InterpolateTable(tx.data(), ty.data(), n, q), expected);
    }
  }
}

TEST(Intmath, MaximaAndPeaks) {
  const int32_t v[] = {1, 5, 2, 5, 0, 7, 7, 3};
  EXPECT_EQ(ArgMaxFirst(v, 0, 7), 5);
  EXPECT_EQ(ArgMaxLast(v, 0, 7), 6);
  EXPECT_EQ(ArgMaxFirst(v, 0, 3), 1);
  EXPECT_EQ(ArgMaxLast(v, 0, 3), 3);

  const int32_t plateau[] = {0, 10, 10, 0};
  EXPECT_EQ(PeakPositionQ10(plateau, 0, 3), 1024 + 512);
  const int32_t atEnd[] = {9, 3, 1};
  EXPECT_EQ(PeakPositionQ10(atEnd, 0, 2), 0);
  const int32_t flat[] = {4, 4, 4, 4, 4};
  EXPECT_EQ(PeakPositionQ10(flat, 0, 4), 2048);
  // Samples of a parabola: the vertex is found to within a Q10 unit.
  for (double vertex = 3.0; vertex < 4.0; vertex += 0.0625) {
    std::vector<int32_t> samples(8);
    for (int i = 0; i < 8; ++i) samples[i] = static_cast<int32_t>(1000000 - 10000 * (i - vertex) * (i - vertex));
    EXPECT_NEAR(PeakPositionQ10(samples.data(), 0, 7), vertex * 1024, 1.0) << vertex;
    for (int32_t& s : samples) s *= 16;  // large values: scaled down first
    EXPECT_NEAR(PeakPositionQ10(samples.data(), 0, 7), vertex * 1024, 4.0) << vertex;
  }

  const int32_t in[] = {3, 1, 4, 4, 2, 0, 6, 6, 6, 1};
  int32_t out[10];
  KeepLocalMaxima(out, in, 10, 1);
  const int32_t expected1[] = {3, 0, 0, 4, 0, 0, 0, 0, 6, 0};
  EXPECT_EQ(0, std::memcmp(out, expected1, sizeof out));
  KeepLocalMaxima(out, in, 10, 3);
  const int32_t expected3[] = {0, 0, 0, 0, 0, 0, 0, 0, 6, 0};
  EXPECT_EQ(0, std::memcmp(out, expected3, sizeof out));
}

int DropOdd(const void* element) { return *static_cast<const int32_t*>(element) % 2 != 0; }

TEST(Intmath, CompactArrayKeepsOrder) {
  int32_t values[] = {1, 2, 3, 4, 6, 7, 8};
  EXPECT_EQ(CompactArray(values, 7, sizeof(int32_t), DropOdd), 4);
  EXPECT_EQ(values[0], 2);
  EXPECT_EQ(values[1], 4);
  EXPECT_EQ(values[2], 6);
  EXPECT_EQ(values[3], 8);
}

TEST(Intmath, Fractions) {
  EXPECT_EQ(Gcd(12, 18), 6);
  EXPECT_EQ(Gcd(7, 0), 7);
  EXPECT_EQ(Gcd(0, 0), 0);
  EXPECT_EQ(CompareFractions(MakeFraction(1, 2), MakeFraction(2, 4)), 0);
  EXPECT_EQ(CompareFractions(MakeFraction(1, 3), MakeFraction(1, 2)), -1);
  EXPECT_EQ(CompareFractions(MakeFraction(3, 4), MakeFraction(2, 3)), 1);
  EXPECT_TRUE(FractionIsNone(ZeroFraction()));
  EXPECT_FALSE(FractionIsNone(IntToFraction(0)));
  PackedFraction r = MakeReducedFraction(12, 9);
  EXPECT_EQ(FractionNumerator(r), 3);
  EXPECT_EQ(FractionDenominator(r), 4);
  EXPECT_EQ(FractionNumerator(MakeFraction(-3, 4)), -3);
  PackedFraction reduced = ReduceFraction(MakeFraction(-6, 8));
  EXPECT_EQ(FractionNumerator(reduced), -3);
  EXPECT_EQ(FractionDenominator(reduced), 4);
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) {
    int32_t na = static_cast<int32_t>(random() % 100), da = 1 + static_cast<int32_t>(random() % 100);
    int32_t nb = static_cast<int32_t>(random() % 100), db = 1 + static_cast<int32_t>(random() % 100);
    PackedFraction sum = AddFractions(MakeFraction(na, da), MakeFraction(nb, db));
    int64_t num = static_cast<int64_t>(na) * db + static_cast<int64_t>(nb) * da;
    int64_t den = static_cast<int64_t>(da) * db;
    // Same value, lowest terms.
    ASSERT_EQ(num * FractionDenominator(sum), den * FractionNumerator(sum));
    ASSERT_EQ(Gcd(FractionNumerator(sum), FractionDenominator(sum)), FractionNumerator(sum) == 0 ? FractionDenominator(sum) : 1);
    int expected = static_cast<int64_t>(na) * db < static_cast<int64_t>(nb) * da ? -1 : (static_cast<int64_t>(na) * db > static_cast<int64_t>(nb) * da ? 1 : 0);
    ASSERT_EQ(CompareFractions(MakeFraction(na, da), MakeFraction(nb, db)), expected);
  }
  EXPECT_THROW(AddFractions(MakeFraction(1, 32749), MakeFraction(1, 32719)), EngineFailure);
  EXPECT_THROW(CompareFractions(ZeroFraction(), IntToFraction(1)), EngineFailure);
}

// Centred least squares in long double: the reference.
LinearFitResult ReferenceFit(const std::vector<int32_t>& xs, const std::vector<int32_t>& ys) {
  long double n = xs.size(), mx = 0, my = 0;
  for (size_t i = 0; i < xs.size(); ++i) {
    mx += xs[i];
    my += ys[i];
  }
  mx /= n;
  my /= n;
  long double sxx = 0, sxy = 0, syy = 0;
  for (size_t i = 0; i < xs.size(); ++i) {
    sxx += (xs[i] - mx) * (xs[i] - mx);
    sxy += (xs[i] - mx) * (ys[i] - my);
    syy += (ys[i] - my) * (ys[i] - my);
  }
  long double slope = sxx > 0 ? sxy / sxx : 0;
  long double residual = sxx > 0 ? (syy - sxy * sxy / sxx) / n : syy / n;
  return LinearFitResult{static_cast<double>(residual), static_cast<double>(slope), static_cast<double>(my - slope * mx),
                         static_cast<int32_t>(xs.size())};
}

TEST(Intmath, LinearFitIsCentredLeastSquares) {
  // An exact line far from the origin: the slope is its own, not y/x.
  std::vector<int32_t> xs, ys;
  for (int32_t x = 5000; x < 5020; ++x) {
    xs.push_back(x);
    ys.push_back(1000 - 3 * x);
  }
  LinearFitResult fit = LinearFit(xs.data(), ys.data(), static_cast<int32_t>(xs.size()));
  EXPECT_NEAR(fit.slope, -3.0, 1e-9);
  EXPECT_NEAR(fit.intercept, 1000.0, 1e-6);
  EXPECT_NEAR(fit.residual, 0.0, 1e-6);
  EXPECT_EQ(fit.n, 20);

  const int32_t one[] = {7}, oneY[] = {-4};
  fit = LinearFit(one, oneY, 1);
  EXPECT_EQ(fit.slope, 0.0);
  EXPECT_EQ(fit.residual, 0.0);
  EXPECT_EQ(fit.intercept, -4.0);

  // All points in one column: no slope; the mean and the spread of y.
  const int32_t column[] = {0, 0, 0, 0}, columnY[] = {1, 3, 5, 7};
  fit = LinearFit(column, columnY, 4);
  EXPECT_EQ(fit.slope, 0.0);
  EXPECT_EQ(fit.intercept, 4.0);
  EXPECT_EQ(fit.residual, 5.0);

  fit = LinearFit(nullptr, nullptr, 0);
  EXPECT_EQ(fit.n, 0);
  EXPECT_EQ(fit.slope, 0.0);

  std::mt19937 random(105);
  for (int t = 0; t < 300; ++t) {
    int n = 2 + static_cast<int>(random() % 60);
    int32_t x0 = static_cast<int32_t>(random() % 20000), y0 = static_cast<int32_t>(random() % 20000);
    double slope = (static_cast<int>(random() % 2001) - 1000) / 250.0;
    xs.assign(n, 0);
    ys.assign(n, 0);
    for (int i = 0; i < n; ++i) {
      xs[i] = x0 + static_cast<int32_t>(random() % 300);
      ys[i] = y0 + static_cast<int32_t>(slope * (xs[i] - x0)) + static_cast<int32_t>(random() % 9) - 4;
    }
    LinearFitResult got = LinearFit(xs.data(), ys.data(), n);
    LinearFitResult want = ReferenceFit(xs, ys);
    ASSERT_NEAR(got.slope, want.slope, 1e-9 * (1 + std::fabs(want.slope)));
    ASSERT_NEAR(got.intercept, want.intercept, 1e-6 * (1 + std::fabs(want.intercept)));
    ASSERT_NEAR(got.residual, want.residual, 1e-6 * (1 + want.residual));
  }
}

TEST(Intmath, TextTokens) {
  FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fputs("  \r\n\tfirst second\fTHIRDWORDLONG\vend", f);
  std::rewind(f);
  char buffer[8];
  EXPECT_EQ(ReadTextToken(f, buffer, 8), 5);
  EXPECT_STREQ(buffer, "first");
  EXPECT_EQ(std::fgetc(f), ' ');  // the ending blank went back to the stream
  EXPECT_EQ(ReadTextToken(f, buffer, 8), 6);
  EXPECT_STREQ(buffer, "second");
  // A word longer than the buffer: nothing of it is lost.
  EXPECT_EQ(ReadTextToken(f, buffer, 8), 7);
  EXPECT_STREQ(buffer, "THIRDWO");
  EXPECT_EQ(ReadTextToken(f, buffer, 8), 6);
  EXPECT_STREQ(buffer, "RDLONG");
  EXPECT_EQ(ReadTextToken(f, buffer, 8), 3);
  EXPECT_STREQ(buffer, "end");
  EXPECT_EQ(ReadTextToken(f, buffer, 8), 0);
  EXPECT_STREQ(buffer, "");
  std::fclose(f);
}

TEST(Intmath, TablesHoldTheirDefinitions) {
  EXPECT_EQ(InitialiseIntMath(), 0);
  EXPECT_EQ(ArctanTableEntry(0), 0);
  EXPECT_EQ(ArctanTableEntry(1024), 1608);
  EXPECT_EQ(ArctanDegreeTableEntry(1024), 4500);
  EXPECT_EQ(PowerOfTwoTableEntry(0), 4194304);
  EXPECT_EQ(PowerOfTwoTableEntry(512), 2097152);
  EXPECT_EQ(LogTableEntry(0), 0);
  EXPECT_EQ(LogTableEntry(256), 2907270);
  EXPECT_EQ(QuarterSineTableEntry(1024), 1048576);
  EXPECT_EQ(QuarterSineTableEntry(0), 0);
  EXPECT_EQ(SmallSineTableEntry(1609), RoundAway(std::sin(1609 / 1024.0L) * (1 + std::ldexp(1.0L, -24)) * 2097152.0L));
  EXPECT_THROW(SmallSineTableEntry(1610), EngineFailure);
  EXPECT_THROW(LogTableEntry(-1), EngineFailure);
}

}  // namespace
