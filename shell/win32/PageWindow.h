// The scanned-page document "ScannedM" with its toolbar and its page image
// view "Scanned": the page the pages pane or the reading opened, at a zoom of
// its own, with its staves drawn over it.
#pragma once

#include <windows.h>

LRESULT CALLBACK PageChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the two window procedures and the services and hooks that open,
// close and re-caption the page document. Before the classes are registered.
void InstallPageWindow();

// Creates the page document, or activates it when it exists.
void CreatePageWindow();
// Makes row the current page: its data and image loaded into the page view,
// the document's caption renewed when it is open. False when the image could
// not be loaded.
bool OpenPageInWorkspace(int row);
// After a page was opened: the document shown (created when needed), fitted
// to the workspace when asked, the stave undo ring emptied.
void ResetPageView(bool zoomToFit);
// The pages pane's request to show a page: opened, shown, its staves located
// when it has none and no page is being read.
void SwitchToPage(int row);
// Closes the page document (the current page stays).
void ClosePageWindow();
void UpdatePageViewCaption();
// The page view's zoom (per cent).
int PageViewZoom();
void SetPageViewZoom(int zoom);
// Paints the page view's content (image and staves) for the paint rectangle
// into dc as a paint does; the caller holds "ReadingMutex".
void PaintPageView(HDC dc, const RECT& paint);
