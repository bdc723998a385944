// A score built in the test, written as a MIDI file into the build tree
// (where the outside checks read every file the tests write) and read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/MidiFileWriter.h"
#include "tests/playback/MidiFileDump.h"
#include "tests/score/ScoreStreamFixture.h"
#include "tests/support/ScratchFolder.h"

// A chord of note bytes with a value code (5 crotchet), dots and voice.
StreamBytesList Chord(std::initializer_list<uint8_t> notes, uint8_t code = kDurationQuarter, uint8_t voice = 0,
                      uint8_t dots = 0);
StreamBytesList Grace(std::initializer_list<uint8_t> notes, uint8_t code);
StreamBytesList Articulated(StreamBytesList chord, uint8_t code, uint8_t flags = 0);
StreamBytesList Rest(uint8_t code, uint8_t voice = 0);
StreamBytesList Bar(uint8_t style = kBarSingle);
StreamBytesList SystemMark();
// A tuplet (0), slur (1) or tie (2) mark; span in 1/128 notes.
StreamBytesList MarkItem(uint8_t subKind, uint32_t span, uint8_t p1 = 0, uint8_t p2 = 0, uint8_t voice = 0);
StreamBytesList VoltaItem(const char* text, uint8_t bars);
StreamBytesList PageText(uint8_t subKind, const char* text);
// Treble-clef positions of the natural notes: C4 (60) is 10, E4 (64) 12.
constexpr uint8_t kC4 = 10, kD4 = 11, kE4 = 12, kF4 = 13, kG4 = 14, kA4 = 15, kB4 = 16, kC5 = 17;

class MidiWriterTest : public ScoreStreamTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Name(int slot, const char16_t* name);
  // Writes the score to <build>/playback_midi/<name>.mid and reads it back;
  // the file must be valid and leave no note sounding.
  MidiDump Write(const std::string& name, const uint32_t* starts = nullptr, const uint32_t* ends = nullptr,
                 const int* flags = nullptr, int mode = kMidiWritePlayback);
  std::u16string OutputPath(const std::string& name) const;

  ScratchFolder scratch_;
  std::u16string savedResources_;
};
