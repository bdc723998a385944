#include "shell/PagesPaneRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pages/PageStoreScoreLinks.h"

PagesPaneState& PagesPane() {
  static PagesPaneState state;
  return state;
}

namespace {

bool SameText(const char16_t* a, const char16_t* b, int units) {
  for (int i = 0; i < units; ++i) {
    if (a[i] != b[i]) return false;
    if (!a[i]) return true;
  }
  return true;
}

// Exact UTF-16 order of two score paths: negative, 0 or positive.
int CompareText(const char16_t* a, const char16_t* b, int units) {
  for (int i = 0; i < units; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) return 0;
  }
  return 0;
}

bool HeaderBetween(const PageRecord& upper, const PageRecord& lower) {
  return IsReadPageRow(upper) && IsReadPageRow(lower) && !SameText(upper.scoreName, lower.scoreName, kScoreNameUnits);
}

int Rows(const PageTable& table) { return static_cast<int>(std::min<uint32_t>(table.pageCount, kMaxPages)); }

}  // namespace

int ReadSectionStart(const PagesPaneState& pane) {
  return pane.pendingHeight + pane.dividerHeight + pane.topMargin + kReadRowsTop;
}

int ReadSectionVisibleHeight(const PagesPaneState& pane) {
  return pane.clientHeight - pane.topMargin - pane.dividerHeight - pane.bottomMargin - pane.pendingHeight;
}

PaneRowBox MeasurePageRow(const PageTable& table, const PagesPaneState& pane, int row, bool withPreview) {
  const int n = Rows(table);
  int y = pane.topMargin + kPendingRowsTop;
  if (n > 0 && IsReadPageRow(table.rows[0])) y = ReadSectionStart(pane);
  for (int i = 0; i < row && i < n; ++i) {
    const PageRecord& here = table.rows[i];
    if (!(here.flags & kPageGroupCollapsed)) y += kPaneRowHeight;
    if (i + 1 < n) {
      const PageRecord& next = table.rows[i + 1];
      if (!IsReadPageRow(here) && IsReadPageRow(next)) y = ReadSectionStart(pane);
      else if (HeaderBetween(here, next)) y += kPaneHeaderHeight;
    }
  }
  PaneRowBox box{y, y};
  if (row >= 0 && row < n && !(table.rows[row].flags & kPageGroupCollapsed))
    box.bottom = y + kPaneRowHeight + (withPreview ? pane.previewHeight : 0);
  return box;
}

void MeasurePageRows(const PageTable& table, const PagesPaneState& pane, PaneRowBox* out) {
  const int n = Rows(table);
  int y = pane.topMargin + kPendingRowsTop;
  if (n > 0 && IsReadPageRow(table.rows[0])) y = ReadSectionStart(pane);
  for (int i = 0; i < n; ++i) {
    const PageRecord& here = table.rows[i];
    const bool shown = !(here.flags & kPageGroupCollapsed);
    out[i] = PaneRowBox{y, shown ? y + kPaneRowHeight : y};
    if (shown) y += kPaneRowHeight;
    if (i + 1 < n) {
      const PageRecord& next = table.rows[i + 1];
      if (!IsReadPageRow(here) && IsReadPageRow(next)) y = ReadSectionStart(pane);
      else if (HeaderBetween(here, next)) y += kPaneHeaderHeight;
    }
  }
}

void LayOutPaneSections(const PageTable& table, PagesPaneState* pane, int clientHeight) {
  pane->clientHeight = clientHeight;
  pane->previewHeight = std::clamp(3 * pane->width / 5, 80, 480);
  const int n = Rows(table);
  int lastPending = -1;
  for (int i = 0; i < n; ++i)
    if (!IsReadPageRow(table.rows[i])) lastPending = i;
  pane->pendingExtent = 0;
  if (lastPending >= 0)
    pane->pendingExtent = MeasurePageRow(table, *pane, lastPending, false).bottom + pane->previewHeight -
                          pane->bottomMargin - kPaneRowHeight;
  pane->readExtent = 0;
  if (n > 0)
    pane->readExtent = MeasurePageRow(table, *pane, n - 1, false).bottom + pane->previewHeight -
                       pane->dividerHeight - pane->pendingHeight - pane->bottomMargin - kPaneRowHeight;
  pane->pendingScroll = std::max(0, std::min(pane->pendingScroll, pane->pendingExtent - pane->pendingHeight));
  pane->readScroll = std::max(0, std::min(pane->readScroll, pane->readExtent - ReadSectionVisibleHeight(*pane)));
}

void RecheckReadRows(PageTable* table, bool collapseOthers, const PaneScoreFacts& facts) {
  const int n = Rows(*table);
  for (int i = 0; i < n; ++i) {
    PageRecord& record = table->rows[i];
    if (!IsReadPageRow(record)) continue;
    const bool inScore = facts.inCurrentScore && facts.inCurrentScore(record.pageKey);
    const bool orphan = !record.scoreName[0] ||
                        (!inScore && !(facts.scoreFileExists && facts.scoreFileExists(record.scoreName)));
    if (orphan) {
      record.state = kPageNotRead;
      record.flags &= ~kPageReadFlagsCleared;
    } else if (inScore) {
      record.flags &= ~kPageGroupCollapsed;
    } else if (collapseOthers) {
      record.flags |= kPageGroupCollapsed;
    }
  }
}

namespace {

bool BelongsBelow(const PageRecord& upper, const PageRecord& lower) {
  if (IsReadPageRow(upper) && !IsReadPageRow(lower)) return true;
  if (!IsReadPageRow(upper) || !IsReadPageRow(lower)) return false;
  const int order = CompareText(upper.scoreName, lower.scoreName, kScoreNameUnits);
  return order > 0 || (order == 0 && upper.scorePageNumber > lower.scorePageNumber);
}

void Follow(int* const* followers, int count, int a, int b) {
  for (int k = 0; k < count; ++k) {
    int* index = followers[k];
    if (!index) continue;
    if (*index == a) *index = b;
    else if (*index == b) *index = a;
  }
}

}  // namespace

void OrderPageRows(PageTable* table, int* const* followers, int followerCount) {
  const int n = Rows(*table);
  for (bool exchanged = true; exchanged;) {
    exchanged = false;
    for (int i = 0; i + 1 < n; ++i) {
      if (!BelongsBelow(table->rows[i], table->rows[i + 1])) continue;
      std::swap(table->rows[i], table->rows[i + 1]);
      Follow(followers, followerCount, i, i + 1);
      exchanged = true;
    }
  }
}

void MovePageRow(PageTable* table, int from, int to, int* const* followers, int followerCount) {
  const int n = Rows(*table);
  if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
  const int step = to > from ? 1 : -1;
  for (int i = from; i != to; i += step) {
    std::swap(table->rows[i], table->rows[i + step]);
    Follow(followers, followerCount, i, i + step);
  }
}

int PendingDropRow(const PageTable& table, const PagesPaneState& pane, int y, int* scrollStep) {
  *scrollStep = 0;
  const int n = Rows(table);
  const int pending = std::min(n, FirstReadPageRow(table));
  if (pending == 0) return -1;
  const int areaTop = pane.topMargin + kPendingRowsTop;
  const int sectionBottom = pane.topMargin + pane.pendingHeight;
  if (y < areaTop) {
    *scrollStep = -kPaneRowHeight;
    y = areaTop;
  } else if (y >= sectionBottom) {
    *scrollStep = kPaneRowHeight;
    y = sectionBottom - 1;
  }
  const int contentY = y + pane.pendingScroll;
  std::vector<PaneRowBox> boxes(static_cast<size_t>(n));
  MeasurePageRows(table, pane, boxes.data());
  int last = -1;
  for (int i = 0; i < pending; ++i) {
    const PaneRowBox& box = boxes[size_t(i)];
    if (box.bottom == box.top) continue;
    if (contentY >= box.top && contentY < box.bottom) return i;
    if (contentY >= box.top) last = i;
  }
  return last >= 0 ? last : 0;
}

int HitTestPageRow(const PageTable& table, const PagesPaneState& pane, int x, int y, bool withPreview,
                   bool* onHeader) {
  if (onHeader) *onHeader = false;
  if (x < pane.leftMargin) return -1;
  const bool pendingSection = y < pane.topMargin + pane.pendingHeight;
  const int contentY = y + (pendingSection ? pane.pendingScroll : pane.readScroll);
  const int n = Rows(table);
  // The expanded row lies over the rows below it.
  if (withPreview && pane.hoverRow >= 0 && pane.hoverRow < n &&
      IsReadPageRow(table.rows[pane.hoverRow]) != pendingSection) {
    const PaneRowBox box = MeasurePageRow(table, pane, pane.hoverRow, true);
    if (contentY >= box.top && contentY < box.bottom) return pane.hoverRow;
  }
  std::vector<PaneRowBox> boxes(static_cast<size_t>(n));
  MeasurePageRows(table, pane, boxes.data());
  for (int i = 0; i < n; ++i) {
    const PageRecord& record = table.rows[i];
    if (IsReadPageRow(record) == pendingSection) continue;
    const PaneRowBox& box = boxes[size_t(i)];
    const bool firstOfGroup = IsReadPageRow(record) && (i == 0 || !IsReadPageRow(table.rows[i - 1]) ||
                                                        HeaderBetween(table.rows[i - 1], record));
    if (firstOfGroup && contentY >= box.top - kPaneHeaderHeight && contentY < box.top) {
      if (onHeader) *onHeader = true;
      return i;
    }
    if (contentY >= box.top && contentY < box.bottom) return i;
  }
  return -1;
}

ProgressBar ReadingProgressBar(int rowWidth, int done, int total, bool cancelling, bool preparing) {
  ProgressBar bar;
  bar.width = preparing ? std::max(0, rowWidth) : ProgressBarWidth(rowWidth, done, total);
  bar.look = cancelling ? ProgressLook::kCancelling : preparing ? ProgressLook::kPreparing : ProgressLook::kReading;
  return bar;
}

int ProgressBarWidth(int rowWidth, int done, int total) {
  const int64_t whole = std::max(1, total);
  const int64_t part = std::clamp<int64_t>(done, 0, whole);
  return static_cast<int>(rowWidth * part / whole);
}
