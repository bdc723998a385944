// Page data files of every version: read into a page of their own; a page
// that was read is written in the current version and must read back to the
// same staves, curves, boxes and sizes.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageDataChecks.h"
#include "pages/PageData.h"

KV_FUZZ_TARGET(page_data) {
  const std::u16string path = fuzz::InputFile(data, size, "");
  auto page = std::make_unique<PageData>();
  uint32_t key = 0, version = 0;
  if (ReadPageDataFile(path.c_str(), page.get(), &key, false, &version) != PageDataRead::kRead) return 0;
  if (page->staveCount > uint32_t(kMaxPageStaves) || page->boxCount < 0 || page->boxCount > kMaxLoadedBoxes ||
      version > kPageDataVersion)
    std::abort();

  // Round trip. The staves were shifted by the stored offsets on reading, so
  // they go back without offsets.
  const std::u16string copy = fuzz::ScratchPath("round-trip-data");
  PageDataFileFields fields;
  fields.pageKey = key;
  if (!WritePageDataFile(copy.c_str(), *page, page->staves, page->staveCount, fields)) std::abort();
  auto again = std::make_unique<PageData>();
  uint32_t keyAgain = 0, versionAgain = 0;
  if (ReadPageDataFile(copy.c_str(), again.get(), &keyAgain, false, &versionAgain) != PageDataRead::kRead ||
      keyAgain != key || versionAgain != kPageDataVersion || again->staveCount != page->staveCount ||
      again->boxCount != page->boxCount || again->scaledWidth != page->scaledWidth ||
      again->scaledHeight != page->scaledHeight)
    std::abort();
  for (uint32_t s = 0; s < page->staveCount; ++s) {
    if (!fuzz::SameStave(page->staves[s], again->staves[s]) || again->curvesValid[s] != page->curvesValid[s]) std::abort();
    if (page->curvesValid[s] == 0) continue;
    if (again->modelCurves[s] != page->modelCurves[s]) std::abort();
    for (int k = 0; k < page->staves[s].lineCount; ++k)
      if (std::memcmp(page->lineCurves.y[s][k], again->lineCurves.y[s][k], sizeof page->lineCurves.y[s][k]) != 0)
        std::abort();
  }
  for (int i = 0; i < page->boxCount; ++i)
    if (std::memcmp(page->boxes[i], again->boxes[i], sizeof page->boxes[i]) != 0 ||
        std::memcmp(&page->boxValues[i], &again->boxValues[i], sizeof page->boxValues[i]) != 0)
      std::abort();
  return 0;
}
