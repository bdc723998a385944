// The progress window (dialog 1105): a modeless window of the user-interface
// thread with a process line, a bar of 0..100 and an optional Esc hint; and
// the wiring of page preparation to it and to the black-and-white notice.
#pragma once

#include <windows.h>

// Opens the window when it is not open (centred, caption "Progress report",
// bar at 0), brings it to the top and shows text on its process line. With
// withFileName the caption names the image being opened ("Processing
// '<name>'..."); the Esc hint shows only with showEscHint.
void ShowProgressDialog(const char16_t* text, bool withFileName, bool showEscHint);
// Moves the bar (0..100) and repaints at once; nothing while the window is closed.
void StepProgressDialog(int position);
// Destroys the window, restores the arrow cursor and forgets the handle.
void CloseProgressDialog();
// The open window, or null.
HWND ProgressDialogWindow();

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The caption of the window for an image path: "Processing '", the file's
// name and "'...".
void FormatProcessingCaption(const char16_t* imagePath, char16_t* caption, int capacity);

// Gives page preparation the black-and-white notice (dialog 315) and the
// progress window with the wait cursor.
void InstallPreparationWindows();
