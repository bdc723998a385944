// Stave companion files (".stv" beside a page image): read onto a made page
// in the page view, as the file opener does after loading the image. Staves
// that were read lie within the page and have one to six lines.
#include <cstdlib>
#include <cstring>

#include "fuzz/FuzzTarget.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "reading/StaveCompanion.h"

namespace {

constexpr uint32_t kPageWidth = 400;
constexpr uint32_t kPageHeight = 300;

// A 1-bit page with a system line down its left side, made once.
Handle MadePage() {
  static Handle area = [] {
    const uint64_t rowBytes = PaddedRowBytes(kPageWidth, 1);
    Handle made = nullptr;
    const uint32_t bytes = static_cast<uint32_t>(SpriteAreaBytes(rowBytes * kPageHeight));
    if (!AllocHandleChecked(&made, bytes, 0, 0)) std::abort();
    uint8_t* block = static_cast<uint8_t*>(made);
    InitSpriteArea(block, bytes);
    if (CreateSprite(block, kPageSpriteName, kPageWidth, kPageHeight, kSpriteMode1Bit)) std::abort();
    for (uint32_t y = 20; y < 280; ++y) SpriteRows(block)[y * rowBytes + 5] = 0x0F;
    return made;
  }();
  return area;
}

}  // namespace

KV_FUZZ_TARGET(stave_companion) {
  const std::u16string path = fuzz::InputFile(data, size, ".tif.stv");
  pageTable.currentPage = -1;
  viewPage.imageArea = MadePage();
  viewPage.width = kPageWidth;
  viewPage.height = kPageHeight;
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
        r.bottom <= r.top || r.right >= int(kPageWidth) || r.bottom >= int(kPageHeight) || r.group < 1)
      std::abort();
  }
  viewPage.staveCount = 0;
  viewPage.imageArea = nullptr;
  return 0;
}
