// The keypad: a floating tool window ("CdzKeypad") laid out like a numeric
// keypad, with its layout tabs, voice tabs and keys, its tooltips, the keys
// of the score view that press its buttons, and its option and menu check.
// Which keys latch is KeypadLayouts' business, hover and press the button
// state machine's; this file draws them and hands the codes to the editor.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "render/Colours.h"
#include "render/win32/DrawingLayer.h"
#include "resources/ResourceIds.h"
#include "shell/ButtonStates.h"
#include "shell/KeypadLayouts.h"
#include "shell/ScoreEditorHooks.h"
#include "shell/ScoreViewGeometry.h"
#include "shell/ScoreViewModes.h"
#include "shell/ShortWaits.h"
#include "shell/win32/ButtonBar.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/ScoreWindowParts.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/SystemCapabilities.h"
#include "shell/win32/ToolWindowPlacement.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kKeypadTitleString = 9;
constexpr int kLayoutTabs = 5;
constexpr int kVoiceTabFirst = 5;
constexpr int kLayoutToggle = 9;
constexpr int kKeyImage = 19, kSlotImage = 16, kTabWidth = 20, kTabHeight = 18;
constexpr int kKeyImageCells = 136;
constexpr COLORREF kKeypadFace = RGB(217, 217, 217);
constexpr COLORREF kLatchedFace = RGB(246, 246, 246);
constexpr COLORREF kPictureKey = RGB(255, 0, 255);
constexpr BYTE kNarrowAlpha = 220, kWideAlpha = 235;
constexpr int kClientMargin = 8;
constexpr char16_t kUnusedText[] = u"Unused";

struct KeypadWindow {
  KeypadState state;
  ButtonCell cells[kKeypadButtonSlots];
  ButtonTracker tracker;
  bool wide = false;
  HWND tips = nullptr;
  HIMAGELIST keys = nullptr;
  HIMAGELIST slotKeys = nullptr;  // the disabled slots' smaller pictures
  HIMAGELIST tabs[kLayoutTabs] = {};
  char16_t tipText[128] = {};
  int textShownFor = -1;  // the button whose text the status bar shows
};
KeypadWindow Pad;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }

// The R8-styled keypad takes its face from the colour table.
COLORREF KeypadFace() {
  constexpr int kR8FaceColour = 5;
  return General().useR8Keypad ? COLORREF(NearestColour(ColourTable[kR8FaceColour])) : kKeypadFace;
}
bool IsKeypad(HWND window) { return Live(Windows().keypad) && window == Windows().keypad; }

void LoadPictures() {
  HINSTANCE instance = Windows().instance;
  auto load = [instance](int id, int width) {
    return ImageList_LoadImageW(instance, MAKEINTRESOURCEW(id), width, 0, kPictureKey, IMAGE_BITMAP,
                                LR_CREATEDIBSECTION);
  };
  if (!Pad.keys) Pad.keys = load(IDB_KEYPAD_KEYS, kKeyImage);
  if (!Pad.slotKeys) Pad.slotKeys = load(IDB_KEYPAD_KEYS_SMALL, kSlotImage);
  for (int tab = 0; tab < kLayoutTabs; ++tab) {
    if (!Pad.tabs[tab]) Pad.tabs[tab] = load(IDB_KEYPAD_TAB_FIRST + tab, kTabWidth);
  }
}

void FreePictures() {
  for (HIMAGELIST& list : Pad.tabs) {
    if (list) ImageList_Destroy(list);
    list = nullptr;
  }
  for (HIMAGELIST* list : {&Pad.keys, &Pad.slotKeys}) {
    if (*list) ImageList_Destroy(*list);
    *list = nullptr;
  }
}

// The buttons' states follow the keypad's; the hot one stays hot.
void SyncCells() {
  for (int i = 0; i < Pad.tracker.count; ++i) Pad.cells[i].state = Pad.state.buttons[i];
  const int hot = Pad.tracker.hot;
  if (hot >= 0 && Pad.cells[hot].state == kButtonNormal) Pad.cells[hot].state = kButtonHot;
  if (hot >= 0 && Pad.cells[hot].state == kButtonDisabled) Pad.tracker.hot = -1;
}

RECT CellRect(const ButtonCell& c) { return RECT{c.x, c.y, c.x + c.extentX + 1, c.y + c.extentY + 1}; }

void DrawPicture(HDC dc, HIMAGELIST list, int index, int x, int y, bool disabled) {
  IMAGELISTDRAWPARAMS draw{};
  draw.cbSize = sizeof draw;
  draw.himl = list;
  draw.i = index;
  draw.hdcDst = dc;
  draw.x = x;
  draw.y = y;
  draw.rgbBk = CLR_NONE;
  // Disabled: half faded into the keypad's face.
  draw.rgbFg = KeypadFace();
  draw.fStyle = ILD_TRANSPARENT | (disabled ? ILD_BLEND50 : 0);
  draw.fState = ILS_NORMAL;
  ImageList_DrawIndirect(&draw);
}

void PaintCell(HDC dc, int index) {
  const ButtonCell& c = Pad.cells[index];
  RECT r = CellRect(c);
  const bool sunk = c.state == kButtonPressed || c.state == kButtonLatched;
  const bool key = index >= kFirstKeypadKey;
  HBRUSH face = CreateSolidBrush(key && c.state == kButtonLatched ? kLatchedFace : KeypadFace());
  FillRect(dc, &r, face);
  DeleteObject(face);
  const int shift = sunk ? 1 : 0;
  if (index < kLayoutTabs) {
    // A layout tab: pressed, marked (a key of its layout latched) or normal.
    const int picture = sunk ? 2 : KeypadLayoutHasLatched(Pad.state, index) ? 1 : 0;
    if (Pad.tabs[index]) {
      DrawPicture(dc, Pad.tabs[index], picture, r.left + (r.right - r.left - kTabWidth) / 2,
                  r.top + (r.bottom - r.top - kTabHeight) / 2, false);
    }
    if (c.state == kButtonHot) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    return;
  }
  if (key) {
    const KeypadKey* k = KeypadKeyAt(Pad.state.layout, index);
    // An empty slot shows its symbol small and greyed.
    const bool disabled = c.state == kButtonDisabled;
    HIMAGELIST list = disabled ? Pad.slotKeys : Pad.keys;
    const int size = disabled ? kSlotImage : kKeyImage;
    if (k && k->code < kKeyImageCells && list) {
      DrawPicture(dc, list, k->code, r.left + (r.right - r.left - size) / 2 + shift,
                  r.top + (r.bottom - r.top - size) / 2 + shift, disabled);
    }
    DrawEdge(dc, &r, sunk ? EDGE_SUNKEN : c.state == kButtonHot ? EDGE_RAISED : BDR_RAISEDINNER, BF_RECT);
    return;
  }
  if (index == kLayoutToggle) {
    DrawEdge(dc, &r, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    return;
  }
  // A voice tab: its number.
  if (c.state != kButtonNormal) DrawEdge(dc, &r, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  const wchar_t number[2] = {wchar_t(L'1' + index - kVoiceTabFirst), 0};
  OffsetRect(&r, shift, shift);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, sunk ? RGB(0, 0, 160) : RGB(40, 40, 40));
  DrawTextW(dc, number, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintKeypad(HWND keypad) {
  ReadingLock lock;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(keypad, &ps);
  RECT client{};
  GetClientRect(keypad, &client);
  HBRUSH face = CreateSolidBrush(KeypadFace());
  FillRect(dc, &client, face);
  DeleteObject(face);
  HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < Pad.tracker.count; ++i) PaintCell(dc, i);
  SelectObject(dc, font);
  EndPaint(keypad, &ps);
}

void Repaint() {
  HWND keypad = Windows().keypad;
  if (!Live(keypad)) return;
  InvalidateRect(keypad, nullptr, FALSE);
  ReadingLock lock;
  UpdateWindow(keypad);
}

// One tool a button; the text is asked for when the tip shows.
void RegisterTips(HWND keypad) {
  if (!Pad.tips) return;
  while (SendMessageW(Pad.tips, TTM_GETTOOLCOUNT, 0, 0) > 0) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    if (!SendMessageW(Pad.tips, TTM_ENUMTOOLSW, 0, LPARAM(&tool))) break;
    SendMessageW(Pad.tips, TTM_DELTOOLW, 0, LPARAM(&tool));
  }
  for (int i = 0; i < Pad.tracker.count; ++i) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = keypad;
    tool.uId = UINT_PTR(i);
    tool.rect = CellRect(Pad.cells[i]);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(Pad.tips, TTM_ADDTOOLW, 0, LPARAM(&tool));
  }
}

const char16_t* TipText(int button) {
  Pad.tipText[0] = 0;
  if (button < 0 || button >= Pad.tracker.count || Pad.cells[button].state == kButtonDisabled) return Pad.tipText;
  const int id = KeypadTooltipId(Pad.state.layout, button);
  if (id <= 0) return Pad.tipText;
  platform::LoadUiString(id, Pad.tipText, 128);
  if (std::char_traits<char16_t>::compare(Pad.tipText, kUnusedText, 7) == 0) Pad.tipText[0] = 0;
  return Pad.tipText;
}

SIZE ClientSize(bool wide) {
  return wide ? SIZE{kWideKeypadWidth, kWideKeypadHeight} : SIZE{kNarrowKeypadWidth, kNarrowKeypadHeight};
}

BYTE Alpha(bool wide) {
  if (!Global().translucentWindows) return 255;
  return wide ? kWideAlpha : kNarrowAlpha;
}

DWORD KeypadStyle() { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS; }

SIZE OuterSize(bool wide) {
  const SIZE client = ClientSize(wide);
  RECT r{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&r, KeypadStyle(), FALSE, WS_EX_TOOLWINDOW);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void RebuildButtons(bool wide) {
  Pad.wide = wide;
  Pad.tracker = ButtonTracker{Pad.cells, PlaceKeypadButtons(wide, General().useR8Keypad, Pad.cells)};
  if (Live(Windows().keypad)) RegisterTips(Windows().keypad);
}

// Shows layout n; between narrow and wide the window changes its size (its
// right edge stays) and its buttons.
void ShowLayout(int layout) {
  const bool wide = layout == kWideKeypadLayout;
  HWND keypad = Windows().keypad;
  if (wide != Pad.wide && Live(keypad)) {
    RECT now{};
    GetWindowRect(keypad, &now);
    const SIZE size = OuterSize(wide);
    SetWindowPos(keypad, nullptr, now.right - size.cx, now.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RebuildButtons(wide);
    const SystemCapabilities& caps = Capabilities();
    if (caps.setLayeredWindowAttributes) caps.setLayeredWindowAttributes(keypad, 0, Alpha(wide), LWA_ALPHA);
  }
  ShowKeypadLayout(Pad.state, layout);
  SyncCells();
  Repaint();
}

bool EditorHasSelection() { return EditorHooks().hasSelection && EditorHooks().hasSelection(); }

// The clear key shows latched for a moment.
void Flash(int button) {
  Pad.cells[button].state = kButtonLatched;
  Repaint();
  WaitCentiseconds(kKeypadFlashCentiseconds);
  Pad.cells[button].state = kButtonNormal;
}

void PressButton(int button) {
  if (button < kLayoutTabs) {
    ShowLayout(button);
    return;
  }
  if (button == kLayoutToggle) {
    GeneralSettings& g = General();
    g.useKorvalindeKeypad = !g.useKorvalindeKeypad;
    ShowLayout(g.useKorvalindeKeypad ? kWideKeypadLayout : 0);
    SaveGeneralSettings();
    return;
  }
  if (button < kFirstKeypadKey) {
    SelectKeypadPanel(Pad.state, button - kVoiceTabFirst);
    ShowLayout(Pad.state.layout);
    return;
  }
  const int layout = Pad.state.layout;
  const int code = PressKeypadKey(Pad.state, button);
  if (code < 0) return;
  SyncCells();
  if (button == kFirstKeypadKey) {
    Flash(button);
    const ScoreEditorHooks& editor = EditorHooks();
    if (editor.togglePendingPlacement) editor.togglePendingPlacement(!EditorHasSelection());
  } else if (EditorHooks().applyKeypadCode && EditorHooks().applyKeypadCode(layout, button, code)) {
    // Applied to the selection: the keys go back to normal (the table keeps them).
    for (int i = kFirstKeypadKey + 1; i < Pad.tracker.count; ++i) {
      if (Pad.state.buttons[i] == kKeyLatched) Pad.state.buttons[i] = kKeyNormal;
    }
    SyncCells();
  }
  Repaint();
}

void PlaceAtClientCorner(HWND keypad) {
  RECT client{};
  GetWindowRect(Windows().mdiClient, &client);
  const SIZE size = OuterSize(Pad.wide);
  SetWindowPos(keypad, nullptr, client.right - size.cx - kClientMargin, client.top + kClientMargin, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The status bar shows the text of the key under the pointer.
void ShowKeypadHotText() {
  const int hot = Pad.tracker.hot;
  if (hot == Pad.textShownFor) return;
  Pad.textShownFor = hot;
  ShowHotButtonText(hot >= 0 ? TipText(hot) : nullptr);
}

// The keypad has no repeating buttons: a step only repaints and acts.
void HandStep(const ButtonStep& step) {
  Repaint();
  if (step.act >= 0) PressButton(step.act);
  ShowKeypadHotText();
}

LRESULT KeypadMessage(HWND keypad, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintKeypad(keypad);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
      HandStep(TrackButton(Pad.tracker, short(LOWORD(lParam)), short(HIWORD(lParam)), false));
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, keypad, 0};
      TrackMouseEvent(&track);
      return 0;
    }
    case WM_MOUSELEAVE:
      LeaveButtons(Pad.tracker);
      ShowKeypadHotText();
      SyncCells();
      Repaint();
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(keypad);
      HandStep(TrackButton(Pad.tracker, short(LOWORD(lParam)), short(HIWORD(lParam)), true));
      return 0;
    case WM_LBUTTONUP: {
      const ButtonStep step = ReleaseButton(Pad.tracker, short(LOWORD(lParam)), short(HIWORD(lParam)));
      ReleaseCapture();
      SyncCells();
      HandStep(step);
      if (Live(Windows().scoreView)) SetFocus(Windows().scoreView);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (Pad.tracker.down) ReleaseButton(Pad.tracker, -1000, -1000);
      SyncCells();
      Repaint();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKeypadKey(wParam, lParam, false)) return 0;
      if (Live(Windows().scoreView)) return SendMessageW(Windows().scoreView, message, wParam, lParam);
      return 0;
    case WM_CLOSE:
      ToggleScoreKeypad();
      return 0;
    case WM_SYSCOLORCHANGE:
      // The display's colours changed: the cursors and the colours are made again.
      DestroyToolCursors();
      InitialiseDrawingColours();
      Repaint();
      return 0;
    case WM_NOTIFY: {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      if (info->hdr.code != TTN_GETDISPINFOW || info->hdr.hwndFrom != Pad.tips) break;
      info->lpszText = reinterpret_cast<LPWSTR>(const_cast<char16_t*>(TipText(int(info->hdr.idFrom))));
      return 0;
    }
    case WM_MOVING: {
      SnapMovingToDocumentArea(reinterpret_cast<RECT*>(lParam));
      return TRUE;
    }
    default:
      break;
  }
  return -1;
}

}  // namespace

void CreateScoreKeypad() {
  AppWindows& w = Windows();
  if (Live(w.keypad)) return;
  LoadPictures();
  char16_t title[64] = {};
  platform::LoadUiString(kKeypadTitleString, title, 64);
  const SystemCapabilities& caps = Capabilities();
  const bool layered = caps.layeredWindows && caps.setLayeredWindowAttributes;
  const bool wide = General().useKorvalindeKeypad;
  const SIZE size = OuterSize(wide);
  w.keypad = CreateWindowExW(WS_EX_TOOLWINDOW | (layered ? WS_EX_LAYERED : 0), L"CdzKeypad",
                             reinterpret_cast<LPCWSTR>(title), KeypadStyle(), 0, 0, size.cx, size.cy, w.frame,
                             nullptr, w.instance, nullptr);
  if (!w.keypad) return;
  if (layered) caps.setLayeredWindowAttributes(w.keypad, 0, Alpha(wide), LWA_ALPHA);
  Pad.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                             0, 0, w.keypad, nullptr, w.instance, nullptr);
  if (Pad.tips) SendMessageW(Pad.tips, TTM_ACTIVATE, TRUE, 0);
  Pad.state = KeypadState{};
  RebuildButtons(wide);
  ShowLayout(wide ? kWideKeypadLayout : 0);
  PlaceAtClientCorner(w.keypad);
}

void DestroyScoreKeypad() {
  AppWindows& w = Windows();
  if (Live(w.keypad)) DestroyWindow(w.keypad);
  w.keypad = nullptr;
  Pad.tips = nullptr;
  Pad.tracker = ButtonTracker{};
  FreePictures();
}

void ShowScoreKeypad(bool shown) {
  HWND keypad = Windows().keypad;
  if (Live(keypad)) ShowWindow(keypad, shown ? SW_SHOWNA : SW_HIDE);
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

bool OnKeypadKey(WPARAM virtualKey, LPARAM keyData, bool fromScoreView) {
  if (!Live(Windows().keypad)) return false;
  const ScoreEditorHooks& editor = EditorHooks();
  KeypadKeyStroke stroke;
  stroke.virtualKey = unsigned(virtualKey);
  stroke.extended = (keyData & (1 << 24)) != 0;
  stroke.shift = GetKeyState(VK_SHIFT) < 0;
  stroke.alt = (keyData & (1 << 29)) != 0 || GetKeyState(VK_MENU) < 0;  // the key data's Alt bit
  KeypadKeyContext context;
  context.enteringText = editor.enteringText && editor.enteringText();
  context.hasSelection = EditorHasSelection();
  context.selectedCount = editor.selectedCount ? editor.selectedCount() : 0;
  if (fromScoreView) context.modes = CurrentScoreViewModes();
  const KeypadKeyDecision decision = DecideKeypadKey(Pad.state, stroke, context);
  const int button = decision.button;
  switch (decision.action) {
    case KeypadKeyAction::kDecline: return false;
    case KeypadKeyAction::kSwallow: return true;
    case KeypadKeyAction::kEscape:
      if (editor.escape) editor.escape();
      if (Live(Windows().scoreView)) InvalidateRect(Windows().scoreView, nullptr, FALSE);
      return true;
    case KeypadKeyAction::kEndPlacement:
      if (editor.togglePendingPlacement) editor.togglePendingPlacement(true);
      return false;
    case KeypadKeyAction::kPress:
      if (button >= Pad.tracker.count) return false;
      break;
  }
  // Shown pressed for a moment, then pressed.
  Pad.cells[button].state = kButtonPressed;
  Repaint();
  WaitCentiseconds(kKeypadFlashCentiseconds);
  PressButton(button);
  return true;
}

void UpdateKeypadFromSelection(int panel, const uint8_t* codes, int count) {
  if (!Live(Windows().keypad) || Pad.state.layout < 0) return;
  SetKeypadFromSelection(Pad.state, panel, codes, count);
  SyncCells();
  Repaint();
}

HCURSOR ScoreKeypadToolCursor() {
  if (!Live(Windows().keypad) || Pad.state.panel < 0) return nullptr;
  const bool anyLatched = std::any_of(std::begin(Pad.state.latchedCodes), std::end(Pad.state.latchedCodes),
                                      [](uint8_t latched) { return latched != 0; });
  return anyLatched ? CursorHandle(kCursorKeypad0 + Pad.state.panel) : nullptr;
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

LRESULT KeypadWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsKeypad(window) ? KeypadMessage(window, message, wParam, lParam) : -1;
}
