// The Standard MIDI File of a stretch of the score (format 1, 256 ticks per
// crotchet): a conductor track and one track per sounding part, with the
// score's repeats and jumps played out.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/PartTrack.h"

constexpr char16_t kPlaybackFileName[] = u"Temp0001.dat";
constexpr int kMidiDivision = 256;
constexpr int kMaxMidiTracks = 16;
constexpr unsigned kTextWrittenBy = 10271;  // the copyright line of a score without one
enum MidiWriteMode : int { kMidiWritePlain = 0, kMidiWritePlayback = 1 };

// path: the file; starts and ends: one stream offset per part slot (null:
// from the start, respectively to the used length); partFlags: one flag per
// part slot (null: every part). Mode 1 also fills the time map. Returns 1
// when the whole file was written, 0 when it could not be opened or written
// (never a message; the caller reports it).
int WriteMidiFile(const char16_t* path, const uint32_t* starts, const uint32_t* ends, const int* partFlags, int mode);

// The time map of the last call in mode 1: one row per bar of the first part track.
const std::vector<MidiTimeMapRow>& MidiTimeMap();
