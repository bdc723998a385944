// Scroll-bar settings of the views. bar is SB_HORZ, SB_VERT or SB_CTL.
#pragma once

#include <windows.h>

void SetScrollBarPosition(HWND window, int bar, int position, bool redraw);
// The range 0..range and the page: the window's height for a vertical bar,
// its width otherwise.
void SetScrollBarRange(HWND window, int bar, int range, bool redraw);
