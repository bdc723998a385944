// What the stream reader hands to its subclasses and handlers for a chord,
// a rest, a tuplet mark and a slur mark.
#pragma once

#include <cstdint>

#include "export/BeatCounter.h"
#include "export/ExportPayloads.h"
#include "export/ItemDecoders.h"
#include "score/ScoreItem.h"

struct ChordRecord {
  const uint8_t* item = nullptr;
  int staff = 0;
  ChordFields fields{};
  BeamFlagPair beam{};     // both clear for a grace chord
  int beamGroupSize = 0;   // counted when the reader asks for look-ahead values
  uint32_t articulations = 0;
  bool tablature = false;
  int noteCount = 0;       // notes that could be placed
  DecodedNote notes[kMaxChordNotes]{};
};

struct RestRecord {
  const uint8_t* item = nullptr;  // null for a rest that pads a bar
  RestValues fields{};
};

struct TupletRecord {
  const uint8_t* item = nullptr;
  int staff = 0;
  TupletMarkValue mark{};
  int nodeCount = 0;   // counted when the reader asks for look-ahead values
  bool valid = true;   // false when the count came back 0
};

struct SlurRecord {
  const uint8_t* item = nullptr;
  int staff = 0;
  int voice = 0;
  CBeatCounter start;  // from the bar start
  CBeatCounter end;
};
