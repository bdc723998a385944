// What the files of the score window share: the child's layout, the scroll
// bars, the toolbar and its page fields, the tool windows and the link.
#pragma once

#include <windows.h>

#include <cstdint>

// Places the toolbar, the strip and the view in the child and updates the
// view's scroll bars.
void LayoutScoreChild();
void UpdateScoreScrollBars();
// A WM_COMMAND of the child or view: true when it was one of the stave
// menu's ids.
bool OnScoreChildCommand(int id);
// A key pressed in the score view; true when handled.
bool OnScoreViewKey(WPARAM key);

// The score toolbar ("OwnToolbar") of the child, width wide.
HWND CreateScoreToolbar(HWND child, int width);
void ShowScorePageNumbers(int current, int count);
// The one procedure of the program's button bars and the keypad.
LRESULT CALLBACK ButtonBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void UpdateScoreCommandStates();

// "Detail" and the keypad.
void CreateScoreToolWindows();
void DestroyScoreToolWindows();
void ShowScoreToolWindows(bool active);
void ToggleScoreViewOption(int command);
void CreateScoreKeypad();
void DestroyScoreKeypad();
void ShowScoreKeypad(bool shown);
void ToggleScoreKeypad();
// The keypad's keyboard handler: a key of the score view or the keypad that
// presses a keypad button (or Esc); true when it was taken. The score
// view's keys are left alone while the score plays or is shown full screen.
bool OnKeypadKey(WPARAM virtualKey, LPARAM keyData, bool fromScoreView);
// The editor's selection changed: the keypad shows the voice panel and the
// codes of the selected chord or rest (none: nothing latched, panel 0).
void UpdateKeypadFromSelection(int panel, const uint8_t* codes, int count);
// The cursor of the score view while a keypad tool is latched: the current
// voice panel's; null otherwise.
HCURSOR ScoreKeypadToolCursor();
// The keypad's messages (its window shares the button bars' class
// procedure); -1 for a window that is not the keypad or a message it leaves.
LRESULT KeypadWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The scan strip's painters and the page store's hooks of the score window.
void InstallScanStripPainters(void (*setStripScale)(double));
void SetScanStripPercent(double percent);
// Forgets the linked item (the page changed).
void ResetScorePageLink();
// The linked item-index row, -1 none.
int LinkedScoreRow();
