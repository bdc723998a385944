// What is in force at a place in the score: time signature, and per part the
// clef, key, dynamic level, note-length percentage and program, and the tempo;
// and the accidentals that a key signature puts on the staff positions.
#pragma once

#include <cstdint>

#include "score/ScoreStream.h"

constexpr int kDefaultTempo = 100;          // beats per minute
constexpr int kDefaultDynamicLevel = 76;
constexpr int kDefaultNoteLength = 100;     // per cent of the written duration
constexpr int kCrescendoLevel = 96;
constexpr int kDiminuendoLevel = 48;
constexpr int kTicksPerCrotchet = 256;
constexpr int kMaxTempoEntries = 1024;

struct PartMusicalState {
  int clef;         // clef code
  int octaveShift;  // octave code of the clef
  int keyCount;
  int keySharps;    // 1 sharps, 0 flats
  int dynamic;      // 0..127
  int noteLength;   // per cent
  int program;      // General MIDI program from 0; -1 the part's own
};

struct MusicalState {
  int numerator;
  int denominatorCode;  // denominator 128 >> code
  PartMusicalState part[kPartSlots];
  int tempo;            // beats per minute
};

// The state at one score-stream offset per part slot (null: every part from
// its start). Parts 1 to PartCount-1 are walked, each only within its used
// length. Returns 1 plus the number of page marks before the positions.
int FindMusicalStateAt(const uint32_t* positions, MusicalState* state);

// The clef and key of one part at an offset (the defaults of an empty part).
void FindPartStateAt(int slot, uint32_t position, PartMusicalState* state);

// Entries 1..31 of steps get +1 (sharp), -1 (flat) or 0 for each staff
// position under the key signature and clef code; entry 0 is not written.
// Clefs without note letters (percussion, tablature) get no accidentals.
void KeySignatureSteps(int16_t steps[32], int sharps, int count, int clefCode);

// The readers of dynamic and tempo words (by default the word table and the
// metronome numbers of score/TempoWords.h); tests may swap them. Without a
// reader no word is recognised and dynamic and tempo texts leave the defaults.
struct TempoWordReaders {
  // 1 with the word's kind and value when the text holds a known word.
  int (*parseTempoWord)(const char16_t* text, int* kind, int* value);
  // 1 with the number when the text ends in a metronome number.
  int (*parseMetronomeNumber)(const char16_t* text, int* number);
};
TempoWordReaders SetTempoWordReaders(const TempoWordReaders& readers);  // returns the old ones

// Kinds of the word table that the state finder applies.
enum TempoWordKind : int {
  kWordDynamicLevel = 1,
  kWordDynamicChange = 2,
  kWordAccent = 3,
  kWordNoteLength = 4,
  kWordTempo = 5,
  kWordTempoChange = 6,
  kWordInstrument = 7,
  kWordSwing = 8,  // 0 straight .. 5 dotted eighths
};
