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
  const char* written;  // how the page description writes it (null: as itself, "": left out)
};

constexpr int kPrivateCodePageSize = 14;
extern const PrivateCodePageByte kPrivateCodePage[kPrivateCodePageSize];

// The entry of a byte, or null.
const PrivateCodePageByte* FindPrivateCodePageByte(unsigned char c);

// Copies a text read by the engine into out (room bytes with the NUL, at
// least 1) in the form the page description hands on: each private byte as
// its written form, cut to what fits; returns the length written.
int32_t WritePlainText(char* out, int32_t room, const char* text);

// The bytes the code names.
constexpr unsigned char kSharpByte = 0x87;
constexpr unsigned char kFlatByte = 0x88;
constexpr unsigned char kDashByte = 0x96;
