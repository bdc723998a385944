// The panes of the score window and the one dispatcher every view paints
// through. The score page and the scanned-page strip are drawn here; the
// views drawn by the shell (the scanned page, the pages pane and the
// magnifier) come in through PanePainters.
#pragma once

#include <windows.h>

#include "render/ScanStrip.h"

struct PanePainters {
  void (*paintPageImage)(int x, int y, HDC dc, const RECT& rect) = nullptr;  // "Scanned"
  void (*paintPagesPane)(int x, int y, HDC dc, const RECT& rect) = nullptr;  // "ViewPages"
  void (*paintImageStrip)(int x, int y) = nullptr;                           // "Detail"
  // The height of the scanned-page strip above the score (0 without one).
  int (*imageStripHeight)() = nullptr;
  // What the strip shows now; false: nothing to show (the plain pane).
  bool (*scanStripView)(ScanStripView* view) = nullptr;
};
// Installs the shell's painters (null members paint nothing); returns the old set.
PanePainters SetPanePainters(const PanePainters& painters);

// The border between the strip and the score below it.
constexpr int kScanStripBorder = 26;

// Keeps the paint rectangle in the drawing state and hands the paint to the
// window's painter. A window that is none of the views is not painted.
void PaintPane(HWND window, int x, int y, HDC dc, const RECT& rect);

// The scanned-page strip, painted off screen and copied to the window.
void PaintScanStripPane(int x, int y, HDC dc, const RECT& rect);
