#include "reading/StavePageData.h"

#include "reading/PageSprites.h"

StavePage StavePageFor(PageData& page, bool handwrittenView) {
  StavePage view;
  PageImage image = SpriteImageView(page.Area());
  if (image.bitsPerPixel == 1) view.image = image;
  view.resolution = page.resolution;
  view.lines = &page.lineCurves;
  view.curvesValid = page.curvesValid;
  view.modelCurves = page.modelCurves;
  view.handwrittenView = handwrittenView;
  return view;
}
