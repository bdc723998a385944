// The frame's children: created with the frame, laid out on every resize.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/win32/ClientMetricsWindow.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/FrameWindow.h"
#include "shell/win32/ToolWindowPlacement.h"

namespace {

constexpr int kFrameToolbarId = 1;
constexpr int kSmallestPaneWidth = 64;
constexpr int kPaneSplitMargin = 128;
// Wide enough for "-- m -- s" and a reading's minutes and seconds.
constexpr int kStatusTimeFieldWidth = 96;

// The submenu of a menu bar that holds the Window commands, or null.
HMENU WindowSubmenu(HMENU bar) {
  if (!bar) return nullptr;
  for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    if (sub && GetMenuState(sub, IDM_WINDOW_CASCADE, MF_BYCOMMAND) != UINT(-1)) return sub;
  }
  return nullptr;
}

// The height left between the toolbar and the status bar. The status bar's
// own height is used once it exists: it is taller than the 19 pixels the
// reserve allows for on some systems, and the panes must not cover it.
int ClientHeightBelowBars(const RECT& client) {
  HWND status = Windows().status;
  RECT bar{};
  if (HoldsWindow(status) && GetWindowRect(status, &bar) && bar.bottom > bar.top)
    return client.bottom - kFrameToolbarHeight - (bar.bottom - bar.top);
  return client.bottom - kFrameBottomReserve;
}

}  // namespace

int LargestPaneWidth(HWND frame) {
  RECT client{};
  if (frame) GetClientRect(frame, &client);
  return client.right > 2 * kSmallestPaneWidth ? client.right / 2 : 260;
}

LRESULT OnFrameCreate(HWND frame) {
  AppWindows& w = Windows();
  FrameState& state = Frame();
  state.paneWidth = int(Global().viewPagesPaneSizeX);
  RECT client{};
  GetClientRect(frame, &client);
  int height = ClientHeightBelowBars(client);
  HINSTANCE instance = w.instance ? w.instance : GetModuleHandleW(nullptr);

  CLIENTCREATESTRUCT mdi{};
  mdi.hWindowMenu = WindowSubmenu(GetMenu(frame));
  mdi.idFirstChild = IDC_MDI_FIRST_CHILD;
  w.mdiClient = CreateWindowExW(WS_EX_STATICEDGE, L"MDICLIENT", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | MDIS_ALLCHILDSTYLES,
                                state.paneWidth, kFrameToolbarHeight, client.right - state.paneWidth, height, frame,
                                nullptr, instance, &mdi);
  if (!w.mdiClient) return -1;

  w.pagesPane = CreateWindowExW(0, L"ViewPages", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                kFrameToolbarHeight, state.paneWidth, height, frame, nullptr, instance, nullptr);
  state.paneSplit = height / 2;
  if (w.pagesPane) {
    for (HWND& bar : w.pagesPaneScrollBars) {
      bar = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, -200, 10, 20, 200,
                            w.pagesPane, nullptr, instance, nullptr);
    }
  }

  w.status = CreateStatusWindowW(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM | SBARS_SIZEGRIP, L"", frame,
                                 IDC_STATUS_BAR);
  if (w.status) {
    // Three fields: the time of a reading, one that takes no room, and the
    // messages, which stretch to the bar's end. A bar of one field would
    // show no text of field 2.
    static const int kFieldEnds[3] = {kStatusTimeFieldWidth, kStatusTimeFieldWidth, -1};
    SendMessageW(w.status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(kFieldEnds));
  }

  w.frameToolbar = CreateWindowExW(0, L"OwnToolbar", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                   client.right, kFrameToolbarHeight, frame,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrameToolbarId)), instance, nullptr);
  if (w.frameToolbar) {
    w.frameToolbarTips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                                         0, 0, w.frameToolbar, nullptr, instance, nullptr);
    if (w.frameToolbarTips) {
      SetWindowPos(w.frameToolbarTips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      SendMessageW(w.frameToolbarTips, TTM_ACTIVATE, TRUE, 0);
    }
  }

  InitClientMetrics();
  w.scoreView = ViewMark(kScoreViewMark);
  w.scoreWindow = ViewMark(kScoreViewMark);
  w.pageView = ViewMark(kPageViewMark);
  w.pageWindow = ViewMark(kPageViewMark);
  return 0;
}

void OnFrameSize(HWND frame) {
  AppWindows& w = Windows();
  FrameState& state = Frame();
  RECT client{};
  GetClientRect(frame, &client);
  if (HoldsWindow(w.status)) SendMessageW(w.status, WM_SIZE, 0, 0);
  if (HoldsWindow(w.scoreView)) KeepToolWindowsOnScreen();
  int height = ClientHeightBelowBars(client);
  if (height < 0) height = 0;
  int oldWidth = state.paneWidth;
  int oldSplit = state.paneSplit;

  if (HoldsWindow(w.pagesPane)) {
    RECT pane{};
    GetClientRect(w.pagesPane, &pane);
    if (pane.right >= 1 && pane.bottom >= 1) {
      int half = pane.bottom / 2;
      int lowest = half < kPaneSplitMargin ? half : kPaneSplitMargin;
      int highest = pane.bottom - kPaneSplitMargin > half ? pane.bottom - kPaneSplitMargin : half;
      if (state.paneSplit < lowest) state.paneSplit = lowest;
      if (state.paneSplit > highest) state.paneSplit = highest;
    }
  }
  int largest = LargestPaneWidth(frame);
  if (state.paneWidth > largest || state.paneWidth < 0) state.paneWidth = largest;

  if (HoldsWindow(w.mdiClient))
    MoveWindow(w.mdiClient, state.paneWidth, kFrameToolbarHeight, client.right - state.paneWidth, height, TRUE);
  if (HoldsWindow(w.pagesPane)) MoveWindow(w.pagesPane, 0, kFrameToolbarHeight, state.paneWidth, height, TRUE);
  if (HoldsWindow(w.frameToolbar)) MoveWindow(w.frameToolbar, 0, 0, client.right, kFrameToolbarHeight, TRUE);
  // Measured once the MDI client has its new size.
  InitClientMetrics();

  if ((state.paneSplit != oldSplit || state.paneWidth != oldWidth) && HoldsWindow(w.pagesPane))
    InvalidateRect(w.pagesPane, nullptr, TRUE);
  if (state.paneWidth != oldWidth) {
    for (HWND window : {w.mdiClient, w.scoreToolbar, w.keypad, w.detail, w.scoreView, w.outImage}) {
      if (HoldsWindow(window) && IsWindow(window)) InvalidateRect(window, nullptr, TRUE);
    }
  }
}
