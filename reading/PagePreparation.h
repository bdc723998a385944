// The order of page preparation on one page image: threshold and conversion
// to black and white, inversion when negative, the dotted-paper test, the page
// angle and levelling, the on-side turn, the crop and the clean-up.
#pragma once

#include "reading/PageCleanUp.h"
#include "reading/PageImage.h"

struct PreparationSettings {
  int resolution = 300;
  bool autoRotate = true;     // "Auto rotate": search the page angle
  bool autoCrop = false;
  bool preview = false;       // a scan preview: find its printed area only
  bool hasCompanion = false;  // a stave companion file lies beside the image
  bool fromPdf = false;       // a page rendered from a PDF file
  bool handwritten = false;
  bool forceCleanUp = false;
};

struct PreparationResult {
  bool inverted = false;
  bool patternedPaper = false;
  bool turnedOnSide = false;
  double angle = 0.0;
  int threshold = 0;          // grey pages: the threshold used
  BoundaryRect previewArea;   // a preview's printed area
};

// Told after each step (the step's name), for timing.
struct PreparationObserver {
  virtual ~PreparationObserver() = default;
  virtual void StepDone(const char* step) = 0;
};

// Prepares a page of 2, 16 or 256 levels (1, 4 or 8 bits per pixel; any
// other, or a depth that does not match, is refused with message 10011). The
// source may be changed on the way. Returns the prepared 1-bit page, or an
// empty image on failure (the failing step has shown its message).
OwnedPageImage PreparePageImage(OwnedPageImage source, int levels, const PreparationSettings& settings,
                                PreparationResult* result, PreparationObserver* observer = nullptr);

// Turns a 1-bit page anticlockwise when it lies on its side. True when it did.
bool TurnOnSideIfNeeded(OwnedPageImage& page, bool patternedPaper, int resolution);
