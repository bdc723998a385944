// Text fields of the toolbars and small windows. A window value below 10
// holds no window and is ignored. The score toolbar's fields 10 and 11 are
// its two page-counter windows (its children with those control ids); field
// 5 of the page toolbar (the "OwnToolbar" child of the page window) goes to
// the toolbar by kPageToolbarSetText; any other window shows the text itself.
#pragma once

#include <windows.h>

constexpr UINT kPageToolbarSetText = WM_USER + 3;
constexpr int kScoreCounterPages = 10;
constexpr int kScoreCounterCurrent = 11;
constexpr int kPageToolbarTextField = 5;
constexpr int kStatusFieldUnits = 256;

void SetStatusField(HWND window, int field, const char16_t* text);
// The reading twin: at most kStatusFieldUnits units into out (capacity units).
void GetStatusField(HWND window, int field, char16_t* out, int capacity);
void SetStatusNumber(HWND window, int field, int number);
int GetStatusNumber(HWND window, int field);
