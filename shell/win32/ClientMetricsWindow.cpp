#include "shell/win32/ClientMetricsWindow.h"

#include "platform/win32/AppWindows.h"
#include "shell/ClientMetrics.h"

namespace {

constexpr int kSecondViewAbove = 10;

bool IsLiveWindow(HWND window) { return HoldsWindow(window) && IsWindow(window); }

}  // namespace

HWND ClientMetricsWindow() {
  const AppWindows& w = Windows();
  HWND view = w.scoreViews[w.viewNumber > kSecondViewAbove ? 1 : 0];
  if (IsLiveWindow(view)) return view;
  if (!IsLiveWindow(w.mdiClient)) return nullptr;
  BOOL maximized = FALSE;
  HWND active = reinterpret_cast<HWND>(SendMessageW(w.mdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
  if (active && maximized && IsWindow(active)) return active;
  return w.mdiClient;
}

int InitClientMetrics() {
  RECT client{};
  HWND window = ClientMetricsWindow();
  if (!window || !GetClientRect(window, &client)) client = RECT{};
  SetClientMetrics(client.right - client.left, client.bottom - client.top);
  return 0;
}
