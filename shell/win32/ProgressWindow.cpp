#include "pages/PageImageStore.h"
#include "shell/win32/ProgressWindow.h"

#include <commctrl.h>

#include "platform/Messages.h"
#include "platform/TextUtils.h"
#include "platform/win32/AppWindows.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparePage.h"
#include "resources/ResourceIds.h"
#include "reading/FileOpener.h"
#include "shell/win32/NoticeDialogs.h"

namespace {

constexpr unsigned kStrProgressReport = 10284;
constexpr unsigned kStrProcessingOpen = 10174;   // "Processing '"
constexpr unsigned kStrProcessingClose = 10175;  // "'..."
constexpr int kTextUnits = 512;

HWND progressWindow = nullptr;

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

void SetUiText(HWND window, unsigned id) {
  char16_t text[kTextUnits] = {};
  LoadUiString(id, text, kTextUnits);
  SetWindowTextW(window, W(text));
}

// Appends text at *at, keeping one unit for the NUL.
void Append(char16_t* buffer, int capacity, int* at, const char16_t* text) {
  while (text && *text && *at < capacity - 1) buffer[(*at)++] = *text++;
  buffer[*at] = 0;
}

// Page preparation's progress: every step opens the window with its text,
// the caption naming the image being prepared, the Esc hint shown.
void OpenPreparationProgress(unsigned textId) {
  char16_t text[kTextUnits] = {};
  LoadUiString(textId, text, kTextUnits);
  ShowProgressDialog(text, true, true);
}

void PreparationWaitCursor(bool on) { SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW)); }

void ShowBlackAndWhiteNotice() { ShowShellDialog(IDD_BLACK_AND_WHITE_NOTICE, Windows().frame); }

}  // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      SetDlgItemTextW(dialog, IDC_PROGRESS_TEXT, L"");
      SetUiText(dialog, kStrProgressReport);
      SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
      return TRUE;
    case WM_CLOSE:
      return TRUE;  // the work that opened it closes it
  }
  return FALSE;
}

void FormatProcessingCaption(const char16_t* imagePath, char16_t* caption, int capacity) {
  if (capacity < 1) return;
  int at = 0;
  caption[0] = 0;
  char16_t part[kTextUnits] = {};
  LoadUiString(kStrProcessingOpen, part, kTextUnits);
  Append(caption, capacity, &at, part);
  Append(caption, capacity, &at, imagePath ? PathFileName(imagePath) : u"");
  LoadUiString(kStrProcessingClose, part, kTextUnits);
  Append(caption, capacity, &at, part);
}

void ShowProgressDialog(const char16_t* text, bool withFileName, bool showEscHint) {
  if (!progressWindow || !IsWindow(progressWindow)) {
    HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
    progressWindow = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS), Windows().frame,
                                        ProgressDialogProc, 0);
    if (!progressWindow) return;
  }
  SetWindowPos(progressWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  BringWindowToTop(progressWindow);
  SetDlgItemTextW(progressWindow, IDC_PROGRESS_TEXT, W(text ? text : u""));
  if (withFileName) {
    char16_t caption[kTextUnits] = {};
    FormatProcessingCaption(CurrentImagePath(), caption, kTextUnits);
    SetWindowTextW(progressWindow, W(caption));
  }
  ShowWindow(GetDlgItem(progressWindow, IDC_PROGRESS_ESC_HINT), showEscHint ? SW_SHOW : SW_HIDE);
  UpdateWindow(progressWindow);
}

void StepProgressDialog(int position) {
  if (!progressWindow || !IsWindow(progressWindow)) return;
  SendDlgItemMessageW(progressWindow, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  UpdateWindow(progressWindow);
}

void CloseProgressDialog() {
  if (progressWindow && IsWindow(progressWindow)) DestroyWindow(progressWindow);
  progressWindow = nullptr;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

HWND ProgressDialogWindow() { return progressWindow && IsWindow(progressWindow) ? progressWindow : nullptr; }

void InstallPreparationWindows() {
  PreparationServices().showBlackAndWhiteWarning = ShowBlackAndWhiteNotice;
  PreparationProgressHooks& progress = PreparationProgress();
  progress.open = OpenPreparationProgress;
  progress.step = StepProgressDialog;
  progress.close = CloseProgressDialog;
  progress.waitCursor = PreparationWaitCursor;
}
