// The page image of an engine run: one 1-bit bitmap block (label "onebpp";
// bit 0 of each 32-bit word is the leftmost pixel, 1 = black), read through
// pixel, run and count operations. Rows (y) count from the top, columns (x)
// from the left; operations take (row, column). The padding bits past the
// width in each row's last word are always white.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Geometry.h"

// Copies the packed rows (ceil(width / 32) words each, same layout) into the
// page block; a stretch w > 0 turns every black pixel into a run of w pixels
// to its right (pixels within the last w columns are not stretched). Then
// builds the vertical segments. Returns null, "Xmem1bpp" or the segments'
// code. width and height must be at least 1.
EngineCode LoadOnebppImage(const uint32_t* bits, int32_t width, int32_t height, int32_t stretch);
// Frees the page block (and a kept copy); the module's free function.
void FreeOnebppImage();
int32_t HasPageImage();

int32_t GetPageImageWidth();
int32_t GetPageImageHeight();
int32_t GetPageWordsPerRow();
uint32_t* GetPageRow(int32_t row);             // checked 0..height-1
const void* GetPageImageBlock();               // the block with its header, or null

int32_t GetPagePixel(int32_t row, int32_t column);   // 1 black; 0 white or outside
void SetPagePixel(int32_t row, int32_t column, int32_t value);  // outside ignored
void ClearRowSpan(int32_t row, int32_t x0, int32_t x1);  // x0..x1-1, clipped
void ClearPagePixel(int32_t row, int32_t column);

// Runs. "must be black/white" preconditions are failed checks.
int32_t BlackRunEndRight(int32_t row, int32_t column, int32_t limit);  // first column after the run, <= limit
int32_t BlackRunTop(int32_t row, int32_t column, int32_t limit);       // top row of the run, >= limit; row + 1 when row < limit
int32_t BlackRunEndDown(int32_t row, int32_t column, int32_t limit);   // first row after the run, <= limit
int32_t WhiteRunEndRight(int32_t row, int32_t column, int32_t limit);  // first black column, <= min(limit, width)
int32_t FindInkAbove(int32_t row, int32_t column, int32_t limit);      // first black row above, else the limit (>= 0)
// First black row below (rows up to min(limit, height - 1), exclusive); the
// height when the search reaches the last row, else the limit.
int32_t FindInkBelow(int32_t row, int32_t column, int32_t limit);

// Counts over half-open ranges, clipped to the image.
int32_t CountRowInk(int32_t row, int32_t x0, int32_t x1);
int32_t CountColumnInk(int32_t column, int32_t y0, int32_t y1);
int32_t CountBoxInk(int32_t y0, int32_t x0, int32_t y1, int32_t x1);
// Cost of a straight stroke from p to q: the number of steps whose 3-pixel
// band across the stroke is all white; the smaller of the row-wise and the
// column-wise walk, a walk that does not apply counting 1024.
int32_t MeasureLineInkCost(EnginePoint p, EnginePoint q);

// Sets or clears a pixel of any engine bitmap block; bounds are failed checks.
void SetBitmapPixel(void* block, int32_t row, int32_t column, int32_t value);

// ---- Byte images: one byte (0 or 1) per pixel ----
struct ByteImage {
  int32_t top;
  int32_t left;
  int32_t rows;
  int32_t columns;
  uint8_t** rowPointers;
  uint8_t* bytes;
};
// Zero-fills rows x columns bytes and unpacks the page pixels that lie inside
// the image into them.
void ExtractByteImage(uint8_t* out, int32_t top, int32_t left, int32_t rows, int32_t columns);
// The record must be empty (no blocks) with rows, columns > 0: allocates and
// fills its bytes and row pointers.
void MakeByteImage(ByteImage* image);
void FreeByteImage(ByteImage* image);

// ---- Page copy ----
void KeepPageImageCopy();      // a page must exist and no copy be held
void RestorePageImageCopy();   // copies back and frees the copy
int32_t HasPageImageCopy();

// The small-component clean-up after the notehead stage: finds the page's
// components (limits 5000, 500, 500), merges small pieces into the
// components that cover them, and restores the page.
void CleanSmallComponents();
