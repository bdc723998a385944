// What a part walk keeps in force while a part is played, and where it stands.
#pragma once

#include <cstdint>

#include "score/MusicalState.h"

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

// Ticks of a bar of the time signature: n x 8 x 2^d.
inline uint32_t BarTicks(int numerator, int denominatorCode) {
  if (numerator < 0 || denominatorCode < 0 || denominatorCode > 7) return 0;
  return static_cast<uint32_t>(numerator) * (8u << denominatorCode);
}
inline uint32_t BarTicks(const PartPlayState& s) { return BarTicks(s.numerator, s.denominatorCode); }

// Ticks of a note value code with dots: 8 x 2^code, each dot half the last added.
inline uint32_t NoteValueTicks(int code, int dots) {
  if (code < 0) code = 0;
  if (code > 15) code = 15;
  uint32_t ticks = 8u << code;
  uint32_t add = ticks;
  for (int i = 0; i < dots; ++i) {
    add /= 2;
    ticks += add;
  }
  return ticks;
}
