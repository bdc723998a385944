#include "pages/CurrentPageData.h"

#include <algorithm>
#include <cstring>

#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageStoreTexts.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "score/ScoreFile.h"

ScoreStaveTable ScorePageStaves;
int PageBoxesMissing = 1;

namespace {

constexpr char kNoScanName[] = "NoScan";

// The scan id of the page whose data file filled the view's stave table
// last, or -1: only that page's file may take the table's staves alone.
int32_t viewStavesScanId = -1;
constexpr double kPlainViewScale = 100.0;

bool IsView(const PageData* page) { return page == nullptr || page == &viewPage; }

// Score page number (from 1) when the score has it.
bool HasScorePage(int number) {
  return number >= 1 && number <= std::min<int>(ScorePages.count, kMaxScorePages);
}

// The row of score page number when the page has page data.
const ScorePageRow* ScoreRowWithData(int number) {
  if (!HasScorePage(number)) return nullptr;
  const ScorePageRow& row = ScorePages.rows[number - 1];
  return row.dataId == kNoPageDataId ? nullptr : &row;
}

// Where the score keeps the keys of score page number: the first page whose
// key is that page's key, else the page itself (from 1).
int KeyPosition(int number) {
  const uint32_t key = ScorePages.rows[number - 1].key;
  for (int p = 1; p <= number; ++p)
    if (ScorePages.rows[p - 1].key == key) return p;
  return number;
}

void MirrorStaves(const PageData& page) {
  ScorePageStaves.count = std::min<uint32_t>(page.staveCount, kMaxPageStaves);
  std::copy(page.staves, page.staves + ScorePageStaves.count, ScorePageStaves.rows);
}

// 1200 / (dpi / 254 x the score's stave spacing) per cent; the plain scale
// without staves or without a usable measure.
double ScoreViewScale(int32_t resolution) {
  const double divisor = resolution / 254.0 * ScorePageSize.staveSpacing;
  if (ScorePageStaves.count == 0 || !(divisor > 0.0)) return kPlainViewScale;
  return 1200.0 / divisor;
}

// The boxes of the view belong to the current score page only when they
// carry its data key and the page has staves.
void CheckViewBoxes(uint32_t keyRead) {
  const int current = ScorePages.current;
  const bool valid = HasScorePage(current) && keyRead == ScorePages.second[current - 1] && viewPage.boxCount != 0 &&
                     ScorePageStaves.count != 0;
  if (!valid) viewPage.boxCount = 0;
  PageBoxesMissing = valid ? 0 : 1;
}

enum class DataFile { kRead, kMissing, kUnread };

// The working copy first, then the saved form, as the page store keeps them.
DataFile ReadDataFile(int16_t scanId, PageData* target, uint32_t* key, uint32_t* version) {
  for (PageFile which : {PageFile::kWorkingData, PageFile::kData}) {
    char16_t path[kPagePathUnits];
    if (!PageFilePath(which, scanId, false, path)) continue;
    switch (ReadPageDataFile(path, target, key, true, version)) {
      case PageDataRead::kRead: return DataFile::kRead;
      case PageDataRead::kMissing: continue;
      case PageDataRead::kFailed: return DataFile::kUnread;  // the file layer's box was shown
      case PageDataRead::kDamaged:
        ShowPageStoreError(kTextPageDataDamaged, path);
        return DataFile::kUnread;
    }
  }
  return DataFile::kMissing;
}

// The view's page without boxes: a page the reading has not finished keeps
// the staves of its page-table row on their own, so that staves placed or
// moved before it is read are not lost. A page already read is left alone:
// its file holds the boxes of the score that read it.
bool SaveViewStaves(bool working) {
  const int index = pageTable.currentPage;
  if (ScorePageStaves.count == 0 || index < 0 || static_cast<uint32_t>(index) >= pageTable.pageCount) return false;
  const PageRecord& row = pageTable.rows[index];
  if (row.scanId != viewStavesScanId) return false;  // the table holds another page's staves
  if (row.state != kPageNotRead && row.state != kPageBeingRead) return false;
  // The view's stave table is the one edited; the page takes it before saving.
  viewPage.staveCount = std::min<uint32_t>(ScorePageStaves.count, kMaxPageStaves);
  std::copy(ScorePageStaves.rows, ScorePageStaves.rows + viewPage.staveCount, viewPage.staves);
  return SavePageStaves(index, working, viewPage);
}

}  // namespace

void LoadCurrentPageData(bool fromTable, bool keepScoreScale, PageData* page, int index) {
  const bool view = IsView(page);
  PageData& target = view ? viewPage : *page;
  const ScorePageRow* scoreRow = fromTable ? nullptr : ScoreRowWithData(ScorePages.current);
  int16_t scanId;
  if (fromTable) {
    if (index == kCurrentPageRow) index = pageTable.currentPage;
    if (index < 0 || static_cast<uint32_t>(index) >= pageTable.pageCount) {
      if (view) PageBoxesMissing = 1;
      return;
    }
    scanId = pageTable.rows[index].scanId;
  } else {
    if (!scoreRow) {
      if (view) PageBoxesMissing = 1;
      return;
    }
    scanId = static_cast<int16_t>(scoreRow->dataId);
  }

  const PageStoreHooks& hooks = CurrentPageStoreHooks();
  uint32_t key = 0, version = 0;
  switch (ReadDataFile(scanId, &target, &key, &version)) {
    case DataFile::kUnread:
      if (view) PageBoxesMissing = 1;
      return;
    case DataFile::kMissing:
      if (view) viewStavesScanId = scanId;
      target.staveCount = 0;
      target.boxCount = 0;
      target.scaledWidth = ScorePageSize.width;
      target.scaledHeight = ScorePageSize.height;
      target.offsetX = target.offsetY = 0;
      if (view) {
        ScorePageStaves.count = 0;
        PageBoxesMissing = 1;
      }
      hooks.placeScoreViews();
      return;
    case DataFile::kRead: break;
  }
  // Older files keep no scaled size: the score's own page size stands in.
  if (version < kPageDataSizesFrom) {
    target.scaledWidth = ScorePageSize.width;
    target.scaledHeight = ScorePageSize.height;
  }
  if (view) {
    MirrorStaves(target);
    viewStavesScanId = scanId;
  }
  if (view && !fromTable) {
    target.resolution = static_cast<int16_t>(scoreRow->field);
    if (!target.imageArea) {
      std::memset(target.imageName, 0, kImageNameBytes);
      std::memcpy(target.imageName, kNoScanName, sizeof kNoScanName);
      pageTable.currentPage = -1;
    }
  }
  if (!keepScoreScale) hooks.setScoreViewScale(ScoreViewScale(target.resolution));
  if (view) CheckViewBoxes(key);
  hooks.placeScoreViews();
}

bool SavePageData(bool newKey, bool working, PageData* page, int readScorePage) {
  const bool view = IsView(page);
  const PageData& source = view ? viewPage : *page;
  if (view && source.boxCount <= 0) return SaveViewStaves(working);
  const int number = view ? ScorePages.current : readScorePage;
  const ScorePageRow* row = ScoreRowWithData(number);
  if (source.boxCount <= 0 || !row) return false;

  const int p = KeyPosition(number);
  PageDataFileFields fields;
  fields.pageKey = newKey ? UniquePageKey() : ScorePages.second[p - 1];
  fields.withOffsets = view;
  const StaveRecord* staves = view ? ScorePageStaves.rows : source.staves;
  const uint32_t staveCount = view ? ScorePageStaves.count : source.staveCount;
  if (!SavePageDataFile(static_cast<int16_t>(row->dataId), working, source, staves, staveCount, fields))
    return false;
  if (newKey) ScorePages.second[p - 1] = fields.pageKey;
  return true;
}
