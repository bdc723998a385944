// The page view's numbers: the zoom that fits a page into the workspace, the
// wheel's zoom steps, the scrollable size, the caption, and the limits an
// edited stave is kept within.
#pragma once

#include <cstdint>

#include "score/StaveTypes.h"

constexpr int kPageToolbarHeight = 26;
constexpr int kSmallestWheelZoom = 10, kLargestWheelZoom = 897;

// The zoom (per cent, 1..999) that fits an image into a workspace of
// clientWidth x clientHeight (the page toolbar above the view). 1 for an
// empty workspace, 100 for an empty image.
int ZoomToFit(int clientWidth, int clientHeight, int imageWidth, int imageHeight);
// One wheel notch with Ctrl: toward the user 4/3, away 3/4, truncated; the
// zoom unchanged when the step leaves 10..897.
int WheelZoom(int zoom, bool towardUser);

struct ScrollExtent {
  int width, height;
};
ScrollExtent PageViewExtent(uint32_t imageWidth, uint32_t imageHeight, int zoom);

// The page's name as its views show it: a four-character extension cut
// (when the fifth unit from the end is "."); out holds units characters.
void PageNameForViews(const char16_t* name, char16_t* out, int units);

// "name (page n of count) - at zoom%", or "name (Preview) - at zoom%" while
// scanning; out holds units characters.
void ComposePageViewCaption(const char16_t* name, int pageNumber, int pageCount, int zoom, bool scanning, char16_t* out,
                            int units);

// Keeps stave i of staves (count of them) on an image of width x height at
// resolution dpi: at least two inches wide, 40 pixels to an inch high,
// between its neighbours and inside the page; middle and right points within
// it and its slope from the top line's ends.
void ClampStave(StaveRecord* staves, int count, int i, int dpi, int width, int height);

// What a drag over the page view does to a stave.
enum StaveDragMode : int {
  kNoStaveDrag = -1,
  kMoveStave = 0,
  kDragRightEnd = 1,
  kDragLeftEnd = 2,
  kDragTopMiddle = 3,
  kDragBottomLine = 4,
  kDrawNewStave = 5,   // the first step of a stave being drawn
  kSizeNewStave = 6,   // the stave being drawn, sized by the pointer
};

// The stave as it was when the drag began, with the pointer's offset (dx,
// dy) in image pixels applied as the mode says: the whole stave, one end, the
// middle of its top line or its bottom line. (A new stave is sized from the
// press point and the pointer: InsertDrawnStave, SizeDrawnStave.)
StaveRecord DraggedStave(int mode, const StaveRecord& start, int dx, int dy);

// The page the page toolbar's previous (step -1) or next (+1) button shows
// after row current of count rows: the neighbouring row, or with
// throughProblems the nearest row in that direction among problems (rows on
// which locating the staves reported a problem). -1 when there is none.
int SteppedPage(int current, int count, int step, bool throughProblems, const int32_t* problems, int problemCount);
