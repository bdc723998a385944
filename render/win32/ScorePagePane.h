// The score page in a window: drawn into an off-screen 24-bit bitmap of the
// paint rectangle and copied to the window in one piece, so that a paint
// never flickers.
#pragma once

#include <windows.h>

// Paints the current score page over paint (client pixels) of the window's
// context, the view scrolled to (scrollX, scrollY). When the bitmap cannot
// be made the window says why and the item index keeps what it held.
void PaintScorePagePane(HDC windowDc, const RECT& paint, int scrollX, int scrollY);
