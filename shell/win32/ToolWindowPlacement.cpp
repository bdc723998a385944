#include <windows.h>

#include "shell/win32/ToolWindowPlacement.h"

#include "platform/win32/AppWindows.h"
#include "shell/ToolWindowBounds.h"
#include "shell/win32/SystemCapabilities.h"

namespace {

RECT DesktopWorkArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) || area.right <= area.left || area.bottom <= area.top) {
    area.left = 0;
    area.top = 0;
    area.right = GetSystemMetrics(SM_CXSCREEN);
    area.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  return area;
}

void KeepInside(HWND window, const RECT& area) {
  if (!HoldsWindow(window) || !IsWindow(window)) return;
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  ScreenSpot spot = KeepInsideArea({r.left, r.top, r.right, r.bottom}, {area.left, area.top, area.right, area.bottom});
  if (spot.x == r.left && spot.y == r.top) return;
  SetWindowPos(window, nullptr, spot.x, spot.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

RECT WorkAreaUnderCursor() {
  const SystemCapabilities& system = Capabilities();
  POINT cursor{};
  if (system.monitorFromPoint && system.getMonitorInfoA && GetCursorPos(&cursor)) {
    HMONITOR monitor = system.monitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && system.getMonitorInfoA(monitor, &info)) return info.rcWork;
  }
  return DesktopWorkArea();
}

void KeepToolWindowsOnScreen() {
  const AppWindows& w = Windows();
  if (!HoldsWindow(w.keypad) && !HoldsWindow(w.detail)) return;
  RECT area = WorkAreaUnderCursor();
  KeepInside(w.keypad, area);
  KeepInside(w.detail, area);
}

void SnapMovingToDocumentArea(RECT* moving) {
  RECT area{};
  GetWindowRect(Windows().mdiClient, &area);
  const ScreenSpot spot = SnapToClientEdges(ScreenBox{moving->left, moving->top, moving->right, moving->bottom},
                                            ScreenBox{area.left, area.top, area.right, area.bottom});
  OffsetRect(moving, spot.x - moving->left, spot.y - moving->top);
}
