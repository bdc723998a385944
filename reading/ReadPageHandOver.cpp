#include "reading/ReadPageHandOver.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "pages/PageData.h"
#include "pages/PageStoreScoreLinks.h"
#include "pages/PageTable.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "reading/ReadingThread.h"
#include "reading/ScoreTitle.h"
#include "reading/StaveSpacing.h"
#include "score/MeterAtPage.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileBackup.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"

namespace {

HandOverHooks hooks{};

}  // namespace

HandOverHooks& CurrentHandOverHooks() { return hooks; }

namespace {

void MarkScoreModified() { CurrentScoreFileHooks().setScoreSaved(0); }
void WriteReadPageStaves() { SavePageStaves(Reading().pageIndex, false, readPage); }
void ForceBackup() { AutoSaveBackup(1); }

}  // namespace

void ConnectHandOverToScore() {
  hooks.setScoreModified = MarkScoreModified;
  hooks.findMeterAtPage = FindMeterAtPage;
  hooks.writePageStaveData = WriteReadPageStaves;
  hooks.numberPagesInList = NumberPagesInList;
  hooks.autoSaveBackup = ForceBackup;
}

bool MergePageStreams(StreamSet* score, StreamSet* work, uint32_t (*pageStarts)[kPageStartSlots], int pageCount,
                      int position, PageStreamFinisher finish) {
  if (!score || !work || !pageStarts || !finish || pageCount < 0 || pageCount >= kMaxScorePages) return false;
  position = std::clamp(position, 1, pageCount + 1);
  // Every stream grows first, so that a shortage changes nothing: the room
  // the finisher leaves, and at least the page's items, its page mark and
  // the end mark.
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const uint32_t need = std::max(kPageStreamRoom, StreamUsedLength(*work, slot) + 2);
    if (!GrowStream(score, slot, need)) return false;
  }
  // With that room the finisher cannot fail; it leaves each stream without
  // its end mark and records the stream's end as the new last page's start.
  if (!finish(score, pageStarts, pageCount + 1)) return false;
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const uint32_t n = StreamUsedLength(*work, slot);
    const uint32_t used = StreamUsedLength(*score, slot);
    const uint32_t o = std::min(pageStarts[position - 1][slot], used);
    const uint32_t inserted = n + 1;
    uint8_t* bytes = StreamBytes(*score, slot);
    std::memmove(bytes + o + inserted, bytes + o, used - o);
    if (n) std::memcpy(bytes + o, StreamBytes(*work, slot), n);
    bytes[o + n] = kPageMark;
    bytes[used + inserted] = kEndOfScore;
    score->used[slot] = used + inserted + 1;
    // Later pages move up one page slot and by the inserted length.
    for (int k = pageCount; k >= position; --k) pageStarts[k][slot] = pageStarts[k - 1][slot] + inserted;
    pageStarts[position - 1][slot] = o;
  }
  for (int slot = 0; slot < kPartSlots; ++slot) {
    FreeHandle(&work->block[slot]);
    work->used[slot] = 0;
  }
  return true;
}

void AddReadPageToScore() {
  ReadingState& state = Reading();
  ShowReadingNotices();
  PageRecord* record = nullptr;
  if (state.pageIndex >= 0 && static_cast<uint32_t>(state.pageIndex) < pageTable.pageCount)
    record = &pageTable.rows[state.pageIndex];
  bool merged = false;
  if (record && state.pageHasItems && !Flags().abort && ScorePages.count < kMaxScorePages) {
    const int pages = ScorePages.count;
    const int position = static_cast<int>(std::clamp<uint32_t>(state.scorePosition, 1, uint32_t(pages) + 1));
    if (MergePageStreams(&ScoreStream, &WorkStream, PageStarts, pages, position, hooks.finishPageStreams)) {
      merged = true;
      if (hooks.applyPageParts) hooks.applyPageParts();
      if (hooks.setScoreModified) hooks.setScoreModified();
      const bool firstPage = pages == 0;
      // A new score is named after its first page.
      if (firstPage && !CurrentScore.path[0])
        GetBaseFileName(CurrentScore.title, ScoreTitleFromPageName(record->name));
      // The score's page list: the new row at the page's position.
      for (int k = pages; k >= position; --k) {
        ScorePages.rows[k] = ScorePages.rows[k - 1];
        ScorePages.second[k] = ScorePages.second[k - 1];
      }
      ScorePages.rows[position - 1] = {static_cast<uint16_t>(record->scanId),
                                       static_cast<uint16_t>(record->resolution), record->pageKey};
      // The page's data file is written below under the record's own key:
      // that key says its boxes belong to this score page.
      ScorePages.second[position - 1] = record->pageKey;
      ScorePages.count = pages + 1;

      const int resolution = readPage.resolution > 0 ? readPage.resolution : 300;
      const double factor = 254.0 / resolution * 0.5;
      if (firstPage) {
        // The score's stave size from its real staves of 5, 6 or 4 lines.
        const int32_t* least = MinStaveHeightByLines();
        int64_t sum = 0, number = 0;
        for (int lines : {5, 6, 4}) {
          for (uint32_t s = 0; s < readPage.staveCount; ++s) {
            const StaveRecord& stave = readPage.staves[s];
            if (stave.lineCount == lines && stave.bottom - stave.top >= least[lines]) {
              sum += stave.bottom - stave.top;
              ++number;
            }
          }
          if (number) break;
        }
        if (!number)
          for (uint32_t s = 0; s < readPage.staveCount; ++s) {
            sum = static_cast<int64_t>(sum + StaveRecordSpacing(readPage.staves, int(readPage.staveCount), int(s),
                                                                resolution) * 4);
            ++number;
          }
        if (number) {
          const double size = static_cast<double>(sum / number) * factor;
          ScorePageSize.staveSpacing = static_cast<uint8_t>(std::min(255.0, std::max(1.0, size)));
        }
        int32_t widest = 0;
        for (uint32_t s = 0; s < readPage.staveCount; ++s)
          widest = std::max<int32_t>(widest, readPage.staves[s].right - readPage.staves[s].left);
        const auto width = static_cast<uint32_t>(widest * factor);
        if (width > ScorePageSize.staveWidth) ScorePageSize.staveWidth = static_cast<uint16_t>(std::min<uint32_t>(width, 0xFFFF));
      }
      if (hooks.findMeterAtPage) hooks.findMeterAtPage();
      readPage.scaledWidth = static_cast<uint32_t>(readPage.width * factor);
      readPage.scaledHeight = static_cast<uint32_t>(readPage.height * factor);
      if (firstPage) {
        ScorePageSize.width = readPage.scaledWidth;
        ScorePageSize.height = readPage.scaledHeight;
      }
      readPage.offsetX = readPage.offsetY = 0;
      ScorePages.current = std::clamp(ScorePages.current, 1, ScorePages.count);
      if (state.stavesLocatedNow && hooks.writePageStaveData) hooks.writePageStaveData();
      SavePageData(state.pageIndex, true, readPage);
      {
        std::lock_guard<std::mutex> lock(PageTableLock());
        record->state = kPageRead;
        record->flags = (record->flags & 0xFF3Au) | kPageModified;
        // The score's file name, or while it has none its title.
        const char16_t* scoreName = CurrentScore.path[0] ? CurrentScore.path : CurrentScore.title;
        std::memcpy(record->scoreName, scoreName, sizeof(char16_t) * std::min<size_t>(kScoreNameUnits - 1, kScorePathUnits));
        record->scoreName[kScoreNameUnits - 1] = 0;
      }
      if (hooks.numberPagesInList) hooks.numberPagesInList();
      if (hooks.refreshPagesPane) state.pageIndex = hooks.refreshPagesPane(state.pageIndex);
      if (hooks.autoSaveBackup) hooks.autoSaveBackup();
    } else {
      // Nothing merged: the score keeps its pages and streams.
      Flags().abort = 1;
    }
  }
  if (!merged) {
    state.pageHasItems = 0;
    // The work streams of a page that is not merged are dropped.
    for (int slot = 0; slot < kPartSlots; ++slot) {
      FreeHandle(&WorkStream.block[slot]);
      WorkStream.used[slot] = 0;
    }
    if (record) {
      std::lock_guard<std::mutex> lock(PageTableLock());
      record->state = kPageNotRead;
      record->flags &= ~kPageSelected;
      if (!Flags().abort) record->flags &= ~kPagePaneMark;
    }
  }
  ReadingActive() = 0;
  LocatingStaves() = 0;
  CurrentReadingHost().PostToFrame(kReadingEndedMessage);
}

void OnReadingFinished() {
  ReadingState& state = Reading();
  ShowReadingNotices();
  // Every reading clears the flag before it posts its end. Set again, it is
  // a newer reading's (started from a request that was queued before this
  // end): joining would wait for that whole reading and clearing its items
  // would drop its page. Its own end comes later.
  if (ReadingActive()) return;
  JoinReadingThread();
  if (hooks.markInaccuratePage) hooks.markInaccuratePage();
  const bool merged = state.pageHasItems && !Flags().abort;
  WritePageIndex();
  if (merged) {
    if (ScorePages.count > 1 && static_cast<int32_t>(state.scorePosition) <= ScorePages.current)
      ScorePages.current = std::min(ScorePages.current + 1, ScorePages.count);
    const bool firstPage = ScorePages.count == 1;
    if (hooks.showMergedPage) hooks.showMergedPage(firstPage);
    if (hooks.showReadPageInWorkspace) hooks.showReadPageInWorkspace(firstPage);
    if (firstPage && hooks.reportPageProblem) hooks.reportPageProblem(1);
  }
  state.pageHasItems = 0;
  if (hooks.updateCommandStates) hooks.updateCommandStates();
  if (hooks.redrawPagesPane) hooks.redrawPagesPane();
  ReadNextPendingPage();
}

namespace {

struct StartHold {
  bool held = false;
  bool startAsked = false;  // a start came while held
};
StartHold& Hold() {
  static StartHold hold;
  return hold;
}

}  // namespace

void HoldReadingStarts() { Hold().held = true; }

void ReleaseReadingStarts() {
  const bool asked = Hold().held && Hold().startAsked;
  Hold() = StartHold{};
  if (asked) ReadNextPendingPage();
}

void ReadNextPendingPage() {
  ReadingState& state = Reading();
  const bool reading = ReadingActive() != 0;
  std::unique_lock<std::mutex> lock(PageTableLock());
  if (reading) {
    const int32_t row = state.pageIndex;
    if (row >= 0 && static_cast<uint32_t>(row) < pageTable.pageCount &&
        !(pageTable.rows[row].flags & kPageSelected)) {
      Flags().abort = 1;
      return;
    }
  }
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& record = pageTable.rows[i];
    if (!(record.flags & kPageSelected)) continue;
    if (reading) {
      if (state.pageIndex > static_cast<int32_t>(i))
        Flags().abort = 1;
      else
        state.nextPageRequested = 1;
      return;
    }
    if (!(record.flags & kPageHasProblem)) {
      if (Hold().held) {
        Hold().startAsked = true;
        return;
      }
      // A full score takes no page: reading refuses it and says so.
      lock.unlock();
      StartReading(static_cast<int>(i));
      return;
    }
    const uint32_t end = static_cast<uint32_t>(ScorePages.count) + 1;
    uint32_t target = end;
    if (record.flags & kPageWantsPosition) target = std::min(record.flags >> kPageTargetShift, end);
    record.flags = (record.flags & 0xFFFFu & ~kPageSelected) | kPageWantsPosition | (target << kPageTargetShift);
  }
}

void ScheduleNextPage(int now, int delayMs) {
  if (now) ReadNextPendingPage();
  else if (delayMs > 0 && hooks.setNextPageTimer) hooks.setNextPageTimer(delayMs);
  else CurrentReadingHost().PostToFrame(kReadNextPageMessage);
}

bool ReadPageIntoScore(int row, int position) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  const int pages = ScorePages.count;
  const bool reading = ReadingActive() != 0;
  // While a page is read, a pending page for the end of the score is only
  // ticked: it waits its turn. A read page is not read twice.
  const bool waits = reading && position == pages + 1 && pageTable.rows[row].state <= kPageBeingRead;
  {
    std::lock_guard<std::mutex> lock(PageTableLock());
    PageRecord& record = pageTable.rows[row];
    if (reading) {
      if (row == Reading().pageIndex) return false;
      if (waits) {
        record.flags |= kPageSelected;
        WritePageIndex();
      }
    }
  }
  if (reading) {
    if (waits) ReadNextPendingPage();
    return waits;
  }
  // Replacing a score page, or reading again a page the score holds, needs
  // that score page removed first (the caller asks and removes it).
  if (position < 1 || position > pages + 1) return false;
  if (IsPageInScore(row)) return false;
  {
    std::lock_guard<std::mutex> lock(PageTableLock());
    PageRecord moved = pageTable.rows[row];
    if (position == pages + 1 && (moved.flags & kPageWantsPosition))
      position = static_cast<int>(std::min<uint32_t>(moved.flags >> kPageTargetShift, uint32_t(pages) + 1));
    if (position < ScorePages.current) position += 1;
    moved.state = kPageNotRead;
    moved.flags = (moved.flags & 0xFFFFu & ~((1u << 3) | (1u << 4) | (1u << 5))) | kPageSelected |
                  kPageWantsPosition | (static_cast<uint32_t>(position) << kPageTargetShift);
    for (int i = row; i > 0; --i) pageTable.rows[i] = pageTable.rows[i - 1];
    pageTable.rows[0] = moved;
    if (pageTable.currentPage >= 0 && pageTable.currentPage < row)
      pageTable.currentPage += 1;
    else if (pageTable.currentPage == row)
      pageTable.currentPage = 0;
  }
  WritePageIndex();
  ReadNextPendingPage();
  return true;
}

void ShowReadingNotices() {
  static ReadingNotice notices[16];
  const int n = TakeReadingNotices(notices, 16);
  for (int i = 0; i < n; ++i) {
    if (notices[i].kind == NoticeKind::kBox)
      platform::ShowMessageBox(notices[i].text, notices[i].caption, notices[i].style);
    else if (hooks.showNotice)
      hooks.showNotice(static_cast<int>(notices[i].kind), notices[i].stringId);
  }
}
