// The score toolbar: "Page [n] of N", the page steps (which repeat while
// held), the zoom, save, print, transpose, performance and play buttons. A
// button posts its command to the frame, or turns the score page. The other
// bars of the class paint their face and hand their commands to the frame.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/CommandTable.h"
#include "shell/ScoreViewGeometry.h"
#include "shell/win32/BarButtonFace.h"
#include "shell/win32/ButtonBar.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/ScoreWindowParts.h"
#include "shell/win32/StatusFields.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kPageLabelString = 6;
constexpr int kOfLabelString = 7;
constexpr int kPageFieldId = 100;

enum Action { kCommand, kPreviousPage, kNextPage };
constexpr int kSeparator = kBarSeparator;

// In toolbar order, after the page fields.
const BarButtonEntry kButtons[] = {
    {kPreviousPage, 19, 0, 50402, 0, kBarButtonSize, true},
    {kNextPage, 20, 0, 50403, 0, kBarButtonSize, true},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 26, IDM_ZOOM_TO_FIT, 50414, 0, kBarButtonSize},
    {kCommand, 27, IDM_ZOOM_100, 50415, 0, kBarButtonSize},
    {kCommand, 28, IDM_ZOOM_200, 50416, 0, kBarButtonSize},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 21, IDM_FILE_SAVE, 50405, 0, kBarButtonSize},
    {kCommand, 22, IDM_FILE_SEND_TO_CADENZOR, 50406, 0, kBarButtonSize},
    {kCommand, 23, IDM_FILE_SEND_TO_R8, 50407, 0, kBarButtonSize},
    {kCommand, 24, IDM_FILE_PRINT, 50410, 0, kBarButtonSize},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 29, IDM_TRANSPOSE, 50413, 465, 80},
    {kSeparator, 0, 0, 0, 0, kBarSeparatorWidth},
    {kCommand, 35, IDM_VIEW_PERFORMANCE_MODE, 50427, 0, kBarButtonSize},
    {kCommand, 30, IDM_PLAY_STOP, 50409, 180, 56},
};
constexpr int kButtonCount = int(sizeof kButtons / sizeof kButtons[0]);
constexpr int kPageFieldsWidth = 118;

struct BarState {
  ButtonBar bar;
  HWND pageField = nullptr;
};
BarState Bar;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }
bool IsScoreBar(HWND window) { return Live(Windows().scoreToolbar) && window == Windows().scoreToolbar; }

bool Enabled(int index) {
  const BarButtonEntry& b = kButtons[index];
  switch (b.action) {
    case kPreviousPage: return ScorePages.current > 1;
    case kNextPage: return ScorePages.current < ScorePages.count;
    case kCommand: return CommandHasHandler(b.command) && ScorePages.count > 0;
    default: return false;
  }
}

// The buttons for Cadenzor and R8 are there only when those programs are.
bool Installed(int command) {
  if (command == IDM_FILE_SEND_TO_CADENZOR) return FindCadenzor() != 0;
  if (command == IDM_FILE_SEND_TO_R8) return FindR8() != 0;
  return true;
}

void Act(int index) {
  const BarButtonEntry& b = kButtons[index];
  switch (b.action) {
    case kPreviousPage:
    case kNextPage: {
      const int page = StepScorePage(ScorePages.current, b.action == kNextPage ? 1 : -1, ScorePages.count);
      if (page != ScorePages.current) ShowScorePage(page, true);
      return;
    }
    case kCommand: PostMessageW(Windows().frame, WM_COMMAND, WPARAM(b.command), 0); return;
    default: return;
  }
}

void PaintBar(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  RECT client{};
  GetClientRect(bar, &client);
  if (IsScoreBar(bar)) {
    PaintBarFace(dc, client);
    HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    char16_t page[32] = {}, of[32] = {};
    platform::LoadUiString(kPageLabelString, page, 32);
    platform::LoadUiString(kOfLabelString, of, 32);
    RECT label{8, 0, 40, client.bottom};
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(page), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    wchar_t count[48];
    std::swprintf(count, 48, L"%ls %d", reinterpret_cast<const wchar_t*>(of), ScorePages.count);
    RECT countRect{72, 0, kPageFieldsWidth, client.bottom};
    DrawTextW(dc, count, -1, &countRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, font);
    PaintBarButtons(dc, Bar.bar);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(bar, &ps);
}

void PageFieldChanged() {
  wchar_t text[16] = {};
  GetWindowTextW(Bar.pageField, text, 16);
  const int page = int(std::wcstol(text, nullptr, 10));
  if (page >= 1 && page <= ScorePages.count && page != ScorePages.current) ShowScorePage(page, true);
}

LRESULT ScoreBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ButtonBarMessage(Bar.bar, message, wParam, lParam)) return 0;
  switch (message) {
    case WM_COMMAND:
      if (HWND(lParam) == Bar.pageField && LOWORD(wParam) == kPageFieldId) {
        if (HIWORD(wParam) == EN_CHANGE) PageFieldChanged();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (Live(Windows().scoreView)) SetFocus(Windows().scoreView);
      return 0;
    default:
      break;
  }
  (void)bar;
  return -1;
}

}  // namespace

HWND CreateScoreToolbar(HWND child, int width) {
  HWND bar = CreateWindowExW(0, L"OwnToolbar", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                             0, width, kScoreToolbarHeight, child, nullptr, Windows().instance, nullptr);
  if (!bar) return nullptr;
  Bar = BarState{};
  bool shown[kButtonCount];
  for (int i = 0; i < kButtonCount; ++i) shown[i] = Installed(kButtons[i].command);
  Bar.bar.enabled = Enabled;
  Bar.bar.act = Act;
  SetUpButtonBar(Bar.bar, bar, kButtons, kButtonCount, kPageFieldsWidth, shown);
  Bar.pageField = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_RIGHT, 40, 3,
                                  28, 20, bar, HMENU(INT_PTR(kPageFieldId)), Windows().instance, nullptr);
  if (Bar.pageField) SendMessageW(Bar.pageField, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return bar;
}

void ShowScorePageNumbers(int current, int count) {
  HWND bar = Windows().scoreToolbar;
  if (!Live(bar)) return;
  if (Bar.pageField) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", count > 0 ? current : 0);
    wchar_t shown[16] = {};
    GetWindowTextW(Bar.pageField, shown, 16);
    if (std::wcscmp(text, shown) != 0) SetWindowTextW(Bar.pageField, text);
  }
  InvalidateRect(bar, nullptr, FALSE);
  (void)count;
}

void UpdateScoreCommandStates() {
  if (Live(Windows().scoreToolbar)) InvalidateRect(Windows().scoreToolbar, nullptr, FALSE);
}

LRESULT CALLBACK ButtonBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT keypad = KeypadWindowMessage(window, message, wParam, lParam);
  if (keypad != -1) return keypad;
  if (IsScoreBar(window)) {
    const LRESULT handled = ScoreBarMessage(window, message, wParam, lParam);
    if (handled != -1) return handled;
  }
  switch (message) {
    case WM_PAINT:
      PaintBar(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND: {
      // The accelerators of the frame toolbar, and every command a bar is
      // sent, go to the frame.
      HWND frame = Windows().frame;
      return HoldsWindow(frame) && frame != window ? SendMessageW(frame, WM_COMMAND, wParam, lParam) : 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
