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
#include "shell/ButtonStates.h"
#include "shell/CommandTable.h"
#include "shell/ScoreViewGeometry.h"
#include "shell/win32/BarButtonFace.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/ScoreWindowParts.h"
#include "shell/win32/StatusFields.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kPageLabelString = 6;
constexpr int kOfLabelString = 7;
constexpr UINT_PTR kRepeatTimer = 1000;
constexpr int kButtonTop = 2;
constexpr int kPageFieldId = 100;

enum class Action { kCommand, kPreviousPage, kNextPage, kSeparator };
// A button that appears only when its outside program is installed.
enum class Needs { kNothing, kCadenzor, kR8 };

struct BarButton {
  Action action;
  int key;      // its picture in the bars' image strip
  int command;  // posted to the frame
  int tip;      // string id of its tooltip
  int label;    // string id of the text beside the picture, 0 none
  int width;
  Needs needs = Needs::kNothing;
};

// In toolbar order, after the page fields.
const BarButton kButtons[] = {
    {Action::kPreviousPage, 19, 0, 50402, 0, kBarButtonSize},
    {Action::kNextPage, 20, 0, 50403, 0, kBarButtonSize},
    {Action::kSeparator, 0, 0, 0, 0, 6},
    {Action::kCommand, 26, IDM_ZOOM_TO_FIT, 50414, 0, kBarButtonSize},
    {Action::kCommand, 27, IDM_ZOOM_100, 50415, 0, kBarButtonSize},
    {Action::kCommand, 28, IDM_ZOOM_200, 50416, 0, kBarButtonSize},
    {Action::kSeparator, 0, 0, 0, 0, 6},
    {Action::kCommand, 21, IDM_FILE_SAVE, 50405, 0, kBarButtonSize},
    {Action::kCommand, 22, IDM_FILE_SEND_TO_CADENZOR, 50406, 0, kBarButtonSize, Needs::kCadenzor},
    {Action::kCommand, 23, IDM_FILE_SEND_TO_R8, 50407, 0, kBarButtonSize, Needs::kR8},
    {Action::kCommand, 24, IDM_FILE_PRINT, 50410, 0, kBarButtonSize},
    {Action::kSeparator, 0, 0, 0, 0, 6},
    {Action::kCommand, 29, IDM_TRANSPOSE, 50413, 465, 80},
    {Action::kSeparator, 0, 0, 0, 0, 6},
    {Action::kCommand, 35, IDM_VIEW_PERFORMANCE_MODE, 50427, 0, kBarButtonSize},
    {Action::kCommand, 30, IDM_PLAY_STOP, 50409, 180, 56},
};
constexpr int kButtonCount = int(sizeof kButtons / sizeof kButtons[0]);
constexpr int kPageFieldsWidth = 118;

struct BarState {
  RECT rects[kButtonCount] = {};
  ButtonCell cells[kButtonCount];
  ButtonTracker tracker;
  bool shown[kButtonCount] = {};
  HWND pageField = nullptr;
  HWND tips = nullptr;
};
BarState Bar;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }
bool IsScoreBar(HWND window) { return Live(Windows().scoreToolbar) && window == Windows().scoreToolbar; }

bool Enabled(int index) {
  const BarButton& b = kButtons[index];
  switch (b.action) {
    case Action::kPreviousPage: return ScorePages.current > 1;
    case Action::kNextPage: return ScorePages.current < ScorePages.count;
    case Action::kCommand: return CommandHasHandler(b.command) && ScorePages.count > 0;
    case Action::kSeparator: return false;
  }
  return false;
}

bool Installed(Needs needs) {
  switch (needs) {
    case Needs::kCadenzor: return FindCadenzor() != 0;
    case Needs::kR8: return FindR8() != 0;
    case Needs::kNothing: return true;
  }
  return true;
}

void LayOutButtons() {
  int x = kPageFieldsWidth;
  for (int i = 0; i < kButtonCount; ++i) {
    const BarButton& b = kButtons[i];
    Bar.shown[i] = Installed(b.needs);
    if (!Bar.shown[i]) {
      // Not there: no place, no pointer.
      Bar.cells[i] = ButtonCell{};
      Bar.cells[i].state = kButtonLabel;
      Bar.rects[i] = RECT{};
      continue;
    }
    Bar.rects[i] = RECT{x, kButtonTop, x + b.width, kButtonTop + kBarButtonSize};
    ButtonCell& c = Bar.cells[i];
    c = ButtonCell{};
    c.x = x;
    c.y = kButtonTop;
    c.extentX = b.width - 1;
    c.extentY = kBarButtonSize - 1;
    const bool step = b.action == Action::kPreviousPage || b.action == Action::kNextPage;
    c.mode = step ? kModeRepeat : kModePush;
    if (b.action == Action::kSeparator) c.state = kButtonSeparator;
    x += b.width + 1;
  }
  Bar.tracker = ButtonTracker{Bar.cells, kButtonCount};
}

// The buttons' enabled states follow the score and the commands.
void SyncEnabled() {
  for (int i = 0; i < kButtonCount; ++i) {
    if (kButtons[i].action != Action::kSeparator && Bar.shown[i]) SetButtonEnabled(Bar.tracker, i, Enabled(i));
  }
}

void Act(int index) {
  if (index < 0 || !Enabled(index)) return;
  const BarButton& b = kButtons[index];
  switch (b.action) {
    case Action::kPreviousPage:
    case Action::kNextPage: {
      const int page = StepScorePage(ScorePages.current, b.action == Action::kNextPage ? 1 : -1, ScorePages.count);
      if (page != ScorePages.current) ShowScorePage(page, true);
      return;
    }
    case Action::kCommand: PostMessageW(Windows().frame, WM_COMMAND, WPARAM(b.command), 0); return;
    case Action::kSeparator: return;
  }
}

void DrawButton(HDC dc, int index) {
  const BarButton& b = kButtons[index];
  if (b.action == Action::kSeparator) return DrawBarSeparator(dc, Bar.rects[index]);
  const uint16_t state = Bar.cells[index].state;
  const bool pressed = state == kButtonPressed || state == kButtonLatched;
  DrawBarButtonFace(dc, Bar.rects[index], state == kButtonHot || pressed, pressed, state != kButtonDisabled, b.key, 2,
                    b.label);
}

void PaintBar(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  RECT client{};
  GetClientRect(bar, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (IsScoreBar(bar)) {
    RECT top{0, 0, client.right, 1}, bottom{0, client.bottom - 1, client.right, client.bottom};
    FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNSHADOW));
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
    SyncEnabled();
    for (int i = 0; i < kButtonCount; ++i) {
      if (Bar.shown[i]) DrawButton(dc, i);
    }
    SelectObject(dc, font);
  }
  EndPaint(bar, &ps);
}

// The status bar's field that shows the hot button's text, with the text it
// showed before.
constexpr int kHotTextField = 2;
struct HotText {
  bool saved = false;
  int shownFor = -1;
  wchar_t previous[kStatusFieldUnits] = {};
};
HotText StatusHot;

void ShowToolbarHotText() {
  const int hot = Bar.tracker.hot;
  if (hot == StatusHot.shownFor) return;
  StatusHot.shownFor = hot;
  char16_t text[128] = {};
  if (hot >= 0 && kButtons[hot].tip) platform::LoadUiString(kButtons[hot].tip, text, 128);
  ShowHotButtonText(text);
}

// Runs what a step of the button state machine asks: the repeat timer, the
// button's action, a repaint.
void Apply(HWND bar, const ButtonStep& step) {
  switch (step.timer) {
    case RepeatTimer::kStartFirst: SetTimer(bar, kRepeatTimer, kFirstRepeatMs, nullptr); break;
    case RepeatTimer::kSpeedUp: SetTimer(bar, kRepeatTimer, kRepeatMs, nullptr); break;
    case RepeatTimer::kStop: KillTimer(bar, kRepeatTimer); break;
    case RepeatTimer::kLeave: break;
  }
  if (step.act >= 0) Act(step.act);
  SyncEnabled();
  ShowToolbarHotText();
  InvalidateRect(bar, nullptr, FALSE);
}

void AddTips(HWND bar) {
  Bar.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                             0, bar, nullptr, Windows().instance, nullptr);
  if (!Bar.tips) return;
  for (int i = 0; i < kButtonCount; ++i) {
    if (!kButtons[i].tip || !Bar.shown[i]) continue;
    static char16_t texts[kButtonCount][128];
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

void PageFieldChanged() {
  wchar_t text[16] = {};
  GetWindowTextW(Bar.pageField, text, 16);
  const int page = int(std::wcstol(text, nullptr, 10));
  if (page >= 1 && page <= ScorePages.count && page != ScorePages.current) ShowScorePage(page, true);
}

LRESULT ScoreBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      SyncEnabled();
      const int hot = Bar.tracker.hot;
      const uint16_t state = hot >= 0 ? Bar.cells[hot].state : 0;
      const ButtonStep step = TrackButton(Bar.tracker, short(LOWORD(lParam)), short(HIWORD(lParam)), false);
      if (step.act >= 0 || step.timer != RepeatTimer::kLeave || hot != Bar.tracker.hot ||
          (hot >= 0 && state != Bar.cells[hot].state))
        Apply(bar, step);
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, bar, 0};
      TrackMouseEvent(&track);
      return 0;
    }
    case WM_MOUSELEAVE:
      LeaveButtons(Bar.tracker);
      ShowToolbarHotText();
      InvalidateRect(bar, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      SyncEnabled();
      SetCapture(bar);
      Apply(bar, TrackButton(Bar.tracker, short(LOWORD(lParam)), short(HIWORD(lParam)), true));
      return 0;
    case WM_TIMER:
      if (wParam != kRepeatTimer) break;
      Apply(bar, RepeatButton(Bar.tracker));
      return 0;
    case WM_LBUTTONUP: {
      if (!Bar.tracker.down) return 0;
      const ButtonStep step = ReleaseButton(Bar.tracker, short(LOWORD(lParam)), short(HIWORD(lParam)));
      ReleaseCapture();
      Apply(bar, step);
      return 0;
    }
    case WM_CAPTURECHANGED:
      // Capture taken away: the press ends without acting.
      if (Bar.tracker.down) {
        ButtonStep step = ReleaseButton(Bar.tracker, -1000, -1000);
        step.act = -1;
        Apply(bar, step);
      }
      return 0;
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
  return -1;
}

}  // namespace

HWND CreateScoreToolbar(HWND child, int width) {
  HWND bar = CreateWindowExW(0, L"OwnToolbar", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                             0, width, kScoreToolbarHeight, child, nullptr, Windows().instance, nullptr);
  if (!bar) return nullptr;
  Bar = BarState{};
  LayOutButtons();
  Bar.pageField = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_RIGHT, 40, 3,
                                  28, 20, bar, HMENU(INT_PTR(kPageFieldId)), Windows().instance, nullptr);
  if (Bar.pageField) SendMessageW(Bar.pageField, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  AddTips(bar);
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

void ShowHotButtonText(const char16_t* text) {
  HWND status = Windows().status;
  if (!Live(status)) return;
  if (text && text[0]) {
    if (!StatusHot.saved) {
      StatusHot.previous[0] = 0;
      if (LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, kHotTextField, 0)) < kStatusFieldUnits)
        SendMessageW(status, SB_GETTEXTW, kHotTextField, LPARAM(StatusHot.previous));
      StatusHot.saved = true;
    }
    platform::SetStatusField(kHotTextField, text);
  } else if (StatusHot.saved) {
    platform::SetStatusField(kHotTextField, reinterpret_cast<const char16_t*>(StatusHot.previous));
    StatusHot.saved = false;
  }
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
