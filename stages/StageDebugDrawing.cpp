#include "stages/StageDebugDrawing.h"

#include <algorithm>

std::atomic<bool>& StageDebugDrawing() {
  static std::atomic<bool> on{false};
  return on;
}

int DebugColourOfConfidence(int confidence) { return std::max(0, confidence - 93); }

void DrawDebugBoxes(DebugSurface surface, const std::vector<DebugBox>& boxes) {
  if (!StageDebugDrawing() || boxes.empty()) return;
  ReadingHost& host = CurrentReadingHost();
  // The page view is drawn only inside the size the reading measured.
  const ReadingState& reading = Reading();
  const bool clipped = surface == DebugSurface::kPageView && reading.viewWidth > 0 && reading.viewHeight > 0;
  host.LockDrawing();
  for (const DebugBox& b : boxes) {
    if (clipped && (b.x0 >= reading.viewWidth || b.y0 >= reading.viewHeight)) continue;
    host.OutlineDebugBox(surface, b.x0, b.y0, b.x1, b.y1, b.colour);
  }
  host.UnlockDrawing();
}
