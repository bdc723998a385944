// The page store's index "!Index" as a user's data folder holds it, read at
// start-up (ReadPageIndex) and followed by the id the next stored page gets
// (NextFreeScanId). The table never takes more than its rows; a damaged
// index is kept aside byte for byte; the next id is the smallest one that no
// row holds.
#include <cstdlib>
#include <set>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageStoreRun.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"

namespace {

std::vector<uint8_t> FileBytes(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = FileOpen(path.c_str(), kFileRead, false);
  if (!f) return bytes;
  for (int c; (c = FileReadByte(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
  FileClose(f);
  return bytes;
}

}  // namespace

KV_FUZZ_TARGET(page_store_index) {
  fuzz::UsePageStore("store-index", {});
  const std::u16string index = fuzz::StoreFolderFile(u"!Index");
  const std::u16string kept = index + u".damaged";
  FileDelete(kept.c_str());
  fuzz::WriteFuzzFile(index, data, size);
  const bool read = ReadPageIndex();
  if (pageTable.pageCount > uint32_t(kMaxPages) || (!read && pageTable.pageCount != 0)) std::abort();
  if (!read && FileExists(kept.c_str()) && FileBytes(kept) != std::vector<uint8_t>(data, data + size)) std::abort();

  std::set<int16_t> taken;
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) taken.insert(pageTable.rows[i].scanId);
  const int16_t next = NextFreeScanId(pageTable);
  if (next < 0 || taken.count(next)) std::abort();
  for (int16_t id = 0; id < next; ++id)
    if (!taken.count(id)) std::abort();
  pageTable.pageCount = 0;
  return 0;
}
