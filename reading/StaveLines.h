// Erasing the stave lines of one stave from a working copy of the page
// image: only bare line is erased, in stretches of at least half a space;
// everything is measured on the page image itself.
#pragma once

#include <cstdint>

#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

// Returned when the working memory could not be had: the page must end.
constexpr int kStaveLinesNoMemory = 0x10000;

// Erases the lines of stave s in copy (1 bit per pixel, strideWords 32-bit
// words per row, height rows, the same layout as image); sets the stave
// units for s. 0, or kStaveLinesNoMemory with nothing erased.
int RemoveStaveLines(const uint8_t* image, uint8_t* copy, uint32_t strideWords, uint32_t height,
                     const StaveRow* rows, int count, int s, const StavePage& geometry);
