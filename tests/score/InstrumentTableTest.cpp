#include "score/InstrumentTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "score/InstrumentNameLists.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

std::string ReadFile(const std::u16string& path) {
  std::ifstream in(U8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InstrumentTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedResources_ = ResourceFolder();
    SetResourceFolder(scratch_.Path().c_str());
    ASSERT_EQ(FileMakeDir(scratch_.File(u"Resources").c_str()), nullptr);
    ASSERT_TRUE(LoadInstrumentNameListsFrom(SourcePath("resources/data/").c_str()));
  }
  void TearDown() override {
    SetResourceFolder(savedResources_.c_str());
    FreeInstrumentNameLists();
    ResetPartRecords();
  }
  void WriteTable(const std::string& text) {
    std::ofstream out(U8(scratch_.File(u"Resources")) + "/General MIDI.txt", std::ios::binary);
    out << text;
  }
  void UseShippedTable() { WriteTable(ReadFile(SourcePath("resources/data/General MIDI.txt"))); }
  static int Program(const char* name, int slot = -1, int8_t* transposition = nullptr,
                     InstrumentDetails* details = nullptr) {
    return ReadInstrumentTable(U16(name).c_str(), transposition, slot, nullptr, details);
  }

  ScratchFolder scratch_;
  std::u16string savedResources_;
};

TEST_F(InstrumentTableTest, WithoutTheTableEveryPartGetsItsDefault) {
  PartTablatureFlags[1] = {0, 5};
  PartTablatureFlags[2] = {1, 4};
  PartTablatureFlags[3] = {1, 6};
  int8_t transposition = 9;
  EXPECT_EQ(Program("Violin", -1, &transposition), 1);
  EXPECT_EQ(transposition, 0);
  EXPECT_EQ(Program("Violin", 1), 1);
  EXPECT_EQ(Program("Bass guitar", 2), 33);
  EXPECT_EQ(Program("Guitar", 3), 26);
  EXPECT_EQ(DefaultMidiProgram(-1), 1);
  EXPECT_EQ(DefaultMidiProgram(kPartSlots), 1);
  EXPECT_EQ(std::u16string(ReadInstrumentName(41).Text()), u"Unknown");
}

TEST_F(InstrumentTableTest, HandsOutTheDefaultPitchTable) {
  uint8_t pitches[kDefaultPitchTableSize];
  std::fill(pitches, pitches + kDefaultPitchTableSize, 0xEE);
  ReadInstrumentTable(u"Drums", nullptr, -1, pitches, nullptr);
  EXPECT_EQ(pitches[1], 45);
  EXPECT_EQ(pitches[10], 60);
  EXPECT_EQ(pitches[31], 96);
  for (int i = 2; i <= 31; ++i) EXPECT_GT(pitches[i], pitches[i - 1]);
}

// Rows of an instrument list with the program byte after each entry's 1.
std::vector<std::pair<std::string, int>> RowsWithPrograms(const std::string& list) {
  std::vector<std::pair<std::string, int>> rows;
  size_t at = 0;
  while (at < list.size() && list[at] != 0) {
    std::string name(list.c_str() + at);
    at = list.find('\1', at + name.size());
    rows.emplace_back(name, uint8_t(list[at + 1]));
    at += 2;
  }
  return rows;
}

// Every instrument of the lists, named in any of the three languages, finds
// the program that the lists give it.
TEST_F(InstrumentTableTest, TheShippedTableKnowsEveryInstrumentOfTheLists) {
  UseShippedTable();
  auto english = RowsWithPrograms(ReadFile(SourcePath("resources/data/instrtext")));
  auto german = RowsWithPrograms(ReadFile(SourcePath("resources/data/instrtextD")));
  auto italian = RowsWithPrograms(ReadFile(SourcePath("resources/data/instrtextI")));
  ASSERT_EQ(german.size(), english.size());
  ASSERT_EQ(italian.size(), english.size());
  for (size_t row = 0; row < english.size(); ++row) {
    int listed = english[row].second;
    for (const auto* rows : {&english, &german, &italian}) {
      const std::string& name = (*rows)[row].first;
      std::u16string wide(name.begin(), name.end());  // Latin-1
      for (char16_t& c : wide) c = char16_t(uint8_t(c));
      int program = ReadInstrumentTable(wide.c_str(), nullptr, -1, nullptr, nullptr);
      if (listed == 255) {
        EXPECT_GE(program, kDrumKitBase) << U8(wide);
      } else {
        EXPECT_EQ(program, listed) << U8(wide);
      }
    }
  }
}

TEST_F(InstrumentTableTest, ClefsAndTranspositionsOfTheShippedTable) {
  UseShippedTable();
  int8_t t = 0;
  InstrumentDetails details;
  EXPECT_EQ(Program("Klarinette in A", -1, &t, &details), 72);
  EXPECT_EQ(t, -3);
  ASSERT_EQ(details.clefCount, 1);
  EXPECT_EQ(details.clef[0], kClefTreble + 1);

  EXPECT_EQ(Program("Horn in F 1", -1, &t, &details), 61);
  EXPECT_EQ(t, -7);
  ASSERT_EQ(details.clefCount, 2);
  EXPECT_EQ(details.clef[1], kClefBass + 1);

  EXPECT_EQ(Program("Tenore", -1, &t, &details), 54);
  EXPECT_EQ(details.clef[0], kClefTreble + 1);
  EXPECT_EQ(details.octaveShift[0], kOctaveDown);

  EXPECT_EQ(Program("Pianoforte", -1, &t, &details), 1);
  EXPECT_EQ(details.clef[0], kClefNumberTrebleAndBass);
  EXPECT_EQ(Program("Piccolo", -1, &t), 73);
  EXPECT_EQ(t, 12);
  EXPECT_EQ(std::u16string(ReadInstrumentName(41).Text()), u"Violin");
  EXPECT_EQ(std::u16string(ReadInstrumentName(1).Text()), u"Acoustic Grand Piano");
  EXPECT_EQ(std::u16string(ReadInstrumentName(128).Text()), u"Gunshot");
  EXPECT_EQ(std::u16string(ReadInstrumentName(0).Text()), u"Unknown");
  EXPECT_EQ(std::u16string(ReadInstrumentName(129).Text()), u"Unknown");
}

TEST_F(InstrumentTableTest, NamesOutsideTheListsFindTheLongestNameAtAWordStart) {
  UseShippedTable();
  EXPECT_EQ(Program("Shakuhachi"), 78);
  EXPECT_EQ(Program("Solo Koto"), 108);        // at the second word's start
  EXPECT_EQ(Program("Mykoto"), 1);             // inside a word: nothing
  EXPECT_EQ(Program("Clavinet D6"), 8);        // "Clavinet", longer than "Clavi"
  EXPECT_EQ(Program("Reverse Cymbal FX"), 120);
}

TEST_F(InstrumentTableTest, DrumKitsFollowThePartsStaveLines) {
  UseShippedTable();
  PartTablatureFlags[1] = {0, 1};
  PartTablatureFlags[2] = {0, 5};
  PartTablatureFlags[3] = {0, 4};
  EXPECT_EQ(Program("Drum kit"), 1001);
  EXPECT_EQ(Program("Snare drum", 1), 1001);
  EXPECT_EQ(Program("Schlagzeug", 2), 1005);
  EXPECT_EQ(Program("Drum kit", 3), 1);  // no kit for four lines
}

TEST_F(InstrumentTableTest, LineGrammar) {
  WriteTable(
      "// 7 \"Comment Organ\" :+5\r\n"
      "\"No number\" :+3\n"
      "12x \"Bad number\"\n"
      "20 \"Shifted\" :+12 :8TREBLE :TREBLE8 :15BASS :BASS15\r"
      "21 \"Down\" \"Downer\" :-5 :FRENCHTREBLE :MEZZOSOPRANO :KAZOO :SOPRANO :ALTO\r\n"
      "22 \"Low\" :treble&bass :Baritone\n"
      "1002 \"Two line kit\" :4567 :+1\n"
      "23 \"Last\" :TENOR");
  int8_t t = 0;
  InstrumentDetails d;
  EXPECT_EQ(Program("Comment Organ", -1, &t), 1);
  EXPECT_EQ(Program("No number"), 1);
  EXPECT_EQ(Program("Bad number"), 1);

  EXPECT_EQ(Program("Shifted", -1, &t, &d), 20);
  EXPECT_EQ(t, 12);
  ASSERT_EQ(d.clefCount, 4);
  const uint8_t octaves[] = {kOctaveUp, kOctaveDown, kOctaveUpTwo, kOctaveDownTwo};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(d.clef[i], i < 2 ? kClefTreble + 1 : kClefBass + 1);
    EXPECT_EQ(d.octaveShift[i], octaves[i]);
  }

  // After a lone CR the next line keeps its first character.
  EXPECT_EQ(Program("Downer", -1, &t, &d), 21);
  EXPECT_EQ(t, -5);
  ASSERT_EQ(d.clefCount, 4);  // the fifth clef is not kept
  EXPECT_EQ(d.clef[0], kClefFrenchTreble + 1);
  EXPECT_EQ(d.clef[1], kClefMezzoSoprano + 1);
  EXPECT_EQ(d.clef[2], 0);  // an unknown keyword
  EXPECT_EQ(d.clef[3], kClefSoprano + 1);

  EXPECT_EQ(Program("Low", -1, &t, &d), 22);
  EXPECT_EQ(d.clef[0], kClefNumberTrebleAndBass);
  EXPECT_EQ(d.clef[1], kClefBaritone + 1);

  EXPECT_EQ(Program("Two line kit", -1, &t, &d), 1002);
  EXPECT_EQ(std::string(d.text), "4567");
  EXPECT_EQ(t, 1);
  PartTablatureFlags[1] = {0, 5};
  EXPECT_EQ(Program("Two line kit", 1), 1);

  EXPECT_EQ(Program("Last", -1, &t, &d), 23);  // the last line has no line end
  EXPECT_EQ(d.clef[0], kClefTenor + 1);
  EXPECT_EQ(Program("Down Shifted"), 20);  // the longest name at a word start
  EXPECT_EQ(std::u16string(ReadInstrumentName(21).Text()), u"Down");
}

TEST_F(InstrumentTableTest, AnOverlongLineIsCutAndItsRestReadAsTheNextLine) {
  WriteTable("30 \"Long\" :+4 " + std::string(5000, 'x') + "\n31 \"After\" :-1\n");
  BoxRecorder boxes;
  int8_t t = 0;
  EXPECT_EQ(Program("Long", -1, &t), 30);
  EXPECT_EQ(t, 4);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"getLine() - Could not fit whole line into buffer.");
  EXPECT_EQ(Program("After", -1, &t), 31);
  EXPECT_EQ(t, -1);
}

TEST(InstrumentLines, GetLineReadsEveryEnding) {
  ScratchFolder scratch;
  std::u16string path = scratch.File(u"lines.txt");
  {
    std::ofstream out(U8(path), std::ios::binary);
    out << "one\r\ntwo\rthree\nfour";
  }
  std::FILE* stream = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(stream, nullptr);
  char buffer[8];
  std::vector<std::string> lines;
  while (!GetInstrumentLine(stream, buffer, sizeof(buffer))) lines.push_back(buffer);
  FileClose(stream);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_NE(GetInstrumentLine(nullptr, buffer, sizeof(buffer)), 0);
}

}  // namespace
