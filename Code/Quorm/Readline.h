// Reading one line of text: the line's runs are cut into pieces, pieces are
// joined into characters through the word lattice and the character
// classifier, characters into words through the segment lattice, and each
// word is spelled (and read again when its reading is doubtful).
#pragma once

#include <cstdint>

#include "Code/Quorm/Wordlatt.h"

constexpr int32_t kMaxLinePieces = 299;       // the cut positions list holds 300
constexpr int32_t kCutObjectLimit = 1600;
constexpr int32_t kRereadConfidence = 300;
constexpr int32_t kReadWordTextBytes = 32;

struct ReadWordRecord {
  int32_t x0, y0, x1, y1;   // bitmap coordinates, x1 and y1 exclusive
  int32_t referenceRow;
  int16_t style[12];
  int32_t cost;             // (spelling cost + shape cost) / (10 x characters)
  char text[kReadWordTextBytes];
};

static_assert(sizeof(ReadWordRecord) == 80, "a read word is 80 bytes, its text at byte 48");

struct LineReading {
  int32_t top;
  int32_t left;
  int32_t textHeight;
  int32_t wordCount;
  ReadWordRecord* words;  // engine heap; freed with the line
};

// Reads the runs handed over by ReadTextLine (Ocrmisc) in the given mode:
// 0 lyrics, 1 first and text passes, 2 chord-like text, 3 re-read after
// joining.
void ReadLineWords(LineReading* result, int mode);

// The line's margin, 100000 / ((333 + the sum of 100000 / d) / (1 + n)),
// over the n positions whose difference d (best candidate's shape cost less
// its reference cost) is above 0; no margin (0) when the divisor comes to 0.
int32_t LineMargin(const int32_t* d, int32_t count);

struct CutResult;
// Cuts the runs of the line prepared by PrepareTextLine (Ocrmisc) into the
// line's pieces, as the reader's first step does: returns the piece count
// (0 for a line without ink). The reference maker takes its samples through
// this and CharacterSample, so that they are cut as the reader cuts.
int32_t CutLinePieces(CutResult* cut);

// The current line's pieces.
const TextPiece* GetLinePieces(int32_t* count);
// Piece i (of the line) is no larger than a dot and lies wholly above a
// neighbour that shares its columns: the dot of an i or j, never a
// character of its own.
bool IsDotOverNeighbour(int32_t i);

// A cell of the word lattice can be one character: no wider than one and a
// half times the line's height estimate (and a sample's size), with no white
// inside wider than a character holds.
bool CanBeCharacter(const LatticeCell& cell);

// The scale the reader works in (the cutter's height estimate of the line).
void SetLineScale(int32_t p);
// The position model's scale value when it is fitted, else a quarter of the
// cutter's estimate (about the same: half the text height).
int32_t LineScaleValue();

void FreeLineReading();

struct SegmentReading;
// The twelve style measures of a read word, each at most 32767.
void ClassStyleMeasures(const SegmentReading& reading, int32_t out[12]);
