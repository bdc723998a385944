#include "pages/PageStoreScoreLinks.h"

#include <cstdint>

#include "pages/PageTable.h"
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

void MarkPageRecordSaved(uint32_t key) {
  if (PageRecord* row = RowWithKey(key)) row->state = kPageOfLoadedScore;
}

void WriteIndex() { WritePageIndex(); }

}  // namespace

void ConnectPageStoreToScoreFile() {
  ScoreFileHooks hooks{};
  hooks.findPageRecord = FindPageRecord;
  hooks.markPageRecordSaved = MarkPageRecordSaved;
  hooks.writePageIndex = WriteIndex;
  SetScoreFileHooks(hooks);
}
