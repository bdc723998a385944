// Page preparation of the page view: the acquired image in the source area
// becomes the prepared 1-bit page of the view's page data; and the commands
// that turn, crop, clean or frame the view's page.
#pragma once

#include "pages/PageData.h"
#include "platform/Messages.h"
#include "reading/PageCleanUp.h"

// The acquired image before preparation (1, 4 or 8 bits), named by the
// imageName of the view's page. Freed by a successful preparation.
Handle& SourceArea();

// What preparation asks of the shell. A null member is the behaviour without
// that service: no scan preview, no image path (so no companion file and no
// PDF page), no default name, no black-and-white warning, nowhere to put a
// preview's area, the clean-up not forced and the page not handwritten.
struct PreparationHooks {
  bool (*previewActive)() = nullptr;
  const char16_t* (*currentImagePath)() = nullptr;
  void (*setCurrentImagePath)(const char16_t* path) = nullptr;
  void (*makeDefaultPageName)(const char16_t* imagePath) = nullptr;
  void (*showBlackAndWhiteWarning)() = nullptr;  // dialog 315, which writes its setting
  void (*setPreviewArea)(const BoundaryRect& area) = nullptr;
  bool (*forceCleanUp)() = nullptr;
  bool (*handwrittenPage)() = nullptr;
};
PreparationHooks& PreparationServices();

// Prepares the source image of 2, 16 or 256 levels into the view's page;
// autoCrop crops it to its printed area. 1 when the page is ready, 0 on
// failure (shown by the step that failed).
int PreparePage(int levels, int autoCrop);

// The commands on the page view's 1-bit image: 1 done, 0 not (no image, or
// memory short, shown).
int TurnPageOnSideAnticlockwise();
int TurnPageOnSideClockwise();
int TurnPageUpsideDown();
int AutoCropPage();
void CleanUpViewPage();
// Blanks the two-pixel frame of a page's image.
void ClearPageBorder(PageData* page);
// Gives the page store the frame clearing of this library.
void ConnectPageStoreToPreparation();
