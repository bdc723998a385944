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
#include "shell/win32/PageWindow.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kButtonTop = 2;
constexpr int kSeparatorWidth = 6;

enum class Action { kCommand, kReadMenu, kPreviousPage, kNextPage, kSeparator };

struct BarButton {
  Action action;
  int key;      // its picture in the bars' image strip
  int command;  // posted to the frame
  int tip;      // string id of its tooltip
  int label;    // string id of the text beside the picture, 0 none
  int width;
};

const BarButton kButtons[] = {
    {Action::kCommand, 8, IDM_READ_PLACE_AT_END, 50300, 1, 112},
    {Action::kReadMenu, 9, 0, 50301, 0, 14},
    {Action::kSeparator, 0, 0, 0, 0, kSeparatorWidth},
    {Action::kPreviousPage, 10, 0, 50303, 0, kBarButtonSize},
    {Action::kNextPage, 11, 0, 50304, 0, kBarButtonSize},
    {Action::kSeparator, 0, 0, 0, 0, kSeparatorWidth},
    {Action::kCommand, 13, IDM_ZOOM_TO_FIT, 50307, 0, kBarButtonSize},
    {Action::kCommand, 14, IDM_ZOOM_50, 50308, 0, kBarButtonSize},
    {Action::kCommand, 15, IDM_ZOOM_100, 50309, 0, kBarButtonSize},
    {Action::kSeparator, 0, 0, 0, 0, kSeparatorWidth},
    {Action::kCommand, 16, IDM_EDIT_TURN_UPSIDE_DOWN, 50311, 0, kBarButtonSize},
    {Action::kCommand, 37, IDM_EDIT_TURN_CLOCKWISE, 50313, 0, kBarButtonSize},
    {Action::kCommand, 17, IDM_EDIT_TURN_ANTICLOCKWISE, 50312, 0, kBarButtonSize},
    {Action::kSeparator, 0, 0, 0, 0, kSeparatorWidth},
    {Action::kCommand, 38, IDM_EDIT_LOCATE_STAVES, 50315, 11, 104},
    {Action::kSeparator, 0, 0, 0, 0, kSeparatorWidth},
    {Action::kCommand, 18, IDM_EDIT_RESCAN_PAGE, 50314, 4, 76},
};
constexpr int kButtonCount = int(sizeof kButtons / sizeof kButtons[0]);

struct BarState {
  HWND bar = nullptr;
  WNDPROC shared = nullptr;  // the button-bar class's procedure
  RECT rects[kButtonCount] = {};
  int hot = -1;
  bool down = false;
  HWND tips = nullptr;
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
  const BarButton& b = kButtons[index];
  switch (b.action) {
    case Action::kPreviousPage: return StepTarget(-1, false) >= 0;
    case Action::kNextPage: return StepTarget(1, false) >= 0;
    case Action::kCommand: return CommandHasHandler(b.command) && pageTable.currentPage >= 0;
    case Action::kReadMenu: return CommandHasHandler(IDM_READ_PLACE_AT_END) && pageTable.currentPage >= 0;
    case Action::kSeparator: return false;
  }
  return false;
}

void LayOutButtons() {
  int x = 4;
  for (int i = 0; i < kButtonCount; ++i) {
    Bar.rects[i] = RECT{x, kButtonTop, x + kButtons[i].width, kButtonTop + kBarButtonSize};
    x += kButtons[i].width + 1;
  }
}

int ButtonAt(int x, int y) {
  const POINT p{x, y};
  for (int i = 0; i < kButtonCount; ++i)
    if (kButtons[i].action != Action::kSeparator && PtInRect(&Bar.rects[i], p)) return i;
  return -1;
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
  if (index < 0 || !Enabled(index)) return;
  const BarButton& b = kButtons[index];
  switch (b.action) {
    case Action::kCommand:
      PostMessageW(Windows().frame, WM_COMMAND, WPARAM(b.command), 0);
      return;
    case Action::kReadMenu: {
      HMENU menu = ReadMenu();
      if (!menu) return;
      POINT at{Bar.rects[index].left, Bar.rects[index].bottom};
      ClientToScreen(Bar.bar, &at);
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, Windows().frame, nullptr);
      return;
    }
    case Action::kPreviousPage:
    case Action::kNextPage: {
      const bool throughProblems = GetKeyState(VK_CONTROL) < 0;
      const int row = StepTarget(b.action == Action::kNextPage ? 1 : -1, throughProblems);
      if (row >= 0) SwitchToPage(row);
      return;
    }
    case Action::kSeparator:
      return;
  }
}

void DrawButton(HDC dc, int index) {
  const BarButton& b = kButtons[index];
  if (b.action == Action::kSeparator) return DrawBarSeparator(dc, Bar.rects[index]);
  const bool enabled = Enabled(index);
  const bool hot = enabled && Bar.hot == index;
  const int imageOffset = b.width < kBarImageSize ? (b.width - kBarImageSize) / 2 : 2;
  DrawBarButtonFace(dc, Bar.rects[index], hot, hot && Bar.down, enabled, b.key, imageOffset, b.label);
}

void PaintBar(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  RECT client{};
  GetClientRect(bar, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  RECT top{0, 0, client.right, 1}, bottom{0, client.bottom - 1, client.right, client.bottom};
  FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNSHADOW));
  HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < kButtonCount; ++i) DrawButton(dc, i);
  SelectObject(dc, font);
  EndPaint(bar, &ps);
}

void SetHot(HWND bar, int index) {
  if (index == Bar.hot) return;
  Bar.hot = index;
  InvalidateRect(bar, nullptr, FALSE);
}

void AddTips(HWND bar) {
  Bar.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                             0, bar, nullptr, Windows().instance, nullptr);
  if (!Bar.tips) return;
  static char16_t texts[kButtonCount][128];
  for (int i = 0; i < kButtonCount; ++i) {
    if (!kButtons[i].tip) continue;
    platform::LoadUiString(kButtons[i].tip, texts[i], 128);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = bar;
    tool.uId = UINT_PTR(i + 1);
    tool.rect = Bar.rects[i];
    tool.lpszText = reinterpret_cast<LPWSTR>(texts[i]);
    SendMessageW(Bar.tips, TTM_ADDTOOLW, 0, LPARAM(&tool));
  }
  SendMessageW(Bar.tips, TTM_ACTIVATE, TRUE, 0);
}

LRESULT CALLBACK PageToolbarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintBar(bar);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE: {
      if (Bar.down) return 0;
      SetHot(bar, ButtonAt(short(LOWORD(lParam)), short(HIWORD(lParam))));
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, bar, 0};
      TrackMouseEvent(&track);
      return 0;
    }
    case WM_MOUSELEAVE:
      if (!Bar.down) SetHot(bar, -1);
      return 0;
    case WM_LBUTTONDOWN: {
      const int at = ButtonAt(short(LOWORD(lParam)), short(HIWORD(lParam)));
      if (at < 0 || !Enabled(at)) return 0;
      Bar.hot = at;
      Bar.down = true;
      SetCapture(bar);
      InvalidateRect(bar, nullptr, FALSE);
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!Bar.down) return 0;
      const int at = ButtonAt(short(LOWORD(lParam)), short(HIWORD(lParam)));
      const int pressed = Bar.hot;
      Bar.down = false;
      ReleaseCapture();
      SetHot(bar, at);
      InvalidateRect(bar, nullptr, FALSE);
      if (at == pressed) Act(pressed);
      return 0;
    }
    case WM_CAPTURECHANGED:
      Bar.down = false;
      return 0;
    case WM_SETFOCUS:
      if (Live(Windows().pageView)) SetFocus(Windows().pageView);
      return 0;
    case WM_DESTROY:
      if (Bar.bar == bar) Bar = BarState{};
      break;
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
  Bar.bar = bar;
  Bar.shared = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageToolbarProc)));
  LayOutButtons();
  AddTips(bar);
  return bar;
}

void UpdatePageToolbar() {
  if (Bar.bar && Live(Bar.bar)) InvalidateRect(Bar.bar, nullptr, FALSE);
}
