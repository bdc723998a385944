// The "Rhythm warning" question (dialog 345) that the bar rhythm check asks
// before a score with faulty bars is saved.
#pragma once

#include <windows.h>

// Installs the question and the wait cursor into the bar rhythm check, and
// the check into the score file writer.
void InstallRhythmWarning();

// Shows the question over the frame window with the page text: 1 go on
// ("&Yes" or Enter), 0 stop ("&No", Escape or closing the window).
int AskRhythmWarning(const char16_t* pages);

INT_PTR CALLBACK RhythmWarningDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
