// The window handles of the running program (Win32 only). The shell fills
// them at start-up; the support layer reads them.
#pragma once

#include <windows.h>

#include <cstdint>

struct AppWindows {
  HINSTANCE instance = nullptr;
  HWND frame = nullptr;       // the MDI frame "DEV_ODI"
  HWND mdiClient = nullptr;
  HWND status = nullptr;      // the status window
  HWND scoreViews[2] = {nullptr, nullptr};
  int viewNumber = 0;         // above 10: the second score view
  // The shell's two mouse-tracking flags, cleared before a message box.
  uint32_t mouseTracking[2] = {0, 0};
};

AppWindows& Windows();
