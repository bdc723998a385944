#include "building/VoiceAssignment.h"

#include <gtest/gtest.h>

#include "tests/score/RhythmFixture.h"

namespace {

StreamBytesList StemChord(uint8_t code, bool down, uint8_t position, bool sameColumn = false, uint8_t voice = 0) {
  StreamBytesList item = Chord({code, 0, voice, sameColumn});
  SetChordStemDown(item.data(), down);
  item[kChordHeaderBytes] = position;
  return item;
}

BarEvents Built(const StreamBytesList& bytes) {
  BarEvents bar;
  BuildBarEvents(bytes.data(), 0, static_cast<uint32_t>(bytes.size()), &bar, nullptr, 0, -1, 5);
  return bar;
}

RhythmReadingOptions Options() {
  RhythmReadingOptions options;
  options.version = 5;
  return options;
}

TEST(VoiceAssignment, TwoStemSidesOnOneStaveMakeTwoVoicesThatFillTheBar) {
  // Stem up crotchets above, a stem-down minim and two stem-down crotchets
  // below, all written in voice 0.
  BarEvents bar = Built(JoinItems({StemChord(kDurationQuarter, false, 20), StemChord(kDurationHalf, true, 8, true),
                                   StemChord(kDurationQuarter, false, 20), StemChord(kDurationQuarter, false, 20),
                                   StemChord(kDurationQuarter, true, 8, true), StemChord(kDurationQuarter, false, 20),
                                   StemChord(kDurationQuarter, true, 8, true)}));
  VoiceAssigner assigner;
  assigner.AssignVoices(&bar, 4, 5, Options());
  EXPECT_EQ(bar.At(0, 0).voice, 0);
  EXPECT_EQ(bar.At(0, 1).voice, 1);
  EXPECT_EQ(bar.At(2, 1).voice, 1);
  VoiceTotals totals;
  SumVoiceDurations(bar, &totals);
  EXPECT_EQ(totals.t[0], 1024);
  EXPECT_EQ(totals.t[1], 1024);
}

TEST(VoiceAssignment, OneVoiceOnlyAndTablatureKeepEverythingInVoiceZero) {
  const StreamBytesList bytes =
      JoinItems({StemChord(kDurationHalf, false, 20, false, 2), StemChord(kDurationHalf, true, 8, true, 3)});
  for (int which = 0; which < 2; ++which) {
    BarEvents bar = Built(bytes);
    RhythmReadingOptions options = Options();
    (which == 0 ? options.oneVoiceOnly : options.tablature) = true;
    VoiceAssigner assigner;
    assigner.AssignVoices(&bar, 4, 5, options);
    EXPECT_EQ(bar.At(0, 0).voice, 0);
    EXPECT_EQ(bar.At(0, 1).voice, 0);
  }
}

TEST(VoiceAssignment, ARestBesideAChordTakesAVoiceOfItsOwn) {
  BarEvents bar = Built(JoinItems({StemChord(kDurationHalf, false, 20), Rest(kDurationHalf, 0, 0, true),
                                   StemChord(kDurationHalf, false, 20), Rest(kDurationHalf, 0, 0, true)}));
  VoiceAssigner assigner;
  assigner.AssignVoices(&bar, 4, 5, Options());
  EXPECT_NE(bar.At(0, 0).voice, bar.At(0, 1).voice);
  EXPECT_NE(bar.At(1, 0).voice, bar.At(1, 1).voice);
}

TEST(VoiceAssignment, AChordThatStartsANewPositionSplitsItsColumn) {
  StreamBytesList late = StemChord(kDurationQuarter, false, 20, true);
  late[2] |= 0x04;
  BarEvents bar = Built(JoinItems({StemChord(kDurationQuarter, false, 20), late}));
  ASSERT_EQ(bar.positions, 1);
  VoiceAssigner assigner;
  assigner.AssignVoices(&bar, -1, -1, Options());
  EXPECT_EQ(bar.positions, 2);
  EXPECT_EQ(bar.counts[0], 1u);
  EXPECT_EQ(bar.counts[1], 1u);
}

TEST(VoiceAssignment, StemSidesAndBeamPartners) {
  BarEvent up, down, across, rest;
  up.flags = kEventChord | kEventShortChord;
  up.code = 4;
  down = up;
  down.flags |= kEventStemBit;
  across = up;
  across.cross = 1;
  rest.code = 4;
  EXPECT_FALSE(SameStemSide(up, down, 2));
  EXPECT_TRUE(SameStemSide(across, down, 2));
  EXPECT_TRUE(SameStemSide(across, up, 1));  // a bar without concurrent events: both sides
  EXPECT_FALSE(SameStemSide(rest, rest, 2));

  StreamBytesList start = Quaver();
  SetChordBeamedToNext(start.data(), true);
  SetChordStartsBeamGroup(start.data(), true);
  BarEvents bar = Built(JoinItems({start, start, Quaver()}));
  LinkBeamPartners(&bar);
  EXPECT_FALSE(bar.At(0, 0).flags & kEventBeamContinues);
  EXPECT_TRUE(bar.At(1, 0).flags & kEventBeamContinues);
}

TEST(VoiceAssignment, AssigningAStreamBarWritesTheVoicesBackAndKeepsTheBoxes) {
  StreamSet set{};
  const StreamBytesList bytes = JoinItems({Line(), StemChord(kDurationHalf, false, 20, false, 3),
                                           StemChord(kDurationHalf, true, 8, true, 3), Line()});
  ASSERT_EQ(GrowStream(&set, 1, static_cast<uint32_t>(bytes.size())), 1);
  std::copy(bytes.begin(), bytes.end(), StreamBytes(set, 1));
  set.used[1] = static_cast<uint32_t>(bytes.size());
  int16_t rows[8][4] = {};
  for (int r = 0; r < 4; ++r) rows[r][0] = static_cast<int16_t>(r + 1);
  ObjectBoxList list;
  list.rows = rows;
  list.count = 4;
  list.capacity = 8;
  const uint32_t barEnd = static_cast<uint32_t>(bytes.size() - 1);
  uint32_t newEnd = 0;
  EXPECT_TRUE(AssignGroupVoices(&set, 1, 0, barEnd, &list, 0, 2, 5, Options(), &newEnd));
  EXPECT_EQ(newEnd, barEnd);
  const uint8_t* stream = StreamBytes(set, 1);
  EXPECT_EQ(ChordVoice(stream + 1), 0);
  EXPECT_EQ(ChordVoice(stream + 1 + 6), 1);
  EXPECT_EQ(list.count, 4);
  EXPECT_EQ(rows[3][0], 4);
  FreeStreamSet(&set);
}

}  // namespace
