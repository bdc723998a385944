// The stretch of the score being played: one start and end offset per part slot.
#pragma once

#include <cstdint>

#include "score/ScoreStream.h"

struct PlayStretch {
  int parts = 0;  // part slots 0 .. parts-1 exist
  const uint8_t* stream[kPartSlots] = {};
  uint32_t start[kPartSlots] = {};
  uint32_t end[kPartSlots] = {};
};

// The score's streams between the given offsets (null: from the start,
// respectively to the used length), each clamped to the used length and to
// the stream's block; an end before its start gives an empty stretch.
PlayStretch MakePlayStretch(const uint32_t* starts, const uint32_t* ends);
