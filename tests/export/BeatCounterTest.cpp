#include <gtest/gtest.h>

#include "export/BeatCounter.h"
#include "export/ExportPayloads.h"
#include "export/NiffWriterError.h"
#include "export/ReaderClock.h"

namespace {

::testing::AssertionResult Is(const CBeatCounter& value, int num, int den) {
  if (value.numerator == num && value.denominator == den) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << value.numerator << "/" << value.denominator << " is not " << num << "/"
                                       << den;
}

TEST(BeatCounter, ReducesAtConstructionAndKeepsZeroTerms) {
  struct Case { int num, den, wantNum, wantDen; } cases[] = {
      {6, 8, 3, 4}, {0, 7, 0, 7}, {-2, 4, -1, 2}, {3, -6, -1, 2}, {128, 128, 1, 1}, {7, 512, 7, 512}};
  for (const Case& c : cases) EXPECT_TRUE(Is(CBeatCounter(c.num, c.den), c.wantNum, c.wantDen)) << c.num << "/" << c.den;
}

TEST(BeatCounter, ZeroDenominatorsAreRefusedNotDivided) {
  EXPECT_THROW(CBeatCounter(1, 0), CNiffWriterError);
  EXPECT_THROW(DivideByInteger(CBeatCounter(1, 4), 0), CNiffWriterError);
  EXPECT_THROW(FileExporting::CTimeSig(3, 0), CNiffWriterError);
}

TEST(BeatCounter, ComparesExactlyAndSameLooksAtStoredTerms) {
  EXPECT_EQ(Compare(CBeatCounter(3, 4), CBeatCounter(6, 8)), 0);
  EXPECT_EQ(Compare(CBeatCounter(1, 3), CBeatCounter(1, 2)), 1);
  EXPECT_EQ(Compare(CBeatCounter(1, 2), CBeatCounter(1, 3)), 2);
  EXPECT_EQ(Same(CBeatCounter(0, 1), FileExporting::CTimeSig(0, 2)), 3);
  EXPECT_EQ(Same(FileExporting::CTimeSig(0, 1), CBeatCounter(0, 1)), 0);
}

TEST(BeatCounter, ArithmeticIsExactAndReduced) {
  EXPECT_TRUE(Is(Add(CBeatCounter(1, 3), CBeatCounter(1, 6)), 1, 2));
  EXPECT_TRUE(Is(Subtract(CBeatCounter(3, 4), CBeatCounter(5, 8)), 1, 8));
  EXPECT_TRUE(Is(Multiply(CBeatCounter(1, 8), CBeatCounter(2, 3)), 1, 12));
  EXPECT_TRUE(Is(DivideByInteger(CBeatCounter(3, 4), 3), 1, 4));
  // Three tuplet eighths at 2/3 fill a quarter exactly.
  CBeatCounter sum;
  for (int i = 0; i < 3; ++i) sum = Add(sum, Multiply(CBeatCounter(1, 8), CBeatCounter(2, 3)));
  EXPECT_TRUE(Is(sum, 1, 4));
}

TEST(BeatCounter, ExpandsOnlyToMultiplesAndCountsDivisions) {
  EXPECT_TRUE(Is(ExpandTo(CBeatCounter(3, 4), 16), 12, 16));
  EXPECT_TRUE(Is(ExpandTo(CBeatCounter(1, 3), 16), 1, 3));
  CBeatCounter a(1, 6), b(3, 4);
  CommonDenominator(&a, &b);
  EXPECT_TRUE(Is(a, 2, 12));
  EXPECT_TRUE(Is(b, 9, 12));
  EXPECT_EQ(ToDivisions(CBeatCounter(1, 4), 2), 2);
  EXPECT_EQ(ToDivisions(CBeatCounter(3, 8), 6), 9);
  // A tuplet third of a quarter needs three divisions; with two it is refused.
  EXPECT_EQ(ToDivisions(CBeatCounter(1, 12), 3), 1);
  EXPECT_THROW(ToDivisions(CBeatCounter(1, 12), 2), CNiffWriterError);
  struct Case { int num, den, need; } needs[] = {{1, 12, 3}, {1, 8, 2}, {1, 2, 1}, {3, 4, 1}, {1, 128, 32}, {2, 3, 3}};
  for (const Case& c : needs) EXPECT_EQ(DivisionsNeeded(CBeatCounter(c.num, c.den)), c.need) << c.num << "/" << c.den;
}

TEST(BeatCounter, DurationsOfCodesAndDots) {
  struct Case { int code, dots, num, den; } cases[] = {
      {6, 1, 3, 4}, {8, 0, 2, 1}, {0, 2, 7, 512}, {5, 0, 1, 4}, {7, 3, 15, 8}, {4, 1, 3, 16}};
  for (const Case& c : cases) EXPECT_TRUE(Is(DurationOf(c.code, c.dots), c.num, c.den)) << c.code << " " << c.dots;
  EXPECT_THROW(DurationOf(9, 0), CNiffWriterError);
}

TEST(TimeSig, StaysUnreducedAndWritesSymbolsAsPairs) {
  FileExporting::CTimeSig four(4, 4);
  EXPECT_EQ(four.numerator, 4);
  EXPECT_EQ(four.denominator, 4);
  struct Case { int beats, unit, symbol; uint16_t first, second; } cases[] = {
      {4, 4, 1, 0xFFFF, 0xFFFF}, {2, 2, 1, 0xFFFE, 0xFFFF}, {3, 4, 1, 3, 4}, {4, 4, 0, 4, 4}, {6, 8, 0, 6, 8}};
  for (const Case& c : cases) {
    uint16_t first = 0, second = 0;
    FileExporting::CTimeSig(c.beats, c.unit, c.symbol).ToShortPair(&first, &second);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(second, c.second);
  }
}

// Tuplet marks: notes in b3, the written length of one in b4 + 1 (1/128),
// the span in b1 + 256 x (b2 & 63).
TEST(TupletMark, RatiosAreExactForAnyDenominatorAndRefusedWhenZero) {
  struct Case { uint8_t b1, b2, b3, b4; int ratioNum, ratioDen, spanNum, spanDen; } cases[] = {
      {32, 0, 3, 15, 3, 8, 1, 4},     // three eighths in a quarter
      {32, 0, 3, 2, 9, 128, 1, 4},    // a written length of 3/128: exact, no truncation
      {64, 0, 5, 254, 1275, 128, 1, 2},
      {0, 1, 1, 255, 2, 1, 2, 1},      // b4 + 1 = 256: no division by 0
  };
  for (const Case& c : cases) {
    const uint8_t item[5] = {0x86, c.b1, c.b2, c.b3, c.b4};
    TupletMarkValue value = TupletMarkFields(item);
    EXPECT_TRUE(Is(value.ratio, c.ratioNum, c.ratioDen));
    EXPECT_TRUE(Is(value.span, c.spanNum, c.spanDen));
  }
  const uint8_t noNotes[5] = {0x86, 32, 0, 0, 15};
  const uint8_t noSpan[5] = {0x86, 0, 0, 3, 15};
  for (const uint8_t* item : {noNotes, noSpan}) {
    try {
      TupletMarkFields(item);
      ADD_FAILURE() << "accepted";
    } catch (const CNiffWriterError& e) {
      EXPECT_EQ(e.Kind(), 1);
      EXPECT_EQ(e.Code(), kNiffErrorMarkUnreadable);
    }
  }
}

// ---- The reader clock ------------------------------------------------------------

TEST(ReaderClock, NextBarAddsTheBarAndTakesTheSchedule) {
  ReaderTimeState clock;
  clock.Reset();
  clock.LoadSchedule({FileExporting::CTimeSig(3, 4), NoSignatureChange(), FileExporting::CTimeSig(2, 4)});
  clock.barStart = CBeatCounter(1, 1);
  clock.NextBar();
  EXPECT_TRUE(Is(clock.barStart, 7, 4));
  EXPECT_EQ(clock.barNumber, 2);
  EXPECT_EQ(clock.timeSignature.numerator, 3);  // 0/1 keeps 3/4
  clock.NextBar();
  EXPECT_EQ(clock.timeSignature.numerator, 2);
  EXPECT_TRUE(Is(clock.timeCursor, 0, 1));
}

TEST(ReaderClock, BarHasContentOnlyForVoicesZeroAndOne) {
  ReaderTimeState clock;
  clock.Reset();
  clock.timeCursor = CBeatCounter();
  clock.AddPending(2, CBeatCounter(1, 4));
  clock.AddPending(3, CBeatCounter(1, 2));
  EXPECT_FALSE(clock.BarHasContent(true));
  clock.AddPending(1, CBeatCounter(1, 8));
  EXPECT_TRUE(clock.BarHasContent(true));
  EXPECT_FALSE(clock.BarHasContent(false));
}

TEST(ReaderClock, ChordsKeepTheLongestNoteAndVoicesMoveOnTheirOwn) {
  ReaderTimeState clock;
  clock.Reset();
  clock.AddPending(0, CBeatCounter(1, 8));
  clock.AddPending(0, CBeatCounter(1, 4));
  clock.AddPending(0, CBeatCounter(1, 16));
  EXPECT_TRUE(Is(clock.voices[0].pending, 1, 4));
  clock.MoveTime(0, true);  // only voice 0 has something to finish
  EXPECT_TRUE(Is(clock.voices[0].position, 1, 4));
  EXPECT_TRUE(Is(clock.voices[1].position, 0, 1));
  clock.AddPending(1, CBeatCounter(1, 2));
  clock.MoveTime(-1, false);  // everything advances and aligns to the latest
  for (const VoiceClock& v : clock.voices) EXPECT_TRUE(Is(v.position, 1, 2));
}

}  // namespace

namespace {

TEST(ReaderClock, AVoiceStartedBeforeAnyTimeBeginsAtTheBarStart) {
  ReaderTimeState clock;
  clock.Reset();
  clock.StartVoice(2);
  EXPECT_EQ(clock.voices[2].position.numerator, 0);
  clock.timeCursor = CBeatCounter(3, 8);
  clock.StartVoice(-1);
  for (const VoiceClock& v : clock.voices) EXPECT_EQ(Compare(v.position, CBeatCounter(3, 8)), 0);
}

}  // namespace
