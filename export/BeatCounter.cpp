#include "export/BeatCounter.h"

#include <cstdlib>
#include <limits>

#include "export/NiffWriterError.h"

namespace {

int64_t Gcd(int64_t a, int64_t b) {
  a = a < 0 ? -a : a;
  b = b < 0 ? -b : b;
  while (b != 0) {
    int64_t r = a % b;
    a = b;
    b = r;
  }
  return a;
}

bool Fits32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Moves the sign to the numerator, reduces when asked and refuses terms that
// do not fit.
void Store(int64_t num, int64_t den, bool reduce, int32_t* outNum, int32_t* outDen) {
  CheckOrThrow(den != 0);
  if (den < 0) {
    num = -num;
    den = -den;
  }
  if (reduce && num != 0) {
    int64_t g = Gcd(num, den);
    num /= g;
    den /= g;
  }
  CheckOrThrow(Fits32(num) && Fits32(den));
  *outNum = static_cast<int32_t>(num);
  *outDen = static_cast<int32_t>(den);
}

}  // namespace

CBeatCounter::CBeatCounter(int64_t num, int64_t den) { Store(num, den, true, &numerator, &denominator); }

CBeatCounter::CBeatCounter(int64_t num, int64_t den, Unreduced) {
  Store(num, den, false, &numerator, &denominator);
}

void CBeatCounter::Reduce() {
  if (numerator == 0 || denominator == 0) return;
  int64_t g = Gcd(numerator, denominator);
  numerator = static_cast<int32_t>(numerator / g);
  denominator = static_cast<int32_t>(denominator / g);
}

void CBeatCounter::ToShortPair(uint16_t* first, uint16_t* second) const {
  *first = static_cast<uint16_t>(static_cast<uint32_t>(numerator) & 0xFFFF);
  *second = static_cast<uint16_t>(static_cast<uint32_t>(denominator) & 0xFFFF);
}

namespace FileExporting {

void CTimeSig::ToShortPair(uint16_t* first, uint16_t* second) const {
  if (symbolFlag != 0 && numerator == 4 && denominator == 4) {
    *first = 0xFFFF;
    *second = 0xFFFF;
  } else if (symbolFlag != 0 && numerator == 2 && denominator == 2) {
    *first = 0xFFFE;
    *second = 0xFFFF;
  } else {
    CBeatCounter::ToShortPair(first, second);
  }
}

}  // namespace FileExporting

int Compare(const CBeatCounter& a, const CBeatCounter& b) {
  // Cross products of 32-bit terms fit 64 bits; denominators are positive.
  int64_t left = int64_t{a.numerator} * b.denominator;
  int64_t right = int64_t{b.numerator} * a.denominator;
  if (left > right) return 2;
  if (left < right) return 1;
  return 0;
}

int Same(const CBeatCounter& a, const CBeatCounter& b) {
  return a.numerator == b.numerator && a.denominator == b.denominator ? 0 : 3;
}

CBeatCounter Add(const CBeatCounter& a, const CBeatCounter& b) {
  int64_t den = int64_t{a.denominator} / Gcd(a.denominator, b.denominator) * b.denominator;
  int64_t num = int64_t{a.numerator} * (den / a.denominator) + int64_t{b.numerator} * (den / b.denominator);
  return CBeatCounter(num, den);
}

CBeatCounter Subtract(const CBeatCounter& a, const CBeatCounter& b) {
  CBeatCounter negated = b;
  CheckOrThrow(b.numerator != std::numeric_limits<int32_t>::min());
  negated.numerator = -b.numerator;
  return Add(a, negated);
}

CBeatCounter Multiply(const CBeatCounter& a, const CBeatCounter& b) {
  // Cross-reduce first so that exact results representable in 32 bits come out.
  int64_t g1 = a.numerator == 0 ? 1 : Gcd(a.numerator, b.denominator);
  int64_t g2 = b.numerator == 0 ? 1 : Gcd(b.numerator, a.denominator);
  return CBeatCounter((a.numerator / g1) * (b.numerator / g2), (a.denominator / g2) * (b.denominator / g1));
}

CBeatCounter DivideByInteger(const CBeatCounter& a, int64_t k) {
  CheckOrThrow(k != 0 && Fits32(k));
  return CBeatCounter(a.numerator, int64_t{a.denominator} * k);
}

CBeatCounter ExpandTo(const CBeatCounter& a, int64_t d) {
  if (d <= 0 || d % a.denominator != 0) return a;
  int64_t num = int64_t{a.numerator} * (d / a.denominator);
  if (!Fits32(num) || !Fits32(d)) return a;
  CBeatCounter expanded = a;
  expanded.numerator = static_cast<int32_t>(num);
  expanded.denominator = static_cast<int32_t>(d);
  return expanded;
}

void CommonDenominator(CBeatCounter* a, CBeatCounter* b) {
  int64_t lcm = int64_t{a->denominator} / Gcd(a->denominator, b->denominator) * b->denominator;
  *a = ExpandTo(*a, lcm);
  *b = ExpandTo(*b, lcm);
}

int32_t ToDivisions(const CBeatCounter& d, int32_t divisionsPerQuarter) {
  const int64_t target = int64_t{4} * divisionsPerQuarter;
  CheckOrThrow(target > 0 && target % d.denominator == 0);
  return ExpandTo(d, target).numerator;
}

int32_t DivisionsNeeded(const CBeatCounter& d) {
  CBeatCounter reduced = d;
  reduced.Reduce();
  return static_cast<int32_t>(reduced.denominator / Gcd(reduced.denominator, 4));
}

CBeatCounter DurationOf(int code, int dots) {
  CheckOrThrow(code >= 0 && code <= 8 && dots >= 0 && dots <= 3);
  // 2^code / 128, and each dot adds half of the previous step:
  // value x (2^(dots+1) - 1) / 2^dots.
  int64_t num = (int64_t{1} << code) * ((int64_t{1} << (dots + 1)) - 1);
  int64_t den = int64_t{128} << dots;
  return CBeatCounter(num, den);
}

bool HasPowerOfTwoDenominator(const CBeatCounter& value) {
  return value.denominator > 0 && (value.denominator & (value.denominator - 1)) == 0;
}
