// Services of the views, the editor and the drawing layer that the small
// window procedures and the symbol menus call. Until their subsystems install
// them the defaults stand: no view reacts to hover or keys, the drawing
// colours are the system's, the symbol menu has no music font (it shows the
// program's own symbol pictures instead), no tool cursor is loaded and no
// MCI device is open, so its notices get the frame's default processing.
#pragma once

#include <windows.h>

struct FrameServiceHooks {
  void (*startViewHover)(HWND window) = nullptr;  // a view's hover effect begins
  void (*stopViewHover)(HWND window) = nullptr;   // ... and ends
  // A key code for the views; the sender is the window that received the key.
  void (*routeViewKey)(HWND sender, int code) = nullptr;
  // Draws the named music-font glyph centred across the rectangle, 23 pixels
  // below its vertical centring line; false when the font or glyph is missing.
  bool (*drawMenuGlyph)(HDC dc, const char* glyphName, const RECT& item, COLORREF colour) = nullptr;
  // A colour of the drawing layer's colour table; the text colour.
  COLORREF (*drawingColour)(int index) = nullptr;
  COLORREF (*textColour)() = nullptr;
  // Points the drawing layer's shared device context at a paint context
  // (null: back to none).
  void (*setSharedDc)(HDC dc) = nullptr;
  // After a display change: the eight tool cursors go, then the colour table,
  // the cursors and "ReadingMutex" are set up again for the new display.
  void (*destroyToolCursors)() = nullptr;
  void (*initialiseDrawingColours)() = nullptr;
  // MM_MCINOTIFY for playback; the frame returns its result.
  LRESULT (*onMciNotify)(HWND frame, WPARAM wParam, LPARAM deviceId) = nullptr;
};

// Keeps the present hook for every member the argument leaves null.
void SetFrameServiceHooks(const FrameServiceHooks& hooks);
const FrameServiceHooks& FrameServices();
void ResetFrameServiceHooks();
