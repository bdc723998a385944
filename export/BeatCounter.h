// Exact musical time: fractions of a whole note. Positions, bar starts, bar
// lengths and durations are all CBeatCounter values, kept reduced and
// compared exactly; a time signature is a CTimeSig, never reduced.
#pragma once

#include <cstdint>

class CBeatCounter {
 public:
  CBeatCounter() : numerator(0), denominator(1) {}
  // A zero denominator, or terms that do not fit 32 bits once the sign is
  // moved to the numerator, are refused with CNiffWriterError.
  CBeatCounter(int64_t num, int64_t den);
  virtual ~CBeatCounter() = default;
  CBeatCounter(const CBeatCounter&) = default;
  CBeatCounter& operator=(const CBeatCounter&) = default;

  virtual void Reduce();
  // Numerator then denominator, each the low 16 bits.
  virtual void ToShortPair(uint16_t* first, uint16_t* second) const;
  virtual bool IsNonZero() const { return numerator != 0; }

  int32_t numerator;
  int32_t denominator;  // positive

 protected:
  struct Unreduced {};
  CBeatCounter(int64_t num, int64_t den, Unreduced);
};

namespace FileExporting {

class CTimeSig : public CBeatCounter {
 public:
  CTimeSig() : CBeatCounter(4, 4, Unreduced{}) {}
  CTimeSig(int64_t beats, int64_t unit, int32_t symbol = 0)
      : CBeatCounter(beats, unit, Unreduced{}), symbolFlag(symbol) {}
  void Reduce() override {}
  // Common and cut time shown as a symbol come out as (-1, -1) and (-2, -1).
  void ToShortPair(uint16_t* first, uint16_t* second) const override;

  int32_t symbolFlag = 0;
};

}  // namespace FileExporting

// A signature and a time kept together (4/4 and 0/1 when new).
struct TimeSignaturePair {
  FileExporting::CTimeSig signature;
  CBeatCounter time;
};

// 2 when a is later (greater), 1 when smaller, 0 when equal.
int Compare(const CBeatCounter& a, const CBeatCounter& b);
// 0 when the stored terms agree, 3 otherwise (no reduction).
int Same(const CBeatCounter& a, const CBeatCounter& b);
inline bool Less(const CBeatCounter& a, const CBeatCounter& b) { return Compare(a, b) == 1; }
inline bool Greater(const CBeatCounter& a, const CBeatCounter& b) { return Compare(a, b) == 2; }
inline bool Equal(const CBeatCounter& a, const CBeatCounter& b) { return Compare(a, b) == 0; }

CBeatCounter Add(const CBeatCounter& a, const CBeatCounter& b);
CBeatCounter Subtract(const CBeatCounter& a, const CBeatCounter& b);
CBeatCounter Multiply(const CBeatCounter& a, const CBeatCounter& b);
// Refuses k = 0.
CBeatCounter DivideByInteger(const CBeatCounter& a, int64_t k);
// Re-expresses a with denominator d when d is a multiple of a's denominator;
// otherwise a stays as it is. The result is not reduced.
CBeatCounter ExpandTo(const CBeatCounter& a, int64_t d);
// Both values with the least common multiple of their denominators.
void CommonDenominator(CBeatCounter* a, CBeatCounter* b);
// The MusicXML duration of d in divisions of a quarter: the numerator of d
// expanded to 4 x divisionsPerQuarter. A length that is no whole number of
// divisions is refused with CNiffWriterError, never rounded.
int32_t ToDivisions(const CBeatCounter& d, int32_t divisionsPerQuarter);
// The fewest divisions of a quarter in which d is a whole number.
int32_t DivisionsNeeded(const CBeatCounter& d);
// Length of a note value code 0..8 (1/128 .. breve) with 0..3 dots; codes
// above 8 are refused.
CBeatCounter DurationOf(int code, int dots);
// True when the denominator is a power of two (1, 2, 4 ...).
bool HasPowerOfTwoDenominator(const CBeatCounter& value);
