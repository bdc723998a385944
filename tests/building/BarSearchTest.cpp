#include "building/BarRhythmSearch.h"

#include <gtest/gtest.h>

#include "tests/score/RhythmFixture.h"

namespace {

StreamBytesList Beamed(uint8_t code, bool start, uint8_t dots = 0) {
  StreamBytesList item = Chord({code, dots});
  SetChordBeamedToNext(item.data(), true);
  SetChordStartsBeamGroup(item.data(), start);
  return item;
}
StreamBytesList StemDown(StreamBytesList chord) {
  SetChordStemDown(chord.data(), true);
  return chord;
}
StreamBytesList Dotted(uint8_t code) { return Chord({code, 1}); }
StreamBytesList Hint(uint8_t high) { return {127, 5, 0, uint8_t(high << 4), 0, 0, 0, 0}; }
StreamBytesList BracketedTriplet(uint32_t total, uint8_t oneNote) {
  StreamBytesList mark = TupletMark(total, 3, oneNote);
  mark[3] |= 0x80;
  return mark;
}

RhythmReadingOptions Options() {
  RhythmReadingOptions options;
  options.version = 5;
  return options;
}

VoiceTotals Sum(const StreamBytesList& bytes) {
  BarEvents bar;
  BuildBarEvents(bytes.data(), 0, static_cast<uint32_t>(bytes.size()), &bar, nullptr, 0, -1, 5);
  VoiceTotals totals;
  SumVoiceDurations(bar, &totals);
  return totals;
}

StreamBytesList Solve(StreamBytesList bytes, int beats, int unit) {
  const uint32_t end =
      SolveBarRhythm(&bytes, 0, static_cast<uint32_t>(bytes.size()), nullptr, -1, beats, unit, Options());
  EXPECT_EQ(end, bytes.size());
  return bytes;
}

TEST(BarSearch, ThreeBeamedQuaversWithANumberThreeSoundAsACrotchet) {
  const StreamBytesList bar = JoinItems({Line(), Hint(3), Beamed(kDurationEighth, true),
                                         Beamed(kDurationEighth, false), Beamed(kDurationEighth, false)});
  const StreamBytesList solved = Solve(bar, 1, 5);
  // The number that confirmed the triplet is used up; the mark stands in
  // front of the first quaver.
  EXPECT_EQ(solved, JoinItems({Line(), BracketedTriplet(32, 16), Beamed(kDurationEighth, true),
                               Beamed(kDurationEighth, false), Beamed(kDurationEighth, false)}));
  EXPECT_EQ(Sum(solved).t[0], 256);
}

struct Repair {
  const char* name;
  int beats, unit;
  StreamBytesList read, expected;
};

TEST(BarSearch, OneTypicalErrorPerBarIsRepaired) {
  const Repair table[] = {
      {"extra dot", 4, 5, JoinItems({Line(), Dotted(kDurationHalf), Minim()}), JoinItems({Line(), Minim(), Minim()})},
      {"missing dot", 4, 5, JoinItems({Line(), Minim(), Crotchet()}),
       JoinItems({Line(), Dotted(kDurationHalf), Crotchet()})},
      {"beam value", 2, 5,
       JoinItems({Line(), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false), Beamed(kDuration16th, false),
                  Beamed(kDurationEighth, false)}),
       JoinItems({Line(), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false),
                  Beamed(kDurationEighth, false), Beamed(kDurationEighth, false)})},
      {"unmarked triplet", 2, 5,
       JoinItems({Line(), Crotchet(), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false),
                  Beamed(kDurationEighth, false)}),
       JoinItems({Line(), Crotchet(), BracketedTriplet(32, 16), Beamed(kDurationEighth, true),
                  Beamed(kDurationEighth, false), Beamed(kDurationEighth, false)})},
  };
  for (const Repair& r : table) {
    const StreamBytesList solved = Solve(r.read, r.beats, r.unit);
    EXPECT_EQ(solved, r.expected) << r.name;
    EXPECT_EQ(Sum(solved).t[0], BarLengthTicks(r.beats, r.unit)) << r.name;
  }
}

TEST(BarSearch, StrayDotsAreDroppedAlsoWhereTheyHideATriplet) {
  // Dots read beside heads that have none: three in one bar of crotchets, and
  // two on the quavers of a triplet, where the dots keep the group from
  // reading as three equal notes until they are dropped.
  const Repair table[] = {
      {"three stray dots", 4, 5,
       JoinItems({Line(), Dotted(kDurationQuarter), Dotted(kDurationQuarter), Crotchet(), Dotted(kDurationQuarter)}),
       JoinItems({Line(), Crotchet(), Crotchet(), Crotchet(), Crotchet()})},
      {"dotted triplet", 2, 5,
       JoinItems({Line(), Beamed(kDurationEighth, true, 1), Beamed(kDurationEighth, false),
                  Beamed(kDurationEighth, false, 1), Crotchet()}),
       JoinItems({Line(), BracketedTriplet(32, 16), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false),
                  Beamed(kDurationEighth, false), Crotchet()})},
      {"two dotted triplets", 2, 5,
       JoinItems({Line(), Beamed(kDurationEighth, true, 1), Beamed(kDurationEighth, false),
                  Beamed(kDurationEighth, false), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false, 1),
                  Beamed(kDurationEighth, false)}),
       JoinItems({Line(), BracketedTriplet(32, 16), Beamed(kDurationEighth, true), Beamed(kDurationEighth, false),
                  Beamed(kDurationEighth, false), BracketedTriplet(32, 16), Beamed(kDurationEighth, true),
                  Beamed(kDurationEighth, false), Beamed(kDurationEighth, false)})},
  };
  for (const Repair& r : table) {
    const StreamBytesList solved = Solve(r.read, r.beats, r.unit);
    EXPECT_EQ(solved, r.expected) << r.name;
    EXPECT_EQ(Sum(solved).t[0], BarLengthTicks(r.beats, r.unit)) << r.name;
  }
  // A dotted quaver beamed to a semiquaver is no triplet and stays.
  const StreamBytesList dotted = JoinItems({Line(), Beamed(kDurationEighth, true, 1), Beamed(kDuration16th, false),
                                            Crotchet()});
  EXPECT_EQ(Solve(dotted, 2, 5), dotted);
}

TEST(BarSearch, DoubledDotsAndADotLostOnTheLastNoteAreRepaired) {
  const Repair table[] = {
      {"two stray dots", 4, 5,
       JoinItems({Line(), Chord({kDurationQuarter, 2}), Crotchet(), Crotchet(), Crotchet()}),
       JoinItems({Line(), Crotchet(), Crotchet(), Crotchet(), Crotchet()})},
      {"two dots for one", 4, 5, JoinItems({Line(), Chord({kDurationQuarter, 2}), Quaver(), Minim()}),
       JoinItems({Line(), Dotted(kDurationQuarter), Quaver(), Minim()})},
      {"the bar's one note", 3, 5, JoinItems({Line(), Minim()}), JoinItems({Line(), Dotted(kDurationHalf)})},
      {"the last note", 4, 5, JoinItems({Line(), Crotchet(), Minim()}),
       JoinItems({Line(), Crotchet(), Dotted(kDurationHalf)})},
      {"the last note before a stray rest", 3, 5, JoinItems({Line(), Minim(), Rest(kDurationEighth)}),
       JoinItems({Line(), Dotted(kDurationHalf)})},
  };
  for (const Repair& r : table) {
    const StreamBytesList solved = Solve(r.read, r.beats, r.unit);
    EXPECT_EQ(solved, r.expected) << r.name;
    EXPECT_EQ(Sum(solved).t[0], BarLengthTicks(r.beats, r.unit)) << r.name;
  }
  // A last note whose dot would not make the bar fit keeps its value.
  const StreamBytesList short_ = JoinItems({Line(), Crotchet(), Crotchet(), Crotchet()});
  EXPECT_EQ(Solve(short_, 4, 5), short_);
}

TEST(BarSearch, CorrectBarsAndBarsWithoutAMetreStayAsTheyAre) {
  const Repair table[] = {
      {"four crotchets", 4, 5, JoinItems({Line(), Crotchet(), Crotchet(), Crotchet(), Crotchet()}), {}},
      {"three four", 3, 5, JoinItems({Line(), Minim(), Crotchet()}), {}},
      {"six eight", 6, 4, JoinItems({Line(), Dotted(kDurationQuarter), Dotted(kDurationQuarter)}), {}},
      {"marked triplet", 2, 5, JoinItems({Line(), Crotchet(), TupletMark(32, 3, 16), Quaver(), Quaver(), Quaver()}), {}},
      {"two voices", 2, 5, JoinItems({Line(), Minim(0), StemDown(Chord({kDurationQuarter, 0, 1, true})),
                                      StemDown(Chord({kDurationQuarter, 0, 1}))}), {}},
      {"no metre", -1, -1, JoinItems({Line(), Minim(), Crotchet()}), {}},
  };
  for (const Repair& r : table) EXPECT_EQ(Solve(r.read, r.beats, r.unit), r.read) << r.name;
}

TEST(BarSearch, MeasuringNeverDeletesAndLeavesTheEventsAsAssigned) {
  // A whole-note chord too many: only a deletion would make the bar fit.
  const StreamBytesList bar = JoinItems({Line(), Chord({kDurationWhole}), Chord({kDurationWhole})});
  BarEvents events;
  BuildBarEvents(bar.data(), 0, static_cast<uint32_t>(bar.size()), &events, nullptr, 0, -1, 5);
  BarRhythmSearch search(Options());
  VoiceTotals totals;
  int32_t score = 0;
  search.SolveGroupedBarRhythm(&events, 4, 5, true, &totals, &score);
  EXPECT_EQ(totals.t[0], 2048);
  search.SolveGroupedBarRhythm(&events, 4, 5, false, &totals, &score);
  EXPECT_EQ(totals.t[0], 1024);
  EXPECT_TRUE(events.At(1, 0).Live());  // the best arrangement is not copied back
  EXPECT_LE(search.Calls(), BarRhythmSearch::kSearchCalls + 1);
}

TEST(BarSearch, TupletDetectionRules) {
  struct Case {
    const char* name;
    StreamBytesList bar;
    bool found;
    int count;
  };
  const Case cases[] = {
      {"beamed quavers", JoinItems({Beamed(4, true), Beamed(4, false), Beamed(4, false)}), true, 3},
      {"dotted first note", JoinItems({Beamed(4, true, 1), Beamed(4, false, 1), Beamed(4, false, 1)}), false, 0},
      {"two notes", JoinItems({Beamed(4, true), Beamed(4, false)}), false, 0},
      {"minims", JoinItems({Minim(), Minim(), Minim()}), false, 0},
  };
  for (const Case& c : cases) {
    BarEvents events;
    BuildBarEvents(c.bar.data(), 0, static_cast<uint32_t>(c.bar.size()), &events, nullptr, 0, -1, 5);
    const TupletGroup group = BarRhythmRules(events, 2, 5).DetectTuplet(0, 0, true);
    EXPECT_EQ(group.found, c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(group.count, c.count) << c.name;
    }
  }
}

}  // namespace
