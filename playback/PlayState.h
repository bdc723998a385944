// What a part walk keeps in force while a part is played, and where it stands.
#pragma once

#include <cstdint>

#include "score/MusicalState.h"
#include "score/Rhythm.h"

// The values a jump or a repeat restores for the part being walked.
struct PartPlayState {
  int numerator = 4;
  int denominatorCode = 5;  // denominator 128 >> code
  int clef = 1;
  int octaveShift = 0;
  int keyCount = 0;
  int keySharps = 0;
  int dynamic = kDefaultDynamicLevel;
  int noteLength = kDefaultNoteLength;
  int program = -1;
};

// A part's values from the state finder's result.
inline PartPlayState PlayStateOf(const MusicalState& state, int slot) {
  const PartMusicalState& p = state.part[slot];
  PartPlayState s;
  s.numerator = state.numerator;
  s.denominatorCode = state.denominatorCode;
  s.clef = p.clef;
  s.octaveShift = p.octaveShift;
  s.keyCount = p.keyCount;
  s.keySharps = p.keySharps;
  s.dynamic = p.dynamic;
  s.noteLength = p.noteLength;
  s.program = p.program;
  return s;
}

// (bar within the system, system, page), counted from the start of the stretch.
struct PlayPlace {
  int bar = 0;
  int system = 0;
  int page = 0;
  bool operator==(const PlayPlace& o) const { return bar == o.bar && system == o.system && page == o.page; }
};

// Ticks of a bar of the part's time signature (the score's one rule, 0 for
// a signature without a length).
inline uint32_t BarTicks(const PartPlayState& s) {
  return static_cast<uint32_t>(BarLengthTicks(s.numerator, s.denominatorCode));
}
