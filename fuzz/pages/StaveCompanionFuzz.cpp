// Stave companion files (".stv" beside a page image): read onto a made page
// in the page view, as the file opener does after loading the image. Staves
// that were read lie within the page and have one to six lines.
#include <cstdlib>
#include <cstring>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/CompanionPage.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "reading/StaveCompanion.h"

KV_FUZZ_TARGET(stave_companion) {
  const std::u16string path = fuzz::InputFile(data, size, ".tif.stv");
  pageTable.currentPage = -1;
  viewPage.imageArea = fuzz::CompanionPage();
  viewPage.width = fuzz::kCompanionPageWidth;
  viewPage.height = fuzz::kCompanionPageHeight;
  viewPage.resolution = 300;
  viewPage.staveCount = 0;
  if (ReadStaveCompanion(path.c_str()) != 1) {
    if (viewPage.staveCount != 0) std::abort();  // a damaged file leaves the page as it was
    return 0;
  }
  if (viewPage.staveCount > kMaxCompanionStaves) std::abort();
  for (uint32_t k = 0; k < viewPage.staveCount; ++k) {
    const StaveRecord& r = viewPage.staves[k];
    if (r.lineCount < 1 || r.lineCount > kMaxStaveLines || r.left < 0 || r.top < 0 || r.right <= r.left ||
        r.bottom <= r.top || r.right >= int(fuzz::kCompanionPageWidth) || r.bottom >= int(fuzz::kCompanionPageHeight) || r.group < 1)
      std::abort();
  }
  viewPage.staveCount = 0;
  viewPage.imageArea = nullptr;
  return 0;
}
