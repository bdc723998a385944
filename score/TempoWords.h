// The words written in a score that carry a meaning for playback: tempo,
// tempo change, dynamic level and change, accent, note length, instrument
// and swing; and the metronome number at the end of a tempo text.
#pragma once

#include "score/MusicalState.h"  // TempoWordKind

// How a table word is compared with the text.
enum TempoWordMatch : int {
  kMatchPrefix = 0,  // the text at a word start begins with the table word
  kMatchWhole = 1,   // the phrase (one or two words, punctuation left out) equals it
};

struct TempoWordRow {
  const char16_t* word;
  int match;  // TempoWordMatch
  int kind;   // TempoWordKind
  int value;  // meaning depends on the kind (see TempoWordKind)
};

constexpr int kTempoWordCount = 125;
constexpr int kTempoWordLength = 32;  // UTF-16 units of a table word, with its end
constexpr int kMetronomeMin = 10;
constexpr int kMetronomeMax = 999;

// The word table in the order it is searched: the first matching row wins.
extern const TempoWordRow kTempoWords[kTempoWordCount];

// 1 with the kind and value of the first table word found in the text
// (null or empty texts, or texts without a known word, give 0).
int ParseTempoWord(const char16_t* text, int* kind, int* value);

// 1 with the number when the text ends in a metronome number from 10 to 999
// (trailing non-digits are skipped), else 0.
int ParseMetronomeNumber(const char16_t* text, int* number);
