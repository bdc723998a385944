// The page index "!Index" of every version: read into a table of its own;
// a table that was read is written as version 3 and must read back to the
// same rows.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/FuzzTarget.h"
#include "pages/PageTable.h"

namespace {

bool SameRow(const PageRecord& a, const PageRecord& b) {
  return a.scanId == b.scanId && std::memcmp(a.name, b.name, sizeof a.name) == 0 && a.resolution == b.resolution &&
         a.state == b.state && a.flags == b.flags && a.pageKey == b.pageKey &&
         std::memcmp(a.reserved, b.reserved, sizeof a.reserved) == 0 &&
         std::memcmp(a.scoreName, b.scoreName, sizeof a.scoreName) == 0 && a.scorePageNumber == b.scorePageNumber;
}

}  // namespace

KV_FUZZ_TARGET(page_index) {
  const std::u16string path = fuzz::InputFile(data, size, "");
  auto table = std::make_unique<PageTable>();
  const IndexRead read = ReadPageIndexFile(path.c_str(), table.get());
  if (read != IndexRead::kRead) {
    if (table->pageCount != 0) std::abort();  // a file not read leaves the table empty
    return 0;
  }
  if (table->pageCount > kMaxPages) std::abort();
  for (uint32_t i = 0; i < table->pageCount; ++i)
    if (table->rows[i].name[kPageNameUnits - 1] != 0 || table->rows[i].scoreName[kScoreNameUnits - 1] != 0 ||
        (table->rows[i].flags & kPageFlagsClearedOnLoad) != 0)
      std::abort();

  // Round trip through the version the program writes.
  const std::u16string copy = fuzz::ScratchPath("round-trip-index");
  if (!WritePageIndexFile(copy.c_str(), *table)) std::abort();
  auto again = std::make_unique<PageTable>();
  if (ReadPageIndexFile(copy.c_str(), again.get()) != IndexRead::kRead || again->pageCount != table->pageCount ||
      again->indexMark != table->indexMark)
    std::abort();
  for (uint32_t i = 0; i < table->pageCount; ++i)
    if (!SameRow(table->rows[i], again->rows[i])) std::abort();
  return 0;
}
