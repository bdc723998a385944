#include "reading/PreparePage.h"

#include <cstring>
#include <string>
#include <utility>

#include "pages/PageStoreHooks.h"
#include "pages/SpriteArea.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "reading/PageOrientation.h"
#include "reading/PagePreparation.h"
#include "reading/PageSprites.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparationStrings.h"

namespace {

bool Ask(bool (*hook)()) { return hook && hook(); }

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
  if (text.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char16_t a = text[text.size() - tail.size() + i], b = tail[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
    if (a != b) return false;
  }
  return true;
}

// Puts a new 1-bit image into the view's page, freeing the old one.
bool SetViewImage(const PageImage& image) {
  Handle area = MakePageSpriteArea(image, kPageSpriteName);
  if (!area) return false;
  FreeHandle(&viewPage.imageArea);
  viewPage.imageArea = area;
  viewPage.width = static_cast<uint32_t>(image.width);
  viewPage.height = static_cast<uint32_t>(image.height);
  std::memset(viewPage.imageName, 0, sizeof viewPage.imageName);
  std::memcpy(viewPage.imageName, kPageSpriteName, sizeof kPageSpriteName);
  return true;
}

PageImage ViewImage() {
  PageImage view = SpriteImageView(viewPage.Area());
  return view.bitsPerPixel == 1 ? view : PageImage();
}

int ReplaceViewImage(OwnedPageImage image) {
  if (!image.Valid()) return 0;
  return SetViewImage(image.View()) ? 1 : 0;
}

int Finish(int result) {
  ShowWaitCursor(false);
  CloseProgress();
  return result;
}

}  // namespace

Handle& SourceArea() {
  static Handle area = nullptr;
  return area;
}

PreparationHooks& PreparationServices() {
  static PreparationHooks hooks;
  return hooks;
}

int PreparePage(int levels, int autoCrop) {
  if (levels < 2 || levels > 256) {
    MessageById(nullptr, kStrOnlyGreyScans);
    return 0;
  }
  ShowWaitCursor(true);
  const PreparationHooks& hooks = PreparationServices();
  PreparationSettings settings;
  settings.resolution = viewPage.resolution;
  settings.preview = Ask(hooks.previewActive);
  settings.autoCrop = autoCrop != 0;
  settings.autoRotate = General().autoRotate;
  settings.forceCleanUp = Ask(hooks.forceCleanUp);
  settings.handwritten = Ask(hooks.handwrittenPage);
  if (settings.resolution <= 0) return Finish(0);  // the resolution question comes first

  std::u16string path = hooks.currentImagePath && hooks.currentImagePath() ? hooks.currentImagePath() : u"";
  if (!settings.preview && !path.empty() && FileExists((path + u".stv").c_str())) {
    settings.hasCompanion = true;
    if (hooks.makeDefaultPageName) hooks.makeDefaultPageName(path.c_str());
  }
  if (EndsWith(path, u".pdf.bmp")) {
    platform::RemoveFile(path.c_str());
    path.resize(path.size() - 4);
    if (hooks.setCurrentImagePath) hooks.setCurrentImagePath(path.c_str());
    settings.fromPdf = true;
  }
  if (levels == 2 && Global().showBwWarning && !settings.preview && !settings.hasCompanion &&
      hooks.showBlackAndWhiteWarning)
    hooks.showBlackAndWhiteWarning();

  OwnedPageImage source = CopySpriteImage(static_cast<uint8_t*>(SourceArea()));
  if (!source.Valid()) {
    if (SpriteImageView(static_cast<uint8_t*>(SourceArea())).rows) MessageById(nullptr, kStrMemoryToProcessPage);
    return Finish(0);
  }
  PreparationResult result;
  OwnedPageImage page = PreparePageImage(std::move(source), levels, settings, &result);
  if (!page.Valid()) return Finish(0);
  if (settings.preview && hooks.setPreviewArea) hooks.setPreviewArea(result.previewArea);
  if (!SetViewImage(page.View())) return Finish(0);
  FreeHandle(&SourceArea());
  return Finish(1);
}

int TurnPageOnSideAnticlockwise() {
  PageImage view = ViewImage();
  return view.rows ? ReplaceViewImage(TurnOnSideAnticlockwise(view)) : 0;
}

int TurnPageOnSideClockwise() {
  PageImage view = ViewImage();
  return view.rows ? ReplaceViewImage(TurnOnSideClockwise(view)) : 0;
}

int TurnPageUpsideDown() {
  PageImage view = ViewImage();
  if (!view.rows) return 0;
  TurnUpsideDown(view);
  CloseProgress();
  return 1;
}

int AutoCropPage() {
  PageImage view = ViewImage();
  BoundaryRect area;
  if (!view.rows || !FindBoundary(view, viewPage.resolution, &area)) return 0;
  return ReplaceViewImage(CropPage(view, static_cast<int32_t>(area.left), static_cast<int32_t>(area.top),
                                   static_cast<int32_t>(area.right), static_cast<int32_t>(area.bottom)));
}

void CleanUpViewPage() {
  PageImage view = ViewImage();
  if (!view.rows) return;
  CleanUpOptions options;
  options.resolution = viewPage.resolution;
  options.forceCleanUp = Ask(PreparationServices().forceCleanUp);
  options.handwritten = Ask(PreparationServices().handwrittenPage);
  options.showProgress = true;
  CleanUpPage(view, options);
}

void ClearPageBorder(PageData* page) {
  if (!page) return;
  PageImage view = SpriteImageView(page->Area());
  if (view.rows && view.bitsPerPixel == 1) ClearPageBorder(view);
}

void ConnectPageStoreToPreparation() {
  PageStoreHooks hooks = CurrentPageStoreHooks();
  hooks.clearPageBorder = [](PageData* page) { ClearPageBorder(page); };
  SetPageStoreHooks(hooks);
}
