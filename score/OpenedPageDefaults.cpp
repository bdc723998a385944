// The page-preparation and storing defaults of the file opener's hooks: the
// page view's image goes through page preparation and into the page store.
#include <cstring>
#include <utility>

#include "pages/ImageFiles.h"
#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"
#include "reading/PagePreparation.h"
#include "score/FileOpener.h"
#include "score/FileOpenerHooks.h"
#include "score/StaveCompanion.h"

namespace {

constexpr unsigned kStrMemoryToProcessPage = 10012;

bool EndsWithNoCase(const char16_t* text, const char16_t* end) {
  size_t n = 0, m = 0;
  while (text[n]) ++n;
  while (end[m]) ++m;
  return n >= m && CompareNoCase(text + n - m, end) == 0;
}

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

// Puts a 1-bit page into a new sprite area of the page view.
bool TakePreparedImage(const PageImage& page) {
  uint64_t imageBytes = PaddedRowBytes(uint32_t(page.width), 1) * uint32_t(page.height);
  Handle area = nullptr;
  if (imageBytes > kMaxSpriteImageBytes ||
      !AllocHandleChecked(&area, size_t(imageBytes) + kSpriteImageOffset + 8, kStrMemoryToProcessPage, 0))
    return false;
  auto* bytes = static_cast<uint8_t*>(area);
  InitSpriteArea(bytes, uint32_t(imageBytes + kSpriteImageOffset + 8));
  CreateSprite(bytes, kPageSpriteName, uint32_t(page.width), uint32_t(page.height), kSpriteMode1Bit);
  size_t stride = PaddedRowBytes(uint32_t(page.width), 1);
  size_t copy = stride < page.rowBytes ? stride : page.rowBytes;
  for (int32_t y = 0; y < page.height; ++y) std::memcpy(SpriteRows(bytes) + y * stride, page.Row(y), copy);
  FreeHandle(&viewPage.imageArea);
  viewPage.imageArea = area;
  std::memcpy(viewPage.imageName, kPageSpriteName, sizeof kPageSpriteName);
  viewPage.width = uint32_t(page.width);
  viewPage.height = uint32_t(page.height);
  return true;
}

}  // namespace

int PrepareViewPage(int levels) {
  int bitsPerPixel = levels == 2 ? 1 : levels == 16 ? 4 : 8;
  OwnedPageImage source = CopyViewImage(bitsPerPixel);
  if (!source.Valid()) return 0;
  PreparationSettings settings;
  settings.resolution = viewPage.resolution;
  settings.autoRotate = General().autoRotate;
  settings.handwritten = Unsaved().readHandwritten;
  settings.fromPdf = EndsWithNoCase(CurrentImagePath(), u".pdf.bmp");
  char16_t companion[kOpenPathUnits + 4];
  settings.hasCompanion = !CurrentFileOpenerHooks().isScanning() &&
                          CompanionPath(CurrentImagePath(), companion, kOpenPathUnits + 4) && FileExists(companion);
  PreparationResult result;
  OwnedPageImage prepared = PreparePageImage(std::move(source), levels, settings, &result);
  return prepared.Valid() && TakePreparedImage(prepared.View()) ? 1 : 0;
}

int StoreOpenedPage(const char16_t* path, int pageNumber) {
  char16_t name[kPageNameUnits];
  PageNameFromFile(path, pageNumber, name);
  uint32_t before = pageTable.pageCount;
  int row = StoreScannedPage(true, name);
  return pageTable.pageCount == before ? -1 : row;
}
