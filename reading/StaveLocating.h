// Locating the staves of a page with the engine's staff finder, grouping
// them into systems by the brackets between them, and judging their size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pages/PageData.h"
#include "score/StaveTypes.h"

// What locating for the page view shows while it runs; null members do
// nothing (the reading thread passes none).
struct LocatingHooks {
  void (*begin)();  // the progress window ("Locating staves") and the wait cursor
  void (*end)();
  int (*progress)(unsigned percent);
};

// Finds the staves of page (1-bit image, strideWords 32-bit words per row;
// its size from page) into rows (at most 13) and page's line table; judges
// them and marks the page record of the row *pageRow holds once they are
// found (read under the page table's lock: rows are reordered and removed
// while the finder runs; nullptr: none). forReading: the
// reading thread's page (progress to the pages pane, no hooks). 1 when the
// staff finder completed; 0 for a blank page, an engine that did not start
// (its text queued or shown by hooks) or a finder that failed or stopped.
uint32_t StartPageReading(const uint8_t* image, uint32_t strideWords, PageData* page, const int32_t* pageRow, bool forReading,
                          const LocatingHooks* hooks, StaveRow* rows, int* count);

// The staves of a page into systems: a gap between two staves that is
// bracketed on the left (black in 90 % of its rows) keeps them together.
void GroupStaves(const uint8_t* image, uint32_t strideWords, uint32_t width, uint32_t height, int resolution,
                 StaveRow* rows, int count, uint32_t* curvesValid);

// 1 when no stave of 4 or more lines is lower than 40 pixels; otherwise 0,
// with the advice composed into text (capacity units) when given. pageName
// is put first unless null.
uint32_t NarrowStaveAdvice(char16_t* text, size_t capacity, const StaveRow* rows, int count, int resolution,
                           const char16_t* pageName);
// The resolution to advise for staves whose smallest height is m pixels.
int AdvisedResolution(int resolution, int m);

// The reading thread's stave finder (ReadingSteps::locateStaves).
int LocateReadingPageStaves(PageData* page, StaveRow* rows, int* count);
