// The score page painter: draws the current page of the score (every part's
// stream, staff by staff, system by system) through the drawing state, and
// fills the score view's item index and stave rows as it goes. A layout-only
// call (LayoutOnlyFlag set) draws nothing and fills the index exactly as a
// paint does.
#pragma once

#include <cstdint>
#include <string>

#include "render/DrawDevice.h"
#include "render/DrawingState.h"
#include "score/ItemIndex.h"

// Rows of the bar-line table, the staff-row table and the page's staff list:
// no staff row is laid out beyond them.
constexpr int kStaffRowCapacity = 128;
constexpr int kBarLineSlotsPerRow = 40;
constexpr int kPaintPassLimit = 10;
constexpr int32_t kPageTopMargin = 60;
constexpr int32_t kPageLeftMargin = 60;

struct StaffRowEntry {
  int32_t middle;     // the middle line, distance below the page top
  int32_t itemCount;  // ItemIndexCount at the end of the row
};

struct PageStaffEntry {
  int32_t left;
  int32_t middle;
  int32_t part;
  int32_t system;
};

// What the views set before a paint.
struct ScorePainterSettings {
  bool showVoiceNumbers = false;
  bool showAttachment = false;
  bool showBadTiming = false;
  bool shadeUnhighlighted = false;
  bool pageViewMode = false;
  bool printGuitarTabRhythm = false;
  bool useKeypadColours = false;
  bool barAlignmentRequest = false;
  // The score window asks for its page's bars to be re-laid out after a
  // drawing pass (RelayoutAfterRender); every paint clears it.
  bool relayoutRequest = false;
  int32_t firstVisibleRow = 0;  // the staff rows shown in the page-view mode
  int32_t lastVisibleRow = 0;
  int32_t viewWidth = 0;        // the score view in pixels
  int32_t viewHeight = 0;
  int32_t editedStave = -1;
  double imageStripHeight = 0;  // the scan strip's height in world units; 0 hidden
  double pageBoxPercent = 100.0;  // the page view's zoom: stored boxes to world x
};
ScorePainterSettings& PainterSettings();
// The editor asks, after it moved items within their bars, that the next
// paint put the page's bars in the x order of their rows and lay them out
// again (RelayoutAfterRender) once it has drawn them; that paint clears it.
void RequestRelayoutAfterRender();

// Kept from one paint to the next.
struct ScorePainterTables {
  StaffRowEntry staffRows[kStaffRowCapacity];
  int32_t staffRowCount = 0;
  PageStaffEntry pageStaves[kStaffRowCapacity];
  int32_t pageStaffCount = 0;
  bool pageStavesChanged = false;
  int32_t barLineX[kStaffRowCapacity][kBarLineSlotsPerRow];
  bool barMoved = false;
  bool lastAlignmentMoved = false;
  int32_t passes = 0;  // passes made by the last call
  // The painted extent of the page (world units), by which the view scrolls:
  // the rightmost x and the lowest bottom the walk reached.
  int32_t extentRight = 0;
  int32_t extentBottom = 0;
  // The same made relative to the scroll position for the score window's
  // scroll range (set by on-screen paints outside the page-view mode).
  int32_t scrollRight = 0;
  int32_t scrollBottom = 0;
};
ScorePainterTables& PainterTables();

// The painted extents relative to the scroll position (right - scroll x;
// scroll y - bottom, upward), kept at least a view beyond it: a bottom inside
// the view becomes -16 - the view's height, a right extent short of the
// view's width becomes the width - 16.
struct ScrollExtents {
  int32_t right;
  int32_t bottom;
};
ScrollExtents ScrollExtentsFor(int32_t extentRight, int32_t extentBottom, int32_t scrollX, int32_t scrollY,
                               int32_t viewWidth, int32_t viewHeight);
void ResetPainterTables();

// Draws the current score page. printDevice is the printer's device when
// printing (on screen the drawing state's device is the target); rect the
// paint rectangle in device pixels; reserved has no effect.
void PaintScorePage(int32_t scrollX, int32_t scrollY, render::DrawDevice* printDevice, const DeviceRect& rect,
                    uint32_t printing, int32_t reserved);
// The editor's route: the item count set to 0 and a layout-only pass over
// the rectangle 0, 0, 100, 100.
void RebuildItemIndexLayout();

// ---- Item index rows (the view's index, TheScoreViewItems) ----
// Writes the row at the item count (never past the last row), raises the
// count (at most the capacity) and the staff row's extent.
void AppendItemIndexRow(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t staff, uint32_t part,
                        uint32_t offset);
// Overwrites the box and staff of an existing row; bottom + 1.
int32_t SetItemIndexRow(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t staff, int32_t row);
void ShiftItemIndexRow(int32_t a, int32_t b, int32_t c, int32_t d, int32_t staff, int32_t row);

// The printer's sheet for the print branch of PaintScorePage.
struct PrinterCaps;
void SetPrinterSheet(const PrinterCaps& caps);

// Where a page text goes when its measured width (box units) is 4 or more
// off its stored box, on a page pageWidth box units wide: moved is false
// (and left the box's) when it is not.
struct PageTextFit {
  bool moved;
  int32_t left;
};
PageTextFit FitPageTextToBox(int32_t boxLeft, int32_t boxRight, int32_t measured, int32_t pageWidth);

// Bar lines of one system end at the rightmost x any of its staves needed.
void AlignBarLineX(double& x, int32_t row, int32_t& number);

