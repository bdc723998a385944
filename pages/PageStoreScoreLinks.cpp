#include "pages/PageStoreScoreLinks.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "platform/TextUtils.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"

namespace {

PageRecord* RowWithKey(uint32_t key) {
  for (uint32_t i = 0; i < pageTable.pageCount; ++i)
    if (pageTable.rows[i].pageKey == key) return &pageTable.rows[i];
  return nullptr;
}

bool FindPageRecord(uint32_t key, uint16_t* dataId, uint16_t* field) {
  const PageRecord* row = RowWithKey(key);
  if (!row) return false;
  *dataId = static_cast<uint16_t>(row->scanId);
  *field = static_cast<uint16_t>(row->resolution);
  return true;
}

bool IsPageDataIdInUse(uint16_t dataId) {
  for (uint32_t i = 0; i < pageTable.pageCount; ++i)
    if (static_cast<uint16_t>(pageTable.rows[i].scanId) == dataId) return true;
  return false;
}

void MarkPageRecordSaved(uint32_t key) {
  if (PageRecord* row = RowWithKey(key)) row->state = kPageOfLoadedScore;
}

void WriteIndex() { WritePageIndex(); }

// The row's place in the score's page list, from 1; 0 when it is no page of
// the score.
int ScorePosition(const PageRecord& row) {
  const int count = std::clamp<int>(ScorePages.count, 0, kMaxScorePages);
  for (int page = 0; page < count; ++page)
    if (ScorePages.rows[page].key != kNoPageKey && ScorePages.rows[page].key == row.pageKey) return page + 1;
  return 0;
}

// Pending pages are those not read and not being read.
bool IsRead(const PageRecord& row) { return row.state > kPageBeingRead; }

void SetScoreName(PageRecord* row, const char16_t* name) {
  size_t length = 0;
  while (name[length] && length < kScoreNameUnits - 1) ++length;
  std::fill(std::begin(row->scoreName), std::end(row->scoreName), u'\0');
  std::copy(name, name + length, row->scoreName);
}

// Every read page of the score is named after it and numbered by its place
// in the score.
void SetScoreNameOfPages(const char16_t* name, int) {
  if (!name) return;
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& row = pageTable.rows[i];
    const int position = ScorePosition(row);
    if (!IsRead(row) || position == 0) continue;
    SetScoreName(&row, name);
    row.scorePageNumber = static_cast<int16_t>(position);
  }
}

// The score name of the first page of the score that has one.
int GetScoreNameOfPages(char16_t* out, size_t capacity) {
  if (!out || capacity == 0) return 0;
  out[0] = 0;
  const int count = std::clamp<int>(ScorePages.count, 0, kMaxScorePages);
  for (int page = 0; page < count; ++page) {
    const PageRecord* row = ScorePages.rows[page].key == kNoPageKey ? nullptr : RowWithKey(ScorePages.rows[page].key);
    if (!row || !row->scoreName[0] || row->scorePageNumber == 0) continue;
    size_t length = 0;
    while (row->scoreName[length] && length + 1 < capacity && length < kScoreNameUnits) ++length;
    std::copy(row->scoreName, row->scoreName + length, out);
    out[length] = 0;
    return 1;
  }
  return 0;
}

// After a score was read: read pages named after this score that are no
// longer in it lose the name; the score's pending pages take its name and the
// read state; the score's pages are numbered by their place in it; the pane
// is laid out again.
void TidyPageRecords() {
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& row = pageTable.rows[i];
    const int position = ScorePosition(row);
    if (IsRead(row) && position == 0 && CurrentScore.path[0] && CompareNoCase(row.scoreName, CurrentScore.path) == 0) {
      SetScoreName(&row, u"");
      row.scorePageNumber = 0;
    }
    if (position == 0) continue;
    if (!IsRead(row)) {
      SetScoreName(&row, CurrentScore.path);
      row.state = kPageRead;
    }
  }
  NumberPagesInList();
  CurrentPageStoreHooks().refreshPagesPane(pageTable.currentPage);
}

}  // namespace

void NumberPagesInList() {
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& row = pageTable.rows[i];
    const int position = ScorePosition(row);
    if (IsRead(row) && position != 0) row.scorePageNumber = static_cast<int16_t>(position);
  }
}

void ConnectPageStoreToScoreFile() {
  ScoreFileHooks hooks{};
  hooks.findPageRecord = FindPageRecord;
  hooks.isPageDataIdInUse = IsPageDataIdInUse;
  hooks.markPageRecordSaved = MarkPageRecordSaved;
  hooks.writePageIndex = WriteIndex;
  hooks.setScoreNameOfPages = SetScoreNameOfPages;
  hooks.getScoreNameOfPages = GetScoreNameOfPages;
  hooks.tidyPageRecords = TidyPageRecords;
  SetScoreFileHooks(hooks);
}
