// A picture a test drew or captured, compared with its reviewed copy, with
// tolerance: a pixel differs when one of its channels is more than level
// away, and at most share of the pixels may differ. On a failure the picture
// and a difference image (differing pixels red or black over a faded copy)
// are written to outPrefix + "-actual.png" / "-diff.png" and the failure
// names them.
//
// KV_UPDATE_GOLDENS=1 writes the reviewed copy instead of comparing: look
// at every picture it writes before committing it.
#pragma once

#include <string>

#include "tests/support/PngImage.h"

struct PictureTolerance {
  int level = 64;
  double share = 0.005;
};

// Pixels differing beyond the tolerance's level; -1 when the sizes or
// channels differ. diff (may be null) receives the difference image.
long DifferingPixels(const PngImage& actual, const PngImage& reviewed, int level, PngImage* diff);

void ExpectMatchesReviewed(const PngImage& actual, const std::string& reviewedPath, const std::string& outPrefix,
                           PictureTolerance tolerance = {});
