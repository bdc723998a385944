// Seeds of the page store data target: data files the page store writes for
// a page-table row (SavePageData with boxes, SavePageStaves with staves
// alone), in the saved and the working form, behind their choice byte.
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageStoreRun.h"
#include "fuzz/pages/PageStoreSeedData.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"

namespace {

void StoreSeed(const std::string& folder, const std::string& name, bool working, bool stavesOnly) {
  fuzz::UsePageStore("store-data-seeds", {33});
  auto page = std::make_unique<PageData>();
  fuzz::FillSeedPage(page.get());
  const bool written = stavesOnly ? SavePageStaves(0, working, *page) : SavePageData(0, working, *page);
  const std::u16string path = fuzz::StoreFilePath(working ? PageFile::kWorkingData : PageFile::kData, 33);
  std::vector<uint8_t> bytes;
  if (std::FILE* f = written ? FileOpen(path.c_str(), kFileRead, false) : nullptr) {
    for (int c; (c = FileReadByte(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    FileClose(f);
  }
  if (!bytes.empty())
    fuzz::WriteChoiceSeed(folder, name, working ? 1 : 0, std::string(bytes.begin(), bytes.end()));
  pageTable.pageCount = 0;
}

}  // namespace

KV_FUZZ_SEEDS(page_store_data) {
  StoreSeed(folder, "saved-with-boxes", false, false);
  StoreSeed(folder, "working-with-boxes", true, false);
  StoreSeed(folder, "saved-staves-only", false, true);
  StoreSeed(folder, "working-staves-only", true, true);
}
