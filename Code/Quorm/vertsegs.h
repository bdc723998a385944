// The page's vertical black runs, column by column: every maximal run of
// black pixels in one column that ends above the bottom row (a run that
// starts in the top row is kept). Sorted by column, then from the top down.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/EngineHost.h"

struct VerticalSegment {
  int32_t x;
  int32_t top;    // first black row
  int32_t end;    // first white row below the run
  uint8_t mark1;  // marks of the staff verification; 0 when built
  uint8_t mark2;
  uint8_t mark3;  // also read by the slur finder
};

// Results of BuildVerticalSegments.
constexpr int32_t kSegmentsBuilt = 0;    // built now or already present
constexpr int32_t kSegmentsStopped = 1;  // the continue callback answered 0; no table is left
constexpr int32_t kNoSegments = 2;       // the page has none: code kCodeNoSegments
constexpr char kCodeNoSegments[] = "Xnovsegs";

// keepGoing may be null; it is asked before every column of both passes.
int32_t BuildVerticalSegments(ContinueCallback keepGoing);
int32_t GetVerticalSegmentCount();
VerticalSegment* GetVerticalSegment(int32_t index);  // checked
void SetSegmentMark1(int32_t index);
void SetSegmentMark2(int32_t index);
void SetSegmentMark3(int32_t index);
int32_t HasSegmentMark3(int32_t index);
void ClearSegmentMarks();
// Index of the segment of that column whose rows top..end-1 hold the row;
// -1 when none.
int32_t FindVerticalSegment(int32_t column, int32_t row);
void FreeVerticalSegments();
