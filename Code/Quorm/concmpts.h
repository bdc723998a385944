// The page's black connected components (8-neighbour: pixels that touch at a
// corner belong together), each with its box and its own raster. Finding
// them clears their pixels from the page image, so callers keep a copy of
// the page (KeepPageImageCopy) and restore it afterwards.
#pragma once

#include <cstdint>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Grange.h"

using ConnectedComponent = RasterRecord;  // top, left, height (rows), width (columns), raster, link, index

// Allocates the table for 1000 records (freeing an earlier one), count 0,
// bounds reset.
void ResetConnectedComponents();
int32_t GetComponentCount();
void GetComponent(ConnectedComponent* out, int32_t index);  // a copy; the raster stays owned by the table
const ConnectedComponent* GetComponentRecord(int32_t index);
void GetComponentBox(EngineBox* out, int32_t index);        // (left, top, left + width, top + height)
// Least top, least left, greatest bottom, greatest right of all records found
// (0x7FFFFFFF and 0 while none was found), as a box.
EngineBox GetComponentBounds();

// Scans rows height-2 up to 1 for black pixels and fills each component:
// every pixel of it is cleared from the page. A component whose fill queued
// maxRuns runs or more, or whose box is wider than maxWidth or taller than
// maxHeight, is not recorded. maxRuns above 2000 is a failed check.
void FindConnectedComponents(int32_t maxWidth, int32_t maxHeight, int32_t maxRuns);
// The record's (left, top), the key of the component grid.
GrangePoint GetComponentKey(int32_t index);
// When a's box lies inside b's, ORs a's raster into b's and returns 1; else 0.
int32_t MergeIntoCoveringComponent(int32_t a, int32_t b);
// Merges every record for which test answers nonzero into the first record
// near it (up to 5 staff spaces to the left and 9 above) that covers it and
// marks it dropped; then CompactComponents.
using ComponentTest = int32_t (*)(const ConnectedComponent& component);
void ForEachComponent(ComponentTest test);
// Splits components of symbol size near a staff that are made of two to four
// equal touching parts: where the columns at the equal division points
// (within 0.15 staff space) hold hardly any ink, the parts replace the
// component. Then CompactComponents.
void SplitTouchingComponents();
// Sorts the records (dropped ones last, else by top row, then left column),
// frees the dropped records' rasters and cuts the count before them.
void CompactComponents();
// The module's free function: every raster, the table, the queue and grid.
void FreeConnectedComponents();
