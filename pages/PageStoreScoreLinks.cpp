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

// Pending pages are those not read and not being read.
bool IsRead(const PageRecord& row) { return row.state > kPageBeingRead; }

int ScorePosition(const PageRecord& row) { return ScorePageOfKey(row.pageKey); }

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

// After a score was read: the page records follow the score's page list and
// the pane is laid out again.
void TidyPageRecords() {
  ClearStaleScoreNames();
  MarkPagesOfScore();
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

void ClearStaleScoreNames() {
  if (!CurrentScore.path[0]) return;
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& row = pageTable.rows[i];
    if (!IsRead(row) || ScorePosition(row) != 0 || CompareNoCase(row.scoreName, CurrentScore.path) != 0) continue;
    SetScoreName(&row, u"");
    row.scorePageNumber = 0;
  }
}

void MarkPagesOfScore() {
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& row = pageTable.rows[i];
    if (IsRead(row) || ScorePosition(row) == 0) continue;
    SetScoreName(&row, CurrentScore.path);
    row.state = kPageInReadScore;
  }
}

int ScorePageOfKey(uint32_t key) {
  if (key == kNoPageKey) return 0;
  const int count = std::clamp<int>(ScorePages.count, 0, kMaxScorePages);
  for (int page = 0; page < count; ++page)
    if (ScorePages.rows[page].key == key) return page + 1;
  return 0;
}

bool IsPageInScore(int row) {
  return row >= 0 && static_cast<uint32_t>(row) < pageTable.pageCount && ScorePosition(pageTable.rows[row]) != 0;
}

int FirstReadPageRow(const PageTable& table) {
  const uint32_t count = std::min<uint32_t>(table.pageCount, kMaxPages);
  uint32_t i = 0;
  while (i < count && table.rows[i].state < kPageInReadScore) ++i;
  return static_cast<int>(i);
}

int FirstReadPageRow() { return FirstReadPageRow(pageTable); }

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
