// The page toolbar across the top of the page document: read this page (and
// its drop-down of places in the score), the previous and next page (with
// Ctrl the previous and next page whose staves could not be located), the
// zoom, the turns, Locate staves and Re-scan. A button posts its command to
// the frame. The bar is of the shared button-bar class, its messages taken
// here first.
#include "shell/win32/PageToolbar.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>

#include "pages/PageTable.h"
#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "shell/CommandTable.h"
#include "shell/PageViewGeometry.h"
#include "shell/win32/BarButtonFace.h"
#include "shell/win32/ButtonBar.h"
#include "shell/win32/PageWindow.h"
#include "shell/win32/WindowClasses.h"

namespace {

enum Action { kCommand, kReadMenu, kPreviousPage, kNextPage };
constexpr int kSeparator = kBarSeparator;

const BarButtonEntry kButtons[] = {
    {kCommand, 8, IDM_READ_PLACE_AT_END, 50300, 1, 112},
    {kReadMenu, 9, 0, 50301, 0, 14},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kPreviousPage, 10, 0, 50303, 0, kBarButtonSize},
    {kNextPage, 11, 0, 50304, 0, kBarButtonSize},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 13, IDM_ZOOM_TO_FIT, 50307, 0, kBarButtonSize},
    {kCommand, 14, IDM_ZOOM_50, 50308, 0, kBarButtonSize},
    {kCommand, 15, IDM_ZOOM_100, 50309, 0, kBarButtonSize},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 16, IDM_EDIT_TURN_UPSIDE_DOWN, 50311, 0, kBarButtonSize},
    {kCommand, 37, IDM_EDIT_TURN_CLOCKWISE, 50313, 0, kBarButtonSize},
    {kCommand, 17, IDM_EDIT_TURN_ANTICLOCKWISE, 50312, 0, kBarButtonSize},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 38, IDM_EDIT_LOCATE_STAVES, 50315, 11, 104},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 18, IDM_EDIT_RESCAN_PAGE, 50314, 4, 76},
};
constexpr int kButtonCount = int(sizeof kButtons / sizeof kButtons[0]);

struct BarState {
  ButtonBar bar;
  WNDPROC shared = nullptr;  // the button-bar class's procedure
};
BarState Bar;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }

// The page shown after a step, -1 for none.
int StepTarget(int step, bool throughProblems) {
  int32_t problems[kProblemListSlots];
  int count = 0;
  if (throughProblems) {
    std::lock_guard<std::mutex> lock(PageTableLock());
    const ProblemList& list = PageProblems();
    count = std::min<int>(std::max<int>(list.count, 0), kProblemListSlots);
    std::copy(list.rows, list.rows + count, problems);
  }
  return SteppedPage(pageTable.currentPage, static_cast<int>(pageTable.pageCount), step, throughProblems, problems,
                     count);
}

bool Enabled(int index) {
  const BarButtonEntry& b = kButtons[index];
  switch (b.action) {
    case kPreviousPage: return StepTarget(-1, false) >= 0;
    case kNextPage: return StepTarget(1, false) >= 0;
    case kCommand: return CommandHasHandler(b.command) && pageTable.currentPage >= 0;
    case kReadMenu: return CommandHasHandler(IDM_READ_PLACE_AT_END) && pageTable.currentPage >= 0;
    default: return false;
  }
}

// The "Read" menu of the page document's menu bar: the submenu that holds
// Place at End of Score.
HMENU ReadMenu() {
  HMENU bar = Menus().page;
  if (!bar) return nullptr;
  for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    if (sub && GetMenuState(sub, IDM_READ_PLACE_AT_END, MF_BYCOMMAND) != UINT(-1)) return sub;
  }
  return nullptr;
}

void Act(int index) {
  const BarButtonEntry& b = kButtons[index];
  switch (b.action) {
    case kCommand:
      PostMessageW(Windows().frame, WM_COMMAND, WPARAM(b.command), 0);
      return;
    case kReadMenu: {
      HMENU menu = ReadMenu();
      if (!menu) return;
      POINT at{Bar.bar.rects[index].left, Bar.bar.rects[index].bottom};
      ClientToScreen(Bar.bar.window, &at);
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, Windows().frame, nullptr);
      return;
    }
    case kPreviousPage:
    case kNextPage: {
      const bool throughProblems = GetKeyState(VK_CONTROL) < 0;
      const int row = StepTarget(b.action == kNextPage ? 1 : -1, throughProblems);
      if (row >= 0) SwitchToPage(row);
      return;
    }
    default:
      return;
  }
}

void PaintBar(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  RECT client{};
  GetClientRect(bar, &client);
  PaintBarFace(dc, client);
  PaintBarButtons(dc, Bar.bar);
  EndPaint(bar, &ps);
}

LRESULT CALLBACK PageToolbarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (bar == Bar.bar.window && ButtonBarMessage(Bar.bar, message, wParam, lParam)) return 0;
  switch (message) {
    case WM_PAINT:
      PaintBar(bar);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      if (Live(Windows().pageView)) SetFocus(Windows().pageView);
      return 0;
    case WM_DESTROY: {
      const WNDPROC shared = Bar.shared;
      if (Bar.bar.window == bar) Bar = BarState{};
      return shared ? CallWindowProcW(shared, bar, message, wParam, lParam) : DefWindowProcW(bar, message, wParam, lParam);
    }
    default:
      break;
  }
  return Bar.shared ? CallWindowProcW(Bar.shared, bar, message, wParam, lParam)
                    : DefWindowProcW(bar, message, wParam, lParam);
}

}  // namespace

HWND CreatePageToolbar(HWND document, int width) {
  HWND bar = CreateWindowExW(0, L"OwnToolbar", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width,
                             kPageToolbarHeight, document, nullptr, Windows().instance, nullptr);
  if (!bar) return nullptr;
  Bar = BarState{};
  Bar.shared = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageToolbarProc)));
  Bar.bar.enabled = Enabled;
  Bar.bar.act = Act;
  SetUpButtonBar(Bar.bar, bar, kButtons, kButtonCount, 4);
  return bar;
}

void UpdatePageToolbar() {
  if (Bar.bar.window && Live(Bar.bar.window)) InvalidateRect(Bar.bar.window, nullptr, FALSE);
}
