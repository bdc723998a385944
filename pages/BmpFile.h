// The Windows bitmap side of the image-file routines.
#pragma once

#include <cstdint>

#include "pages/SpriteArea.h"

struct BmpFacts {
  uint32_t width;
  uint32_t height;
  uint32_t depth;       // 1, 4 or 8
  uint32_t resolution;  // dots per inch, 0 when the file gives none
};

SpriteError* ReadBmpFacts(const char16_t* path, BmpFacts* facts);
SpriteError* LoadBmpPage(uint8_t* area, const char16_t* path);
SpriteError* SaveBmp(const uint8_t* area, const char16_t* path, uint32_t resolution);

// The byte map that replaces packed palette indices by packed grey levels at
// the same bit positions: the mean of blue, green and red scaled to the
// depth's levels, inverted for 1 bit so that dark pixels become set bits.
// palette holds count entries of blue, green, red; missing entries are black.
void BuildGreyMap(const uint8_t (*palette)[3], uint32_t count, int depth, uint8_t map[256]);

// Pixels per metre to dots per inch, halves rounded up; 0 stays 0.
uint32_t DpiFromPixelsPerMetre(int32_t pixelsPerMetre);
