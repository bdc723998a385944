#include "shell/win32/NoticeDialogs.h"

#include "platform/HookTables.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/SystemCapabilities.h"

namespace {

// The folder of the resource folder that holds the printable stave paper.
constexpr char16_t kStavePaperFolder[] = u"StavePaper";

constexpr int kZoomMin = 1, kZoomMax = 999;
// The page view's zoom codes of the dialog's buttons.
constexpr int kZoomCode25 = 11, kZoomCode50 = 1, kZoomCode100 = 8, kZoomCodeFit = 6, kZoomCodePrevious = 9,
              kZoomCodeValue = 10;

void NoZoom(int, int) {}
int FullSize() { return 100; }

PageZoomHooks& ZoomSlots() {
  static PageZoomHooks hooks = [] {
    PageZoomHooks h;
    h.applyZoom = NoZoom;
    h.currentZoom = FullSize;
    return h;
  }();
  return hooks;
}

// The notice's check box: checked when it opens, every click stored at once.
void OpenShowBox(HWND dialog, int dialogId) {
  SetWindowLongPtrW(dialog, DWLP_USER, dialogId);
  CheckDlgButton(dialog, IDC_SHOW_NEXT_TIME, BST_CHECKED);
  if (bool* setting = NoticeSetting(dialogId)) *setting = true;
}

void StoreShowBox(HWND dialog) {
  if (bool* setting = NoticeSetting(static_cast<int>(GetWindowLongPtrW(dialog, DWLP_USER)))) {
    *setting = IsDlgButtonChecked(dialog, IDC_SHOW_NEXT_TIME) == BST_CHECKED;
  }
}

// What closing a notice answers: 0 for one that offers the scanning tips
// ("&Close"), OK for the others.
INT_PTR ClosedWithoutTips(HWND dialog) {
  const int id = static_cast<int>(GetWindowLongPtrW(dialog, DWLP_USER));
  return id == IDD_STAVE_POSITIONS_NOTICE || id == IDD_ACCURACY_NOTICE ? 0 : IDOK;
}

int ZoomEditValue(HWND dialog) {
  BOOL ok = FALSE;
  const int value = static_cast<int>(GetDlgItemInt(dialog, IDC_PAGE_ZOOM_EDIT, &ok, FALSE));
  return ok ? value : 0;
}

void SetZoomEdit(HWND dialog, int percent) {
  SetDlgItemInt(dialog, IDC_PAGE_ZOOM_EDIT, static_cast<UINT>(percent), FALSE);
  SendDlgItemMessageW(dialog, IDC_PAGE_ZOOM_EDIT, EM_SETSEL, 0, -1);
}

}  // namespace

void CentreDialog(HWND dialog) {
  RECT frame, box;
  if (!GetWindowRect(Windows().frame, &frame) || !GetWindowRect(dialog, &box)) return;
  const int width = box.right - box.left, height = box.bottom - box.top;
  const int x = frame.left + ((frame.right - frame.left - 6) - width) / 2;
  const int y = frame.top + ((frame.bottom - frame.top - 6) - height) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT DialogRectNearPoint(SIZE dialog, POINT pointer, const RECT& workArea) {
  int x = pointer.x - dialog.cx / 2;
  int y = pointer.y - dialog.cy;
  if (x + dialog.cx > workArea.right) x = workArea.right - dialog.cx;
  if (y + dialog.cy > workArea.bottom) y = workArea.bottom - dialog.cy;
  if (x < workArea.left) x = workArea.left;
  if (y < workArea.top) y = workArea.top;
  return {x, y, x + dialog.cx, y + dialog.cy};
}

void PlaceDialogNearCursor(HWND dialog) {
  RECT box;
  POINT pointer;
  if (!GetWindowRect(dialog, &box) || !GetCursorPos(&pointer)) return;
  RECT work = {};
  const SystemCapabilities& caps = Capabilities();
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (caps.monitorFromPoint && caps.getMonitorInfoA &&
      caps.getMonitorInfoA(caps.monitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  }
  const RECT placed = DialogRectNearPoint({box.right - box.left, box.bottom - box.top}, pointer, work);
  SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool* NoticeSetting(int dialogId) {
  GlobalSettings& g = Global();
  switch (dialogId) {
    case IDD_STARTUP_NOTICE: return &g.showStartupDialog;
    case IDD_COLOUR_DEPTH_WARNING: return &g.showBppWarning;
    case IDD_DISPLAY_DRIVER_WARNING: return &g.showWin2000ColourWarning;
    case IDD_BLACK_AND_WHITE_NOTICE: return &g.showBwWarning;
    case IDD_HANDWRITING_NOTICE: return &g.showHandwrittenWarning;
    case IDD_MUSIC_PAPER_NOTICE: return &g.showDottedStavesWarning;
    case IDD_PAGES_SAVED_NOTICE: return &g.showScannedPageWarning;
    case IDD_STAVE_POSITIONS_NOTICE: return &g.showBadStavesWarning;
    case IDD_ACCURACY_NOTICE: return &g.showAccuracyWarning;
  }
  return nullptr;
}

INT_PTR CALLBACK NoticeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      OpenShowBox(dialog, static_cast<int>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SHOW_NEXT_TIME:
          StoreShowBox(dialog);
          return TRUE;
        case IDC_HANDWRITING_TIPS:
          OpenResourcePage(u"HandwritingTips.htm");
          return TRUE;
        case IDC_OPEN_STAVE_PAPER:
          OpenResourcePage(kStavePaperFolder);
          return TRUE;
        case IDC_STAVE_POSITIONS_TIPS:
        case IDC_ACCURACY_TIPS:
          // The tips take the place of the notice.
          OpenResourcePage(u"ScanTipsL.htm");
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_STARTUP_CONTINUE:
        case IDOK:
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, ClosedWithoutTips(dialog));
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, ClosedWithoutTips(dialog));
      return TRUE;
  }
  return FALSE;
}

// The start-up notice is a notice like the others, with its own box setting.
INT_PTR CALLBACK StartupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) lParam = IDD_STARTUP_NOTICE;
  return NoticeDialogProc(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreDialog(dialog);
      char16_t version[96] = {};
      FormatVersionLine(version, 96);
      SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, reinterpret_cast<LPCWSTR>(version));
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, IDOK);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK ZoomPageViewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const PageZoomHooks& zoom = ZoomSlots();
  switch (message) {
    case WM_INITDIALOG: {
      PlaceDialogNearCursor(dialog);
      HWND bar = GetDlgItem(dialog, IDC_PAGE_ZOOM_SCROLL);
      SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_POS, kZoomMin, kZoomMax, 0, 0, 0};
      info.nPos = zoom.currentZoom();
      SetScrollInfo(bar, SB_CTL, &info, FALSE);
      SetZoomEdit(dialog, zoom.currentZoom());
      return TRUE;
    }
    case WM_VSCROLL: {
      int value = ZoomEditValue(dialog);
      if (LOWORD(wParam) == SB_LINEUP) ++value;
      if (LOWORD(wParam) == SB_LINEDOWN) --value;
      value = value < kZoomMin ? kZoomMin : value > kZoomMax ? kZoomMax : value;
      SetZoomEdit(dialog, value);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PAGE_ZOOM_25: zoom.applyZoom(kZoomCode25, 25); break;
        case IDC_PAGE_ZOOM_50: zoom.applyZoom(kZoomCode50, 50); break;
        case IDC_PAGE_ZOOM_100: zoom.applyZoom(kZoomCode100, 100); break;
        case IDC_PAGE_ZOOM_FIT: zoom.applyZoom(kZoomCodeFit, 0); break;
        case IDC_PAGE_ZOOM_PREVIOUS: zoom.applyZoom(kZoomCodePrevious, 0); break;
        case IDC_PAGE_ZOOM_APPLY:
        case IDOK: {
          const int value = ZoomEditValue(dialog);
          if (value >= kZoomMin && value <= kZoomMax) zoom.applyZoom(kZoomCodeValue, value);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
      SetZoomEdit(dialog, zoom.currentZoom());
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

INT_PTR ShowShellDialog(int dialogId, HWND owner) {
  HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
  DLGPROC procedure = nullptr;
  switch (dialogId) {
    case IDD_STARTUP_NOTICE: procedure = StartupDialogProc; break;
    case IDD_COLOUR_DEPTH_WARNING:
    case IDD_DISPLAY_DRIVER_WARNING:
    case IDD_BLACK_AND_WHITE_NOTICE:
    case IDD_HANDWRITING_NOTICE:
    case IDD_MUSIC_PAPER_NOTICE:
    case IDD_PAGES_SAVED_NOTICE:
    case IDD_STAVE_POSITIONS_NOTICE:
    case IDD_ACCURACY_NOTICE: procedure = NoticeDialogProc; break;
    case IDD_ABOUT: procedure = AboutDialogProc; break;
    case IDD_PAGE_ZOOM: procedure = ZoomPageViewDialogProc; break;
    default: return -1;
  }
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), owner, procedure, dialogId);
}

void SetPageZoomHooks(const PageZoomHooks& hooks) {
  KeepIfSet(ZoomSlots().applyZoom, hooks.applyZoom);
  KeepIfSet(ZoomSlots().currentZoom, hooks.currentZoom);
}
