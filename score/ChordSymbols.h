// Chord symbols as text: a root, a chord kind and an optional bass, written
// as in a lead sheet ("F#m7", "G/B", "Bbsus4"). The display text is made
// from the UI strings of the note names (12000 + root) and the kinds'
// suffixes (12200 + kind); the parsers read the written forms back, also the
// spellings that recognised text gives them.
#pragma once

#include <cstdint>

constexpr int kChordRoots = 17;  // 0 "C" .. 16 "B"
constexpr int kChordKinds = 49;  // 0 major (no suffix) .. 48 "dim7"
constexpr unsigned kChordRootNameBase = 12000;
constexpr unsigned kChordKindLongNameBase = 12100;
constexpr unsigned kChordSuffixBase = 12200;
// The longest display text with its NUL.
constexpr int kChordSymbolTextUnits = 32;

// The root index of the note name at the start of text, or -1; taken
// receives the units used (2 or 1, 0 when none). Only C and F are read
// without regard to case.
int ParseChordRoot(const char16_t* text, int* taken);
// The chord kind of the suffix at the start of text (a prefix, without
// regard to case, longest forms first), or -1; taken receives its length.
int ParseChordSuffix(const char16_t* text, int* taken);
// The root index of a bass written as a slash (or a look-alike: I l 1 | t /)
// and a note name at the start of text, or -1. On success the slash unit is
// rewritten to '/' and taken receives 1 + the name's length.
int ParseChordBass(char16_t* text, int* taken);

// A whole chord symbol: the root, then an optional suffix, then an optional
// bass, and nothing else. Without a bass, bass is the root. False when the
// text is no chord symbol (the out-values are then untouched).
bool ParseChordSymbol(const char16_t* text, int* root, int* kind, int* bass);

// The display text into out (capacity units, always NUL-ended): the root's
// name, the kind's suffix (none for kind 0) and, when the bass differs from
// the root, "/" and the bass's name. Each piece takes only the room left.
// Indexes outside their tables give an empty text. Returns the units written.
int FormatChordSymbol(int root, int kind, int bass, char16_t* out, int capacity);

// Repairs a recognised text into out (capacity units, at least 17): the
// units that text recognition confuses in chord names are replaced, the
// punctuation it adds is dropped. Returns the number of units replaced, or
// -1 when the result is no chord symbol: 16 units or more, empty, a lone
// lower-case letter from a longer text, no root, something after the root
// that is neither a suffix nor a bass, or too little of the text covered.
int NormaliseChordText(const char16_t* text, char16_t* out, int capacity);
