#include "shell/win32/ButtonBar.h"

#include <commctrl.h>

#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"
#include "shell/win32/BarButtonFace.h"
#include "shell/win32/StatusFields.h"

namespace {

// The status bar's field that shows the hot button's text, with the text it
// showed before.
constexpr int kHotTextField = 2;
struct HotText {
  bool saved = false;
  wchar_t previous[kStatusFieldUnits] = {};
};
HotText StatusHot;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }

constexpr UINT_PTR kRepeatTimer = 1000;
constexpr int kButtonTop = 2;

void AddTips(ButtonBar& bar) {
  bar.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                             0, 0, bar.window, nullptr, Windows().instance, nullptr);
  if (!bar.tips) return;
  for (int i = 0; i < bar.count; ++i) {
    if (!bar.table[i].tip || !bar.shown[i]) continue;
    char16_t* text = bar.tipTexts[i];
    platform::LoadUiString(bar.table[i].tip, text, kBarTipUnits);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = bar.window;
    tool.uId = UINT_PTR(i + 1);
    tool.rect = bar.rects[i];
    tool.lpszText = reinterpret_cast<LPWSTR>(text);
    SendMessageW(bar.tips, TTM_ADDTOOLW, 0, LPARAM(&tool));
  }
  SendMessageW(bar.tips, TTM_ACTIVATE, TRUE, 0);
}

bool IsSeparator(const ButtonBar& bar, int i) { return bar.table[i].action == kBarSeparator; }

bool CanAct(const ButtonBar& bar, int i) { return !IsSeparator(bar, i) && bar.enabled && bar.enabled(i); }

// The buttons' enabled states follow the bar's say.
void SyncEnabled(ButtonBar& bar) {
  for (int i = 0; i < bar.count; ++i) {
    if (!IsSeparator(bar, i) && bar.shown[i]) SetButtonEnabled(bar.tracker, i, CanAct(bar, i));
  }
}

// The status bar shows the text of the button under the pointer.
void ShowHotText(ButtonBar& bar) {
  const int hot = bar.tracker.hot;
  if (hot == bar.textShownFor) return;
  bar.textShownFor = hot;
  char16_t text[kBarTipUnits] = {};
  if (hot >= 0 && bar.table[hot].tip) platform::LoadUiString(bar.table[hot].tip, text, kBarTipUnits);
  ShowHotButtonText(text);
}

// Runs what a step of the state machine asks: the repeat timer, the
// button's action, a repaint.
void Apply(ButtonBar& bar, const ButtonStep& step) {
  switch (step.timer) {
    case RepeatTimer::kStartFirst: SetTimer(bar.window, kRepeatTimer, kFirstRepeatMs, nullptr); break;
    case RepeatTimer::kSpeedUp: SetTimer(bar.window, kRepeatTimer, kRepeatMs, nullptr); break;
    case RepeatTimer::kStop: KillTimer(bar.window, kRepeatTimer); break;
    case RepeatTimer::kLeave: break;
  }
  if (step.act >= 0 && CanAct(bar, step.act) && bar.act) bar.act(step.act);
  SyncEnabled(bar);
  ShowHotText(bar);
  InvalidateRect(bar.window, nullptr, FALSE);
}

void DrawButton(HDC dc, const ButtonBar& bar, int i) {
  const BarButtonEntry& b = bar.table[i];
  if (b.action == kBarSeparator) return DrawBarSeparator(dc, bar.rects[i]);
  const uint16_t state = bar.cells[i].state;
  const bool pressed = state == kButtonPressed || state == kButtonLatched;
  const int imageOffset = b.width < kBarImageSize ? (b.width - kBarImageSize) / 2 : 2;
  DrawBarButtonFace(dc, bar.rects[i], state == kButtonHot || pressed, pressed, state != kButtonDisabled, b.key,
                    imageOffset, uint16_t(b.label));
}

}  // namespace

void SetUpButtonBar(ButtonBar& bar, HWND window, const BarButtonEntry* table, int count, int left, const bool* shown) {
  bar.window = window;
  bar.table = table;
  bar.count = count < kMaxBarButtons ? count : kMaxBarButtons;
  bar.textShownFor = -1;
  int x = left;
  for (int i = 0; i < bar.count; ++i) {
    const BarButtonEntry& b = table[i];
    ButtonCell& c = bar.cells[i];
    c = ButtonCell{};
    bar.shown[i] = shown ? shown[i] : true;
    if (!bar.shown[i]) {
      // Not there: no place, no pointer.
      c.state = kButtonLabel;
      bar.rects[i] = RECT{};
      continue;
    }
    bar.rects[i] = RECT{x, kButtonTop, x + b.width, kButtonTop + kBarButtonSize};
    c.x = x;
    c.y = kButtonTop;
    c.extentX = b.width - 1;
    c.extentY = kBarButtonSize - 1;
    c.mode = b.repeats ? kModeRepeat : kModePush;
    if (b.action == kBarSeparator) c.state = kButtonSeparator;
    x += b.width + 1;
  }
  bar.tracker = ButtonTracker{bar.cells, bar.count};
  AddTips(bar);
}

void PaintBarFace(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  RECT top{0, 0, client.right, 1}, bottom{0, client.bottom - 1, client.right, client.bottom};
  FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNSHADOW));
}

void PaintBarButtons(HDC dc, ButtonBar& bar) {
  SyncEnabled(bar);
  HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < bar.count; ++i) {
    if (bar.shown[i]) DrawButton(dc, bar, i);
  }
  SelectObject(dc, font);
}

bool ButtonBarMessage(ButtonBar& bar, UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
  switch (message) {
    case WM_MOUSEMOVE: {
      SyncEnabled(bar);
      const int hot = bar.tracker.hot;
      const uint16_t state = hot >= 0 ? bar.cells[hot].state : 0;
      const ButtonStep step = TrackButton(bar.tracker, x, y, false);
      if (step.act >= 0 || step.timer != RepeatTimer::kLeave || hot != bar.tracker.hot ||
          (hot >= 0 && state != bar.cells[hot].state))
        Apply(bar, step);
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, bar.window, 0};
      TrackMouseEvent(&track);
      return true;
    }
    case WM_MOUSELEAVE:
      LeaveButtons(bar.tracker);
      ShowHotText(bar);
      InvalidateRect(bar.window, nullptr, FALSE);
      return true;
    case WM_LBUTTONDOWN:
      SyncEnabled(bar);
      SetCapture(bar.window);
      Apply(bar, TrackButton(bar.tracker, x, y, true));
      return true;
    case WM_TIMER:
      if (wParam != kRepeatTimer) return false;
      Apply(bar, RepeatButton(bar.tracker));
      return true;
    case WM_LBUTTONUP: {
      if (!bar.tracker.down) return true;
      const ButtonStep step = ReleaseButton(bar.tracker, x, y);
      ReleaseCapture();
      Apply(bar, step);
      return true;
    }
    case WM_CAPTURECHANGED:
      // Capture taken away: the press ends without acting.
      if (bar.tracker.down) {
        ButtonStep step = ReleaseButton(bar.tracker, -1000, -1000);
        step.act = -1;
        Apply(bar, step);
      }
      return true;
    default:
      return false;
  }
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
