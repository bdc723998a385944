#include "score/Rhythm.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/score/RhythmFixture.h"

namespace {

TEST(RhythmDurations, NoteValuesBarsAndTheOneTickCode) {
  struct Case {
    unsigned code, dots;
    int32_t written, duration;
  } cases[] = {
      {5, 0, 256, 256}, {5, 1, 384, 384}, {4, 2, 224, 224}, {0, 3, 15, 15},
      {7, 0, 1024, 1024}, {8, 0, 2048, 2048}, {15, 2, 0x40000 + 0x20000 + 0x10000, 1}, {15, 0, 0x40000, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoteValueTicks(c.code, c.dots), c.written) << c.code << " " << c.dots;
    EXPECT_EQ(DurationTicks(c.code, c.dots), c.duration) << c.code << " " << c.dots;
  }
  EXPECT_EQ(BarLengthTicks(4, 5), 1024);
  EXPECT_EQ(BarLengthTicks(3, 4), 384);
  EXPECT_EQ(BarLengthTicks(2, 6), 1024);
  EXPECT_EQ(BarLengthTicks(6, 4), 768);
  EXPECT_EQ(BarLengthTicks(31, 7), 31 * 1024);
  EXPECT_EQ(BarLengthTicks(4, 8), 0);
  EXPECT_EQ(BarLengthTicks(-1, 5), 0);
}

TEST(RhythmDurations, TupletScalingOfEveryKindOfCount) {
  struct Case {
    int count;
    int32_t duration, scaled;
  } cases[] = {
      {3, 384, 256},   // three quavers in the time of two
      {2, 256, 384},   // a duplet: powers of two sound as 3/2
      {4, 512, 768}, {256, 256, 384},
      {5, 640, 512},   // 4/5
      {6, 768, 512},   // 4/6
      {7, 896, 512}, {9, 1152, 1024},
      {300, 300, 128}, // past 256 the power stays 2^8
      {1, 500, 500},   // below 2 no tuplet: unscaled, no shift by -1
      {0, 500, 500},   // and no division by 0
      {-3, 500, 500},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleDurationForTuplet(c.count, c.duration), c.scaled) << c.count;
}

TEST(RhythmDurations, TupletNumbers) {
  struct Case {
    int count;
    int32_t sounding, written;
    bool drawn;
    std::u16string text;
  } cases[] = {
      {3, 256, 384, true, u"3"},
      {3, 512, 384, true, u"3:4"},  // three in the time of four
      {12, 1024, 1536, true, u"12"},
      {5, 256, 0, true, u"5"},      // no written length: the count alone
      {1, 256, 256, false, u""},
      {0, 256, 256, false, u""},
  };
  for (const Case& c : cases) {
    char16_t text[16];
    EXPECT_EQ(FormatTupletNumber(c.count, c.sounding, c.written, text, 16), c.drawn) << c.count;
    EXPECT_EQ(std::u16string(text), c.text) << c.count;
  }
  char16_t tiny[3];
  EXPECT_TRUE(FormatTupletNumber(123, 1, 2, tiny, 3));
  EXPECT_EQ(std::u16string(tiny), u"12");
}

TEST(RhythmTuplets, MarksAreWrittenInTheItemTablesLayout) {
  uint8_t mark[5];
  MakeTupletMark(mark, 3, 48, 1, true);  // three quavers
  EXPECT_EQ(mark[0], kTupletMarkByte);
  EXPECT_EQ(MarkSpan(mark), 32u);
  EXPECT_EQ(MarkVoice(mark), 1);
  EXPECT_EQ(TupletNoteCount(mark), 3);
  EXPECT_EQ(mark[3] & 0x80, 0x80);
  EXPECT_EQ(mark[4], 15);
  EXPECT_EQ(TupletSoundingTicks(mark), 256);
  EXPECT_EQ(TupletWrittenTicks(mark), 384);
  MakeTupletMark(mark, 3, 384, 0, false);  // three semibreves: 256/128 sounding
  EXPECT_EQ(MarkSpan(mark), 256u);
  EXPECT_EQ(mark[4], 127);
  EXPECT_EQ(mark[3], 3);
  MakeTupletMark(mark, 0, 48, 0, false);   // no count: one note, unscaled
  EXPECT_EQ(TupletNoteCount(mark), 1);
  EXPECT_EQ(MarkSpan(mark), 48u);
}

TEST(RhythmTuplets, ProgressScalesEachValueAndClosesAtTheWrittenLength) {
  TupletProgress triplet;
  triplet.Start(256, 384);
  EXPECT_EQ(triplet.Scale(128), 85);
  EXPECT_EQ(triplet.Scale(128), 85);
  EXPECT_EQ(triplet.Scale(128), 85);
  EXPECT_FALSE(triplet.Open());
  EXPECT_EQ(triplet.Scale(128), 128);

  TupletProgress overrun;
  overrun.Start(256, 384);
  overrun.Scale(256);
  EXPECT_EQ(overrun.Scale(256), 256);  // past the written length: unscaled, closed
  EXPECT_FALSE(overrun.Open());

  TupletProgress empty;
  empty.Start(0, 384);
  EXPECT_FALSE(empty.Open());
  empty.Start(256, 0);
  EXPECT_FALSE(empty.Open());
  EXPECT_EQ(empty.Scale(100), 100);
}

TEST(RhythmVoices, AlignmentBringsEnteringVoicesToTheLatest) {
  VoiceAlignment alignment;
  VoiceTotals totals;
  const int32_t none[4] = {};
  // Voice 0 sounds alone for a minim.
  const int32_t minim0[4] = {512, 0, 0, 0};
  AlignVoiceTimes(&alignment, &totals, minim0, none);
  totals.t[0] += 512;
  // Voice 1 enters alone: it starts where the voices stand.
  const int32_t crotchet1[4] = {0, 256, 0, 0};
  int32_t starts[4] = {};
  AlignVoiceTimes(&alignment, &totals, crotchet1, none, starts);
  EXPECT_EQ(totals.t[1], 512);
  EXPECT_EQ(starts[1], 512);
  totals.t[1] += 256;
  // Both in use and both sounding: the earlier one catches up.
  const int32_t both[4] = {256, 256, 0, 0};
  AlignVoiceTimes(&alignment, &totals, both, none);
  EXPECT_EQ(totals.t[0], 768);
  EXPECT_EQ(totals.t[1], 768);
  // A rest is never moved.
  totals.t[2] = 0;
  const int32_t rest2[4] = {0, 0, 128, 0};
  AlignVoiceTimes(&alignment, &totals, none, rest2);
  EXPECT_EQ(totals.t[2], 0);
  EXPECT_TRUE(alignment.inUse[2]);
  // All totals 0 again: a new bar clears the flags.
  totals = VoiceTotals{};
  AlignVoiceTimes(&alignment, &totals, none, none);
  EXPECT_FALSE(alignment.inUse[0]);
}

TEST(RhythmVoices, PaddingCommonLengthAndSpread) {
  VoiceTotals padded{{1024, 512, 0, 256}};
  PadVoicesToBarLength(&padded, 1024);
  EXPECT_EQ(padded.t[1], 1024);
  EXPECT_EQ(padded.t[2], 0);
  EXPECT_EQ(padded.t[3], 1024);
  VoiceTotals over{{1024, 1280, 0, 0}};
  PadVoicesToBarLength(&over, 1024);
  EXPECT_EQ(over.t[1], 1280);
  VoiceTotals short0{{768, 512, 0, 0}};
  PadVoicesToBarLength(&short0, 1024);
  EXPECT_EQ(short0.t[1], 512);

  EXPECT_EQ(CommonVoiceLength(VoiceTotals{{768, 0, 768, 0}}, -1), 768);
  EXPECT_EQ(CommonVoiceLength(VoiceTotals{{768, 0, 512, 0}}, -1), -1);
  EXPECT_EQ(CommonVoiceLength(VoiceTotals{{768, 0, 0, 0}}, 1024), -1);
  EXPECT_EQ(CommonVoiceLength(VoiceTotals{}, 1024), 0);

  EXPECT_EQ(VoiceLengthSpread(VoiceTotals{{768, 0, 1280, 0}}, 1024), 512);
  EXPECT_EQ(VoiceLengthSpread(VoiceTotals{{768, 256, 1024, 0}}, -1), 512 + 768);
}

TEST(RhythmVoices, JudgingTheVoicesOfABar) {
  struct Case {
    VoiceTotals times;
    bool tuplet;
    bool faulty[4];
  } cases[] = {
      {{{1024, 0, 0, 0}}, false, {false, false, false, false}},
      {{{1017, 0, 0, 0}}, false, {false, false, false, false}},    // within 8
      {{{1016, 0, 0, 0}}, false, {true, false, false, false}},
      {{{1012, 0, 0, 0}}, true, {false, false, false, false}},     // within 16 after a tuplet
      {{{1024, 512, 0, 0}}, false, {false, false, false, false}},  // short beside a full voice 0
      {{{1024, 1280, 0, 0}}, false, {false, true, false, false}},  // longer than the bar
      {{{768, 512, 0, 0}}, false, {true, true, false, false}},
      {{{0, 512, 0, 0}}, false, {false, true, false, false}},      // an empty voice 0 is not at fault
      {{{kVoiceTimeAsBar, 0, 0, 0}}, false, {false, false, false, false}},
  };
  for (const Case& c : cases) {
    for (int v = 0; v < 4; ++v) {
      EXPECT_EQ(VoiceIsFaulty(c.times, v, 1024, c.tuplet), c.faulty[v]) << c.times.t[0] << " voice " << v;
    }
  }
  EXPECT_TRUE(BarVoicesExact(VoiceTotals{{1024, 0, 1024, 0}}, 1024));
  EXPECT_FALSE(BarVoicesExact(VoiceTotals{{1024, 512, 0, 0}}, 1024));
  // Without counting empty voices, a voice of 0 stands for the bar.
  EXPECT_FALSE(VoiceIsFaulty(VoiceTotals{{0, 0, 0, 0}}, 0, 1024, false, false));
}

TEST(RhythmVoices, TheDifferenceWrittenAsNoteValues) {
  VoiceDifference d = DescribeVoiceDifference(1024 - 388, 1024);
  EXPECT_FALSE(d.tooLong);
  EXPECT_EQ(d.ticks, 388);
  EXPECT_EQ(d.counts[5], 1);
  EXPECT_EQ(d.counts[4], 1);
  EXPECT_EQ(d.dots, 1);
  int others = 0;
  for (int e : {0, 1, 2, 3, 6, 7, 8}) others += d.counts[e];
  EXPECT_EQ(others, 0);

  VoiceDifference five = DescribeVoiceDifference(1280, 1024);
  EXPECT_TRUE(five.tooLong);
  EXPECT_EQ(five.counts[5], 1);
  EXPECT_EQ(DescribeVoiceDifference(1024 - 6, 1024).dots, 2);
  EXPECT_EQ(DescribeVoiceDifference(1024 - 7, 1024).dots, 3);
  EXPECT_EQ(DescribeVoiceDifference(1024 - 3, 1024).dots, 0);
  EXPECT_EQ(DescribeVoiceDifference(0, 4096).counts[8], 2);
}

class TimeSignatureTest : public ScoreStreamTest {};

TEST_F(TimeSignatureTest, TheSignatureInForceAtASection) {
  // Part 1: 3/4, a bar, a boundary, then 6/8 and a hidden 2/4 in its second system.
  SetPart(1, JoinItems({TimeItem(3, 5), Crotchet(), Line(), Boundary(), TimeItem(6, 4), TimeItem(2, 5, true),
                        Crotchet(), Line(), Boundary(), Crotchet(), Line(), Boundary()}));
  // Part 2: nothing of its own until its third system, 2/2.
  SetPart(2, JoinItems({Crotchet(), Line(), Boundary(), Crotchet(), Line(), Boundary(), TimeItem(2, 6), Crotchet(),
                        Line(), Boundary()}));
  int beats = 0, unit = 0;
  int32_t length = 0;
  ASSERT_TRUE(FindTimeSignature(ScoreStream, PartCount, 0, &beats, &unit, &length));
  EXPECT_EQ(beats, 3);
  EXPECT_EQ(length, 768);
  ASSERT_TRUE(FindTimeSignature(ScoreStream, PartCount, 1, &beats, &unit, &length));
  EXPECT_EQ(beats, 3);
  ASSERT_TRUE(FindTimeSignature(ScoreStream, PartCount, 2, &beats, &unit, &length));
  EXPECT_EQ(beats, 6);  // the hidden 2/4 is never taken
  EXPECT_EQ(unit, 4);
  ASSERT_TRUE(FindTimeSignature(ScoreStream, PartCount, 3, &beats, &unit, &length));
  EXPECT_EQ(beats, 2);  // part 2's later section wins
  EXPECT_EQ(unit, 6);

  // A kind-0 item before the first signature: none at section 0.
  SetPart(1, JoinItems({Line(), TimeItem(3, 5)}));
  EXPECT_FALSE(FindTimeSignature(ScoreStream, PartCount, 0, &beats, &unit, &length));
  // Fewer than two part slots: none.
  EXPECT_FALSE(FindTimeSignature(ScoreStream, 1, 2, &beats, &unit, &length));
}

TEST_F(TimeSignatureTest, AnEqualCountIsWonByTheLaterPart) {
  SetPart(1, JoinItems({TimeItem(3, 5), Crotchet(), Line(), Boundary()}));
  SetPart(2, JoinItems({TimeItem(5, 4), Crotchet(), Line(), Boundary()}));
  TimeSignatureIndex index(ScoreStream, PartCount);
  TimeSignatureValue value;
  ASSERT_TRUE(index.Find(1, &value));
  EXPECT_EQ(value.beats, 5);
  ASSERT_TRUE(index.Find(0, &value));
  EXPECT_EQ(value.beats, 3);  // the first part that has items
}

TEST_F(TimeSignatureTest, ASignatureFromAnotherPartInTheSameBar) {
  const StreamBytesList part1 = JoinItems({Crotchet(), Line(), Boundary(), Crotchet(), Crotchet(), Line()});
  SetPart(1, part1);
  SetPart(2, JoinItems({Crotchet(), Line(), Boundary(), TimeItem(2, 5), Minim(), Line()}));
  SetPart(3, JoinItems({Crotchet(), Line(), Boundary(), TimeItem(7, 4), Line()}));  // no content there
  const uint32_t starts[kPartSlots] = {};
  TimeSignatureValue value;
  // The bar after part 1's boundary.
  ASSERT_TRUE(FindPartWithSameBarOnPage(ScoreStream, PartCount, starts, 1, 8, &value));
  EXPECT_EQ(value.beats, 2);
  EXPECT_EQ(value.unit, 5);
  // Its first bar: nobody places a signature there.
  EXPECT_FALSE(FindPartWithSameBarOnPage(ScoreStream, PartCount, starts, 1, 0, &value));
  EXPECT_FALSE(FindPartWithSameBarOnPage(ScoreStream, PartCount, starts, 0, 0, &value));
}

}  // namespace
