#include <windows.h>

#include "tests/shell/DrawableTestWindow.h"

void* DrawableTestWindow() {
  static HWND window = CreateWindowExW(0, L"STATIC", L"view", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                       nullptr, nullptr);
  return window;
}
