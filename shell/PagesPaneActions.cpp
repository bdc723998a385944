#include "shell/PagesPaneActions.h"

#include <algorithm>
#include <mutex>

#include "pages/PageData.h"
#include "pages/PageStoreScoreLinks.h"
#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "reading/StaveLocating.h"
#include "platform/FileLayer.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/PagesPaneRows.h"
#include "shell/ShellServices.h"

namespace {

bool InCurrentScore(uint32_t key) { return ScorePageOfKey(key) != 0; }

bool ValidRow(int row) { return row >= 0 && static_cast<uint32_t>(row) < pageTable.pageCount; }

}  // namespace

int RefreshPageRows(bool collapseOthers, int rowToShow) {
  std::lock_guard<std::mutex> lock(PageTableLock());
  RecheckReadRows(&pageTable, collapseOthers, PaneScoreFacts{InCurrentScore, FileExists});
  int reading = ReadingActive() ? Reading().pageIndex : -1;
  int shown = pageTable.currentPage;
  int* followers[] = {&rowToShow, &shown, &reading};
  OrderPageRows(&pageTable, followers, 3);
  pageTable.currentPage = shown;
  if (ReadingActive()) Reading().pageIndex = reading;
  return rowToShow;
}

bool TickPageRows(int row) {
  if (!ValidRow(row)) return false;
  std::lock_guard<std::mutex> lock(PageTableLock());
  PageRecord& clicked = pageTable.rows[row];
  const uint32_t tick = (clicked.flags & kPageSelected) ? 0u : kPageSelected;
  auto set = [tick](PageRecord& record) {
    record.flags = ((record.flags & ~kPageSelected) | tick) & 0xFFFFu & ~kPageWantsPosition;
  };
  if (clicked.flags & kPagePaneMark) {
    for (int i = 0, firstRead = FirstReadPageRow(); i < firstRead; ++i)
      if (pageTable.rows[i].flags & kPagePaneMark) set(pageTable.rows[i]);
  } else {
    set(clicked);
  }
  return true;
}

int RemovePageRows(int row) {
  if (!ValidRow(row)) return 0;
  const bool reading = ReadingActive() != 0;
  auto remove = [reading](int index) {
    std::lock_guard<std::mutex> lock(PageTableLock());
    if (reading && index == Reading().pageIndex) return false;
    RemoveScannedPage(index, false);
    if (reading && index < Reading().pageIndex) Reading().pageIndex -= 1;
    return true;
  };
  if (!(pageTable.rows[row].flags & kPagePaneMark)) return remove(row) ? 1 : 0;
  int removed = 0;
  for (int i = static_cast<int>(pageTable.pageCount) - 1; i >= 0; --i)
    if ((pageTable.rows[i].flags & kPagePaneMark) && remove(i)) ++removed;
  return removed;
}

bool TogglePaneMark(int16_t scanId) {
  std::lock_guard<std::mutex> lock(PageTableLock());
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    if (pageTable.rows[i].scanId != scanId) continue;
    pageTable.rows[i].flags ^= kPagePaneMark;
    return true;
  }
  return false;
}

void PageRowTitle(int row, char16_t* out, int units) {
  if (units <= 0) return;
  out[0] = 0;
  if (!ValidRow(row)) return;
  const PageRecord& record = pageTable.rows[row];
  const char16_t* prefix = u"";
  if (IsReadPageRow(record) && (record.flags & kPageModified)) prefix = u"* ";
  else if (!IsReadPageRow(record) && (record.flags & kPageHandwritten)) prefix = u"[H] ";
  int n = 0;
  for (const char16_t* p = prefix; *p && n + 1 < units; ++p) out[n++] = *p;
  for (int i = 0; i < kPageNameUnits && record.name[i] && n + 1 < units; ++i) out[n++] = record.name[i];
  out[n] = 0;
}

namespace {

constexpr unsigned kStrNoStaves = 10027, kStrNoHandwrittenStaves = 10694, kStrOnlyPercussionStaves = 10455;

// The narrow-stave advice for the staves stored with row's page.
void ShowNarrowStaveAdvice(int row) {
  static PageData page;
  LoadPageData(&page, row);
  StaveRow rows[kStaveSlots];
  const int count = static_cast<int>(std::min<uint32_t>(page.staveCount, kStaveSlots));
  for (int s = 0; s < count; ++s) rows[s] = StaveRowFromRecord(page.staves[s]);
  char16_t text[1024];
  const int resolution = pageTable.rows[row].resolution > 0 ? pageTable.rows[row].resolution : 300;
  if (!NarrowStaveAdvice(text, 1024, rows, count, resolution, pageTable.rows[row].name)) ErrorBox(nullptr, text);
}

}  // namespace

void ReportPageProblem(int row) {
  if (!ValidRow(row)) return;
  const uint32_t flags = pageTable.rows[row].flags;
  if (!(flags & kPageHasProblem)) return;
  switch ((flags & kPageProblemCodeMask) >> kPageProblemCodeShift) {
    case kProblemNoStaves:
      MessageById(nullptr, Unsaved().readHandwritten ? kStrNoHandwrittenStaves : kStrNoStaves);
      break;
    case kProblemStavePositions:
      if (Global().showBadStavesWarning) CurrentShellServices().showNotice(IDD_STAVE_POSITIONS_NOTICE, nullptr);
      break;
    case kProblemOnlyPercussion:
      MessageById(nullptr, kStrOnlyPercussionStaves);
      break;
    case kProblemNarrowStaves:
      ShowNarrowStaveAdvice(row);
      break;
    default:
      break;
  }
  std::lock_guard<std::mutex> lock(PageTableLock());
  pageTable.rows[row].flags &= ~(kPageHasProblem | kPageProblemCodeMask);
}

namespace {

// The row of score page scorePage (from 1); -1 for none.
int RowOfScorePage(int scorePage) {
  if (scorePage < 1 || scorePage > ScorePages.count || scorePage > kMaxScorePages) return -1;
  const uint32_t key = ScorePages.rows[scorePage - 1].key;
  for (uint32_t i = 0; i < pageTable.pageCount; ++i)
    if (pageTable.rows[i].pageKey == key) return static_cast<int>(i);
  return -1;
}

}  // namespace

void ReportPageProblemIfAny(int scorePage) {
  const int row = RowOfScorePage(scorePage);
  if (row < 0) return;
  if (pageTable.rows[row].flags & kPageManyErrors) {
    if (Global().showAccuracyWarning) CurrentShellServices().showNotice(IDD_ACCURACY_NOTICE, nullptr);
    std::lock_guard<std::mutex> lock(PageTableLock());
    pageTable.rows[row].flags &= ~kPageManyErrors;
  }
  ReportPageProblem(row);
}

bool ClearPageModifiedMark(int scorePage) {
  const int row = RowOfScorePage(scorePage);
  if (row < 0) return false;
  std::lock_guard<std::mutex> lock(PageTableLock());
  pageTable.rows[row].flags &= ~kPageModified;
  return true;
}
