// The MDI frame "DEV_ODI": its window procedure and the state it keeps.
#pragma once

#include <windows.h>

// The frame's window procedure; whatever it does not handle goes to
// DefFrameProc with the MDI client.
LRESULT CALLBACK Event_Dispatcher(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Layout of the frame's client area.
constexpr int kFrameToolbarHeight = 24;
constexpr int kFrameBottomReserve = 43;  // toolbar height plus the status bar

struct FrameState {
  int paneWidth = 260;   // the pages pane's width, from "View Pages Pane Size X"
  int paneSplit = 0;     // the height of the pages pane's upper part
  bool savePrompted = false;  // the close question has been answered
  bool statusSaved = false;   // the status text below is kept while a menu is open
  wchar_t statusText[257] = {};
};
FrameState& Frame();

// The widest pages pane the frame's layout accepts.
int LargestPaneWidth(HWND frame);
