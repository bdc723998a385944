// One of the program's own button bars (class "OwnToolbar"): a table of
// buttons laid out left to right, their tooltips, the bar's face, and the
// hover, press, repeat and release of the shared button state machine. The
// score toolbar and the page toolbar each give their table and say which
// buttons can act and what a button does.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/ButtonStates.h"

constexpr int kMaxBarButtons = 24;
constexpr int kBarSeparatorWidth = 6;
constexpr int kBarTipUnits = 128;

// A row of a bar's button table.
struct BarButtonEntry {
  int action;   // the bar's own action code; kBarSeparator for a separator
  int key;      // its picture in the bars' image strip
  int command;  // posted to the frame by the bar's action, 0 none
  int tip;      // string id of its tooltip and status-bar text, 0 none
  int label;    // string id of the text beside the picture, 0 none
  int width;
  bool repeats = false;  // acts again and again while held
};
constexpr int kBarSeparator = -1;

struct ButtonBar {
  HWND window = nullptr;
  HWND tips = nullptr;
  const BarButtonEntry* table = nullptr;
  int count = 0;
  bool shown[kMaxBarButtons] = {};
  RECT rects[kMaxBarButtons] = {};
  ButtonCell cells[kMaxBarButtons];
  ButtonTracker tracker;
  int textShownFor = -1;  // the button whose text the status bar shows
  char16_t tipTexts[kMaxBarButtons][kBarTipUnits] = {};  // the tooltip control keeps pointers to them
  // Whether button index can act now, and its action.
  bool (*enabled)(int index) = nullptr;
  void (*act)(int index) = nullptr;
};

// Lays the table's buttons out from x = left (entries whose shown flag is
// false get no place), makes the bar's tooltips and starts the state
// machine; the bar's window must exist.
void SetUpButtonBar(ButtonBar& bar, HWND window, const BarButtonEntry* table, int count, int left,
                    const bool* shown = nullptr);
// The bar's face: its background with a light line along the top and a dark
// one along the bottom.
void PaintBarFace(HDC dc, const RECT& client);
// Every shown button, its enabled state brought up to date first.
void PaintBarButtons(HDC dc, ButtonBar& bar);
// The mouse and timer messages of the bar; true when it took the message.
bool ButtonBarMessage(ButtonBar& bar, UINT message, WPARAM wParam, LPARAM lParam);

// The status bar shows the text of the button under the pointer; an empty
// text or null puts back what it showed before.
void ShowHotButtonText(const char16_t* text);
