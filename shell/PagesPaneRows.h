// The pages pane's rows: one per page record, in table order. Pending pages
// come first, then the read pages grouped by the score they were read into.
// Geometry (where each row lies, how far each section scrolls), the order of
// the rows and the hit test; the window draws and routes the mouse.
#pragma once

#include <cstdint>

#include "pages/PageTable.h"

// Row flags of the pane besides those of the page table.
constexpr uint32_t kPageGroupCollapsed = kPageNotInScore;  // bit 3: the row takes no height
constexpr uint32_t kPageReadFlagsCleared = (1u << 3) | (1u << 4) | (1u << 5) | kPageProblemCodeMask;

constexpr int kPaneRowHeight = 16;
constexpr int kPaneHeaderHeight = 18;
constexpr int kPendingRowsTop = 56;    // below the heading and the "Read as:" lines
constexpr int kReadRowsTop = 38;       // the read heading and the first score header
constexpr int kClosedPaneWidth = 4;
constexpr int kOpenedPaneWidth = 260;
constexpr int kNarrowestPane = 64;

struct PagesPaneState {
  int width = 320;
  int hoverRow = -1;
  int hoverChoice = -1;
  int hoverHeader = -1;
  int previewHeight = 160;
  int edgeWidth = 5;
  int topMargin = 1;
  int bottomMargin = 2;
  int leftMargin = 4;
  int dividerHeight = 6;
  int pendingHeight = 300;
  int hotZone = 0;   // 1 page preview, 2 score preview, 3 tick box, 4 "Remove"
  int dragMode = 0;  // 1 the right edge, 2 the divider, 3 a pending row
  int pendingScroll = 0, readScroll = 0, horizontalScroll = 0;
  int pendingExtent = 0, readExtent = 0;
  int clientHeight = 0;
};
PagesPaneState& PagesPane();

inline bool IsReadPageRow(const PageRecord& record) { return record.state >= 2; }

// Top and bottom of a row in content coordinates (before its section's
// scroll); bottom == top for a collapsed row.
struct PaneRowBox {
  int top = 0, bottom = 0;
};
PaneRowBox MeasurePageRow(const PageTable& table, const PagesPaneState& pane, int row, bool withPreview);
// The boxes of every row (without previews) in one pass: out holds
// table.pageCount boxes.
void MeasurePageRows(const PageTable& table, const PagesPaneState& pane, PaneRowBox* out);
// Where the read section's first row would start.
int ReadSectionStart(const PagesPaneState& pane);
int ReadSectionVisibleHeight(const PagesPaneState& pane);

// Preview height, extents and the two scroll positions for a client area of
// clientHeight pixels.
void LayOutPaneSections(const PageTable& table, PagesPaneState* pane, int clientHeight);

// Step 1 of a refresh: read rows without a score, or of a score that no
// longer holds them and whose file is gone, go back to pending; rows of the
// current score are expanded, others collapsed with collapseOthers.
struct PaneScoreFacts {
  bool (*inCurrentScore)(uint32_t pageKey);
  bool (*scoreFileExists)(const char16_t* path);
};
void RecheckReadRows(PageTable* table, bool collapseOthers, const PaneScoreFacts& facts);
// Step 2: neighbour exchanges until none is left: pending rows first in
// their own order, read rows grouped by score path (exact comparison) and
// ordered by their list number. Each index in followers (null entries
// skipped, -1 for none) keeps pointing at its record.
void OrderPageRows(PageTable* table, int* const* followers, int followerCount);

// Moves the record of row from to row to, the records between shifting by
// one; each index in followers (as for OrderPageRows) keeps pointing at its
// record. Rows outside the table move nothing.
void MovePageRow(PageTable* table, int from, int to, int* const* followers, int followerCount);

// Where a pending row dragged to window height y goes: the pending row under
// y (without previews), or the first or last pending row when y lies above
// the pending rows' area or below the pending section, with *scrollStep then
// -16 or +16 (the section scrolls on); -1 when there is no pending row.
int PendingDropRow(const PageTable& table, const PagesPaneState& pane, int y, int* scrollStep);

// The row under a content-free window point (x, y) of the pane, -1 for none;
// onHeader tells a score header (whose first row is the result).
int HitTestPageRow(const PageTable& table, const PagesPaneState& pane, int x, int y, bool withPreview, bool* onHeader);

// Width of the progress bar over a row: done of total, never dividing by 0.
int ProgressBarWidth(int rowWidth, int done, int total);
// The bar over the row being read: red once a cancel was asked for, pale
// yellow while the reading prepares the page (its staves not yet known; the
// bar then fills the row, as nothing is done of the reading yet), green with
// the reading's progress otherwise.
enum class ProgressLook { kReading, kPreparing, kCancelling };
struct ProgressBar {
  int width = 0;
  ProgressLook look = ProgressLook::kReading;
};
ProgressBar ReadingProgressBar(int rowWidth, int done, int total, bool cancelling, bool preparing);
