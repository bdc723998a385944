#include "shell/ScoreViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t kSmallestStripUnits = 60;
constexpr int32_t kLargestStripUnits = 120;
constexpr int32_t kScrollBarRoom = 16;
// Room the fit leaves beside the page for the view's margin and bar.
constexpr int32_t kFitSideRoom = 104;

// The largest candidate 2 x distance - 32 over the neighbours that sameGroup
// admits; -1 when none does.
int32_t LargestNeighbourCandidate(const StaveRecord* staves, int count, bool sameGroup) {
  int32_t best = -1;
  for (int s = 0; s + 1 < count; ++s) {
    const StaveRecord& a = staves[s];
    const StaveRecord& b = staves[s + 1];
    if (sameGroup && a.group != b.group) continue;
    const int32_t distance = std::abs(int32_t(b.top) - int32_t(a.top));
    best = std::max(best, 2 * distance - 32);
  }
  return best;
}

}  // namespace

bool ZoomWithinLimits(double scale) { return scale >= kSmallestZoom && scale <= kLargestZoom; }

double ClampZoom(double scale) {
  if (!(scale >= kSmallestZoom)) return kSmallestZoom;  // also a NaN
  return std::min(scale, kLargestZoom);
}

double FitZoomFactor(const FitZoomInputs& in) {
  const double width = std::max(in.pageWidth, 0.0) + 1.0;
  double height = std::max(in.pageHeight, 0.0) + 1.0;
  if (in.stripUnits != kStripHidden) height += in.stripUnits;
  const double across = double(in.viewClientWidth - kFitSideRoom) / width;
  const double down = double(in.childClientHeight - kScoreToolbarHeight) / height;
  return std::min(std::min(across, down) - 0.001, kLargestZoom);
}

int32_t ScanStripUnits(const StaveRecord* staves, int count) {
  if (!staves || count < 2) return kLargestStripUnits;
  int32_t best = LargestNeighbourCandidate(staves, count, true);
  if (best < 0) best = LargestNeighbourCandidate(staves, count, false);
  return std::clamp(best, kSmallestStripUnits, kLargestStripUnits);
}

int32_t ScanStripPixels(int32_t stripUnits, double scale, int32_t childClientHeight) {
  if (stripUnits == kStripHidden) return 0;
  const double half = double(childClientHeight - kScoreToolbarHeight) / 2.0;
  return std::max<int32_t>(0, int32_t(std::trunc(std::min(stripUnits * scale, half))));
}

ViewScrollRanges ComputeViewScrollRanges(int32_t contentWidth, int32_t contentHeight, int32_t clientWidth,
                                         int32_t clientHeight) {
  ViewScrollRanges r;
  r.horizontal = contentWidth;
  r.vertical = contentHeight;
  if (clientWidth >= contentWidth) {
    if (clientHeight < contentHeight) {
      r.horizontal += kScrollBarRoom;
      if (clientWidth < r.horizontal) r.vertical += kScrollBarRoom;
    }
  } else {
    r.vertical = contentHeight + kScrollBarRoom;
    if (clientHeight < contentHeight + kScrollBarRoom) r.horizontal += kScrollBarRoom;
  }
  r.maxX = std::max(r.horizontal - clientWidth, 0);
  r.maxY = std::max(r.vertical - clientHeight, 0);
  return r;
}

int32_t ScrollTargetFor(int request, int32_t position, int32_t range, int32_t pageSize, int32_t thumb) {
  int32_t target = position;
  const int32_t page = std::max(pageSize, 1);
  switch (request) {
    case kScrollLineUp: target = position - kScrollLine; break;
    case kScrollLineDown: target = position + kScrollLine; break;
    case kScrollPageUp: target = position - page; break;
    case kScrollPageDown: target = position + page; break;
    case kScrollThumbPosition:
    case kScrollThumbTrack: target = thumb; break;
    case kScrollTop: target = 0; break;
    case kScrollBottom: target = range; break;
    case kScrollKeepPosition: target = position; break;
    default: return -1;
  }
  return std::clamp(target, 0, std::max(range, 0));
}

ScrollPageTurn PageTurnOfScroll(int request, int32_t oldPosition, int32_t newPosition, int currentPage,
                                int pageCount) {
  ScrollPageTurn turn;
  if (oldPosition != newPosition) return turn;
  if (request == kScrollPageUp && currentPage > 1 && currentPage <= pageCount) {
    turn.page = currentPage - 1;
  } else if (request == kScrollPageDown && currentPage >= 1 && currentPage < pageCount) {
    turn.page = currentPage + 1;
    turn.toTop = true;
  }
  return turn;
}

int StepScorePage(int currentPage, int delta, int pageCount) {
  if (pageCount <= 0) return 0;
  return std::clamp(currentPage + delta, 1, pageCount);
}

ChildCommand ClassifyChildCommand(int id, int partCount) {
  if (partCount < 1 || id < 1) return ChildCommand::kNotOurs;
  if (id == partCount) return ChildCommand::kPartDialog;
  return id < partCount ? ChildCommand::kStave : ChildCommand::kNotOurs;
}

int32_t StripFollowedRow(const int32_t* middles, int count, double scale, int32_t scrollY, int32_t linkedRow) {
  if (count <= 0 || !middles) return -1;
  if (linkedRow >= 0 && linkedRow < count) return linkedRow;
  for (int i = 0; i < count; ++i) {
    if (middles[i] * scale >= scrollY) return i;
  }
  return count - 1;
}

int32_t DetailTopForRow(int32_t rowY, double scale, int32_t stripPixels, int32_t viewTop, int32_t scrollY,
                        int32_t minTop, int32_t maxTop) {
  const int32_t top = viewTop + int32_t(std::lround(rowY * scale)) - scrollY + 140 + stripPixels / 2 - 6;
  return maxTop < minTop ? minTop : std::clamp(top, minTop, maxTop);
}
