#include "render/PageImagePanel.h"

#include <algorithm>
#include <cmath>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "render/Colours.h"
#include "render/ScanStrip.h"

namespace {

constexpr int32_t kFar = 8191;

bool Reduced(int32_t num, int32_t den) { return num < den; }

StaveOverlayDrawer OverlayDrawer = nullptr;

}  // namespace

PageImagePlan PlanPageImageRegion(int32_t imageWidth, int32_t imageHeight, int32_t x, int32_t y,
                                  const ImageRatio& ratio, const DeviceRect* clip, bool antiAlias) {
  PageImagePlan plan{};
  if (imageWidth <= 0 || imageHeight <= 0 || ratio.xNum <= 0 || ratio.yNum <= 0 || ratio.xDen <= 0 ||
      ratio.yDen <= 0)
    return plan;
  plan.width = static_cast<int32_t>(int64_t(imageWidth) * ratio.xNum / ratio.xDen);
  plan.height = static_cast<int32_t>(int64_t(imageHeight) * ratio.yNum / ratio.yDen);
  const int32_t left = x, top = -(y + plan.height);  // the destination's top-left corner
  plan.c0 = 0;
  plan.r0 = 0;
  plan.c1 = plan.width;
  plan.r1 = plan.height;
  plan.clip = DeviceRect{left, top, left + plan.width - 1, top + plan.height - 1};
  if (clip) {
    if (clip->right < clip->left || clip->bottom < clip->top) {
      plan.clipEmpty = true;
      return plan;
    }
    plan.c0 = std::max(0, clip->left - left);
    plan.r0 = std::max(0, clip->top - top);
    plan.c1 = std::min(plan.width, clip->right - left + 1);
    plan.r1 = std::min(plan.height, clip->bottom - top + 1);
    plan.clip = DeviceRect{left + plan.c0, top + plan.r0, left + plan.c1 - 1, top + plan.r1 - 1};
  }
  plan.visible = plan.c1 > plan.c0 && plan.r1 > plan.r0;
  plan.greyPath = antiAlias && (Reduced(ratio.xNum, ratio.xDen) || Reduced(ratio.yNum, ratio.yDen));
  return plan;
}

void FillPageImagePane(int32_t x, int32_t y, int32_t width, int32_t height, bool alternativeColours) {
  SelectDrawColour(ScanStripBackgroundColour(alternativeColours));
  FillRectSolid(-2, 2, x, -kFar);
  FillRectSolid(-2, y, 65536, -kFar);
  FillRectSolid(-2, height + y, kFar, kFar);
  FillRectSolid(width + x, 2, kFar, -kFar);
}

void DrawPageImageFrame(int32_t x, int32_t y, int32_t width, int32_t height, bool alternativeColours) {
  SelectDrawColour(ScanStripBackgroundColour(alternativeColours));
  FillRoundImage(x, y, width, height, x + width + kFar);
  SelectDrawColour(2);
  DrawRectOutline(x, y + height, width, -height, 0);
  SelectDrawColour(alternativeColours ? 6 : 1);
  FillRectSolid(x + width, y + height - 4, 4, -height);
  FillRectSolid(x + 4, y, width, -4);
}

bool ScreenRecolourRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, DeviceRect* out) {
  if (y0 == y1 || x0 == x1) return false;
  const DeviceRect pane = StoredPaneRect();
  DeviceRect r{x0, std::min(-y0, -y1) - 1, x1 + 1, std::max(-y0, -y1)};
  r.left = std::max(r.left, pane.left);
  r.top = std::max(r.top, pane.top);
  r.right = std::min(r.right, pane.right);
  r.bottom = std::min(r.bottom, pane.bottom);
  if (r.top >= r.bottom || r.left >= r.right) return false;
  *out = r;
  return true;
}

bool WorldRecolourRect(double x0, double y0, double x1, double y1, int fromColour, int32_t out[4]) {
  if (std::trunc(y0) == std::trunc(y1) || std::trunc(x0) == std::trunc(x1)) return false;
  const DrawingStateRecord& s = DrawingState();
  auto t = [](double v) { return static_cast<int32_t>(std::trunc(v)); };
  if (fromColour == 15 || fromColour == 8) {
    const double yl = std::min(y0, y1), yh = std::max(y0, y1);
    out[0] = t((x0 - 1 + s.offsetX) * s.scale - 1);
    out[1] = t((yl + 1 + s.offsetY) * s.scale + 1);
    out[2] = t((x1 + 1 + s.offsetX) * s.scale + 1);
    out[3] = t((yh - 1 + s.offsetY) * s.scale - 1);
  } else {
    out[0] = t((x0 + s.offsetX) * s.scale);
    out[1] = t((y0 + s.offsetY) * s.scale);
    out[2] = t((x1 + s.offsetX) * s.scale);
    out[3] = t((y1 + s.offsetY) * s.scale);
  }
  return true;
}

bool PageImageShowsStaveOverlay(const uint8_t* area) {
  if (!area || area != viewPage.Area()) return false;
  const int32_t row = pageTable.currentPage;
  if (row < 0 || row >= static_cast<int32_t>(pageTable.pageCount) || row >= kMaxPages) return false;
  return (pageTable.rows[row].flags & kPageStaveOverlay) != 0;
}

StaveOverlayDrawer SetStaveOverlayDrawer(StaveOverlayDrawer drawer) {
  const StaveOverlayDrawer old = OverlayDrawer;
  OverlayDrawer = drawer;
  return old;
}

StaveOverlayDrawer CurrentStaveOverlayDrawer() { return OverlayDrawer; }
