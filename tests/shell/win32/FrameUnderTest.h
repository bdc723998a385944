// A real frame window run by the frame procedure, for the tests of its
// messages: registered under a class name of the test's own.
#pragma once

#include <windows.h>

#include "shell/win32/FrameWindow.h"

inline HWND CreateFrameUnderTest(const wchar_t* className, HMENU menu) {
  WNDCLASSW c{};
  c.lpfnWndProc = Event_Dispatcher;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = className;
  RegisterClassW(&c);
  return CreateWindowExW(0, className, L"frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr, menu,
                         GetModuleHandleW(nullptr), nullptr);
}
