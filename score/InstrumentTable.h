// The instrument table "General MIDI.txt" in the resources folder: a part's
// General MIDI program, clefs and transposition, found by the part's name.
//
// One entry per line (CR LF, LF or CR): a program number N, one or more
// quoted names, then options each introduced by ':'. N counts from 1; N of
// 1000 + n is a drum kit for a part whose stave has n lines; a line without a
// number, or beginning with "//", is skipped. Options: a sign and one or two
// digits (the transposition in semitones); a clef keyword with an optional
// octave prefix (8, 15: up) or suffix (8, 15: down); on a drum-kit line,
// digits handed to the caller as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "Code/Unicode/Utils/Str.h"

constexpr char16_t kInstrumentTableFileName[] = u"General MIDI.txt";
constexpr size_t kInstrumentLineUnits = 4096;  // the table look-up's line buffer
constexpr size_t kInstrumentNameLineUnits = 1024;  // the name look-up's
constexpr int kDrumKitBase = 1000;
constexpr int kMaxInstrumentClefs = 4;
// Clef numbers are clef codes plus one; this one is a treble and a bass stave.
constexpr uint8_t kClefNumberTrebleAndBass = 12;
constexpr size_t kDefaultPitchTableSize = 32;  // positions 1..31 are written

struct InstrumentDetails {
  int clefCount;
  uint8_t clef[kMaxInstrumentClefs];         // clef numbers; 0 an unknown keyword
  uint8_t octaveShift[kMaxInstrumentClefs];  // octave codes of the clef item
  char text[64];                             // the digits option of a drum-kit line
};

// Reads one line of the table into buffer (size bytes with the NUL). CR LF,
// LF and CR end a line; a longer line is cut with an error box and its rest
// is the next line. Returns non-zero at the end of the file.
int GetInstrumentLine(std::FILE* stream, char* buffer, size_t size);

// Reads the options of a line from position on into transposition, text and
// clefs (any may be null). number is the line's N.
void ParseClefKeyword(int number, const char* line, size_t position, int* transposition,
                      InstrumentDetails* details);

// The program of a part's instrument. The part name is first looked up in
// the instrument-name lists; a name found there is matched exactly against
// the table's names, any other by the longest table name at one of its word
// starts. slot (or -1) selects the drum-kit lines for its number of stave
// lines. Outputs may be null: transposition (0 when nothing is found), the
// default pitch table (MIDI notes of positions 1..31), the clefs.
int ReadInstrumentTable(const char16_t* partName, int8_t* transposition, int slot,
                        uint8_t pitchTable[kDefaultPitchTableSize], InstrumentDetails* details);

// The first name of the first line of the program; "Unknown" without one.
CStr ReadInstrumentName(int program);

// 1 for no part or a part that is not tablature; 33 for a four-line
// tablature part; 26 for any other tablature part.
int DefaultMidiProgram(int slot);
