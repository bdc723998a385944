// Page images as files: Windows bitmaps (uncompressed, 1, 4 or 8 bits) and
// TIFF pages through libtiff. Sizes and resolution are read without the
// pixels, the pixels are loaded into a sprite area as the sprite "scanned",
// and a sprite is written back as a 1-bit TIFF or a bitmap. Every routine
// returns null on success or the shared SpriteError record.
#pragma once

#include <cstdint>

#include "pages/SpriteArea.h"

// The TIFF directory that ReadImageFileInfo and LoadTiffPage use: the file
// opener sets it while it walks the pages of a file.
uint16_t& ImagePageIndex();

// What ReadImageFileInfo gives. With plain values: depth in bits per pixel,
// image bytes (padded row bytes x height), width and height. Without: the
// same in sprite terms: mode (18, 20 or 21; other depths leave the value as
// it was), image bytes + 1024 (the area to allocate), row words - 1, height - 1.
// resolution is in dots per inch; 0 when the file does not give one, which
// callers treat as any resolution outside the usable range.
SpriteError* ReadImageFileInfo(const char16_t* path, uint32_t* imageBytes, uint32_t* width, uint32_t* height,
                               uint32_t* depth, uint32_t* resolution, bool plainValues);

// Loads the page image at path (".bmp", else a TIFF page) into area.
SpriteError* LoadTiffPage(uint8_t* area, const char16_t* path);

// Writes the sprite as a 1-bit CCITT TIFF or as a bitmap. resolution (dots per
// inch) goes into the file; 0 writes the bitmap default of 3780 pixels per
// metre and no resolution into a TIFF. Only 1-bit sprites are written as TIFF.
SpriteError* SaveSpriteTiff(const uint8_t* area, const char16_t* path, uint32_t resolution);
SpriteError* SaveSpriteBmp(const uint8_t* area, const char16_t* path, uint32_t resolution);

void ReverseBits8(uint8_t* byte);

// Whether path names a Windows bitmap by its extension (else it is read as TIFF).
bool IsBitmapPath(const char16_t* path);
