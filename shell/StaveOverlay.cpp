#include "shell/StaveOverlay.h"

#include "shell/StaveHitTesting.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/Messages.h"
#include "reading/StaveGeometry.h"
#include "reading/StavePageData.h"
#include "render/Colours.h"
#include "render/DrawingState.h"

StaveOverlayView& OverlayView() {
  static StaveOverlayView view;
  return view;
}

namespace {

constexpr int kColumnStep = 16;
constexpr unsigned kStrManualAdjust = 10433, kStrAligned = 10443;
constexpr render::Colour kRed = 0x4000FF, kGreen = 0x40A000, kHalo = 0xEDF2F6, kLabelColour = 0x404040;

struct Mapper {
  const StaveOverlayView& v;
  int32_t X(double x) const { return static_cast<int32_t>(v.x0 + x * v.scale); }
  int32_t Y(double y) const { return -static_cast<int32_t>(v.y0 + y * v.scale); }
};

void DrawLines(PageData& page, int s, const Mapper& m, int pen) {
  const StaveRecord& r = page.staves[s];
  const bool traced = EnsureStaveCurves(page, s);
  const int lines = std::clamp<int>(r.lineCount, 1, kMaxStaveLines);
  const bool gap = r.joinLeftEnd != kNotJoined && r.joinRightStart != kNotJoined;
  auto columnX = [&r](int c) { return r.left + static_cast<double>(c) * (r.right - r.left) / kStaveColumns; };
  for (int k = 0; k < lines; ++k) {
    MoveToPoint(m.X(r.left), m.Y(r.top + StaveLineOffset(page, s, k, 0, traced)));
    for (int c = kColumnStep; c <= kStaveColumns; c += kColumnStep) {
      const int column = std::min(c, kStaveColumns - 1);
      const double x = c >= kStaveColumns ? r.right : columnX(column);
      const int32_t y = m.Y(r.top + StaveLineOffset(page, s, k, column, traced));
      if (gap && x > r.joinLeftEnd && x <= r.joinRightStart) {
        DrawLineWidth(m.X(x - (x - columnX(column - kColumnStep))), y, m.X(x), y, 1);
        MoveToPoint(m.X(x), y);
      } else {
        LineToWidth(m.X(x), y, pen);
      }
    }
  }
  const int last = lines - 1;
  for (double x : {double(r.left), double(r.right)}) {
    const int column = x >= r.right ? kStaveColumns - 1 : 0;
    DrawLineWidth(m.X(x), m.Y(r.top + StaveLineOffset(page, s, 0, column, traced)), m.X(x),
                  m.Y(r.top + StaveLineOffset(page, s, last, column, traced)), pen);
  }
}

std::u16string Ui(unsigned id) {
  char16_t text[96];
  LoadUiString(id, text, 96);
  return text;
}

void DrawLabels(PageData& page, int s, const Mapper& m, const StaveOverlayView& view) {
  const StaveRecord& r = page.staves[s];
  const int32_t baseline = m.Y(r.bottom) - 14;
  const int lines = std::clamp<int>(r.lineCount, 1, 9);
  const std::string digits = std::to_string(lines);
  const std::u16string label = std::u16string(digits.begin(), digits.end()) + Ui(10433 + lines);
  DrawHaloText(m.X(r.left) + 8, baseline, label.c_str(), kLabelColour, kHalo);
  const bool manual = page.modelCurves[s] != 0;
  if (view.dragging != s && manual) {
    DrawHaloText(m.X(r.right) - 260, baseline, Ui(kStrManualAdjust).c_str(), kRed, kHalo);
  } else if (view.dragging == s && !manual) {
    DrawHaloText(m.X(r.right) - 60, baseline, Ui(kStrAligned).c_str(), kGreen, kHalo);
  }
}

void DrawHandles(PageData& page, int s, const Mapper& m) {
  const StaveRecord& r = page.staves[s];
  const int h = kStaveHandleSize, half = kStaveHandleSize / 2;
  const int height = r.bottom - r.top;
  struct Square {
    int32_t x, y;
  };
  const int32_t midBottomX = (r.left + r.right) / 2;
  const Square squares[3] = {
      {m.X(r.left) - h - 1, m.Y((r.top + r.bottom) / 2.0)},
      {m.X(r.right) + 1, m.Y(r.rightTop + height / 2.0)},
      // Its upper edge on the bottom line.
      {m.X(midBottomX) - half, m.Y(ViewStaveLineY(page, s, midBottomX) + height) - half},
  };
  for (const Square& q : squares) {
    const int32_t top = q.y + half;  // device y is negated: the square's upper edge
    SelectDrawColour(7);
    FillRectSolid(q.x, top - h, h, h);
    SelectDrawColour(0);
    DrawRectOutline(q.x, top - h, h, h, 1);
  }
  const int32_t cx = m.X(r.midX), cy = m.Y(ViewStaveLineY(page, s, r.midX));
  SelectDrawColour(7);
  FillCircle(cx, cy, 5);
  SelectDrawColour(0);
  DrawCircle(cx, cy, 5, 1);
}

}  // namespace

void DrawStavesOf(PageData& page, const StaveOverlayView& view) {
  const Mapper m{view};
  const int count = static_cast<int>(std::min<uint32_t>(page.staveCount, kStaveSlots));
  for (int s = 0; s < count; ++s) {
    const StaveRecord& r = page.staves[s];
    if (r.right <= r.left || r.bottom <= r.top) continue;
    if (s > 0 && page.staves[s - 1].group == r.group) {
      const StaveRecord& above = page.staves[s - 1];
      SelectDrawColour(view.locked ? kLockedStaveColour : kConnectorColour);
      DrawLineWidth(m.X(above.left), m.Y(above.bottom + 2), m.X(r.left), m.Y(r.top), 4);
      // A stave in two pieces side by side: its second piece joins too.
      if (r.joinLeftEnd != kNotJoined && r.joinRightStart != kNotJoined) {
        const int fromX = above.joinRightStart != kNotJoined ? above.joinRightStart : r.joinRightStart;
        DrawLineWidth(m.X(fromX), m.Y(above.bottom + 2), m.X(r.joinRightStart), m.Y(r.top), 4);
      }
    }
    SelectDrawColour(view.locked ? kLockedStaveColour : s == view.selected ? kSelectedStaveColour : kStaveLineColour);
    DrawLines(page, s, m, page.modelCurves[s] ? 1 : 3);
    DrawLabels(page, s, m, view);
    if (s == view.selected && view.dragging < 0) DrawHandles(page, s, m);
  }
}

void DrawStaveOverlay() { DrawStavesOf(viewPage, OverlayView()); }

