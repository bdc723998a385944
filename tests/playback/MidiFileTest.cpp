// The file's frame, channels and programs, sounding lengths, the limits of
// note numbers and texts, alignment of parts, damaged streams and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "playback/MidiBytes.h"
#include "tests/playback/MidiWriterFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestText.h"

namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

TEST_F(MidiWriterTest, HeaderConductorAndPartTrackBeginAsPlayersExpect) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}), Bar()}));
  Write("frame");
  Bytes file = ReadBytes(OutputPath("frame"));
  ASSERT_GT(file.size(), 14u);
  EXPECT_EQ(Slice(file, 0, 14), Bytes({0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 1, 0, 2, 1, 0}));
  MidiDump dump = DumpMidi(file);
  const std::string copyright = "Written by Velmorant Korvalinde";
  EXPECT_EQ(dump.tracks[0].size(), 6u);
  EXPECT_EQ(dump.Lines(0, ""), Lines({"0 sysex 7e 7f 9 1 f7", "0 sysex 7f 7f 4 1 7f 7f f7",
                                      "0 sysex 7f 7f 4 2 0 40 f7", "0 meta 2 " + copyright, "0 tempo 600000",
                                      "0 end"}));
  // The part track: name, pan, bank, program and key, then its notes; it ends one tick after the last.
  size_t part = 14 + 8 + (file[18] << 24 | file[19] << 16 | file[20] << 8 | file[21]);
  Bytes begin = {'M', 'T', 'r', 'k'};
  EXPECT_EQ(Slice(file, part, 4), begin);
  EXPECT_EQ(Slice(file, part + 8, 30), Bytes({0, 0xFF, 3, 5, 'P', 'i', 'a', 'n', 'o', 0, 0xB0, 0x0A, 0x3D, 0, 0xB0, 0,
                                              0, 0, 0xB0, 0x20, 0, 0, 0xC0, 0, 0, 0xFF, 0x59, 2, 0, 0}));
  EXPECT_EQ(Slice(file, file.size() - 4, 4), Bytes({1, 0xFF, 0x2F, 0}));
}

TEST_F(MidiWriterTest, HeadingsAndTheScoresOwnCopyright) {
  Name(1, u"Piano");
  SetPart(0, JoinItems({PageText(kTextTitle, "Air"), PageText(kTextComposer, "Anon."),
                        PageText(kTextCopyright, "(c) 1999 Someone"), PageText(kTextTitle, "")}));
  SetPart(1, JoinItems({TimeItem(6, kDurationEighth), Chord({kC4}), Bar()}));
  MidiDump dump = Write("headings");
  EXPECT_EQ(dump.Lines(0, "meta"), Lines({"0 meta 2 (c) 1999 Someone", "0 meta 3 Air", "0 meta 1 Anon."}));
  EXPECT_EQ(dump.Lines(0, "timesig"), Lines({"0 timesig 6 3 36 8"}));
  Bytes file = ReadBytes(OutputPath("headings"));
  const Bytes sixEight = {0xFF, 0x58, 4, 6, 3, 0x24, 8};
  EXPECT_NE(std::search(file.begin(), file.end(), sixEight.begin(), sixEight.end()), file.end());
}

TEST_F(MidiWriterTest, ChannelsSkipTheDrumChannelAndSilentPartsGetNoTrack) {
  for (int slot = 1; slot <= 11; ++slot) {
    Name(slot, u"Piano");
    SetPart(slot, JoinItems({Chord({kC4}), Bar()}));
  }
  Name(12, u"Drums");
  PartTablatureFlags[12] = {0, 1};
  SetPart(12, JoinItems({Chord({12}), Bar()}));
  MidiDump dump = Write("channels");
  ASSERT_EQ(dump.tracks.size(), 13u);
  std::vector<int> channels;
  for (size_t t = 1; t < dump.tracks.size(); ++t) channels.push_back(dump.tracks[t][1].bytes[0] & 15);
  EXPECT_EQ(channels, std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 9}));

  // A part with only rests, and a part left out by its flag, get no track.
  SetPart(2, JoinItems({Rest(kDurationWhole), Bar()}));
  int flags[kPartSlots] = {0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  dump = Write("channels_fewer", nullptr, nullptr, flags);
  EXPECT_EQ(dump.tracks.size(), 11u);
}

TEST_F(MidiWriterTest, ArticulationsSetTheSoundingLength) {
  struct Case {
    const char* name;
    StreamBytesList items;
    uint32_t off;
    int velocity;
  } cases[] = {
      {"plain", Chord({kC4}), 231, 76},
      {"staccato", Articulated(Chord({kC4}), kArticulationStaccato), 128, 76},
      {"staccatissimo", Articulated(Chord({kC4}), kArticulationStaccatissimo), 71, 76},
      {"up_bow", Articulated(Chord({kC4}), 0, kMarkUpBow | kMarkAccent), 208, 101},
      {"slur", JoinItems({MarkItem(kMarkSlur, 64), Chord({kC4})}), 254, 76},
      {"marcato", Articulated(Chord({kC4}), kArticulationStaccato, kMarkMarcato), 128, 120},
  };
  Name(1, u"Piano");
  for (const Case& c : cases) {
    SetPart(1, JoinItems({c.items, Bar()}));
    MidiDump dump = Write(std::string("articulation_") + c.name);
    EXPECT_EQ(dump.Notes(1), Lines({"0 on 60 " + std::to_string(c.velocity), std::to_string(c.off) + " off 60"}))
        << c.name;
  }
}

TEST_F(MidiWriterTest, FermataSlowsTheEndOfItsNote) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Articulated(Chord({kC4}), kArticulationFermata), Bar()}));
  MidiDump dump = Write("fermata");
  EXPECT_EQ(dump.Lines(1, "tempo"), Lines({"224 tempo 3750000", "256 tempo 600000"}));
}

TEST_F(MidiWriterTest, NotesOutsideTheMidiRangeAreDropped) {
  Name(1, u"Glockenspiel");  // sounds two octaves above its written notes
  SetPart(1, JoinItems({ClefItem(kClefTreble, kOctaveUpTwo), Chord({kE4, 31}), Chord({31}), Bar()}));
  MidiDump dump = Write("range");
  EXPECT_EQ(dump.Notes(1), Lines({"0 on 112 76", "231 off 112"}));
}

TEST_F(MidiWriterTest, TablatureSoundsAtItsStringAndFret) {
  Name(1, u"Guitar");
  Name(2, u"Bass");
  PartTablatureFlags[1] = {1, 6};
  PartTablatureFlags[2] = {1, 4};
  SetPart(1, JoinItems({ClefItem(kClefTablature), Chord({0 | 0 << 5, 3 | 1 << 5, 0 | 5 << 5}), Chord({2 | 7 << 5}), Bar()}));
  SetPart(2, JoinItems({ClefItem(kClefTablature), Chord({0 | 0 << 5}), Bar()}));
  MidiDump dump = Write("tablature");
  // E2, C3 (A string, third fret), E4; a seventh string does not exist.
  EXPECT_EQ(dump.Notes(1), Lines({"0 on 40 76", "0 on 48 76", "0 on 64 76", "231 off 40", "231 off 48", "231 off 64"}));
  EXPECT_EQ(dump.Notes(2), Lines({"0 on 28 76 ch1", "231 off 28 ch1"}));
}

TEST_F(MidiWriterTest, EachBarLastsItsTimeSignatureInEveryPart) {
  Name(1, u"Piano");
  Name(2, u"Flute");
  // Part 1 has an overfull first bar and leaves out the second system.
  SetPart(1, JoinItems({Chord({kC4}), Chord({kC4}), Chord({kC4}), Chord({kC4}), Chord({kC4}), Bar(), SystemMark(),
                        SystemMark(), Chord({kD4}, kDurationWhole), Bar()}));
  SetPart(2, JoinItems({Chord({kC4}, kDurationHalf), Bar(), SystemMark(), Chord({kE4}, kDurationWhole), Bar(),
                        Chord({kE4}, kDurationWhole), Bar(), SystemMark(), Chord({kF4}, kDurationWhole), Bar()}));
  MidiDump dump = Write("alignment");
  Lines first = dump.Notes(1), second = dump.Notes(2);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(first[first.size() - 2], "3072 on 62 76");
  EXPECT_EQ(second[second.size() - 2], "3072 on 65 76 ch1");
}

TEST_F(MidiWriterTest, MultiBarRestCountsItsBars) {
  Name(1, u"Piano");
  StreamBytesList rest = {kItemRest, 0};
  SetMultiBarRest(rest.data(), 3, 0);
  SetPart(1, JoinItems({rest, Bar(), Chord({kC4}), Bar()}));
  MidiDump dump = Write("multi_bar_rest");
  EXPECT_EQ(dump.Notes(1), Lines({"3072 on 60 76", "3303 off 60"}));
}

TEST_F(MidiWriterTest, APartNameFillingItsSlotIsWrittenWhole) {
  std::u16string name(kPartNameUnits, u'x');
  std::copy(name.begin(), name.end(), PartNameTable[1]);
  SetPart(1, JoinItems({Chord({kC4}), Bar()}));
  MidiDump dump = Write("long_name");
  EXPECT_EQ(dump.Lines(1, "meta 3"), Lines({"0 meta 3 " + std::string(kPartNameUnits, 'x')}));
}

TEST_F(MidiWriterTest, TextsAreCutToTheirRow) {
  Name(1, u"Piano");
  std::string lyric(300, 'a');
  SetPart(1, JoinItems({TextItem(kTextLyric, lyric.c_str()), TextItem(kTextStaff, ""), Chord({kC4}), Bar()}));
  MidiDump dump = Write("long_text");
  Lines lyrics = dump.Lines(1, "meta 5");
  ASSERT_EQ(lyrics.size(), 1u);
  EXPECT_EQ(lyrics[0], "0 meta 5 " + std::string(257, 'a'));
  EXPECT_TRUE(dump.Lines(1, "meta 6").empty());  // an empty text writes nothing
}

TEST_F(MidiWriterTest, AStretchFromTheSecondBar) {
  Name(1, u"Piano");
  StreamBytesList first = JoinItems({TextItem(kTextDynamic, "ff"), ClefItem(kClefBass), Chord({kC4}), Bar()});
  SetPart(1, JoinItems({first, Chord({kC4}), Bar(), Chord({kD4}), Bar()}));
  uint32_t starts[kPartSlots] = {}, ends[kPartSlots] = {};
  starts[1] = uint32_t(first.size());
  ends[1] = uint32_t(Part(1).size()) - 1;  // before the last chord's bar line
  MidiDump dump = Write("stretch", starts, ends);
  // Bass clef and "ff" from before the stretch: C3-level notes at 113.
  EXPECT_EQ(dump.Notes(1), Lines({"0 on 40 113", "231 off 40", "1024 on 41 113", "1255 off 41"}));
}

TEST_F(MidiWriterTest, TimeMapHasOneRowPerBarOfTheFirstTrack) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({TimeItem(4, kDurationQuarter), TextItem(kTextTempo, "q = 120"), Chord({kC4}, kDurationWhole), Bar(), TimeItem(3, kDurationQuarter),
                        Chord({kC4}, kDurationHalf, 0, 1), Bar()}));
  Write("time_map");
  const std::vector<MidiTimeMapRow>& rows = MidiTimeMap();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_DOUBLE_EQ(rows[0].seconds, 2.0);
  EXPECT_DOUBLE_EQ(rows[1].seconds, 3.5);
  EXPECT_EQ(rows[1].bar, 2u);
}

TEST_F(MidiWriterTest, AFileThatCannotBeOpenedIsRefused) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}), Bar()}));
  std::u16string path = scratch_.File(u"missing") + u"/x.mid";
  EXPECT_EQ(WriteMidiFile(path.c_str(), nullptr, nullptr, nullptr, kMidiWritePlayback), 0);
  EXPECT_FALSE(FileExists(path.c_str()));
  EXPECT_EQ(WriteMidiFile(nullptr, nullptr, nullptr, nullptr, kMidiWritePlayback), 0);
}

// Streams of arbitrary bytes: the writer writes a valid file or refuses.
TEST_F(MidiWriterTest, DamagedStreamsWriteValidFiles) {
  Name(1, u"Piano");
  Name(2, u"Drums");
  PartTablatureFlags[2] = {0, 1};
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return uint8_t(seed >> 16);
  };
  for (int round = 0; round < 150; ++round) {
    for (int slot = 1; slot <= 2; ++slot) {
      StreamBytesList bytes(next() % 96);
      for (uint8_t& b : bytes) b = next();
      if (round % 3 == 0) bytes.insert(bytes.begin(), {uint8_t(kItemChord | 1 << 3), 5 << 2, 0, 0, 0, kC4});
      SetPart(slot, bytes);
    }
    std::u16string path = OutputPath("damaged_" + std::to_string(round % 10));
    int written = WriteMidiFile(path.c_str(), nullptr, nullptr, nullptr, kMidiWritePlayback);
    ASSERT_EQ(written, 1) << round;
    MidiDump dump = DumpMidi(ReadBytes(path));
    ASSERT_TRUE(dump.valid) << round << ": " << dump.error;
    ASSERT_EQ(dump.StuckNotes(), "") << round;
  }
}

// Loops of repeats and jumps that never settle still end.
TEST_F(MidiWriterTest, TangledRepeatsEnd) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({TextItem(kTextSegno, ""), VoltaItem("1.2.3.", 0), Chord({kC4}), Bar(kBarEndStartRepeat),
                        VoltaItem("1.", 1), Chord({kD4}), Bar(kBarEndRepeat), TextItem(kTextSegno, "D.S."),
                        Bar(kBarEndStartRepeat), TextItem(kTextCoda, "To Coda"), Chord({kE4}), Bar(kBarEndRepeat)}));
  MidiDump dump = Write("tangled");
  EXPECT_FALSE(dump.Notes(1).empty());
}

TEST(MidiBytes, VariableLengthQuantities) {
  const struct {
    uint32_t value;
    Bytes bytes;
  } cases[] = {{0, {0}},
               {127, {0x7F}},
               {128, {0x81, 0}},
               {0x3FFF, {0xFF, 0x7F}},
               {0x4000, {0x81, 0x80, 0}},
               {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}};
  for (const auto& c : cases) {
    Bytes out;
    PutVarLen(&out, c.value);
    EXPECT_EQ(out, c.bytes) << c.value;
  }
}

TEST(MidiBytes, FileWritersReportTheirBytes) {
  ScratchFolder folder;
  std::u16string path = folder.File(u"bytes.bin");
  std::FILE* file = FileOpen(path.c_str(), kFileWrite, false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(WriteVarLen(file, 0x4000), 3);
  EXPECT_TRUE(WriteU16BE(file, 0x1234));
  EXPECT_TRUE(WriteU24BE(file, 0x0927C0));
  FileClose(file);
  EXPECT_EQ(ReadBytes(path), Bytes({0x81, 0x80, 0, 0x12, 0x34, 0x09, 0x27, 0xC0}));
}

}  // namespace
