// The TIFF side of the image-file routines, through libtiff. Files are opened
// through the platform's UTF-16 streams, so any path the program can name
// opens; libtiff's own error and warning messages are silenced.
#pragma once

#include <cstdint>

#include "pages/SpriteArea.h"

struct tiff;  // libtiff's TIFF

// Opens path for reading ("r") or writing ("w") through a platform stream;
// null when it cannot. Close with TIFFClose.
tiff* OpenTiffFile(const char16_t* path, const char* mode);

struct TiffFacts {
  uint32_t width;
  uint32_t height;
  uint32_t depth;       // of the sprite a load makes: 8 for 8 bits per sample, else 1
  uint32_t resolution;  // dots per inch, 0 when the file gives none
};

// Holds path open as a TIFF for the life of the object: while it is held, the
// page count, each page's facts and its pixels of that path are read through
// the one handle instead of opening the file for each. One file is held at a
// time; a file that does not open as a TIFF is not held (IsHeld false) and
// the routines open it themselves as before.
class HeldTiffFile {
 public:
  explicit HeldTiffFile(const char16_t* path);
  ~HeldTiffFile();
  HeldTiffFile(const HeldTiffFile&) = delete;
  HeldTiffFile& operator=(const HeldTiffFile&) = delete;
  bool IsHeld() const { return held_; }

 private:
  bool held_ = false;
};

// The number of image directories; -1 when the file cannot be opened as a TIFF.
int CountTiffPages(const char16_t* path);
// Why path does not open as a TIFF, as a UI string id: the file is missing,
// cannot be read, is empty, does not begin as a TIFF does, or begins so and
// is cut short or damaged.
unsigned WhyTiffDoesNotOpen(const char16_t* path);
SpriteError* ReadTiffFacts(const char16_t* path, uint16_t page, TiffFacts* facts);
// Any layout libtiff reads (grey, palette, RGB and the rest; 1 to 16 bits a
// sample; strips or tiles; with or without an alpha channel) is laid on white
// paper and loaded as grey bytes (8 bits a sample) or as ink below grey 128.
SpriteError* LoadTiffPageImage(uint8_t* area, const char16_t* path, uint16_t page);
SpriteError* SaveTiff(const uint8_t* area, const char16_t* path, uint32_t resolution);

// Dots per inch from the resolution tags: unit 1 (none) 200, unit 3
// (centimetre) x 2.54, otherwise x; truncated. A missing, non-positive or
// absurd XResolution gives 0.
uint32_t TiffDpi(bool hasXResolution, double xResolution, uint16_t unit);
