// Whether a stave of the page's staff list holds any music on the current
// score page: the stave name labels and the editor name a blank stave by
// its part's own name.
#pragma once

#include <cstdint>

// The range of part slot's stream that the current score page holds: from
// the page's start to the next page's start (the stream's used length on
// the last page). Empty without a current page.
struct PageStreamRange {
  uint32_t start = 0;
  uint32_t end = 0;
};
PageStreamRange CurrentPageRange(int slot);

// True when the stream bytes [start, end) hold only bar lines, bar
// boundaries, page marks and end marks (or nothing at all).
bool HoldsOnlyBarAndPageMarks(const uint8_t* stream, uint32_t start, uint32_t end);

// Stave n of the page's staff list is blank on the current page: its part
// holds only bar boundaries, page marks and end marks there, and no earlier
// stave of the list shows the same part. False for a part beyond the count.
bool StaveIsBlankOnPage(int32_t n);
// The stave and every stave joined to it in one part (up and down) are blank.
bool StaveGroupIsBlankOnPage(int32_t n);
