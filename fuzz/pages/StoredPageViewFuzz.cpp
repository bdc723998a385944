// A stored page image as a user's page store holds it (the image file of a
// page row, compressed or a bitmap, damaged), loaded into the page view as
// the pages pane does (LoadScanImage: the border cleared through the
// preparation's hook, the page data looked for) and drawn as the page view
// draws it, whole and through a clip, 1:1 and scaled down. A page that does
// not load leaves the view's old image; one that loads is a sprite whose
// rows lie in its block, with a clear border when it is 1-bit, and every
// drawing fills the clip it narrows.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageSeedImages.h"
#include "fuzz/pages/PageStoreRun.h"
#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "pages/SpriteDrawing.h"
#include "reading/PageSprites.h"
#include "reading/PreparePage.h"

namespace {

constexpr int16_t kScanId = 33;  // the second store folder

// The view's image before the load: a small page of its own.
Handle OldViewImage() {
  const std::vector<uint8_t> area = fuzz::PatternArea(40, 12, 1);
  Handle block = nullptr;
  if (!AllocHandleChecked(&block, area.size(), 0, 0)) std::abort();
  std::memcpy(block, area.data(), area.size());
  return block;
}

// No ink in the two outer rows and columns on every side.
void ExpectClearBorder(const PageImage& view) {
  for (int32_t y = 0; y < view.height; ++y) {
    const bool edgeRow = y < 2 || y >= view.height - 2;
    for (int32_t x = 0; x < view.width; x = edgeRow || x >= view.width - 2 || x < 1 ? x + 1 : view.width - 2)
      if (view.Ink(x, y)) std::abort();
  }
}

void Draw(const uint8_t* area, const SpriteScale& scale, ClipRect clip) {
  static uint8_t colourTable[256];
  static const bool filled = [] {
    for (int i = 0; i < 256; ++i) colourTable[i] = static_cast<uint8_t>(i);
    return true;
  }();
  (void)filled;
  uint8_t colourMap[256];
  for (int i = 0; i < 256; ++i) colourMap[i] = static_cast<uint8_t>(255 - i);
  colourMap[0] = kPaperColourNumber;
  const HighlightRegion region{3, 2, 30, 20};
  for (const HighlightRegion* highlight : {static_cast<const HighlightRegion*>(nullptr), &region}) {
    SpriteDrawRequest request{area, viewPage.imageName, 0, -600, scale, colourMap, colourTable, highlight};
    ClipRect narrowed = clip;
    SpriteBitmap bitmap;
    if (RenderSprite(request, &narrowed, &bitmap) != SpriteDraw::kDrawn) continue;
    if (narrowed.x0 < clip.x0 || narrowed.y0 < clip.y0 || narrowed.x1 > clip.x1 || narrowed.y1 > clip.y1 ||
        bitmap.width != uint32_t(narrowed.x1 - narrowed.x0 + 1) ||
        bitmap.height != uint32_t(narrowed.y1 - narrowed.y0 + 1) ||
        bitmap.indices.size() != size_t(bitmap.width) * bitmap.height)
      std::abort();
  }
}

}  // namespace

KV_FUZZ_TARGET(stored_page_view) {
  fuzz::UsePageStore("store-view", {0, kScanId});
  ConnectPageStoreToPreparation();
  fuzz::WriteFuzzFile(fuzz::StoreFilePath(PageFile::kImage, kScanId), data, size);
  viewPage.imageArea = OldViewImage();
  const Handle old = viewPage.imageArea;
  if (LoadScanImage(1) != 1) {
    if (viewPage.imageArea != old || pageTable.currentPage != -1) std::abort();
    FreeHandle(&viewPage.imageArea);
    return 0;
  }
  if (pageTable.currentPage != 1 || !viewPage.imageArea) std::abort();
  uint8_t* area = viewPage.Area();
  const uint32_t blockBytes = static_cast<uint32_t>(HandleSize(viewPage.imageArea));
  const PageImage view = SpriteImageView(area);
  if (view.rows) {
    if (view.rows < area || view.rows + view.rowBytes * size_t(view.height) > area + blockBytes ||
        uint32_t(view.width) != viewPage.width || uint32_t(view.height) != viewPage.height)
      std::abort();
    if (view.bitsPerPixel == 1) ExpectClearBorder(view);
  }
  Draw(area, SpriteScale{1, 1, 1, 1}, ClipRect{0, 0, 799, 599});
  Draw(area, SpriteScale{1, 1, 2, 2}, ClipRect{5, 7, 120, 90});
  Draw(area, SpriteScale{3, 2, 1, 1}, ClipRect{-20, -10, 40, 30});
  FreeHandle(&viewPage.imageArea);
  viewPage.staveCount = 0;
  pageTable.currentPage = -1;
  return 0;
}
