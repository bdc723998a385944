// The drawing layer on Windows: the shared GDI device, the colour table for
// the display in use, the cursors and interface bitmaps, "ReadingMutex", and
// the hooks by which the shell reaches them (InstallDrawingLayer, called
// once before start-up).
#pragma once

#include <windows.h>

#include "render/win32/GdiDevice.h"

void InstallDrawingLayer();

// Fills the colour tables for the display, loads the cursors and the
// interface bitmaps, and makes "ReadingMutex" when it does not exist yet.
void InitialiseDrawingColours();
render::DisplayCaps ReadDisplayCaps(HDC dc);

// The device that paints outside the painters' own contexts (views, dialogs):
// UseDeviceContext points it, and the drawing state, at a context; null puts
// back what the drawing state drew into before.
GdiDevice& SharedGdiDevice();
void UseDeviceContext(HDC dc);

// A music-font glyph centred (by its ink) in a menu item; false when the
// font or the glyph is missing.
bool DrawMenuGlyph(HDC dc, const char* glyphName, const RECT& item, COLORREF colour);

// ---- Cursors ----
enum CursorSlot {
  kCursorDefault,
  kCursorSecondArrow,
  kCursorMove,
  kCursorSizeNS,
  kCursorSizeWE,
  kCursorSizeNESW,
  kCursorSizeNWSE,
  kCursorKeypad0,  // keypad panel cursors: 148, 206, 210, 211, then 207 or 109
  kCursorKeypad4 = kCursorKeypad0 + 4,
  kCursorView0,  // 149, 150, 212
  kCursorPages0 = kCursorView0 + 3,  // 208, 209
  kCursorPageView = kCursorPages0 + 2,  // 213: the page view's pointer
  kCursorNewStave,                      // 214: a stave being drawn in it
  kCursorSlots,
};
HCURSOR CursorHandle(int slot);
// The program's own cursors (keypad panels, views, pages pane) go; the next
// InitialiseDrawingColours loads them again.
void DestroyToolCursors();
void SetCursorHandle(HCURSOR cursor);
void ShowDefaultCursor();
void ShowWaitCursor();
void ShowArrowCursor();

// ---- Interface bitmaps (64 slots; null where a picture is missing) ----
// The keypad cursor and the bitmaps follow the setting "Use R8 Keypad".
constexpr int kInterfaceBitmapSlots = 64;
HBITMAP InterfaceBitmap(int slot);
void ReloadInterfaceBitmaps();
