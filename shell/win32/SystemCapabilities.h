// What this Windows offers, probed once at start-up: layered windows and the
// multi-monitor calls. A missing function leaves its address null.
#pragma once

#include <windows.h>

using SetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using MonitorFromPointProc = HMONITOR(WINAPI*)(POINT, DWORD);
using GetMonitorInfoAProc = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);

struct SystemCapabilities {
  bool layeredWindows = false;
  SetLayeredWindowAttributesProc setLayeredWindowAttributes = nullptr;
  MonitorFromPointProc monitorFromPoint = nullptr;
  GetMonitorInfoAProc getMonitorInfoA = nullptr;
};
SystemCapabilities& Capabilities();

// Fills Capabilities() from the system's version and its USER32.
void ProbeSystemCapabilities();
