#include "shell/win32/ScanQuestions.h"

#include <string>

#include "platform/Messages.h"
#include "platform/win32/AppWindows.h"
#include "reading/FileOpenerHooks.h"
#include "resources/ResourceIds.h"
#include "shell/ScanResolution.h"
#include "shell/win32/NoticeDialogs.h"

namespace {

constexpr unsigned kProcessingOpen = 10174, kProcessingClose = 10175;
constexpr unsigned kResolutionRefused = 10135;
constexpr size_t kPasswordChars = 256;

struct ResolutionQuestion {
  const wchar_t* fileName = nullptr;
  int resolution = 0;
  bool lowAllowed = false;
};

struct PasswordQuestion {
  wchar_t* buffer = nullptr;
  size_t capacity = 0;
};

uint32_t AskOpenedPageResolution(const char16_t* path, uint32_t suggested) {
  const int answer = AskScanResolution(Windows().frame, reinterpret_cast<const wchar_t*>(path),
                                       static_cast<int>(suggested), false);
  return answer > 0 ? static_cast<uint32_t>(answer) : 0;
}

HINSTANCE Instance() { return Windows().instance ? Windows().instance : GetModuleHandleW(nullptr); }

void ShowOtherValue(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_RESOLUTION_VALUE), IsDlgButtonChecked(dialog, IDC_RESOLUTION_OTHER) == BST_CHECKED);
}

void OpenResolution(HWND dialog, ResolutionQuestion* question) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(question));
  CentreDialog(dialog);
  const int start = StartingResolution(question->resolution);
  int button = IDC_RESOLUTION_OTHER;
  switch (NearPresetResolution(start)) {
    case 400: button = IDC_RESOLUTION_400; break;
    case 300: button = IDC_RESOLUTION_300; break;
    case 200: button = IDC_RESOLUTION_200; break;
  }
  CheckRadioButton(dialog, IDC_RESOLUTION_400, IDC_RESOLUTION_OTHER, button);
  SetDlgItemInt(dialog, IDC_RESOLUTION_VALUE, static_cast<UINT>(start), FALSE);
  ShowOtherValue(dialog);
  char16_t open[64], close[64];
  LoadUiString(kProcessingOpen, open, 64);
  LoadUiString(kProcessingClose, close, 64);
  const wchar_t* slash = question->fileName ? wcsrchr(question->fileName, L'\\') : nullptr;
  std::wstring title = reinterpret_cast<const wchar_t*>(open);
  title += slash ? slash + 1 : (question->fileName ? question->fileName : L"");
  title += reinterpret_cast<const wchar_t*>(close);
  SetWindowTextW(dialog, title.c_str());
}

// The answer, or 0 when it is not a number.
int ChosenResolution(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_RESOLUTION_400) == BST_CHECKED) return 400;
  if (IsDlgButtonChecked(dialog, IDC_RESOLUTION_300) == BST_CHECKED) return 300;
  if (IsDlgButtonChecked(dialog, IDC_RESOLUTION_200) == BST_CHECKED) return 200;
  BOOL ok = FALSE;
  const UINT value = GetDlgItemInt(dialog, IDC_RESOLUTION_VALUE, &ok, FALSE);
  return ok && value <= 100000 ? static_cast<int>(value) : 0;
}

}  // namespace

INT_PTR CALLBACK ScanResolutionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* question = reinterpret_cast<ResolutionQuestion*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      OpenResolution(dialog, reinterpret_cast<ResolutionQuestion*>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RESOLUTION_400:
        case IDC_RESOLUTION_300:
        case IDC_RESOLUTION_200:
        case IDC_RESOLUTION_OTHER:
          ShowOtherValue(dialog);
          return TRUE;
        case IDC_RESOLUTION_OK:
        case IDOK: {
          const int resolution = ChosenResolution(dialog);
          if (!ResolutionTaken(resolution, question && question->lowAllowed)) {
            // Asked again rather than the page dropped.
            MessageById(dialog, kResolutionRefused);
            HWND edit = GetDlgItem(dialog, IDC_RESOLUTION_VALUE);
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return TRUE;
          }
          if (question) question->resolution = resolution;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK PdfPasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      CentreDialog(dialog);
      SendDlgItemMessageW(dialog, IDC_PDF_PASSWORD, EM_LIMITTEXT, kPasswordChars, 0);
      SetFocus(GetDlgItem(dialog, IDC_PDF_PASSWORD));
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* question = reinterpret_cast<PasswordQuestion*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (question && question->buffer && question->capacity) {
          wchar_t text[kPasswordChars + 1] = {};
          GetDlgItemTextW(dialog, IDC_PDF_PASSWORD, text, static_cast<int>(kPasswordChars + 1));
          lstrcpynW(question->buffer, text, static_cast<int>(question->capacity));
          SecureZeroMemory(text, sizeof text);
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

int AskScanResolution(HWND owner, const wchar_t* fileName, int pageResolution, bool lowResolutionAllowed) {
  ResolutionQuestion question{fileName, pageResolution, lowResolutionAllowed};
  const INT_PTR answer = DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_SCAN_RESOLUTION), owner,
                                         ScanResolutionDialogProc, reinterpret_cast<LPARAM>(&question));
  return answer == IDOK ? question.resolution : 0;
}

bool AskPdfPassword(HWND owner, wchar_t* buffer, size_t capacity) {
  PasswordQuestion question{buffer, capacity};
  const INT_PTR answer = DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_PDF_PASSWORD), owner, PdfPasswordDialogProc,
                                         reinterpret_cast<LPARAM>(&question));
  return answer == IDOK;
}

void InstallScanQuestions() {
  FileOpenerHooks hooks{};
  hooks.askPageResolution = AskOpenedPageResolution;
  SetFileOpenerHooks(hooks);
}
