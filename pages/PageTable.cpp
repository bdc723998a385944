#include "pages/PageTable.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <string>

#include "pages/PageFiles.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageStoreTexts.h"
#include "pages/StoreFileBytes.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/ReplacingFile.h"
#include "score/ScoreFile.h"

PageTable pageTable;

namespace {

constexpr uint32_t kMarkerVersion2 = 0x0FFFFFFF;
constexpr uint32_t kMarkerVersioned = 0x0FFFFFFE;
constexpr uint8_t kWrittenVersion = 3;
constexpr size_t kOldFlagBits = 0xFF;  // versions 1 and 2 keep the low byte
constexpr char16_t kDamagedIndexSuffix[] = u".damaged";

// Entry sizes by version: id, name, resolution, state, flags, key, then the
// reserved slots, score name and score page number of version 3.
constexpr size_t kEntryBytesV1 = 4 + 40 + 4 + 1 + 4 + 4;
constexpr size_t kEntryBytesV2 = 4 + 80 + 4 + 1 + 4 + 4;
constexpr size_t kEntryBytesV3 = kEntryBytesV2 + kReservedSlots * kReservedSlotBytes + kScoreNameUnits * 2 + 2;
// The largest index a full table makes, with room for a header of any version.
constexpr size_t kLargestIndex = 16 + kEntryBytesV3 * kMaxPages;

bool ReadWide(StoreReader* in, char16_t* out, int units) {
  for (int i = 0; i < units; ++i) {
    uint16_t unit;
    if (!in->U16LE(&unit)) return false;
    out[i] = unit;
  }
  out[units - 1] = 0;
  return true;
}

bool ReadAnsiName(StoreReader* in, char16_t* out) {
  char ansi[kPageNameUnits + 1] = {};
  if (!in->Bytes(ansi, kPageNameUnits)) return false;
  char16_t wide[kPageNameUnits + 1] = {};
  const int n = platform::MultiByteToWide(platform::kAnsiCodePage, ansi, static_cast<int>(std::strlen(ansi)), wide,
                                          kPageNameUnits);
  std::copy(wide, wide + std::max(n, 0), out);
  out[kPageNameUnits - 1] = 0;
  return true;
}

bool ReadEntry(StoreReader* in, int version, PageRecord* row) {
  uint32_t id, resolution, flags;
  if (!in->U32LE(&id)) return false;
  row->scanId = static_cast<int16_t>(id);
  if (!(version >= 2 ? ReadWide(in, row->name, kPageNameUnits) : ReadAnsiName(in, row->name))) return false;
  if (!in->U32LE(&resolution) || !in->U8(&row->state) || !in->U32LE(&flags) || !in->U32LE(&row->pageKey))
    return false;
  row->resolution = static_cast<int16_t>(resolution);
  if (version < 3) flags &= kOldFlagBits;
  row->flags = flags & ~kPageFlagsClearedOnLoad;
  if (version < 3) return true;
  uint16_t number;
  if (!in->Bytes(row->reserved, sizeof row->reserved) || !ReadWide(in, row->scoreName, kScoreNameUnits) ||
      !in->U16LE(&number))
    return false;
  row->scorePageNumber = static_cast<int16_t>(number);
  return true;
}

IndexRead ParseIndex(const StoreBytes& bytes, PageTable* table) {
  StoreReader in(bytes);
  uint32_t first, count;
  int version = 1;
  if (!in.U32LE(&first)) return IndexRead::kDamaged;
  if (first == kMarkerVersion2) {
    version = 2;
  } else if (first == kMarkerVersioned) {
    uint8_t v;
    if (!in.U8(&v) || v < 2) return IndexRead::kDamaged;
    version = v >= 3 ? 3 : 2;
  }
  if (version == 1) {
    count = first;
  } else if (!in.U32LE(&count)) {
    return IndexRead::kDamaged;
  }
  if (count > kMaxPages || !in.U32LE(&table->indexMark)) return IndexRead::kDamaged;
  const size_t entryBytes = version == 1 ? kEntryBytesV1 : version == 2 ? kEntryBytesV2 : kEntryBytesV3;
  if (in.Left() < count * entryBytes) return IndexRead::kDamaged;
  for (uint32_t i = 0; i < count; ++i) {
    table->rows[i] = PageRecord();
    if (!ReadEntry(&in, version, &table->rows[i])) return IndexRead::kDamaged;
  }
  table->pageCount = count;
  return IndexRead::kRead;
}

void WriteWide(ReplacingFile* out, const char16_t* text, int units) {
  for (int i = 0; i < units; ++i) out->WriteU16(text[i]);
}

std::u16string IndexPath() {
  char16_t path[kPagePathUnits];
  if (!MakeMusicPagesPath(path, kPageIndexName)) return {};
  return path;
}

void EmptyTable(PageTable* table) {
  table->pageCount = 0;
  table->indexMark = 0;
}

bool KeyInUse(uint32_t key) {
  for (uint32_t i = 0; i < pageTable.pageCount; ++i)
    if (pageTable.rows[i].pageKey == key) return true;
  const int scorePages = std::min(std::max(ScorePages.count, 0), kMaxScorePages);
  for (int i = 0; i < scorePages; ++i)
    if (ScorePages.rows[i].key == key) return true;
  return CurrentPageStoreHooks().isScorePageKey(key);
}

}  // namespace

IndexRead ReadPageIndexFile(const char16_t* path, PageTable* table) {
  EmptyTable(table);
  StoreBytes bytes;
  switch (LoadStoreFile(path, kLargestIndex, true, &bytes)) {
    case StoreLoad::kLoaded: break;
    case StoreLoad::kMissing: return IndexRead::kMissing;
    case StoreLoad::kTooLarge: return IndexRead::kDamaged;
    case StoreLoad::kNoMemory:
    case StoreLoad::kFailed: return IndexRead::kFailed;
  }
  const IndexRead result = ParseIndex(bytes, table);
  if (result != IndexRead::kRead) EmptyTable(table);
  return result;
}

bool WritePageIndexFile(const char16_t* path, const PageTable& table) {
  const uint32_t count = std::min<uint32_t>(table.pageCount, kMaxPages);
  ReplacingFile out(path);
  out.WriteU32(kMarkerVersioned);
  out.WriteU8(kWrittenVersion);
  out.WriteU32(count);
  out.WriteU32(table.indexMark);
  for (uint32_t i = 0; i < count; ++i) {
    const PageRecord& row = table.rows[i];
    out.WriteU32(static_cast<uint32_t>(static_cast<int32_t>(row.scanId)));
    WriteWide(&out, row.name, kPageNameUnits);
    out.WriteU32(static_cast<uint32_t>(static_cast<int32_t>(row.resolution)));
    out.WriteU8(row.state);
    out.WriteU32(row.flags);
    out.WriteU32(row.pageKey);
    out.Write(row.reserved, sizeof row.reserved);
    WriteWide(&out, row.scoreName, kScoreNameUnits);
    out.WriteU16(static_cast<uint16_t>(row.scorePageNumber));
  }
  return out.Commit();
}

bool WritePageIndex() {
  const std::u16string path = IndexPath();
  if (!path.empty() && WritePageIndexFile(path.c_str(), pageTable)) return true;
  ShowPageStoreError(kTextPageIndexNotSaved, path.c_str());
  return false;
}

bool ReadPageIndex() {
  pageTable.pageCount = 0;
  const std::u16string path = IndexPath();
  if (path.empty()) return false;
  if (!FileExists(path.c_str())) WritePageIndex();
  const IndexRead result = ReadPageIndexFile(path.c_str(), &pageTable);
  if (result == IndexRead::kDamaged) {
    // Kept aside, so that the next index written does not lose its rows.
    const std::u16string kept = path + kDamagedIndexSuffix;
    platform::CopyOneFile(path.c_str(), kept.c_str(), false);
    ShowPageStoreError(kTextPageIndexDamaged, path.c_str(), kept.c_str());
  }
  CurrentPageStoreHooks().layoutPagesPane();
  return result == IndexRead::kRead;
}

uint32_t UniquePageKeyAt(uint64_t seconds) {
  constexpr int kKeysPerSecond = 64;
  constexpr int kRandomTries = 64;
  for (int tries = 0; tries < kRandomTries; ++tries) {
    const uint32_t r = static_cast<uint32_t>(std::rand()) & 0x7FFF;
    const uint32_t key = static_cast<uint32_t>(seconds * kKeysPerSecond + (r / 15) % kKeysPerSecond);
    if (!KeyInUse(key)) return key;
  }
  // A crowded second: its keys in turn, then the next second's, so that the
  // search always ends (the table and the score hold far fewer keys than
  // the seconds ahead have).
  for (;; ++seconds) {
    for (int k = 0; k < kKeysPerSecond; ++k) {
      const uint32_t key = static_cast<uint32_t>(seconds * kKeysPerSecond + k);
      if (!KeyInUse(key)) return key;
    }
  }
}

uint32_t UniquePageKey() { return UniquePageKeyAt(static_cast<uint64_t>(std::time(nullptr))); }

namespace {

// Whether a row of the table holds the id, or a page of the open score keeps
// its working data under it (a page of a score file whose page record is not
// in this store).
bool ScanIdTaken(const PageTable& table, int16_t id) {
  for (uint32_t i = 0; i < table.pageCount && i < kMaxPages; ++i)
    if (table.rows[i].scanId == id) return true;
  const int scorePages = std::min(std::max(ScorePages.count, 0), kMaxScorePages);
  for (int i = 0; i < scorePages; ++i)
    if (ScorePages.rows[i].dataId == static_cast<uint16_t>(id)) return true;
  return false;
}

}  // namespace

int16_t NextFreeScanId(const PageTable& table) {
  int16_t id = 0;
  while (ScanIdTaken(table, id)) ++id;
  return id;
}

void AdjustProblemPages(int* entries, int* count, int removed) {
  int kept = 0;
  for (int i = 0; i < *count; ++i) {
    if (entries[i] == removed) continue;
    entries[kept++] = entries[i] > removed ? entries[i] - 1 : entries[i];
  }
  *count = kept;
}

void RemoveScannedPage(int index, bool ask) {
  if (index < 0 || static_cast<uint32_t>(index) >= pageTable.pageCount) return;
  if (ask && !AskPageStoreQuestion(kTextRemovePagesQuestion)) return;
  const PageStoreHooks& hooks = CurrentPageStoreHooks();
  const int16_t scanId = pageTable.rows[index].scanId;
  char16_t path[kPagePathUnits];
  if (PageFilePath(PageFile::kImage, scanId, false, path)) FileDelete(path);
  if (PageFilePath(PageFile::kData, scanId, false, path) && FileExists(path)) FileDelete(path);
  if (PageFilePath(PageFile::kWorkingData, scanId, false, path) && FileExists(path)) FileDelete(path);
  std::copy(pageTable.rows + index + 1, pageTable.rows + pageTable.pageCount, pageTable.rows + index);
  --pageTable.pageCount;

  int* count = nullptr;
  if (int* entries = hooks.problemPages(&count)) AdjustProblemPages(entries, count, index);

  if (index == pageTable.currentPage) {
    pageTable.currentPage = -1;
    hooks.currentPageRemoved();
  } else if (index < pageTable.currentPage) {
    --pageTable.currentPage;
    hooks.pageWindowCaptionChanged();
  }
}
