// The drawing layer: one drawing state shared by every picture of the score
// (the score pane, its off-screen bitmap, the printed page) and the small
// operations the painters draw with.
//
// How a painter draws through this layer:
//   1. Point `dc` of DrawingStateRecord at a device (render::DrawDevice: the
//      GDI device of a window, bitmap or printer, or the recording device),
//      keeping the previous one; set `printing` while printing.
//   2. Give the context the scaled mapping (ScaledExtents, then the GDI
//      mapping on Windows), set the scroll origin (SetScoreViewOrigin) and the
//      paint rectangle (SetVisibleWorldRect).
//   3. Pick a colour (SelectDrawColour / SelectPrintableColour, Colours.h)
//      and draw in world units: MoveToWorld, LineToWorld, FillWorldRect,
//      FillWorldCurve ...; glyphs by name with DrawGlyph (MusicFonts.h);
//      text with DrawFormattedText (ScoreText.h), which also measures it.
//      Skip symbols whose reference point is not IsPointVisible.
//   4. Put `dc` back. While LayoutOnlyFlag is set every world operation,
//      glyph and text draw returns at once, so the same walk only lays out.
// World coordinates are doubles with y growing upward; one world unit is one
// window pixel at scale 1.0. No GDI call is made above the device seam.
#pragma once

#include <cstdint>
#include <deque>

#include "render/DrawDevice.h"

constexpr int kCurvePointCapacity = 200;
constexpr int kWin9xCoordinateLimit = 16383;

struct CurvePointBuffer {
  double x[kCurvePointCapacity];
  double y[kCurvePointCapacity];
  int32_t count;
};

// A deferred part brace: queued when a joined staff's bar line is drawn,
// drawn after the page's staves.
struct PartBraceRecord {
  int32_t staff;
  int32_t top;
  double x;
  double bottom;
  uint32_t drawLabel;
  uint32_t stateB;
  uint32_t labelKindA;
  uint32_t labelKindB;
};

struct DrawingStateRecord {
  render::DrawDevice* dc = nullptr;
  render::Colour colour = 0;
  int32_t currentX = 0, currentY = 0;  // logical, y already negated
  double scale = 1.33;
  double offsetX = 0.0, offsetY = 0.0;
  int32_t paintLeft = 0, paintTop = 0;
  double visibleLeft = 0.0, visibleTop = 0.0, visibleRight = 0.0, visibleBottom = 0.0;
  uint32_t printing = 0;
  int32_t currentStaff = 0;
  int32_t currentStaffTag = 0;
  uint32_t smallNotes = 0;
  uint32_t LayoutOnlyFlag = 0;
  CurvePointBuffer curve{};
  int32_t pendingBarTop = 0;
  uint32_t pendingBarStateA = 0;
  uint32_t pendingBarStateB = 0;
  // Layout units of the painters' offsets (both 1: lengths are world units).
  int32_t SpacingUnit = 1;
  int32_t SpacingUnitX = 1;
  // The graphics engine in use limits coordinates to +-16383 (Windows 9x).
  bool win9xLimits = false;
};

DrawingStateRecord& DrawingState();
// Back to the start-up values (tests; a device stays unset).
void ResetDrawingState();

// ---- Device scale and mapping ----
double DeviceScale();
double DevicePixelInWorld();
struct Extent {
  int32_t cx;
  int32_t cy;
};
struct DeviceRect {
  int32_t left, top, right, bottom;
};
// The window and viewport extents of the scaled mapping for a device rectangle.
void ScaledExtents(Extent& windowExtent, Extent& viewportExtent, const DeviceRect& rect);
// The anisotropic mapping of the extents on dc (remembering the mode in use),
// and back to that mode.
void SetScaledMapping(render::DrawDevice* dc, const Extent& windowExtent, const Extent& viewportExtent);
void RestoreMapping(render::DrawDevice* dc);

// The rectangle of the pane being painted, as the window gives it (device
// pixels); the pane painters and the recolouring cut to it. Also kept in
// world orientation: left, right, -bottom, -top.
void StorePaneRect(const DeviceRect& rect);
DeviceRect StoredPaneRect();
struct PaneWorldRect {
  int32_t left, right, negBottom, negTop;
};
PaneWorldRect StoredPaneWorldRect();

// ---- Transforms (world to logical) ----
int32_t WorldToLogicalX(double x);
int32_t WorldToLogicalY(double y);
int32_t WorldToLogicalLength(double v);
// A pen width: at least one pixel on screen.
void EnsureMinimumPenWidth(double& w);
int32_t WorldToLogicalWidth(double w);

// ---- Visible rectangle ----
void SetVisibleWorldRect(const DeviceRect& rect);
bool IsPointVisible(int32_t x, int32_t y);
// The scroll origin of the score view (pixels).
void SetScoreViewOrigin(int32_t x, int32_t y);

// ---- Device operations (logical, y up) ----
void MoveToPoint(int32_t x, int32_t y);
void LineToWidth(int32_t x, int32_t y, int32_t width);
void LineToRelative(int32_t dx, int32_t dy, int32_t width);
void DottedLineBy(int32_t dx, int32_t dy, int32_t width);
void DrawLineWidth(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t width);
void DrawRectOutline(int32_t x, int32_t y, int32_t width, int32_t height, int32_t penWidth);
void FillRectSolid(int32_t x, int32_t y, int32_t width, int32_t height);
void DrawCircle(int32_t cx, int32_t cy, int32_t radius, int32_t penWidth);
void FillCircle(int32_t cx, int32_t cy, int32_t radius);
void DrawFilledBezier(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t thickness);
void DrawHaloText(int32_t x, int32_t y, const char16_t* text, render::Colour textColour, render::Colour haloColour);
// The 9x clipping of a rectangle; always true (and unchanged) without the limits.
bool ClipDeviceRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height);

// ---- World operations (return at once while LayoutOnlyFlag is set) ----
void MoveToWorld(double x, double y);
void LineToWorld(double x, double y, double width);
void LineByWorld(double dx, double dy, double width);
void DottedLineByWorld(double dx, double dy, double width);
void FillWorldRect(double x, double y, double width, double height);
void DrawWorldRectOutline(double x, double y, double width, double height);
void DrawWorldCircle(double x, double y, double radius, double width);
void FillWorldCircle(double x, double y, double radius);
void FillWorldCurve(double x0, double y0, double x1, double y1, double x2, double y2, double thickness);
// y is given downward (already negated).
void TextOutWorld(render::DrawDevice* dc, double x, double y, const char16_t* text, int length);
void DrawPointMark(double x, double y);

// ---- State setters ----
void SetCurrentStaff(int32_t tag, int32_t staff);
void SetSmallNotes(uint32_t flag);
void SetDrawColourValue(render::Colour colour);

// ---- Curve points ----
void ResetCurvePoints();
int32_t AddCurvePoint(double x, double y);
void LastCurvePoint(double& xOut, double& yOut);

// ---- Deferred part braces ----
// Whether stave i and the stave above it form one part: StavesJoinedInPart
// (SizeRules.h) unless a test sets another rule (null: back to it).
using StavesJoinedRule = bool (*)(int32_t staff);
void SetStavesJoinedRule(StavesJoinedRule rule);
// The rule in use for stave i.
bool StaveJoinedToAbove(int32_t staff);
void QueueDeferredBarLine(int32_t staff, double x, double top, double bottom, int32_t colourIndex,
                          uint32_t labelKindA, uint32_t labelKindB, std::deque<PartBraceRecord>& queue);
