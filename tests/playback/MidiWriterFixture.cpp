#include "tests/playback/MidiWriterFixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

StreamBytesList Chord(std::initializer_list<uint8_t> notes, uint8_t code, uint8_t voice, uint8_t dots) {
  StreamBytesList item = ChordItem(notes, voice);
  SetChordDuration(item.data(), code, dots);
  return item;
}

StreamBytesList Grace(std::initializer_list<uint8_t> notes, uint8_t code) {
  StreamBytesList item = Chord(notes, code);
  item[4] |= 0x04;
  return item;
}

StreamBytesList Articulated(StreamBytesList chord, uint8_t code, uint8_t flags) {
  SetChordArticulation(chord.data(), code);
  SetChordMarkFlags(chord.data(), flags);
  return chord;
}

StreamBytesList Rest(uint8_t code, uint8_t voice) {
  StreamBytesList item = {kItemRest, 0};
  SetRest(item.data(), code, 0, voice);
  return item;
}

StreamBytesList Bar(uint8_t style) { return {MakeBarLine(style)}; }
StreamBytesList SystemMark() { return {kBarBoundary}; }

StreamBytesList MarkItem(uint8_t subKind, uint32_t span, uint8_t p1, uint8_t p2, uint8_t voice) {
  StreamBytesList item = {uint8_t(kMarkBit7 | subKind << 3 | kItemMark), 0, 0, p1, p2};
  SetMarkSpan(item.data(), span);
  SetMarkVoice(item.data(), voice);
  return item;
}

namespace {

StreamBytesList TextWithHead(uint8_t subKind, const StreamBytesList& head, const char* text) {
  size_t units = std::strlen(text);
  uint32_t payload = uint32_t(head.size() + 2 * units);
  StreamBytesList item(3 + payload, 0);
  item[0] = uint8_t(kItemText | subKind << 3);
  item[1] = uint8_t(payload & 0xFF);
  item[2] = uint8_t(payload >> 8);
  std::copy(head.begin(), head.end(), item.begin() + 3);
  for (size_t u = 0; u < units; ++u) item[3 + head.size() + 2 * u] = uint8_t(text[u]);
  return item;
}

}  // namespace

StreamBytesList VoltaItem(const char* text, uint8_t bars) { return TextWithHead(kTextBracket, {0, 0, bars}, text); }
StreamBytesList PageText(uint8_t subKind, const char* text) { return TextWithHead(subKind, {0, 0, 0, 0}, text); }

void MidiWriterTest::SetUp() {
  ScoreStreamTest::SetUp();
  savedResources_ = ResourceFolder();
  SetResourceFolder(scratch_.Path().c_str());
  ASSERT_EQ(FileMakeDir(scratch_.File(u"Resources").c_str()), nullptr);
  std::vector<uint8_t> table = ReadBytes(SourcePath("resources/data/General MIDI.txt"));
  ASSERT_FALSE(table.empty());
  std::ofstream out(U8(scratch_.File(u"Resources")) + "/General MIDI.txt", std::ios::binary);
  out.write(reinterpret_cast<const char*>(table.data()), std::streamsize(table.size()));
  FileMakeDir(BuildPath("playback_midi").c_str());
}

void MidiWriterTest::TearDown() {
  SetResourceFolder(savedResources_.c_str());
  ScoreStreamTest::TearDown();
}

void MidiWriterTest::Name(int slot, const char16_t* name) {
  std::u16string text(name);
  text.resize(std::min<size_t>(text.size(), kPartNameUnits - 1));
  std::copy(text.begin(), text.end(), PartNameTable[slot]);
  PartNameTable[slot][text.size()] = 0;
}

std::u16string MidiWriterTest::OutputPath(const std::string& name) const {
  return BuildPath("playback_midi/" + name + ".mid");
}

MidiDump MidiWriterTest::Write(const std::string& name, const uint32_t* starts, const uint32_t* ends, const int* flags,
                               int mode) {
  std::u16string path = OutputPath(name);
  EXPECT_EQ(WriteMidiFile(path.c_str(), starts, ends, flags, mode), 1) << name;
  MidiDump dump = DumpMidi(ReadBytes(path));
  EXPECT_TRUE(dump.valid) << name << ": " << dump.error;
  EXPECT_EQ(dump.StuckNotes(), "") << name;
  return dump;
}
