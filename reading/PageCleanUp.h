// The last steps of page preparation on the 1-bit page: the printed area and
// the crop to it, pinholes and small holes in ink filled, stray specks
// removed, and a thin white frame so that nothing touches the edge.
#pragma once

#include <cstdint>

#include "reading/PageImage.h"

struct BoundaryRect {
  uint32_t left = 0xFFFFFFFF;
  uint32_t top = 0xFFFFFFFF;
  uint32_t right = 0xFFFFFFFF;
  uint32_t bottom = 0xFFFFFFFF;
};

// Blanks the first and last two rows and the two pixels at each end of every
// row (to the end of the padded row).
void ClearPageBorder(const PageImage& image);

// The printed area widened by half an inch; false when a side has no ink.
bool FindBoundary(const PageImage& image, int resolution, BoundaryRect* rect);

// The page cut to left .. right - 1, top .. bottom - 1 (after clamping to the
// image). Empty when the rectangle is narrower or lower than 3 pixels
// (*tooSmall set) or memory is short (message 10012).
OwnedPageImage CropPage(const PageImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                        bool* tooSmall = nullptr);

struct CleanUpOptions {
  int resolution = 300;
  bool handwritten = false;   // no hole filling on handwritten pages
  bool forceCleanUp = false;  // fill pinholes and holes whatever the survey says
  bool showProgress = false;
};
void CleanUpPage(const PageImage& image, const CleanUpOptions& options);

// Sizes of the clean-up for a resolution.
inline int BoundaryMargin(int resolution) { return resolution / 2; }
inline int LargestHole(int resolution) { return resolution / 100; }
inline int LargestSpeck(int resolution) { return resolution / 150; }
