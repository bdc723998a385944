// The page's vertical black runs.
#include "Code/Quorm/vertsegs.h"

#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Onebpp.h"

namespace {

VerticalSegment* gSegments = nullptr;
int32_t gCount = 0;

// Walks every column from the left, handing each recorded run to record;
// false when the continue callback asked to stop.
template <class Record>
bool WalkColumns(ContinueCallback keepGoing, Record record) {
  const int32_t width = GetPageImageWidth();
  const int32_t height = GetPageImageHeight();
  for (int32_t x = 0; x < width; ++x) {
    if (keepGoing && keepGoing(1) == 0) return false;
    // A run may start in the top row; every later search starts on white.
    int32_t top = GetPagePixel(0, x) ? 0 : FindInkBelow(0, x, height);
    while (top < height) {
      int32_t end = BlackRunEndDown(top, x, height);
      if (end >= height) break;  // reaches the bottom row: not a segment
      record(x, top, end);
      top = FindInkBelow(end, x, height);
    }
  }
  return true;
}

}  // namespace

int32_t BuildVerticalSegments(ContinueCallback keepGoing) {
  if (gSegments) return kSegmentsBuilt;
  int32_t count = 0;
  if (!WalkColumns(keepGoing, [&](int32_t, int32_t, int32_t) { ++count; })) return kSegmentsStopped;
  if (count == 0) return kNoSegments;
  EngineAllocZeroedChecked(gSegments, static_cast<size_t>(count) * sizeof(VerticalSegment));
  int32_t filled = 0;
  bool done = WalkColumns(keepGoing, [&](int32_t x, int32_t top, int32_t end) {
    ENGINE_CHECK(filled < count);
    VerticalSegment& s = gSegments[filled++];
    s.x = x;
    s.top = top;
    s.end = end;
  });
  if (!done) {
    FreeVerticalSegments();
    return kSegmentsStopped;
  }
  ENGINE_CHECK(filled == count);
  gCount = count;
  return kSegmentsBuilt;
}

int32_t GetVerticalSegmentCount() { return gCount; }

VerticalSegment* GetVerticalSegment(int32_t index) {
  ENGINE_CHECK_INDEX(index, gCount);
  return &gSegments[index];
}

void SetSegmentMark1(int32_t index) { GetVerticalSegment(index)->mark1 = 1; }
void SetSegmentMark2(int32_t index) { GetVerticalSegment(index)->mark2 = 1; }
void SetSegmentMark3(int32_t index) { GetVerticalSegment(index)->mark3 = 1; }
int32_t HasSegmentMark3(int32_t index) { return GetVerticalSegment(index)->mark3 ? 1 : 0; }

void ClearSegmentMarks() {
  for (int32_t i = 0; i < gCount; ++i) gSegments[i].mark1 = gSegments[i].mark2 = gSegments[i].mark3 = 0;
}

int32_t FindVerticalSegment(int32_t column, int32_t row) {
  // The last segment at or before (column, row) in table order.
  int32_t lo = 0;
  int32_t hi = gCount;
  while (lo < hi) {
    int32_t mid = lo + (hi - lo) / 2;
    const VerticalSegment& s = gSegments[mid];
    if (s.x < column || (s.x == column && s.top <= row))
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == 0) return -1;
  const VerticalSegment& s = gSegments[lo - 1];
  return s.x == column && row >= s.top && row < s.end ? lo - 1 : -1;
}

void FreeVerticalSegments() {
  EngineFree(gSegments);
  gCount = 0;
}
