// The page-preparation and storing defaults of the file opener's hooks: the
// page view's image goes through page preparation (PreparePage) and into the
// page store.
#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "reading/PageSprites.h"
#include "reading/PreparePage.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"

namespace {

bool ReadAsHandwritten() { return Unsaved().readHandwritten; }

// The page view's loaded image as its sprite describes it (size and row
// stride), or an empty view when it holds none of the expected depth.
PageImage LoadedViewImage(int bitsPerPixel) {
  SpriteInfo info{};
  if (!viewPage.Area() || GetSpriteInfo(viewPage.Area(), viewPage.imageName, &info)) return PageImage();
  if (SpriteBitsPerPixel(SpriteWord(viewPage.Area(), kSpriteMode)) != bitsPerPixel) return PageImage();
  PageImage image;
  image.rows = SpriteRows(viewPage.Area());
  image.width = int32_t(info.width);
  image.height = int32_t(info.height);
  image.rowBytes = (SpriteWord(viewPage.Area(), kSpriteWidthWords) + 1) * 4;
  image.bitsPerPixel = bitsPerPixel;
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
  const PageImage loaded = LoadedViewImage(levels == 2 ? 1 : levels == 16 ? 4 : 8);
  if (!loaded.rows) return 0;
  FreeHandle(&SourceArea());
  SourceArea() = MakePageSpriteArea(loaded, kPageSpriteName);
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
