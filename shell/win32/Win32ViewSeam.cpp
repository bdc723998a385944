#include <windows.h>

#include "platform/win32/AppWindows.h"
#include "shell/ViewDragHooks.h"
#include "shell/ViewSeam.h"
#include "shell/win32/SmallWindows.h"

void StartWindowTimer(void* window, uint32_t id, uint32_t periodMs) {
  SetTimer(static_cast<HWND>(window), id, periodMs, nullptr);
}

void StopWindowTimer(void* window, uint32_t id) { KillTimer(static_cast<HWND>(window), id); }

void CaptureMouse(void* window) { SetCapture(static_cast<HWND>(window)); }

void ReleaseMouse() { ReleaseCapture(); }

void DrawInView(void* window, void (*draw)()) {
  if (!draw) return;
  HWND view = static_cast<HWND>(window);
  ReadingLock lock;
  HDC dc = GetDC(view);
  if (!dc) return;
  HPALETTE old = ProgramPalette() ? SelectPalette(dc, ProgramPalette(), FALSE) : nullptr;
  const ViewDragHooks& hooks = CurrentViewDragHooks();
  if (hooks.useDeviceContext) hooks.useDeviceContext(dc);
  draw();
  if (hooks.useDeviceContext) hooks.useDeviceContext(nullptr);
  if (old) SelectPalette(dc, old, FALSE);
  ReleaseDC(view, dc);
}

void* CurrentHoverWindow() { return Hover().window; }

uint32_t* ViewDragFlags() { return Windows().mouseTracking; }
