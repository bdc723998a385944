// Grading a candidate shape against the "Notation" templates, as the
// notehead stage does for a solid head: the window's 8 x 8 density grid
// becomes a run description (darkness pulled toward that of type 1), which
// every group of the type (TYPF 255) whose place mask allows the place
// grades; the best percentage counts.
#pragma once

#include <cstdint>

#include "shapes/ClassifierDatabases.h"

enum class HeadPlace { kSpace = 0, kLine = 1 };
constexpr int kSolidHeadType = 1;

// The place mask of a group header: header byte 1 bits 4-5 plus one (bit 0
// spaces, bit 1 lines).
inline bool PlaceAllowed(const uint8_t* header, HeadPlace place) {
  return ((((header[1] >> 4) & 3) + 1) >> static_cast<int>(place)) & 1;
}

// The best percentage of the type's groups for the box of a 1-bit image
// (rows of (stride + 1) x 4 bytes); 0 when the box is too light to be
// described (ComputeZoneDensityGrid gives 0) or lies outside 1..255.
int GradeNotationShape(const NotationDatabase& db, const uint8_t* bits, int stride, int x, int y, int width,
                       int height, int type, HeadPlace place);
