// The page-preparation and storing defaults of the file opener's hooks: the
// page view's image goes through page preparation (PreparePage) and into the
// page store.
#include <cstring>

#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "reading/PageSprites.h"
#include "reading/PreparePage.h"
#include "score/FileOpener.h"
#include "score/FileOpenerHooks.h"

namespace {

bool ReadAsHandwritten() { return Unsaved().readHandwritten; }

// The page view's image as a page image of its own.
OwnedPageImage CopyViewImage(int bitsPerPixel) {
  SpriteInfo info{};
  if (!viewPage.Area() || GetSpriteInfo(viewPage.Area(), viewPage.imageName, &info)) return OwnedPageImage();
  OwnedPageImage image(int32_t(info.width), int32_t(info.height), bitsPerPixel);
  if (!image.Valid()) return image;
  size_t stride = (SpriteWord(viewPage.Area(), kSpriteWidthWords) + 1) * 4;
  size_t bytes = stride < image.View().rowBytes ? stride : image.View().rowBytes;
  for (uint32_t y = 0; y < info.height; ++y)
    std::memcpy(image.View().Row(int32_t(y)), SpriteRows(viewPage.Area()) + y * stride, bytes);
  return image;
}

// For one preparation run, the services the shell has not given are filled
// from what the file opener knows: the path of the image being opened (so
// that its companion and a rendered PDF page are recognised) and the
// handwritten-music preference.
class OpenerPreparationServices {
 public:
  OpenerPreparationServices() : saved_(PreparationServices()) {
    PreparationHooks& hooks = PreparationServices();
    if (!hooks.currentImagePath) hooks.currentImagePath = CurrentImagePath;
    if (!hooks.setCurrentImagePath) hooks.setCurrentImagePath = SetCurrentImagePath;
    if (!hooks.handwrittenPage) hooks.handwrittenPage = ReadAsHandwritten;
  }
  ~OpenerPreparationServices() { PreparationServices() = saved_; }
  OpenerPreparationServices(const OpenerPreparationServices&) = delete;
  OpenerPreparationServices& operator=(const OpenerPreparationServices&) = delete;

 private:
  PreparationHooks saved_;
};

}  // namespace

// The loaded image, copied by its sprite's own size and row stride into an
// area of its own, is the source of the one preparation driver, which puts
// the prepared page into the view (with its warning, progress, companion and
// PDF-page handling). A page that fails keeps the loaded image in the view.
int PrepareViewPage(int levels) {
  const int bitsPerPixel = levels == 2 ? 1 : levels == 16 ? 4 : 8;
  OwnedPageImage loaded = CopyViewImage(bitsPerPixel);
  if (!loaded.Valid()) return 0;
  FreeHandle(&SourceArea());
  SourceArea() = MakePageSpriteArea(loaded.View(), kPageSpriteName);
  loaded = OwnedPageImage();
  if (!SourceArea()) return 0;
  OpenerPreparationServices services;
  const int ready = PreparePage(levels, 0);
  if (!ready) FreeHandle(&SourceArea());
  return ready;
}

int StoreOpenedPage(const char16_t* path, int pageNumber) {
  char16_t name[kPageNameUnits];
  PageNameFromFile(path, pageNumber, name);
  uint32_t before = pageTable.pageCount;
  int row = StoreScannedPage(true, name);
  return pageTable.pageCount == before ? -1 : row;
}
