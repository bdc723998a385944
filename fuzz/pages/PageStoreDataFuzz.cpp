// A page's data file as a user's page store holds it, read through the page
// store (LoadPageData for a page-table row) the way the reading thread and
// the page view read it. The first byte chooses the form (even: the saved
// form; odd: the working form, with a sound saved form beside it), the rest
// is the file. The page then holds what the file reader gives for that file,
// or no staves when the file is damaged: a damaged working form never
// falls back to the saved one.
#include <cstdlib>
#include <memory>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageDataChecks.h"
#include "fuzz/pages/PageStoreRun.h"
#include "fuzz/pages/PageStoreSeedData.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"

namespace {

constexpr int16_t kScanId = 33;

bool SameStaves(const PageData& a, const PageData& b) {
  if (a.staveCount != b.staveCount) return false;
  for (uint32_t s = 0; s < a.staveCount; ++s)
    if (!fuzz::SameStave(a.staves[s], b.staves[s]) || a.curvesValid[s] != b.curvesValid[s]) return false;
  return true;
}

}  // namespace

KV_FUZZ_TARGET(page_store_data) {
  if (size == 0) return 0;
  fuzz::UsePageStore("store-data", {kScanId});
  const bool working = data[0] & 1;
  const std::u16string saved = fuzz::StoreFilePath(PageFile::kData, kScanId);
  const std::u16string workingPath = fuzz::StoreFilePath(PageFile::kWorkingData, kScanId);
  FileDelete(saved.c_str());
  FileDelete(workingPath.c_str());
  if (working && !fuzz::SaveSeedPageStaves(0, false)) std::abort();
  const std::u16string& path = working ? workingPath : saved;
  fuzz::WriteFuzzFile(path, data + 1, size - 1);

  auto page = std::make_unique<PageData>();
  page->staveCount = 7;  // whatever the page held before
  uint32_t key = 0;
  LoadPageData(page.get(), 0, &key);
  auto direct = std::make_unique<PageData>();
  uint32_t directKey = 0;
  const PageDataRead read = ReadPageDataFile(path.c_str(), direct.get(), &directKey);
  if (read == PageDataRead::kRead) {
    if (!SameStaves(*page, *direct) || key != directKey) std::abort();
  } else if (page->staveCount != 0) {
    std::abort();
  }
  if (page->staveCount > uint32_t(kMaxPageStaves)) std::abort();
  pageTable.pageCount = 0;
  return 0;
}
