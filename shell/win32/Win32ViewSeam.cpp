#include <windows.h>

#include "platform/win32/AppWindows.h"
#include "shell/ViewSeam.h"

void StartWindowTimer(void* window, uint32_t id, uint32_t periodMs) {
  SetTimer(static_cast<HWND>(window), id, periodMs, nullptr);
}

void StopWindowTimer(void* window, uint32_t id) { KillTimer(static_cast<HWND>(window), id); }

void CaptureMouse(void* window) { SetCapture(static_cast<HWND>(window)); }

void ReleaseMouse() { ReleaseCapture(); }

uint32_t* ViewDragFlags() { return Windows().mouseTracking; }
