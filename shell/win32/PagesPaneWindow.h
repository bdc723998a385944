// The pages pane "ViewPages": every page of the page store, pending pages
// above, read pages below grouped by their score; ticks, selection, removal,
// the reading progress; the pane's edge and divider dragged.
#pragma once

#include <windows.h>

LRESULT CALLBACK PagesPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the pane's window procedure, the shell services and the page store's
// and reading's hooks that name the pane. Before the classes are registered.
void InstallPagesPane();

// Lays the pane out (preview height, extents, scroll bars) from its window.
void LayoutPagesPane();
void RefreshPagesPane(int collapseOthers, int rowToShow);
void ScrollPagesPaneToRow(int row);
void TogglePagesPane();
// Paints the pane's content, width x height pixels, into dc as a paint does;
// the caller holds "ReadingMutex".
void PaintPagesPaneInto(HDC dc, const RECT& paint, int width, int height);

// What a double click on a pending row does: the page workspace shows it.
// Null: nothing.
void SetPagesPaneOpenPage(void (*openPage)(int row));

