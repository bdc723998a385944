#include "shell/win32/ScrollBars.h"

void SetScrollBarPosition(HWND window, int bar, int position, bool redraw) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(window, bar, &info, redraw ? TRUE : FALSE);
}

void SetScrollBarRange(HWND window, int bar, int range, bool redraw) {
  RECT client = {};
  GetClientRect(window, &client);
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = range;
  bool vertical = bar == SB_VERT || (bar == SB_CTL && (GetWindowLongW(window, GWL_STYLE) & SBS_VERT));
  info.nPage = static_cast<UINT>(vertical ? client.bottom - client.top : client.right - client.left);
  SetScrollInfo(window, bar, &info, redraw ? TRUE : FALSE);
}
