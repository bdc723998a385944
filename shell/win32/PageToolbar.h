// The page document's toolbar (class "OwnToolbar", 26 pixels high).
#pragma once

#include <windows.h>

// Creates the bar across the top of the page document, with its tooltips.
HWND CreatePageToolbar(HWND document, int width);
// Repaints the bar: its buttons follow the page shown and the commands that
// can run.
void UpdatePageToolbar();
