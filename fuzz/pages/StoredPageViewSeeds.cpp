// Seeds of the stored page view target: pages stored by the page store
// itself (StoreScannedPage) from the page view: patterned pages at 1, 4 and
// 8 bits, which it compresses, and a page of noise, which it keeps as a
// bitmap.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageSeedImages.h"
#include "fuzz/pages/PageStoreRun.h"
#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"

namespace {

void StoreSeed(const std::string& folder, const std::string& name, std::vector<uint8_t> area) {
  fuzz::UsePageStore("store-view-seeds", {});
  Handle block = nullptr;
  if (!AllocHandleChecked(&block, area.size(), 0, 0)) return;
  std::memcpy(block, area.data(), area.size());
  viewPage.imageArea = block;
  std::memcpy(viewPage.imageName, kPageSpriteName, sizeof kPageSpriteName);
  viewPage.resolution = 300;
  StoreScannedPage(true, u"seed.tif");
  if (pageTable.pageCount == 1)
    fuzz::CopySeed(folder, name, fuzz::StoreFilePath(PageFile::kImage, pageTable.rows[0].scanId));
  FreeHandle(&viewPage.imageArea);
  pageTable.pageCount = 0;
  pageTable.currentPage = -1;
}

}  // namespace

KV_FUZZ_SEEDS(stored_page_view) {
  StoreSeed(folder, "page-1bit", fuzz::PatternArea(200, 60, 1));
  StoreSeed(folder, "page-4bit", fuzz::PatternArea(40, 20, 4));
  StoreSeed(folder, "page-8bit", fuzz::PatternArea(48, 16, 8));
  std::vector<uint8_t> noise = fuzz::PatternArea(100, 40, 8);
  std::mt19937 random(5);
  for (size_t i = kSpriteImageOffset; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(random());
  StoreSeed(folder, "noise-bitmap", noise);
}
