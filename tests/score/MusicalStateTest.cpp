#include "score/MusicalState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "score/PitchSpelling.h"
#include "score/TempoWords.h"
#include "tests/score/ScoreStreamFixture.h"

namespace {

TEST(KeySignatureSteps, TwoFlatsInTrebleMarkEveryBAndE) {
  int16_t steps[32];
  steps[0] = 99;
  KeySignatureSteps(steps, 0, 2, kClefTreble);
  EXPECT_EQ(steps[0], 99);  // entry 0 is not written
  for (int i = 1; i < 32; ++i) {
    int pc = FloorMod(PitchFromPosition(i, kClefTreble, 0), 12);
    EXPECT_EQ(steps[i], (pc == 11 || pc == 4) ? -1 : 0) << i;
  }
  EXPECT_EQ(steps[12], -1);  // E on the bottom line
  EXPECT_EQ(steps[16], -1);  // B on the middle line
}

// Under every clef and key, the positions that carry an accidental are
// exactly those whose note letter the key signature alters.
TEST(KeySignatureSteps, AgreesWithThePitchesOfEveryClef) {
  const int sharpOrder[7] = {5, 0, 7, 2, 9, 4, 11};  // F C G D A E B
  const int flatOrder[7] = {11, 4, 9, 2, 7, 0, 5};   // B E A D G C F
  for (int clef = kClefFrenchTreble; clef <= kClefBass; ++clef) {
    for (int sharps = 0; sharps <= 1; ++sharps) {
      for (int count = 0; count <= 7; ++count) {
        int16_t steps[32];
        KeySignatureSteps(steps, sharps, count, clef);
        for (int i = 1; i < 32; ++i) {
          int pc = FloorMod(PitchFromPosition(i, clef, 0), 12);
          bool altered = false;
          for (int k = 0; k < count; ++k) altered |= (sharps ? sharpOrder[k] : flatOrder[k]) == pc;
          EXPECT_EQ(steps[i], altered ? (sharps ? 1 : -1) : 0) << clef << " " << count << " " << i;
        }
      }
    }
  }
}

TEST(KeySignatureSteps, ClefsWithoutLettersGetNoAccidentals) {
  for (int clef : {int(kClefPercussion), int(kClefPercussion2), int(kClefTablature), 15, -1, 200}) {
    int16_t steps[32];
    for (int16_t& s : steps) s = 7;
    KeySignatureSteps(steps, 1, 5, clef);
    for (int i = 1; i < 32; ++i) EXPECT_EQ(steps[i], 0) << clef;
  }
  int16_t steps[32];
  KeySignatureSteps(steps, 1, 12, kClefTreble);  // a count beyond 7 reads as 7
  for (int i = 1; i < 32; ++i) EXPECT_EQ(steps[i], 1);
}

class MusicalStateTest : public ScoreStreamTest {
 protected:
  void SetUp() override {
    ScoreStreamTest::SetUp();
    savedReaders_ = SetTempoWordReaders({nullptr, nullptr});
  }
  void TearDown() override {
    SetTempoWordReaders(savedReaders_);
    ScoreStreamTest::TearDown();
  }
  TempoWordReaders savedReaders_ = {};
  uint32_t positions_[kPartSlots] = {};
};

TEST_F(MusicalStateTest, AnEmptyScoreGivesTheDefaults) {
  MusicalState state;
  EXPECT_EQ(FindMusicalStateAt(nullptr, &state), 1);
  EXPECT_EQ(state.numerator, 4);
  EXPECT_EQ(state.denominatorCode, kDurationQuarter);
  EXPECT_EQ(state.tempo, kDefaultTempo);
  for (const PartMusicalState& part : state.part) {
    EXPECT_EQ(part.clef, kClefTreble);
    EXPECT_EQ(part.keyCount, 0);
    EXPECT_EQ(part.dynamic, kDefaultDynamicLevel);
    EXPECT_EQ(part.noteLength, kDefaultNoteLength);
    EXPECT_EQ(part.program, -1);
  }
}

// Part 1: bass clef, two sharps, 3/4 | chord | page mark, alto clef (octave
// down), three flats, a hidden 2/2, chord.
StreamBytesList TwoPagePart() {
  return JoinItems({ClefItem(kClefBass), KeyItem(2), TimeItem(3, kDurationQuarter), BarItem(),
                    ChordItem({Note(12)}), BarItem(), {kBarBoundary}, {kPageMark}, ClefItem(kClefAlto, kOctaveDown),
                    KeyItem(-3), TimeItem(2, kDurationHalf, true), ChordItem({Note(14)}), {kEndOfScore}});
}

TEST_F(MusicalStateTest, TakesWhatStandsLatestBeforeThePosition) {
  SetPart(1, TwoPagePart());
  MusicalState state;
  positions_[1] = 20;  // the last chord
  EXPECT_EQ(FindMusicalStateAt(positions_, &state), 2);
  EXPECT_EQ(state.part[1].clef, kClefAlto);
  EXPECT_EQ(state.part[1].octaveShift, kOctaveDown);
  EXPECT_EQ(state.part[1].keyCount, 3);
  EXPECT_EQ(state.part[1].keySharps, 0);
  EXPECT_EQ(state.numerator, 3);  // the hidden 2/2 is passed over
  EXPECT_EQ(state.denominatorCode, kDurationQuarter);

  positions_[1] = 6;  // the first chord
  EXPECT_EQ(FindMusicalStateAt(positions_, &state), 1);
  EXPECT_EQ(state.part[1].clef, kClefBass);
  EXPECT_EQ(state.part[1].keyCount, 2);
  EXPECT_EQ(state.part[1].keySharps, 1);
}

TEST_F(MusicalStateTest, WithNothingBeforeThePositionTakesTheFirstAfter) {
  SetPart(1, TwoPagePart());
  MusicalState state;
  positions_[1] = 0;
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.part[1].clef, kClefBass);
  EXPECT_EQ(state.part[1].keyCount, 2);
  EXPECT_EQ(state.numerator, 3);
}

TEST_F(MusicalStateTest, PositionsBeyondTheStreamStopAtItsUsedLength) {
  SetPart(1, TwoPagePart());
  positions_[1] = 100000;
  MusicalState state;
  EXPECT_EQ(FindMusicalStateAt(positions_, &state), 2);
  EXPECT_EQ(state.part[1].clef, kClefAlto);
}

TEST_F(MusicalStateTest, AnOverrunningLastItemEndsTheWalk) {
  // The chord at the end claims three notes; only one note byte is there.
  StreamBytesList stream = JoinItems({ClefItem(kClefTenor), BarItem()});
  stream.insert(stream.end(), {uint8_t(kItemChord | 3 << 3), 0, 0, 0, 0, Note(12)});
  SetPart(1, stream);
  positions_[1] = uint32_t(stream.size());
  MusicalState state;
  EXPECT_EQ(FindMusicalStateAt(positions_, &state), 1);
  EXPECT_EQ(state.part[1].clef, kClefTenor);
}

TEST_F(MusicalStateTest, TheTimeSignatureIsTheLatestOverAllParts) {
  SetPart(1, JoinItems({TimeItem(3, kDurationQuarter), BarItem(), BarItem(), BarItem(), ChordItem({Note(12)})}));
  SetPart(2, JoinItems({TimeItem(3, kDurationQuarter), BarItem(), BarItem(), TimeItem(6, kDurationEighth), BarItem(),
                        ChordItem({Note(12)})}));
  positions_[1] = 5;
  positions_[2] = 7;
  MusicalState state;
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.numerator, 6);
  EXPECT_EQ(state.denominatorCode, kDurationEighth);

  // Before the change in part 2, and part 1 at its start: 3/4.
  positions_[1] = 0;
  positions_[2] = 3;
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.numerator, 3);
}

TEST_F(MusicalStateTest, HairpinsSetTheLevelWithoutTheWordReaders) {
  SetPart(1, JoinItems({TextItem(kTextHairpin18, ""), ChordItem({Note(12)}), TextItem(kTextDynamic, "mf"),
                        TextItem(kTextTempo, "Allegro"), ChordItem({Note(12)})}));
  SetPart(2, JoinItems({TextItem(kTextHairpin19, ""), ChordItem({Note(12)})}));
  positions_[1] = 100;
  positions_[2] = 100;
  MusicalState state;
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.part[1].dynamic, kCrescendoLevel);  // "mf" is not understood
  EXPECT_EQ(state.part[2].dynamic, kDiminuendoLevel);
  EXPECT_EQ(state.tempo, kDefaultTempo);
}

// A small stand-in for the playback side's word table.
int ParseWord(const char16_t* text, int* kind, int* value) {
  std::u16string word(text);
  struct Row {
    const char16_t* word;
    int kind, value;
  };
  const Row rows[] = {{u"mf", kWordDynamicLevel, 66}, {u"cresc", kWordDynamicChange, 10}, {u"sf", kWordAccent, 15},
                      {u"stacc", kWordNoteLength, 50}, {u"Flute", kWordInstrument, 73}, {u"Allegro", kWordTempo, 120},
                      {u"Meno mosso", kWordTempoChange, 90}};
  for (const Row& row : rows) {
    if (word == row.word) {
      *kind = row.kind;
      *value = row.value;
      return 1;
    }
  }
  return 0;
}
int ParseNumber(const char16_t* text, int* number) {
  std::u16string word(text);
  if (word.size() < 2 || word.substr(0, 2) != u"q=") return 0;
  *number = std::stoi(std::string(word.begin() + 2, word.end()));
  return 1;
}

TEST_F(MusicalStateTest, WordsBeforeThePositionSetLevelsProgramAndTempo) {
  SetTempoWordReaders({ParseWord, ParseNumber});
  SetPart(1, JoinItems({TextItem(kTextDynamic, "mf"), TextItem(kTextDynamic, "stacc"),
                        TextItem(kTextDynamic, "Flute"), TextItem(kTextTempo, "Allegro"), BarItem(), BarItem(),
                        TextItem(kTextTempo, "Meno mosso"), ChordItem({Note(12)}), TextItem(kTextDynamic, "sf")}));
  SetPart(2, JoinItems({TextItem(kTextDynamic, "sf"), TextItem(kTextTempo, "Allegro"), ChordItem({Note(12)})}));
  MusicalState state;
  positions_[1] = uint32_t(Part(1).size()) - 9;  // before the last "sf"
  positions_[2] = 100;
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.part[1].dynamic, 66 * 127 / 100);
  EXPECT_EQ(state.part[1].noteLength, 50);
  EXPECT_EQ(state.part[1].program, 73);
  EXPECT_EQ(state.part[2].dynamic, 127);
  // Allegro at the start (once, though in both parts), then 90 per cent of it.
  EXPECT_EQ(state.tempo, 108);

  SetPart(3, JoinItems({BarItem(), BarItem(), BarItem(), TextItem(kTextTempo, "q=72")}));
  positions_[3] = 100;
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.tempo, 72);  // the latest by bar time
}

TEST_F(MusicalStateTest, MetronomeNumberOnlyWhenTheTempoTextHoldsNoWord) {
  SetTempoWordReaders({ParseTempoWord, ParseMetronomeNumber});
  MusicalState state;
  positions_[1] = 100;  // behind the texts
  SetPart(1, JoinItems({TextItem(kTextTempo, "cresc. 96"), ChordItem({Note(12)})}));
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.tempo, kDefaultTempo);  // a word of another meaning: no tempo
  SetPart(1, JoinItems({TextItem(kTextTempo, "q = 96"), ChordItem({Note(12)})}));
  FindMusicalStateAt(positions_, &state);
  EXPECT_EQ(state.tempo, 96);
}

TEST_F(MusicalStateTest, ClefCodesUseFourBits) {
  SetPart(1, JoinItems({ClefItem(kClefTablature), ChordItem({Note(1)})}));
  MusicalState state;
  FindMusicalStateAt(nullptr, &state);
  EXPECT_EQ(state.part[1].clef, kClefTablature);
}

TEST_F(MusicalStateTest, PartStateOfOneSlot) {
  SetPart(4, TwoPagePart());
  PartMusicalState part;
  FindPartStateAt(4, 20, &part);
  EXPECT_EQ(part.clef, kClefAlto);
  FindPartStateAt(-1, 0, &part);
  EXPECT_EQ(part.clef, kClefTreble);
  FindPartStateAt(kPartSlots, 0, &part);
  EXPECT_EQ(part.keyCount, 0);
}

}  // namespace
