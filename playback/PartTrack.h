// One part's track of the MIDI file: its notes, words and texts as the part
// is played through its repeats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "playback/MidiBytes.h"
#include "playback/MidiTrack.h"
#include "playback/NavigationMarks.h"
#include "playback/PlayState.h"
#include "playback/PlayStretch.h"
#include "playback/TempoList.h"
#include "score/MusicalState.h"

constexpr int kDrumChannel = 9;
constexpr int kMaxChordsPerBar = 1020;
constexpr size_t kMaxTexts = 1536;

// How a part sounds: its channel, program and note mapping.
struct PartSound {
  int slot = 0;
  int channel = 0;
  int program = 1;     // General MIDI, counted from 1
  bool drum = false;   // notes from the drum map
  bool tablature = false;
  bool fourStrings = false;
  int transposition = 0;
  uint8_t drumMap[32] = {};
};

// One row of the time map: where playback is at the end of each bar.
struct MidiTimeMapRow {
  double seconds;
  uint32_t bar;
  int32_t system;
  int32_t page;
};
constexpr size_t kMaxTimeMapRows = 65536;

struct PartTrackContext {
  const PlayStretch* stretch;
  NavigationTable* marks;
  const TempoList* tempos;
  const PartPlayState* states;  // per part slot: the state at the start of the stretch
  size_t* textsLeft;          // texts still allowed in this file
  std::vector<MidiTimeMapRow>* timeMap;  // null: no rows from this track
};

// The track chunk of one part.
MidiBytes WritePartTrack(const PartTrackContext& context, const PartSound& sound);
