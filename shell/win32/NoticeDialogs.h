// The small dialogs the shell opens itself: the start-up notice (290), the
// colour-depth (320) and display-driver (341) notices, the black-and-white
// page notice (315) that page preparation shows, the pages-saved notice (321)
// of the page view, the stave positions (1139) and accuracy (1140) notices of
// a page's reading problems, the About box (110) and the page-zoom dialog
// (192).
#pragma once

#include <windows.h>

// Centres a dialog on the frame window (its width and height less 6).
void CentreDialog(HWND dialog);
// Places a dialog centred horizontally on the mouse pointer and just above
// it, kept inside the work area of the monitor that holds the pointer.
void PlaceDialogNearCursor(HWND dialog);
// The placement itself: the dialog's rectangle for a pointer and work area.
RECT DialogRectNearPoint(SIZE dialog, POINT pointer, const RECT& workArea);

INT_PTR CALLBACK StartupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NoticeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ZoomPageViewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The truth setting a notice's "Show this next time" box stores; null for
// a dialog without one.
bool* NoticeSetting(int dialogId);

// Runs one of the dialogs above modally; -1 for any other id.
INT_PTR ShowShellDialog(int dialogId, HWND owner);

// What the page-zoom dialog asks of the page view. Without a page view the
// default does nothing and reports the zoom as 100%.
struct PageZoomHooks {
  void (*applyZoom)(int code, int percent) = nullptr;  // codes 11, 1, 8, 6, 9, 10
  int (*currentZoom)() = nullptr;
};
void SetPageZoomHooks(const PageZoomHooks& hooks);
