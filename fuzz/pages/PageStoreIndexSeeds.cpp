// Seeds of the page store index target: indexes the page store writes
// (WritePageIndex) for an empty store, rows with a gap in their ids, and
// rows past the first store folder.
#include <string>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageStoreRun.h"
#include "pages/PageTable.h"

namespace {

void IndexSeed(const std::string& folder, const std::string& name, std::initializer_list<int16_t> ids) {
  fuzz::UsePageStore("store-index-seeds", ids);
  if (WritePageIndex()) fuzz::CopySeed(folder, name, fuzz::StoreFolderFile(u"!Index"));
  pageTable.pageCount = 0;
}

}  // namespace

KV_FUZZ_SEEDS(page_store_index) {
  IndexSeed(folder, "empty", {});
  IndexSeed(folder, "gap-at-two", {0, 1, 3});
  IndexSeed(folder, "second-folder", {33, 0, 32, 1, 2});
}
