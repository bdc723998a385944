// The engine's private code page: the bytes above 0x7F that mean something
// of their own in text recognition (accidentals of chord symbols, quotes, a
// dash, two ligatures and two case pairs). One table; the character table of
// the options, the case maps and the spelling costs all read it.
#pragma once

#include <cstdint>

struct PrivateCodePageByte {
  unsigned char byte;
  const char* name;
  const char* spelled;  // how word costs read it (null: as itself)
  char chord;           // how chord symbols read it (0: not in chords)
  unsigned char lower;  // for the capital of a case pair its small letter, else 0
  bool enabled;         // read by the text classifier (the options' character table)
};

constexpr int kPrivateCodePageSize = 13;
extern const PrivateCodePageByte kPrivateCodePage[kPrivateCodePageSize];

// The entry of a byte, or null.
const PrivateCodePageByte* FindPrivateCodePageByte(unsigned char c);

// The bytes the code names.
constexpr unsigned char kSharpByte = 0x87;
constexpr unsigned char kFlatByte = 0x88;
