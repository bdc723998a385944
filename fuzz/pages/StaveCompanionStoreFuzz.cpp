// Stave companion files read onto the current page of a page store, as the
// file opener reads one after storing the page it belongs to: the staves
// read are saved as the page's data file and the page's row is marked in the
// index. A marked page's data file reads back (through the page store) to
// the staves the page view holds, and the index read again keeps the mark;
// a damaged file leaves the page, its data file and its row as they were.
#include <cstdlib>
#include <memory>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/CompanionPage.h"
#include "fuzz/pages/PageDataChecks.h"
#include "fuzz/pages/PageStoreRun.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "reading/FileOpenerHooks.h"
#include "reading/StaveCompanion.h"

namespace {

constexpr int16_t kScanId = 40;

}  // namespace

KV_FUZZ_TARGET(stave_companion_store) {
  const std::u16string path = fuzz::InputFile(data, size, ".tif.stv");
  fuzz::UsePageStore("store-companion", {3, kScanId});
  ResetFileOpenerHooks();
  pageTable.currentPage = 1;
  const std::u16string dataFile = fuzz::StoreFilePath(PageFile::kData, kScanId);
  const std::u16string index = fuzz::StoreFolderFile(u"!Index");
  FileDelete(dataFile.c_str());
  FileDelete(index.c_str());
  viewPage.imageArea = fuzz::CompanionPage();
  viewPage.width = fuzz::kCompanionPageWidth;
  viewPage.height = fuzz::kCompanionPageHeight;
  viewPage.resolution = 300;
  viewPage.staveCount = 0;

  const int read = ReadStaveCompanion(path.c_str());
  const bool marked = (pageTable.rows[1].flags & kStavesFromCompanion) != 0;
  if (read != 1) {
    if (viewPage.staveCount != 0 || marked || FileExists(dataFile.c_str()) || FileExists(index.c_str())) std::abort();
  } else if (marked) {
    auto page = std::make_unique<PageData>();
    uint32_t key = 0;
    LoadPageData(page.get(), 1, &key);
    if (page->staveCount != viewPage.staveCount || key != pageTable.rows[1].pageKey) std::abort();
    for (uint32_t k = 0; k < page->staveCount; ++k)
      if (!fuzz::SameStave(page->staves[k], viewPage.staves[k])) std::abort();
    auto again = std::make_unique<PageTable>();
    if (ReadPageIndexFile(index.c_str(), again.get()) != IndexRead::kRead || again->pageCount != 2 ||
        (again->rows[1].flags & kStavesFromCompanion) == 0 || (again->rows[0].flags & kStavesFromCompanion) != 0)
      std::abort();
  }
  viewPage.staveCount = 0;
  viewPage.imageArea = nullptr;
  pageTable.currentPage = -1;
  pageTable.pageCount = 0;
  return 0;
}
