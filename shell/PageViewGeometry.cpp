#include "shell/PageViewGeometry.h"

#include <algorithm>
#include <string>

#include "platform/Messages.h"

int ZoomToFit(int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
  if (clientWidth <= 0 || clientHeight <= 0) return 1;
  if (imageWidth <= 0 || imageHeight <= 0) return 100;
  const int64_t w = clientWidth, h = clientHeight - kPageToolbarHeight;
  int64_t zoom;
  if (h * 1024 / w > int64_t(imageHeight) * 1024 / imageWidth) zoom = w * 100 / imageWidth;
  else zoom = h * 100 / imageHeight;
  return static_cast<int>(std::clamp<int64_t>(zoom, 1, 999));
}

int WheelZoom(int zoom, bool towardUser) {
  const int next = static_cast<int>(zoom * (towardUser ? 1.3333333333333333 : 0.75));
  return next >= kSmallestWheelZoom && next <= kLargestWheelZoom ? next : zoom;
}

ScrollExtent PageViewExtent(uint32_t imageWidth, uint32_t imageHeight, int zoom) {
  return {static_cast<int>(int64_t(imageWidth) * zoom / 100 + 5), static_cast<int>(int64_t(imageHeight) * zoom / 100 + 4)};
}

namespace {

std::u16string Ui(unsigned id) {
  char16_t text[128];
  LoadUiString(id, text, 128);
  return text;
}

std::u16string Number(int n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void PageNameForViews(const char16_t* name, char16_t* out, int units) {
  if (units <= 0) return;
  std::u16string text = name ? name : u"";
  text = text.substr(0, size_t(units) - 1);
  if (text.size() >= 5 && text[text.size() - 4] == u'.') text.resize(text.size() - 4);
  text.copy(out, text.size());
  out[text.size()] = 0;
}

void ComposePageViewCaption(const char16_t* name, int pageNumber, int pageCount, int zoom, bool scanning, char16_t* out,
                            int units) {
  if (units <= 0) return;
  std::u16string caption = name ? name : u"";
  caption += Ui(10186);
  if (scanning) {
    caption += Ui(10092);
  } else {
    const std::u16string blank = Ui(10183);
    caption += Ui(10089) + blank + Number(pageNumber) + blank + Ui(10090) + blank + Number(pageCount);
  }
  caption += Ui(10187) + Ui(10091) + Ui(10183) + Number(zoom) + Ui(10188);
  const size_t n = std::min<size_t>(caption.size(), size_t(units) - 1);
  caption.copy(out, n);
  out[n] = 0;
}

void ClampStave(StaveRecord* staves, int count, int i, int dpi, int width, int height) {
  if (i < 0 || i >= count || dpi <= 0) return;
  StaveRecord& s = staves[i];
  const int r = dpi;
  const int upper = i > 0 ? staves[i - 1].bottom : r / 50;
  const int lower = i + 1 < count ? staves[i + 1].top : height - r / 50;
  int left = s.left, right = s.right, top = s.top, bottom = s.bottom;
  if (right - left < 2 * r) right = left + 2 * r;
  if (bottom - top < 40) bottom = top + 40;
  if (bottom - top > r) bottom = top + r;
  auto shiftX = [&](int dx) { left += dx; right += dx; };
  auto shiftY = [&](int dy) { top += dy; bottom += dy; };
  if (left < 1) shiftX(1 - left);
  if (right > width - 1) shiftX(width - 1 - right);
  if (bottom > lower) shiftY(lower - bottom);
  if (top < upper) shiftY(upper - top);
  left = std::max(left, r / 8);
  right = std::min(right, width - r / 50);
  bottom = std::min(bottom, lower);
  top = std::max(top, upper);
  s.left = static_cast<int16_t>(left);
  s.right = static_cast<int16_t>(right);
  s.top = static_cast<int16_t>(top);
  s.bottom = static_cast<int16_t>(bottom);
  const int highest = std::max(upper, lower - (bottom - top));
  s.midX = static_cast<int16_t>(std::clamp<int>(s.midX, left + r / 8, std::max(left + r / 8, right - r / 8)));
  s.midTop = static_cast<int16_t>(std::clamp<int>(s.midTop, upper, highest));
  s.rightTop = static_cast<int16_t>(std::clamp<int>(s.rightTop, upper, highest));
  s.slope = static_cast<int16_t>(right == left ? 0 : (s.rightTop - top) * 4096 / (right - left));
}

StaveRecord DraggedStave(int mode, const StaveRecord& start, int dx, int dy) {
  StaveRecord r = start;
  auto add = [](int16_t& field, int amount) { field = static_cast<int16_t>(field + amount); };
  switch (mode) {
    case kMoveStave:
      add(r.left, dx), add(r.right, dx), add(r.midX, dx);
      add(r.top, dy), add(r.bottom, dy), add(r.midTop, dy), add(r.rightTop, dy);
      break;
    case kDragRightEnd: add(r.right, dx), add(r.rightTop, dy); break;
    case kDragLeftEnd: add(r.left, dx), add(r.top, dy), add(r.bottom, dy); break;
    case kDragTopMiddle: add(r.midX, dx), add(r.midTop, dy); break;
    case kDragBottomLine: add(r.bottom, dy); break;
    default: break;
  }
  return r;
}

int SteppedPage(int current, int count, int step, bool throughProblems, const int32_t* problems, int problemCount) {
  if (!throughProblems) {
    const int next = current + step;
    return next >= 0 && next < count ? next : -1;
  }
  int best = -1;
  for (int i = 0; i < problemCount; ++i) {
    const int row = problems[i];
    if (row < 0 || row >= count || (row - current) * step <= 0) continue;
    if (best < 0 || (row - best) * step < 0) best = row;
  }
  return best;
}
