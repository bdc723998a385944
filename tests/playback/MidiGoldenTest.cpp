// Small scores written as MIDI and compared event by event with what a
// player should hear.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/playback/MidiWriterFixture.h"

namespace {

using Lines = std::vector<std::string>;

// A note from on to off at the default level 76.
void Note(Lines* lines, uint32_t on, uint32_t off, int key, int velocity = 76) {
  lines->push_back(std::to_string(on) + " on " + std::to_string(key) + " " + std::to_string(velocity));
  lines->push_back(std::to_string(off) + " off " + std::to_string(key));
}

TEST_F(MidiWriterTest, ScaleOfCrotchets) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}), Chord({kD4}), Chord({kE4}), Chord({kF4}), Bar(), Chord({kG4}), Chord({kA4}),
                        Chord({kB4}), Chord({kC5}), Bar(kBarFinal)}));
  MidiDump dump = Write("scale");
  ASSERT_EQ(dump.tracks.size(), 2u);
  Lines expected;
  const int keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
  for (int i = 0; i < 8; ++i) Note(&expected, 256 * i, 256 * i + 231, keys[i]);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, ChordsWithAccidentalsAndKey) {
  Name(1, u"Piano");
  // G major: F is sharp; a written flat holds to the bar line.
  SetPart(1, JoinItems({KeyItem(1), Chord({kC4, kE4, kG4}), Chord({kF4, kA4}), Chord({kB4, 12 | kAccidentalFlat << 5}),
                        Chord({kE4}), Bar(), Chord({kE4}, kDurationWhole), Bar()}));
  MidiDump dump = Write("chords");
  Lines expected = {"0 on 60 76",   "0 on 64 76",   "0 on 67 76",  "231 off 60", "231 off 64", "231 off 67",
                    "256 on 66 76", "256 on 69 76", "487 off 66",  "487 off 69", "512 on 71 76", "512 on 63 76",
                    "743 off 71",   "743 off 63",   "768 on 63 76", "999 off 63", "1024 on 64 76", "1998 off 64"};
  EXPECT_EQ(dump.Notes(1), expected);
  EXPECT_EQ(dump.Lines(1, "key"), Lines({"0 key 1 0", "0 key 1 0"}));
}

TEST_F(MidiWriterTest, TiesAcrossBarsKeepTheirPitchAndEndOnce) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kD4}, kDurationHalf), MarkItem(kMarkTie, 64), Chord({kF4 | kAccidentalSharp << 5}, kDurationHalf),
                        Bar(), Chord({kF4}, kDurationHalf), Chord({kG4}, kDurationHalf), Bar(),
                        // A tie that nothing continues ends with its own note.
                        MarkItem(kMarkTie, 32), Chord({kA4}), Rest(kDurationQuarter), MarkItem(kMarkTie, 32),
                        Chord({kB4})}));
  MidiDump dump = Write("ties");
  Lines expected;
  Note(&expected, 0, 462, 62);
  Note(&expected, 512, 1486, 66);
  Note(&expected, 1536, 1998, 67);
  Note(&expected, 2048, 2279, 69);
  Note(&expected, 2560, 2791, 71);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, RepeatWithFirstAndSecondEndings) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Bar(kBarStartRepeat), Chord({kC4}, kDurationWhole), Bar(), VoltaItem("1.", 1),
                        Chord({kD4}, kDurationWhole), Bar(kBarEndRepeat), VoltaItem("2.", 1),
                        Chord({kE4}, kDurationWhole), Bar(kBarFinal)}));
  MidiDump dump = Write("voltas");
  Lines expected;
  Note(&expected, 0, 974, 60);
  Note(&expected, 1024, 1998, 62);
  Note(&expected, 2048, 3022, 60);
  Note(&expected, 3072, 4046, 64);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, PlainRepeatPlaysTwiceAndTheTempoFollows) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}, kDurationWhole), Bar(kBarStartRepeat), TextItem(kTextTempo, "Adagio"),
                        Chord({kD4}, kDurationWhole), Bar(kBarEndRepeat), TextItem(kTextTempo, "Presto"),
                        Chord({kE4}, kDurationWhole), Bar(kBarFinal)}));
  MidiDump dump = Write("repeat");
  Lines expected;
  Note(&expected, 0, 974, 60);
  Note(&expected, 1024, 1998, 62);
  Note(&expected, 2048, 3022, 62);
  Note(&expected, 3072, 4046, 64);
  EXPECT_EQ(dump.Notes(1), expected);
  // Each tempo at the place it is played; the repeated one twice.
  EXPECT_EQ(dump.Lines(0, "tempo"), Lines({"0 tempo 600000", "1024 tempo 1000000", "2048 tempo 1000000",
                                           "3072 tempo 375000"}));
}

TEST_F(MidiWriterTest, DalSegnoAlCoda) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}, kDurationWhole), Bar(), TextItem(kTextSegno, ""), TextItem(kTextTempo, "Allegro"),
                        Chord({kD4}, kDurationWhole), Bar(), Chord({kE4}, kDurationWhole), TextItem(kTextCoda, "To Coda"),
                        Bar(), TextItem(kTextTempo, "Adagio"), Chord({kF4}, kDurationWhole),
                        TextItem(kTextSegno, "D.S. al Coda"), Bar(), TextItem(kTextCoda, "Coda"),
                        Chord({kG4}, kDurationWhole), Bar(kBarFinal)}));
  MidiDump dump = Write("dal_segno");
  Lines expected;
  const int keys[] = {60, 62, 64, 65, 62, 64, 67};
  for (int i = 0; i < 7; ++i) Note(&expected, 1024 * i, 1024 * i + 974, keys[i]);
  EXPECT_EQ(dump.Notes(1), expected);
  EXPECT_EQ(dump.Lines(0, "tempo"), Lines({"0 tempo 600000", "1024 tempo 500000", "3072 tempo 1000000",
                                           "4096 tempo 500000"}));
}

TEST_F(MidiWriterTest, LastPassOfARepeatGoesToTheCoda) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Bar(kBarStartRepeat), Chord({kC4}, kDurationWhole), TextItem(kTextCoda, "To Coda"), Bar(),
                        Chord({kD4}, kDurationWhole), Bar(kBarEndRepeat), Chord({kE4}, kDurationWhole), Bar(),
                        TextItem(kTextCoda, "Coda"), Chord({kF4}, kDurationWhole), Bar(kBarFinal)}));
  MidiDump dump = Write("repeat_coda");
  Lines expected;
  const int keys[] = {60, 62, 60, 65};
  for (int i = 0; i < 4; ++i) Note(&expected, 1024 * i, 1024 * i + 974, keys[i]);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, DalSegnoAlFine) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}, kDurationWhole), Bar(), TextItem(kTextSegno, ""), Chord({kD4}, kDurationWhole),
                        TextItem(kTextSegno, "Fine"), Bar(kBarDouble), Chord({kE4}, kDurationWhole),
                        TextItem(kTextSegno, "D.S. al Fine"), Bar(kBarFinal)}));
  MidiDump dump = Write("dal_segno_fine");
  Lines expected;
  const int keys[] = {60, 62, 64, 62};
  for (int i = 0; i < 4; ++i) Note(&expected, 1024 * i, 1024 * i + 974, keys[i]);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, DaCapoAlFineEndsAtTheFine) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}, kDurationWhole), TextItem(kTextSegno, "Fine"), Bar(kBarDouble),
                        Chord({kD4}, kDurationWhole), TextItem(kTextSegno, "D.C. al Fine"), Bar(kBarFinal)}));
  MidiDump dump = Write("da_capo");
  Lines expected;
  Note(&expected, 0, 974, 60);
  Note(&expected, 1024, 1998, 62);
  Note(&expected, 2048, 3022, 60);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, TransposingInstrumentSoundsItsPitch) {
  Name(1, u"Clarinet in B flat");
  SetPart(1, JoinItems({Chord({kD4}), Bar()}));
  MidiDump dump = Write("clarinet");
  EXPECT_EQ(dump.Notes(1), Lines({"0 on 60 76", "231 off 60"}));
  EXPECT_EQ(dump.Lines(1, "program"), Lines({"0 program 71 ch0"}));
}

TEST_F(MidiWriterTest, DrumPartPlaysOnChannelTenWithoutUsingAChannel) {
  Name(1, u"Piano");
  Name(2, u"Drum kit");
  Name(3, u"Flute");
  PartTablatureFlags[2] = {0, 1};  // a one-line stave
  SetPart(1, JoinItems({Chord({kC4}), Bar()}));
  SetPart(2, JoinItems({Chord({12}), Chord({0}), Bar()}));  // position 0 has no drum
  SetPart(3, JoinItems({Chord({kC5}), Bar()}));
  MidiDump dump = Write("drums");
  ASSERT_EQ(dump.tracks.size(), 4u);
  EXPECT_EQ(dump.Notes(2), Lines({"0 on 64 76 ch9", "231 off 64 ch9"}));
  EXPECT_EQ(dump.Lines(2, "program"), Lines({"0 program 0 ch9"}));
  EXPECT_EQ(dump.Notes(3), Lines({"0 on 72 76 ch1", "231 off 72 ch1"}));
}

TEST_F(MidiWriterTest, GraceNotesBeforeTheirNote) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Grace({kD4}, kDurationEighth), Chord({kC4}), Chord({kE4}),
                        // Grace notes longer than their note still end after they begin.
                        Grace({kF4}, kDurationQuarter), Grace({kG4}, kDurationQuarter), Grace({kA4}, kDurationQuarter),
                        Chord({kB4}, kDurationEighth), Bar()}));
  MidiDump dump = Write("grace");
  Lines expected;
  Note(&expected, 0, 58, 62);
  Note(&expected, 64, 237, 60);
  Note(&expected, 256, 487, 64);
  Note(&expected, 512, 628, 65);
  Note(&expected, 640, 756, 67);
  Note(&expected, 768, 884, 69);
  Note(&expected, 896, 897, 71);
  EXPECT_EQ(dump.Notes(1), expected);
}

TEST_F(MidiWriterTest, TupletsShareTheirSoundingLength) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({TimeItem(4, kDurationQuarter), MarkItem(kMarkTuplet, 32, 3, 15), Chord({kC4}, kDurationEighth), Chord({kD4}, kDurationEighth),
                        Chord({kE4}, kDurationEighth), Chord({kF4}), Bar(),
                        // Three semibreves in the time of two: a span beyond one byte.
                        TimeItem(8, kDurationQuarter), MarkItem(kMarkTuplet, 256, 3, 127),
                        Chord({kC4}, kDurationWhole), Chord({kD4}, kDurationWhole), Chord({kE4}, kDurationWhole), Bar()}));
  MidiDump dump = Write("tuplets");
  Lines expected;
  Note(&expected, 0, 77, 60);
  Note(&expected, 85, 163, 62);
  Note(&expected, 171, 248, 64);
  Note(&expected, 256, 487, 65);
  Note(&expected, 1024, 1657, 60);
  Note(&expected, 1707, 2339, 62);
  Note(&expected, 2389, 3022, 64);
  EXPECT_EQ(dump.Notes(1), expected);
  EXPECT_EQ(dump.Lines(0, "timesig"), Lines({"1024 timesig 8 2 24 8"}));
}

TEST_F(MidiWriterTest, TempoAndDynamicWords) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({TextItem(kTextTempo, "Allegro"), TextItem(kTextDynamic, "mf"), Chord({kC4}),
                        TextItem(kTextDynamic, "cresc."), Chord({kD4}), TextItem(kTextDynamic, "stacc."), Chord({kE4}),
                        TextItem(kTextDynamic, "pizz."), Chord({kF4}), Bar()}));
  MidiDump dump = Write("words");
  Lines expected;
  Note(&expected, 0, 231, 60, 83);
  Note(&expected, 256, 487, 62, 95);
  Note(&expected, 512, 627, 64, 95);
  Note(&expected, 768, 883, 65, 95);
  EXPECT_EQ(dump.Notes(1), expected);
  EXPECT_EQ(dump.Lines(0, "tempo"), Lines({"0 tempo 500000"}));
  EXPECT_EQ(dump.Lines(1, "program"), Lines({"0 program 0 ch0", "768 program 45 ch0"}));
  EXPECT_EQ(dump.Lines(1, "meta 6"), Lines({"0 meta 6 mf", "256 meta 6 cresc.", "512 meta 6 stacc.", "768 meta 6 pizz."}));
}

TEST_F(MidiWriterTest, ChordOnTheNeighbouringStaveReadsThatStavesClef) {
  Name(1, u"Piano");
  Name(2, u"Piano");
  SetPart(1, JoinItems({ClefItem(kClefTreble), Chord({kC4}), Bar()}));
  StreamBytesList above = Chord({kE4});
  SetChordPlacement(above.data(), kPlacementAbove);
  SetPart(2, JoinItems({ClefItem(kClefBass), Chord({kE4}), above, Bar()}));
  MidiDump dump = Write("cross_stave");
  Lines expected;
  Note(&expected, 0, 231, 43);   // G2 on the bass stave's bottom line
  Note(&expected, 256, 487, 64);  // E4 on the treble stave above
  for (std::string& line : expected) line += " ch1";
  EXPECT_EQ(dump.Notes(2), expected);
}

TEST_F(MidiWriterTest, InstrumentWordBeforeTheStretchReplacesTheProgram) {
  Name(1, u"Piano");
  StreamBytesList first = JoinItems({TextItem(kTextDynamic, "Flute"), Chord({kC4}), Bar()});
  SetPart(1, JoinItems({first, Chord({kC4}), Bar()}));
  uint32_t starts[kPartSlots] = {};
  starts[1] = uint32_t(first.size());
  MidiDump dump = Write("program_word", starts);
  EXPECT_EQ(dump.Lines(1, "program"), Lines({"0 program 73 ch0"}));
}

}  // namespace
