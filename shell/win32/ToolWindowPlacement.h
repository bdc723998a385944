// Keeps the keypad and the "Detail" window on screen when the frame moves or
// changes size.
#pragma once

#include <windows.h>

// The work area of the monitor under the cursor; the desktop work area when
// this Windows has no monitor calls.
RECT WorkAreaUnderCursor();

// Moves each existing floating tool window back inside that work area.
void KeepToolWindowsOnScreen();

// For WM_MOVING of a tool window: a rectangle dragged near the document
// area's edges snaps inside them.
void SnapMovingToDocumentArea(RECT* moving);
