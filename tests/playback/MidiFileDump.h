// Reads a Standard MIDI File back for the tests: a strict reader that
// refuses anything a player could not read, and the events of each track as
// short lines ("231 off 60", "0 on 60 83", "0 tempo 600000").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DumpedEvent {
  uint32_t time;  // absolute ticks
  std::vector<uint8_t> bytes;  // status (or FF type / F0) and data
  std::string line;
};

struct MidiDump {
  bool valid = false;
  std::string error;
  int format = -1;
  int division = 0;
  std::vector<std::vector<DumpedEvent>> tracks;

  // Note lines of a track: "t on n v" and "t off n" (a note-on of velocity 0).
  std::vector<std::string> Notes(size_t track) const;
  // Lines of a track whose text begins with the prefix ("tempo", "meta 3"...).
  std::vector<std::string> Lines(size_t track, const std::string& prefix) const;
  // Empty when every note-on is ended later by a note-off of its channel
  // and key, and no note-off comes without a sounding note.
  std::string StuckNotes() const;
};

MidiDump DumpMidi(const std::vector<uint8_t>& bytes);
