// Column projections of ink over boxes of a 1-bit page image (pixel x of a
// row is bit x mod 8 of byte x / 8, least significant bit first; a set bit is
// ink; rows are (rowWordsLess1 + 1) x 4 bytes). Boxes are clipped to the page.
#pragma once

#include <cstdint>

struct InkPage {
  const uint8_t* bits;
  int rowWordsLess1;
  int width, height;
};

// Percent of ink in the box's column with the most ink (count x 100 / height);
// *offset = that column - x (the first maximum). 0 for an empty box.
int BestInkColumn(const InkPage& page, int x, int y, int width, int height, int* offset);
// The same counting paper.
int BestPaperColumn(const InkPage& page, int x, int y, int width, int height, int* offset);
// The box (inclusive corners) clamped to the page, then each side moved in
// while its edge column or row has no ink: left, right, top, bottom; a side
// stops when it meets the opposite one.
void ShrinkBoxToInk(const InkPage& page, int* x0, int* y0, int* x1, int* y1);
