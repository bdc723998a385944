// The slant of a printed line of text, and the line sheared upright.
// Italic letters lean: their strokes cross the columns of their neighbours,
// so that a cut between two letters must cut through ink, and their shapes
// differ from the upright references. The line reader measures how far the
// line leans and reads it sheared upright, each row moved left by its
// height above the bottom row times the slant.
#pragma once

#include <cstdint>

// Slants are in 1/1024 of a column per row (the tangent of the lean).
constexpr int32_t kSlantUnit = 1024;

// The slant that makes the line's strokes most upright: of the slants tried
// (upright, and leaning right in steps up to 0.4), the one under which
// the columns made of one stroke each hold the most ink (the sum over such
// columns of their height squared); 0 unless a slant beats upright by a
// clear share.
int32_t MeasureLineSlant(const void* bitmap);

// The columns row y moves right by when the line is sheared by the slant
// (rows nearer the bottom move further, the top row not at all).
int32_t SlantRowShift(int32_t y, int32_t slant);

// A new engine block holding the bitmap sheared by the slant (wider by the
// bottom row's shift); the caller frees it with EngineFree.
void* ShearLineBitmap(const void* bitmap, int32_t slant);

// A box [x0, x1) over rows [y0, y1) of the sheared line as columns of the
// line as it was drawn: the box that holds the box's sheared-back shape.
void UnshearColumns(int32_t* x0, int32_t* x1, int32_t y0, int32_t y1, int32_t slant);
