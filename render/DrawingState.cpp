#include "render/DrawingState.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "render/SizeRules.h"
#include "score/ScoreFile.h"

namespace {

DrawingStateRecord State;
StavesJoinedRule JoinedRule = StavesJoinedInPart;

constexpr int kLimit = kWin9xCoordinateLimit;

bool OutsideLimits(int32_t a, int32_t b) {
  return DrawingState().win9xLimits && (a < -kLimit || a > kLimit || b < -kLimit || b > kLimit);
}

// Logical coordinates stay within 32 bits whatever a damaged item asks for.
int32_t FloorToInt(double v) {
  const double f = std::floor(v);
  if (!(f > -2147483648.0)) return INT32_MIN;
  if (!(f < 2147483647.0)) return INT32_MAX;
  return static_cast<int32_t>(f);
}

render::Pen SolidPen(int32_t width) { return {render::PenStyle::Solid, width, State.colour}; }

}  // namespace

DrawingStateRecord& DrawingState() { return State; }

static DeviceRect PaneRect{};

void ResetDrawingState() {
  State = DrawingStateRecord{};
  PaneRect = DeviceRect{};
}

void StorePaneRect(const DeviceRect& rect) { PaneRect = rect; }
DeviceRect StoredPaneRect() { return PaneRect; }
PaneWorldRect StoredPaneWorldRect() { return {PaneRect.left, PaneRect.right, -PaneRect.bottom, -PaneRect.top}; }

// ---- Device scale and mapping ----

double DeviceScale() {
  if (!State.printing) return 2.0;
  if (!State.win9xLimits) return 16.0;
  const double longest = std::max(ScorePageSize.width, ScorePageSize.height);
  if (longest <= 0.0) return 16.0;
  return std::min(16.0, kLimit / longest);
}

double DevicePixelInWorld() {
  const double d = State.printing ? DeviceScale() : 1.0;
  return 1.000000000000001 / (d * State.scale);
}

void ScaledExtents(Extent& windowExtent, Extent& viewportExtent, const DeviceRect& rect) {
  const int32_t w = std::abs(rect.right - rect.left);
  const int32_t h = std::abs(rect.bottom - rect.top);
  windowExtent = {static_cast<int32_t>(DeviceScale() * w), static_cast<int32_t>(DeviceScale() * h)};
  viewportExtent = {w, h};
}

void SetScaledMapping(render::DrawDevice* dc, const Extent& windowExtent, const Extent& viewportExtent) {
  if (dc) dc->SetScaledMapping(windowExtent.cx, windowExtent.cy, viewportExtent.cx, viewportExtent.cy);
}

void RestoreMapping(render::DrawDevice* dc) {
  if (dc) dc->RestoreMapping();
}

// ---- Transforms ----

int32_t WorldToLogicalX(double x) {
  return FloorToInt(DeviceScale() * ((x + State.offsetX) * State.scale - State.paintLeft));
}

int32_t WorldToLogicalY(double y) {
  return FloorToInt(DeviceScale() * ((y + State.offsetY) * State.scale + State.paintTop));
}

int32_t WorldToLogicalLength(double v) { return FloorToInt(DeviceScale() * State.scale * v); }

void EnsureMinimumPenWidth(double& w) {
  if (State.printing) return;
  if (w >= 0.0 && w * State.scale < 1.0) {
    w = 1.01 / State.scale;
  } else if (w < 0.0 && w * State.scale > -1.0) {
    w = -1.01 / State.scale;
  }
}

int32_t WorldToLogicalWidth(double w) {
  EnsureMinimumPenWidth(w);
  return WorldToLogicalLength(w);
}

// ---- Visible rectangle ----

void SetVisibleWorldRect(const DeviceRect& rect) {
  State.paintLeft = rect.left;
  State.paintTop = rect.top;
  State.visibleLeft = rect.left / State.scale - State.offsetX - 25.0;
  State.visibleRight = rect.right / State.scale - State.offsetX + 20.0;
  State.visibleTop = 17.0 - (rect.top / State.scale + State.offsetY);
  State.visibleBottom = -(rect.bottom / State.scale + State.offsetY) - 42.0;
}

bool IsPointVisible(int32_t x, int32_t y) {
  return State.visibleLeft < x && x < State.visibleRight && State.visibleBottom < y && y < State.visibleTop;
}

void SetScoreViewOrigin(int32_t x, int32_t y) {
  State.offsetX = (x - 1) / State.scale;
  State.offsetY = (y - 1) / State.scale;
}

// ---- Device operations ----

void MoveToPoint(int32_t x, int32_t y) {
  if (!State.dc || OutsideLimits(x, y)) return;
  State.currentX = x;
  State.currentY = -y;
  State.dc->MoveTo(x, -y);
}

void LineToWidth(int32_t x, int32_t y, int32_t width) {
  if (!State.dc || OutsideLimits(x, y)) return;
  // The device's own current point moves; the layer's stays where it was.
  State.dc->LineTo(x, -y, SolidPen(width));
}

namespace {

void StepBy(int32_t dx, int32_t dy, const render::Pen& pen) {
  if (!State.dc || OutsideLimits(dx, dy)) return;
  State.currentX += dx;
  State.currentY -= dy;
  State.dc->LineTo(State.currentX, State.currentY, pen);
}

}  // namespace

void LineToRelative(int32_t dx, int32_t dy, int32_t width) { StepBy(dx, dy, SolidPen(width)); }

void DottedLineBy(int32_t dx, int32_t dy, int32_t width) {
  StepBy(dx, dy, {render::PenStyle::Dotted, width, State.colour});
}

void DrawLineWidth(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width) {
  if (!State.dc) return;
  State.dc->MoveTo(x0, -y0);
  State.dc->LineTo(x1, -y1, SolidPen(width));
}

bool ClipDeviceRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
  if (!State.win9xLimits) return true;
  if (x < -kLimit) {
    width += x + kLimit;
    if (width < 0) return false;
    x = -kLimit;
  }
  if (y < -kLimit) {
    height += y + kLimit;
    if (height < 0) return false;
    y = -kLimit;
  }
  if (x > kLimit) {
    width += x - kLimit;
    if (width >= 0) return false;
    x = kLimit;
  }
  if (y > kLimit) {
    height += y - kLimit;
    if (height >= 0) return false;
    y = kLimit;
  }
  if (x + width < -kLimit) {
    width = -kLimit - x;
    if (width >= 0) return false;
  }
  if (y + height < -kLimit) {
    height = -kLimit - y;
    if (height >= 0) return false;
  }
  if (x + width > kLimit) {
    width = kLimit - x;
    if (width < 0) return false;
  }
  if (y + height > kLimit) {
    height = kLimit - y;
    if (height < 0) return false;
  }
  return true;
}

void DrawRectOutline(int32_t x, int32_t y, int32_t width, int32_t height, int32_t penWidth) {
  if (!State.dc || !ClipDeviceRect(x, y, width, height)) return;
  State.dc->Rectangle(x, -y, x + width, -(y + height), SolidPen(penWidth), {true, 0});
}

void FillRectSolid(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!State.dc || !ClipDeviceRect(x, y, width, height)) return;
  State.dc->Rectangle(x, -y, x + width, -(y + height), SolidPen(0), {false, State.colour});
}

void DrawCircle(int32_t cx, int32_t cy, int32_t radius, int32_t penWidth) {
  if (!State.dc || OutsideLimits(cx, cy)) return;
  State.dc->Ellipse(cx - radius, -(cy + radius), cx + radius, radius - cy, SolidPen(penWidth), {true, 0});
}

void FillCircle(int32_t cx, int32_t cy, int32_t radius) {
  if (!State.dc || OutsideLimits(cx, cy)) return;
  State.dc->Ellipse(cx - radius, -(cy + radius), cx + radius, radius - cy, SolidPen(0), {false, State.colour});
}

void DrawFilledBezier(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t thickness) {
  if (!State.dc) return;
  int32_t ma = static_cast<int32_t>(0.5 * x0 + 0.5 * x1);
  if (ma <= x0) ma = x0 + 1;
  int32_t mb = static_cast<int32_t>(0.5 * x1 + 0.5 * x2);
  if (mb >= x2) mb = x2 - 1;
  const int32_t lift = static_cast<int32_t>((y1 - (y0 + y2) / 2) * -0.333333333);
  const int32_t c = y1 - lift;
  const int32_t t = thickness;
  const render::DevicePoint points[6] = {{ma, -c},       {mb, -c},       {x2, -y2},
                                         {mb, -(c + t)}, {ma, -(c + t)}, {x0, -y0}};
  State.dc->FillBezierPath({x0, -y0}, points, 6, State.colour);
}

void DrawHaloText(int32_t x, int32_t y, const char16_t* text, render::Colour textColour, render::Colour haloColour) {
  if (!State.dc || !text) return;
  const int length = static_cast<int>(std::char_traits<char16_t>::length(text));
  static const int kAround[8][2] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1}, {0, 1}, {0, -1}, {-1, 0}, {1, 0}};
  State.dc->SetTextColour(haloColour);
  for (const auto& d : kAround) State.dc->TextAt(x + d[0], y + d[1], text, length);
  State.dc->SetTextColour(textColour);
  State.dc->TextAt(x, y, text, length);
}

// ---- World operations ----

void MoveToWorld(double x, double y) {
  if (State.LayoutOnlyFlag) return;
  MoveToPoint(WorldToLogicalX(x), WorldToLogicalY(y));
}

void LineToWorld(double x, double y, double width) {
  if (State.LayoutOnlyFlag) return;
  LineToWidth(WorldToLogicalX(x), WorldToLogicalY(y), WorldToLogicalWidth(width));
}

void LineByWorld(double dx, double dy, double width) {
  if (State.LayoutOnlyFlag) return;
  LineToRelative(WorldToLogicalLength(dx), WorldToLogicalLength(dy), WorldToLogicalWidth(width));
}

void DottedLineByWorld(double dx, double dy, double width) {
  if (State.LayoutOnlyFlag) return;
  DottedLineBy(WorldToLogicalLength(dx), WorldToLogicalLength(dy), WorldToLogicalWidth(width));
}

void FillWorldRect(double x, double y, double width, double height) {
  if (State.LayoutOnlyFlag) return;
  FillRectSolid(WorldToLogicalX(x), WorldToLogicalY(y), WorldToLogicalWidth(width), WorldToLogicalWidth(height));
}

void DrawWorldRectOutline(double x, double y, double width, double height) {
  if (State.LayoutOnlyFlag) return;
  DrawRectOutline(WorldToLogicalX(x), WorldToLogicalY(y), WorldToLogicalLength(width), WorldToLogicalLength(height),
                  0);
}

void DrawWorldCircle(double x, double y, double radius, double width) {
  if (State.LayoutOnlyFlag) return;
  DrawCircle(WorldToLogicalX(x), WorldToLogicalY(y), WorldToLogicalLength(radius), WorldToLogicalWidth(width));
}

void FillWorldCircle(double x, double y, double radius) {
  if (State.LayoutOnlyFlag) return;
  FillCircle(WorldToLogicalX(x), WorldToLogicalY(y), WorldToLogicalWidth(radius));
}

void FillWorldCurve(double x0, double y0, double x1, double y1, double x2, double y2, double thickness) {
  if (State.LayoutOnlyFlag) return;
  DrawFilledBezier(WorldToLogicalX(x0), WorldToLogicalY(y0), WorldToLogicalX(x1), WorldToLogicalY(y1),
                   WorldToLogicalX(x2), WorldToLogicalY(y2), WorldToLogicalWidth(thickness));
}

void TextOutWorld(render::DrawDevice* dc, double x, double y, const char16_t* text, int length) {
  if (State.LayoutOnlyFlag || !dc) return;
  const int32_t yd = FloorToInt(DeviceScale() * ((State.offsetY - y) * State.scale + State.paintTop));
  dc->TextAt(WorldToLogicalX(x), -yd, text, length);
}

void DrawPointMark(double x, double y) {
  const double u = DevicePixelInWorld();
  FillWorldRect(x - u, y - u, 2 * u, 2 * u);
}

// ---- State setters ----

void SetCurrentStaff(int32_t tag, int32_t staff) {
  State.currentStaffTag = tag;
  State.currentStaff = staff;
}

void SetSmallNotes(uint32_t flag) { State.smallNotes = flag; }

void SetDrawColourValue(render::Colour colour) { State.colour = colour; }

// ---- Curve points ----

void ResetCurvePoints() { State.curve.count = 0; }

int32_t AddCurvePoint(double x, double y) {
  CurvePointBuffer& c = State.curve;
  c.x[c.count] = x;
  c.y[c.count] = y;
  if (c.count < kCurvePointCapacity - 1) ++c.count;
  return c.count;
}

void LastCurvePoint(double& xOut, double& yOut) {
  xOut = State.curve.x[State.curve.count];
  yOut = State.curve.y[State.curve.count];
}

// ---- Deferred part braces ----

void SetStavesJoinedRule(StavesJoinedRule rule) { JoinedRule = rule ? rule : StavesJoinedInPart; }

bool StaveJoinedToAbove(int32_t staff) { return JoinedRule && JoinedRule(staff); }

void QueueDeferredBarLine(int32_t staff, double x, double top, double bottom, int32_t colourIndex,
                          uint32_t labelKindA, uint32_t labelKindB, std::deque<PartBraceRecord>& queue) {
  if (!JoinedRule || !JoinedRule(staff)) {
    State.pendingBarTop = static_cast<int32_t>(top);
    State.pendingBarStateA = 1;
    return;
  }
  queue.push_back({staff, State.pendingBarTop, x, bottom, State.pendingBarStateA, State.pendingBarStateB,
                   labelKindA, labelKindB});
}
