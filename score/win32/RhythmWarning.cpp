#include "score/win32/RhythmWarning.h"

#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "score/BarRhythmCheck.h"
#include "score/ScoreFileHooks.h"

namespace {

enum : unsigned {
  kTextCaption = 12300,
  kTextFaultyBars = 12301,
  kTextAdvice = 12302,
  kTextPagesLabel = 12303,
  kTextQuestion = 12304,
  kTextShowNextTime = 12305,
  kTextYes = 12306,
  kTextNo = 12307,
};

constexpr int kTextUnits = 512;

LPCWSTR W(const char16_t* text) { return reinterpret_cast<LPCWSTR>(text); }

void SetControlText(HWND dialog, int control, unsigned textId) {
  char16_t text[kTextUnits] = {};
  LoadUiString(textId, text, kTextUnits);
  if (control == 0) {
    SetWindowTextW(dialog, W(text));
  } else {
    SetDlgItemTextW(dialog, control, W(text));
  }
}

// Centred on the frame window, as the program's other questions are.
void CentreOnFrame(HWND dialog) {
  RECT frame, box;
  if (!HoldsWindow(Windows().frame) || !GetWindowRect(Windows().frame, &frame) || !GetWindowRect(dialog, &box)) {
    return;
  }
  const int width = box.right - box.left, height = box.bottom - box.top;
  const int x = frame.left + ((frame.right - frame.left) - width) / 2;
  const int y = frame.top + ((frame.bottom - frame.top) - height) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowWaitCursor(bool wait) { SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

}  // namespace

INT_PTR CALLBACK RhythmWarningDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetControlText(dialog, 0, kTextCaption);
      SetControlText(dialog, IDC_RHYTHM_TEXT, kTextFaultyBars);
      SetControlText(dialog, IDC_RHYTHM_ADVICE, kTextAdvice);
      SetControlText(dialog, IDC_RHYTHM_PAGES_LABEL, kTextPagesLabel);
      SetControlText(dialog, IDC_RHYTHM_QUESTION, kTextQuestion);
      SetControlText(dialog, IDC_RHYTHM_SHOW_NEXT_TIME, kTextShowNextTime);
      SetControlText(dialog, IDC_RHYTHM_YES, kTextYes);
      SetControlText(dialog, IDC_RHYTHM_NO, kTextNo);
      SetDlgItemTextW(dialog, IDC_RHYTHM_PAGES, W(reinterpret_cast<const char16_t*>(lParam)));
      CheckDlgButton(dialog, IDC_RHYTHM_SHOW_NEXT_TIME, BST_CHECKED);
      CentreOnFrame(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RHYTHM_SHOW_NEXT_TIME:
          Global().showBtWarning = IsDlgButtonChecked(dialog, IDC_RHYTHM_SHOW_NEXT_TIME) == BST_CHECKED;
          return TRUE;
        case IDC_RHYTHM_YES:
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_RHYTHM_NO:
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

int AskRhythmWarning(const char16_t* pages) {
  HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
  HWND owner = HoldsWindow(Windows().frame) ? Windows().frame : nullptr;
  const INT_PTR answer = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RHYTHM_WARNING), owner,
                                         RhythmWarningDialogProc, reinterpret_cast<LPARAM>(pages ? pages : u""));
  return answer == 1 ? 1 : 0;
}

void InstallRhythmWarning() {
  RhythmCheckHooks rhythm;
  rhythm.showWaitCursor = ShowWaitCursor;
  rhythm.askRhythmWarning = AskRhythmWarning;
  SetRhythmCheckHooks(rhythm);
  ScoreFileHooks score{};
  score.checkBarRhythms = CheckBarRhythmsBeforeSave;
  SetScoreFileHooks(score);
}
