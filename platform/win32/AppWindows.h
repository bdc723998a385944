// The window handles of the running program (Win32 only). The shell fills
// them at start-up; the support layer reads them.
//
// A slot whose value is below 10 holds no window. The slots that name a view
// start as 1 (the score view) or 2 (the page view) until the view exists.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr uintptr_t kScoreViewMark = 1;
constexpr uintptr_t kPageViewMark = 2;

inline HWND ViewMark(uintptr_t mark) { return reinterpret_cast<HWND>(mark); }

// True when the slot holds a real window handle, not an empty or view mark.
inline bool HoldsWindow(HWND slot) {
  return reinterpret_cast<uintptr_t>(slot) >= 10;
}

struct AppWindows {
  HINSTANCE instance = nullptr;
  HWND frame = nullptr;       // the MDI frame "DEV_ODI"
  HWND mdiClient = nullptr;
  HWND status = nullptr;      // the status window
  HWND scoreViews[2] = {nullptr, nullptr};
  int viewNumber = 0;         // above 10: the second score view
  // The shell's two mouse-tracking flags, cleared before a message box.
  uint32_t mouseTracking[2] = {0, 0};

  // The pages pane and its two scroll bars.
  HWND pagesPane = nullptr;
  HWND pagesPaneScrollBars[2] = {nullptr, nullptr};
  // The frame toolbar and its tooltip window.
  HWND frameToolbar = nullptr;
  HWND frameToolbarTips = nullptr;
  // The score MDI child, its view, its "OutImage" strip and its toolbar.
  HWND scoreWindow = nullptr;
  HWND scoreView = ViewMark(kScoreViewMark);
  HWND outImage = nullptr;
  HWND scoreToolbar = nullptr;
  // The page MDI child, its page view and its toolbar.
  HWND pageWindow = nullptr;
  HWND pageView = ViewMark(kPageViewMark);
  HWND pageToolbar = nullptr;
  // The magnifier, the keypad and the hidden score window ("Output").
  HWND detail = nullptr;
  HWND keypad = nullptr;
  HWND hiddenScore = nullptr;
};

AppWindows& Windows();
