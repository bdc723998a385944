// The keypad's place in the score window: its option and menu check, and the
// keys of the score view that move it.
#include <windows.h>

#include <initializer_list>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/ScoreViewGeometry.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/ScoreWindowParts.h"
#include "shell/win32/WindowClasses.h"

void CreateScoreKeypad() {}

void DestroyScoreKeypad() {
  AppWindows& w = Windows();
  if (HoldsWindow(w.keypad) && IsWindow(w.keypad)) DestroyWindow(w.keypad);
  w.keypad = nullptr;
}

void ShowScoreKeypad(bool shown) {
  HWND keypad = Windows().keypad;
  if (HoldsWindow(keypad) && IsWindow(keypad)) ShowWindow(keypad, shown ? SW_SHOWNA : SW_HIDE);
}

void ToggleScoreKeypad() {
  GlobalSettings& g = Global();
  g.viewPalette = !g.viewPalette;
  const FrameMenus& m = Menus();
  for (HMENU menu : {m.noDocument, m.score, m.page, GetMenu(Windows().frame)}) {
    if (menu) CheckMenuItem(menu, IDM_VIEW_KEYPAD, MF_BYCOMMAND | (g.viewPalette ? MF_CHECKED : MF_UNCHECKED));
  }
  ShowScoreToolWindows(GetActiveDocument().isScore);
}

bool OnScoreViewKey(WPARAM key) {
  switch (key) {
    case VK_PRIOR: ScrollScoreView(true, kScrollPageUp, 0); return true;
    case VK_NEXT: ScrollScoreView(true, kScrollPageDown, 0); return true;
    case VK_HOME: ScrollScoreView(true, kScrollTop, 0); return true;
    case VK_END: ScrollScoreView(true, kScrollBottom, 0); return true;
    default: return false;
  }
}
