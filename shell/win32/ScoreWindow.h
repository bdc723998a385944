// The score window: the MDI child "OutputM" with its toolbar, the scan strip
// "OutImage" and the score view "Output", in which the score painter draws
// the current score page; "Detail" beside it. Zoom, scrolling and turning
// score pages by scrolling or from the toolbar.
#pragma once

#include <windows.h>

#include <cstdint>

// Puts the window procedures, the shell services (view placement, zoom,
// view options, command states) and the score file's and reading's hooks of
// the score window in place. Called once before the classes are registered.
void InstallScoreWindow();

// Creates the score child and its windows, or activates the existing one.
void CreateScoreWindow();
// After the score page changed: the strip's height and the zoom; with redraw
// the view is repainted.
void RelayoutScoreView(bool redraw);
// Loads the scan and the page data of the current score page into the page
// view's page, which the strip, "Detail" and the painter's boxes read.
void LoadScorePageScan();
// The drawing scale, snapped near 1.0, 1.33 and 2.0; with redraw the view
// is laid out and repainted.
void SetScoreZoom(double scale, bool redraw);
// Zooms the score view by factor about its centre (ignored outside 0.1..8.0,
// the view still re-centred).
void ZoomScoreView(double factor);
// Shows score page page (from 1) from its top or its bottom.
void ShowScorePage(int page, bool fromTop);
// The scan strip's height on screen; 0 when hidden.
int ScoreStripPixels();

// The score view's scroll position (pixels) and its largest values.
struct ScoreScroll {
  int32_t x = 0, y = 0;
  int32_t maxX = 0, maxY = 0;
};
const ScoreScroll& CurrentScoreScroll();
// Scrolls the view as a WM_HSCROLL / WM_VSCROLL request would.
void ScrollScoreView(bool vertical, int request, int32_t thumb);

// The toolbar's page field and count, the child's title.
void UpdateScorePageCounter();
void UpdateScoreTitle();

// The score window's procedures (the child frame and the view share one).
LRESULT CALLBACK ScoreViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScanStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DetailProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The link from the view to the page: recomputed for a point of the view
// (client pixels); the strip and "Detail" repainted when it changed.
void LinkScorePointToPage(int clientX, int clientY);
