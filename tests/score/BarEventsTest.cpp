#include "score/BarEvents.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/score/RhythmFixture.h"

namespace {

// Builds the events of a whole stream held in a block of exactly its size.
struct Built {
  explicit Built(const StreamBytesList& bytes, const EventBox* boxes = nullptr, int32_t boxCount = 0,
                 int32_t first = -1)
      : block(new uint8_t[bytes.size() + 1]) {
    std::copy(bytes.begin(), bytes.end(), block.get());
    BuildBarEvents(block.get(), 0, static_cast<uint32_t>(bytes.size()), &bar, boxes, boxCount, first, 5);
  }
  std::unique_ptr<uint8_t[]> block;
  BarEvents bar;
};

TEST(BarEvents, ATripletOfBeamedQuaversSumsToACrotchet) {
  StreamBytesList quaver = Quaver();
  SetChordBeamedToNext(quaver.data(), true);
  StreamBytesList first = quaver;
  SetChordStartsBeamGroup(first.data(), true);
  StreamBytesList last = Quaver();
  Built built(JoinItems({TupletMark(32, 3, 16), first, quaver, last}));
  EXPECT_EQ(built.bar.positions, 3);
  const BarEvent& e = built.bar.At(0, 0);
  EXPECT_EQ(e.tupletCount, 3);
  EXPECT_EQ(e.tupletTotal, 32u);
  EXPECT_EQ(e.tupletNormal, 15);
  EXPECT_EQ(built.bar.At(1, 0).tupletCount, 0);  // only the first event carries the count
  EXPECT_TRUE(e.flags & kEventBeamedToNext);
  EXPECT_FALSE(e.flags & kEventBeamContinues);
  EXPECT_TRUE(built.bar.At(1, 0).flags & kEventBeamContinues);
  VoiceTotals totals;
  int maxEvents = 0;
  EXPECT_EQ(SumVoiceDurations(built.bar, &totals, &maxEvents), 0u);
  EXPECT_EQ(totals.t[0], 256);  // the span's values add up to its total exactly
  EXPECT_EQ(maxEvents, 3);
}

TEST(BarEvents, ATupletSpanOfABreveOrMore) {
  // Three semibreves in the time of two: the total 2048 ticks is 256/128.
  Built built(JoinItems({TupletMark(256, 3, 128), Chord({kDurationWhole}), Chord({kDurationWhole}),
                         Chord({kDurationWhole})}));
  VoiceTotals totals;
  EXPECT_EQ(SumVoiceDurations(built.bar, &totals), 1u);  // events of 1024 ticks
  EXPECT_EQ(totals.t[0], 2048);
}

TEST(BarEvents, PositionsColumnsAndTheFifthSimultaneousEvent) {
  StreamBytesList items = Crotchet(0);
  for (int i = 0; i < 4; ++i) {
    StreamBytesList join = Chord({kDurationQuarter, 0, uint8_t(i & 3), true});
    items.insert(items.end(), join.begin(), join.end());
  }
  StreamBytesList rest = Rest(kDurationQuarter, 1, 0, true);
  items.insert(items.end(), rest.begin(), rest.end());
  Built built(items);
  EXPECT_EQ(built.bar.positions, 2);
  EXPECT_EQ(built.bar.counts[0], 4u);
  EXPECT_EQ(built.bar.counts[1], 2u);
  EXPECT_FALSE(built.bar.At(1, 1).flags & kEventChord);
}

TEST(BarEvents, ValuesOfTheSpecialCodes) {
  Built built(JoinItems({Chord({kOneTickDurationCode, 2}), BarRest(1), Chord({kDurationHalf, 0, 0, false, true}),
                         Rest(kDurationEighth, 2, 1)}));
  ASSERT_EQ(built.bar.positions, 4);
  EXPECT_EQ(built.bar.At(0, 0).duration, 1);   // code 15 is one tick, whatever its dots
  EXPECT_EQ(built.bar.At(1, 0).code, 8);       // a bar rest
  EXPECT_EQ(built.bar.At(1, 0).duration, 0);
  EXPECT_TRUE(built.bar.At(2, 0).flags & kEventNoTime);
  EXPECT_EQ(built.bar.At(3, 0).duration, 192);
  VoiceTotals totals;
  SumVoiceDurations(built.bar, &totals);
  EXPECT_EQ(totals.t[0], 1);    // the grace minim adds nothing
  EXPECT_EQ(totals.t[2], 192);  // a rest is never moved to where the voices stand
}

TEST(BarEvents, BoxesPastTheListAreLeftOut) {
  const EventBox boxes[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  // Rows 1 and 2 for the two chords: row 2 lies past the list.
  Built built(JoinItems({Crotchet(), Crotchet()}), boxes, 2, 1);
  EXPECT_EQ(built.bar.At(0, 0).boxA, 7);
  EXPECT_EQ(built.bar.At(0, 0).boxB, 8);
  EXPECT_EQ(built.bar.At(1, 0).boxA, 0);
  EXPECT_EQ(built.bar.At(1, 0).boxB, 0);
  Built negative(JoinItems({Crotchet()}), boxes, 2, -1);
  EXPECT_EQ(negative.bar.At(0, 0).boxA, 0);
}

TEST(BarEvents, AttachedTextsAndTheBarsLastPosition) {
  StreamBytesList many;
  for (int i = 0; i < 300; ++i) {
    StreamBytesList q = Chord({kDuration128th});
    many.insert(many.end(), q.begin(), q.end());
  }
  Built full(many);
  EXPECT_EQ(full.bar.positions, kBarPositions);  // cut at 256

  Built texts(JoinItems({Crotchet(), TextItem(kTextLyric, "la"), Crotchet(), Line(), TextItem(kTextLyric, "x"),
                         Crotchet()}));
  EXPECT_TRUE(texts.bar.At(0, 0).flags & kEventTextAttached);
  EXPECT_FALSE(texts.bar.At(1, 0).flags & kEventTextAttached);
  EXPECT_FALSE(texts.bar.At(2, 0).flags & kEventTextAttached);  // a bar line forgets the last event
}

TEST(BarEvents, ATupletWithoutLengthsScalesNothing) {
  Built zero(JoinItems({TupletMark(0, 3, 16), Quaver(), Quaver(), Quaver()}));
  VoiceTotals totals;
  SumVoiceDurations(zero.bar, &totals);
  EXPECT_EQ(totals.t[0], 384);
  StreamBytesList noCount = TupletMark(32, 3, 16);
  noCount[3] = 0;
  Built none(JoinItems({noCount, Quaver(), Quaver()}));
  SumVoiceDurations(none.bar, &totals);
  EXPECT_EQ(totals.t[0], 256);
}

}  // namespace
