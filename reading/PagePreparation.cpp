#include "reading/PagePreparation.h"

#include <cmath>
#include <utility>

#include "platform/Messages.h"
#include "reading/PageOrientation.h"
#include "reading/PageThreshold.h"
#include "reading/PreparationStrings.h"

namespace {

void Done(PreparationObserver* observer, const char* step) {
  if (observer) observer->StepDone(step);
}

}  // namespace

bool TurnOnSideIfNeeded(OwnedPageImage& page, bool patternedPaper, int resolution) {
  int cell = patternedPaper ? PatternCell(resolution) : 1;
  if (!OnSideTest(page.View(), 2, 1, cell, resolution)) return false;
  OwnedPageImage turned = TurnOnSideAnticlockwise(page.View());
  if (!turned.Valid()) return false;  // memory short: the page stays as it is
  page = std::move(turned);
  return true;
}

OwnedPageImage PreparePageImage(OwnedPageImage source, int levels, const PreparationSettings& settings,
                                PreparationResult* result, PreparationObserver* observer) {
  PreparationResult local;
  PreparationResult& r = result ? *result : local;
  r = PreparationResult();
  if (!source.Valid()) return OwnedPageImage();
  const int depth = levels == 2 ? 1 : levels == 16 ? 4 : levels == 256 ? 8 : 0;
  if (depth == 0 || depth != source.View().bitsPerPixel) {
    MessageById(nullptr, kStrOnlyGreyScans);
    return OwnedPageImage();
  }
  const int resolution = settings.resolution;
  const bool examine = !settings.hasCompanion;           // inversion, paper, angle, turn, clean-up
  const bool checkPaper = !settings.fromPdf && !settings.hasCompanion;
  const bool rotate = settings.autoRotate && !settings.preview && !settings.hasCompanion;

  Histogram histogram;
  BuildHistogram(source.View(), levels, histogram);
  if (examine) r.inverted = InvertIfNegative(histogram, levels, source.View());
  RefineHistogram(histogram, levels, source.View(), resolution);
  Done(observer, "histogram and inversion");

  OwnedPageImage page;
  if (levels == 2) {
    if (checkPaper) r.patternedPaper = DetectPatternedPaper(source.View(), 1, 2, resolution) != 0;
    Done(observer, "paper type");
    double angle = rotate ? FindPageAngle(source.View(), 2, 1, r.patternedPaper, resolution) : 0.0;
    if (std::fabs(angle) < 0.12) angle = 0.0;
    r.angle = angle;
    Done(observer, "page angle");
    page = LevelPage(angle, source.View());
    if (!page.Valid()) {
      if (angle != 0.0) return OwnedPageImage();  // memory short, reported
      page = std::move(source);
    }
    Done(observer, "levelling");
    if (angle == 0.0 && !settings.preview && examine)
      r.turnedOnSide = TurnOnSideIfNeeded(page, r.patternedPaper, resolution);
    Done(observer, "on-side turn");
  } else {
    if (levels == 16) CalculateThreshold(histogram, 16, false, false);  // this page's own paper peak
    int t1 = CalculateThreshold(histogram, levels, true, true);
    if (levels == 16) {
      OwnedPageImage grey = ExpandTo256Greys(source.View());
      if (!grey.Valid()) return OwnedPageImage();
      source = std::move(grey);
      t1 *= 17;
      levels = 256;
    }
    Done(observer, "threshold");
    if (checkPaper) r.patternedPaper = DetectPatternedPaper(source.View(), t1, levels, resolution) != 0;
    Done(observer, "paper type");
    int t;
    if (r.patternedPaper) {
      RefinePatternHistogram(histogram, levels, source.View(), resolution);
      int t2 = CalculateThreshold(histogram, levels, true, true);
      t = GreyThreshold(t1, t2, true);
    } else {
      t = GreyThreshold(t1, 0, false);
    }
    r.threshold = t;
    if (rotate) {
      r.angle = FindPageAngle(source.View(), levels, t, r.patternedPaper, resolution);
      Done(observer, "page angle");
      page = LevelGreyPage(r.angle, source.View(), t);
      if (!page.Valid()) return OwnedPageImage();
      Done(observer, "levelling");
    } else {
      page = ConvertToBlackAndWhite(source.View(), t);
      if (!page.Valid()) return OwnedPageImage();
      Done(observer, "black and white");
      if (!settings.preview && examine) r.turnedOnSide = TurnOnSideIfNeeded(page, r.patternedPaper, resolution);
      Done(observer, "on-side turn");
    }
  }
  source = OwnedPageImage();

  CleanUpOptions cleanUp;
  cleanUp.resolution = resolution;
  cleanUp.handwritten = settings.handwritten;
  cleanUp.forceCleanUp = settings.forceCleanUp;
  cleanUp.showProgress = true;
  if (!settings.preview && settings.autoCrop) {
    if (examine) {
      BoundaryRect area;
      if (FindBoundary(page.View(), resolution, &area)) {
        OwnedPageImage cropped = CropPage(page.View(), static_cast<int32_t>(area.left), static_cast<int32_t>(area.top),
                                          static_cast<int32_t>(area.right), static_cast<int32_t>(area.bottom));
        if (cropped.Valid()) page = std::move(cropped);
      }
      Done(observer, "crop");
      CleanUpPage(page.View(), cleanUp);
      Done(observer, "clean-up");
    }
  } else {
    if (examine) {
      CleanUpPage(page.View(), cleanUp);
      Done(observer, "clean-up");
    }
    if (settings.preview && !FindBoundary(page.View(), resolution, &r.previewArea)) return OwnedPageImage();
  }
  if (!settings.preview) ClearPageBorder(page.View());
  Done(observer, "border");
  return page;
}
