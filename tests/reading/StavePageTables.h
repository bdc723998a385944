// The tables a stave page points into (the traced line table and the
// staves' curve flags), owned by a test, and the page over an image.
#pragma once

#include <cstdint>
#include <memory>

#include "reading/StaveGeometry.h"

struct StavePageTables {
  std::unique_ptr<StaveLineTable> lines = std::make_unique<StaveLineTable>();
  uint32_t curvesValid[kStaveSlots] = {};
  uint32_t modelCurves[kStaveSlots] = {};

  // A stave page over image at resolution whose lines and curve flags are
  // these tables.
  StavePage Over(const PageImage& image, int resolution = 300) {
    StavePage page;
    page.image = image;
    page.resolution = resolution;
    page.lines = lines.get();
    page.curvesValid = curvesValid;
    page.modelCurves = modelCurves;
    return page;
  }
};

// A 1-bit page image over rows of rowBytes each.
inline PageImage OneBitImage(uint8_t* rows, int32_t width, int32_t height, size_t rowBytes) {
  PageImage image;
  image.rows = rows;
  image.width = width;
  image.height = height;
  image.rowBytes = rowBytes;
  return image;
}
