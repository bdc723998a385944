// A top-down 32-bit DIB section: the off-screen pixels the GDI code reads
// and writes directly (a pixel is 0x00RRGGBB, rows from the top).
#pragma once

#include <windows.h>

// Null (and bits null) when it cannot be made.
HBITMAP CreateTopDownDib32(HDC dc, int width, int height, void** bits);
