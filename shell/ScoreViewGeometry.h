// The score window's arithmetic: zoom steps and snapping, the fit zoom, the
// scan strip's height, the scroll ranges of a view, scroll steps and the
// page turns they cause, and which child commands are stave-menu choices.
// Plain numbers only; the windows apply them (shell/win32/ScoreWindow.cpp).
#pragma once

#include <cstdint>

#include "score/StaveTypes.h"

constexpr double kSmallestZoom = 0.1;
constexpr double kLargestZoom = 8.0;
// "Zoom to 100%": the scale a page is read at.
constexpr double kHundredPercentZoom = 1.33;
constexpr double kZoomInFactor = 4.0 / 3.0;
constexpr double kZoomOutFactor = 0.75;
constexpr int kScoreToolbarHeight = 26;
// The strip height that means "no strip".
constexpr int32_t kStripHidden = 0x10000;
constexpr int32_t kScrollLine = 16;
// A scroll request that takes the bar's position as it stands.
constexpr int kScrollKeepPosition = 0x8000;

// Snapping near 1.0, 1.33 and 2.0 is the drawing layer's (SnapScoreZoom).
// Both ends allowed.
bool ZoomWithinLimits(double scale);
double ClampZoom(double scale);

struct FitZoomInputs {
  double pageWidth = 0;   // the page in world units at scale 1
  double pageHeight = 0;
  int32_t stripUnits = kStripHidden;  // the strip's height before zoom, or hidden
  int32_t viewClientWidth = 0;
  int32_t childClientHeight = 0;
};
// The scale at which the whole page fits the view (at most the largest zoom;
// not clamped below).
double FitZoomFactor(const FitZoomInputs& in);

// The strip's height in score units from the page's staves: twice the
// distance to a neighbour of the same group, less 32, the largest such,
// within 60..120; over all neighbours when no stave has one of its group;
// 120 below two staves.
int32_t ScanStripUnits(const StaveRecord* staves, int count);
// The strip on screen: 0 when hidden, else the zoomed height, at most half of
// what lies below the toolbar.
int32_t ScanStripPixels(int32_t stripUnits, double scale, int32_t childClientHeight);

// The staff row whose stave the scan strip shows: the linked item's row when
// there is one (linkedRow >= 0), else the first of the count rows whose
// middle (middles[i], page units) lies at or below the top of the view
// scrolled to scrollY pixels at scale, else the last row; -1 without rows.
int32_t StripFollowedRow(const int32_t* middles, int count, double scale, int32_t scrollY, int32_t linkedRow);

// The Detail window's top (screen pixels) that follows a staff row rowY page
// units down the page: rowY x scale + 140 + half the strip below the score
// view's top (viewTop, screen pixels, scrolled by scrollY), raised by 6,
// kept within [minTop, maxTop].
int32_t DetailTopForRow(int32_t rowY, double scale, int32_t stripPixels, int32_t viewTop, int32_t scrollY,
                        int32_t minTop, int32_t maxTop);

// The largest scroll positions for content of contentWidth x contentHeight in
// a client of clientWidth x clientHeight, with room for the other bar.
struct ViewScrollRanges {
  int32_t horizontal = 0;  // the bar's range
  int32_t vertical = 0;
  int32_t maxX = 0;  // the largest position
  int32_t maxY = 0;
};
ViewScrollRanges ComputeViewScrollRanges(int32_t contentWidth, int32_t contentHeight, int32_t clientWidth,
                                         int32_t clientHeight);

// The Windows scroll-bar request codes the score view takes.
enum ScrollRequest {
  kScrollLineUp = 0,
  kScrollLineDown = 1,
  kScrollPageUp = 2,
  kScrollPageDown = 3,
  kScrollThumbPosition = 4,
  kScrollThumbTrack = 5,
  kScrollTop = 6,
  kScrollBottom = 7,
  kScrollEnd = 8,
};
// The new position for a request on a bar at position within 0..range, a page
// being pageSize; -1 when the request moves nothing (its end, codes above
// kScrollKeepPosition).
int32_t ScrollTargetFor(int request, int32_t position, int32_t range, int32_t pageSize, int32_t thumb);

// A page-up at the top or a page-down at the bottom of the view turns the
// score page: the page to show (from 1) and whether to show its top, or 0.
struct ScrollPageTurn {
  int page = 0;
  bool toTop = false;
};
ScrollPageTurn PageTurnOfScroll(int request, int32_t oldPosition, int32_t newPosition, int currentPage, int pageCount);

// The score toolbar's page steps: the page a step of delta lands on, kept
// within 1..pageCount; 0 when there are no pages.
int StepScorePage(int currentPage, int delta, int pageCount);

// The stave menu of the score view numbers its parts 1..partCount-1 and ends
// with partCount (the part dialog); any other id is not its own.
enum class ChildCommand { kNotOurs, kStave, kPartDialog };
ChildCommand ClassifyChildCommand(int id, int partCount);
