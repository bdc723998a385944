// The items of a stave group's two curve lists, which the slur stage fills
// and score building reads. Kept apart from the note and symbol records so
// that code reading the engine's page description can use them too.
#pragma once

#include <cstdint>

// A curve of the group's list A (slurs and ties): its two ends and where
// its apex lies (10 bytes).
struct CurveItem {
  int16_t x0, y0, x1, y1;
  uint8_t apexPos;  // 255: discarded
  uint8_t bulge;
};
static_assert(sizeof(CurveItem) == 10, "a curve item is ten bytes");
constexpr uint8_t kCurveDiscarded = 255;

// A straight line of the group's list B (20 bytes); a hairpin is a pair of
// lines, the first of which carries the stave's middle and half the opening.
struct LineItem {
  int16_t x0, y0, x1, y1;
  int32_t staveMidY;     // set when the line becomes a hairpin
  int8_t halfOpening;    // first line of a hairpin: half the opening
  uint8_t reserved[3];
  uint32_t lineFlags;    // kLineInHairpin
};
static_assert(sizeof(LineItem) == 20, "a line item is twenty bytes");
constexpr uint32_t kLineInHairpin = 1;
