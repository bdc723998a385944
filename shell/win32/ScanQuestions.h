// The questions page acquisition asks: the resolution of a page whose file
// gives none that can be used (131), and the password of a protected PDF
// file (1142).
#pragma once

#include <windows.h>

#include <cstddef>

// Asks for the resolution of the page read from fileName, starting from its
// own. The dialog stays open until the answer is one music can be read at
// or the user cancels: the resolution taken, or 0 when cancelled.
int AskScanResolution(HWND owner, const wchar_t* fileName, int pageResolution, bool lowResolutionAllowed);
// Asks for a PDF file's password into buffer (at most 256 characters and
// the NUL, cut to capacity); false when cancelled.
bool AskPdfPassword(HWND owner, wchar_t* buffer, size_t capacity);

INT_PTR CALLBACK ScanResolutionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PdfPasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Makes the file opener ask with dialog 131.
void InstallScanQuestions();
