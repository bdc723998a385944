#include "shell/ScorePageDeletion.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "pages/PageFiles.h"
#include "pages/PageStoreTexts.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "reading/ReadingThread.h"
#include "score/MeterAtPage.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreItem.h"
#include "shell/ShellServices.h"

namespace {

constexpr unsigned kStrCancelReadingFirst = 11537;
constexpr unsigned kStrDeletePageQuestion = 10079;

}  // namespace

bool CutScorePage(int page, StreamSet* streams, uint32_t (*pageStarts)[kPageStartSlots], ScorePageList* pages,
                  uint32_t* readingTarget) {
  const int count = pages->count;
  if (page < 1 || page > count || count > kMaxScorePages) return false;
  const bool last = page == count;
  for (int slot = 0; slot < kPartSlots; ++slot) {
    const uint32_t used = StreamUsedLength(*streams, slot);
    if (!used) continue;
    const uint32_t start = std::min(pageStarts[page - 1][slot], used);
    const uint32_t end = last ? used : std::clamp(pageStarts[page][slot], start, used);
    uint8_t* bytes = StreamBytes(*streams, slot);
    const uint32_t cut = end - start;
    std::memmove(bytes + start, bytes + end, used - end);
    uint32_t length = used - cut;
    if (last) bytes[length++] = kEndOfScore;  // the page's bytes held the end mark
    streams->used[slot] = length;
    for (int k = page; k < count; ++k) pageStarts[k - 1][slot] = pageStarts[k][slot] - cut;
    const size_t capacity = HandleSize(streams->block[slot]);
    if (capacity > length) ResizeHandleAt(&streams->block[slot], length, -static_cast<long>(capacity - length));
  }
  for (int k = page; k < count; ++k) {
    pages->rows[k - 1] = pages->rows[k];
    pages->second[k - 1] = pages->second[k];
  }
  pages->count = count - 1;
  if (readingTarget && *readingTarget >= static_cast<uint32_t>(page) && *readingTarget > 1) *readingTarget -= 1;
  return true;
}

void DeleteScorePage(int silent, int refreshPagesPane) {
  const int count = ScorePages.count;
  if (count < 1) return;
  const int page = std::clamp(ScorePages.current, 1, count);
  const bool reading = ReadingActive() != 0;
  if (page == 1 && reading) {
    MessageById(nullptr, kStrCancelReadingFirst);
    return;
  }
  if (!silent && !AskPageStoreQuestion(kStrDeletePageQuestion)) return;
  const ShellServices& services = CurrentShellServices();
  if (services.stopPlayback) services.stopPlayback();
  // The page record is no longer a page of the score.
  const ScorePageRow row = ScorePages.rows[page - 1];
  {
    std::lock_guard<std::mutex> lock(PageTableLock());
    for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
      PageRecord& record = pageTable.rows[i];
      if (record.pageKey != row.key) continue;
      record.scoreName[0] = 0;
      record.scorePageNumber = 0;
    }
  }
  if (row.dataId != kNoPageDataId) {
    char16_t path[kPagePathUnits];
    if (PageFilePath(PageFile::kWorkingData, static_cast<int16_t>(row.dataId), false, path) && FileExists(path))
      FileDelete(path);
  }
  uint32_t* target = reading ? &Reading().scorePosition : nullptr;
  CutScorePage(page, &ScoreStream, PageStarts, &ScorePages, target);
  if (!silent) {
    if (ScorePages.count == 0) {
      ResetScoreContent();
      CurrentScoreFileHooks().setScoreSaved(1);
    }
    ScorePages.current = std::clamp(ScorePages.current, ScorePages.count ? 1 : 0, ScorePages.count);
    FindMeterAtPage();
    services.updateCommandStates();
    services.placeScoreViews(1);
  }
  services.clearScoreUndo();
  if (refreshPagesPane) services.refreshPagesPane(0, -1);
}
