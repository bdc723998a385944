// Debug drawing of the recognition stages: the boxes of what a stage found,
// outlined on the page view or the pages pane through the reading host,
// under the drawing lock ("ReadingMutex"). Off unless a developer switches it
// on; while it is off nothing is drawn and the lock is not taken.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "reading/ReadingThread.h"

struct DebugBox {
  int32_t x0, y0, x1, y1;  // page pixels, inclusive
  int colour;              // a number of the drawing palette
};

// The switch; off at start.
std::atomic<bool>& StageDebugDrawing();

// The colour of a box drawn for a found object: its confidence above 93.
int DebugColourOfConfidence(int confidence);

// Outlines the boxes on the surface while the switch is on: one take of the
// drawing lock for all of them.
void DrawDebugBoxes(DebugSurface surface, const std::vector<DebugBox>& boxes);
