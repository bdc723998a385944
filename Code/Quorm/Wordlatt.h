// The lattices of the line reader. The word lattice joins up to 14
// consecutive pieces of the line into one character cell; the segment
// lattice joins up to 31 consecutive characters of a chosen path into one
// word. Each cell carries its union box, a cost of the cuts it spans or
// joins and a cost of its width.
#pragma once

#include <cstdint>

#include "Code/Quorm/Segpaths.h"

// One piece of the line, left to right: an object of the cutter.
struct TextPiece {
  int32_t top, bottom, left, right;  // bottom and right exclusive
  int32_t firstRun, endRun;          // the runs that hold it (label = piece index + 1)
  int32_t cost;                      // its cut strength: ink that joins it to the pieces before it
  int32_t gap;                       // columns of white before it (negative: overlap)
  int32_t clearance;
  int32_t spare[2];
};

constexpr int32_t kWordLatticeLevels = 14;
constexpr int32_t kSegmentLatticeLevels = 31;
constexpr int32_t kWordPathLimit = 300;
constexpr int32_t kSegmentPathLimit = 100;

using TextCostFunction = int32_t (*)(int32_t value);

// The current line's pieces (owned by the line reader).
void SetLatticePieces(const TextPiece* pieces, int32_t count);

// Word lattice over pieces [first, first + n): 14 levels of n cells.
LatticeCell* BuildWordLattice(int32_t first, int32_t n);
// width f, piece g and gap h cost functions.
void CostWordLattice(TextCostFunction f, TextCostFunction g, TextCostFunction h);
LatticeCell& WordLatticeCell(int32_t level, int32_t s);  // level 0-based
int32_t WordLatticeSize();
void FreeWordLattice();

// Reads the segment lattice over a path of m characters whose cut positions
// are piece indices: builds, costs and searches it (at most 31 characters
// a word, at most out's segments a path), then frees it. The line reader
// keeps the first 100 words.
int32_t ReadSegmentLattice(KBestPaths* out, const int32_t* cuts, int32_t m, int32_t paths);
void FreeSegmentLattice();

// The segment lattice's costs, for tests: join J and cut K of a gap with the
// scale value v, and the width cost of a cell.
int32_t SegmentJoinCost(int32_t gap, int32_t v);
int32_t SegmentCutCost(int32_t gap, int32_t v);
int32_t SegmentWidthCost(int32_t width, int32_t height, int32_t v);
// The cost the segment lattice gives one word of count characters, which
// start at the line's pieces cuts[0 .. count - 1] and end before piece
// cuts[count]: the cut before it, the joins before its other characters and
// its width.
int64_t SegmentCellCost(const int16_t* cuts, int32_t count, int32_t v);
