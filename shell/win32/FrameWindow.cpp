#include <windows.h>

#include "shell/win32/FrameWindow.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "Code/Quorm/EngineHost.h"
#include "platform/Messages.h"
#include "platform/ShellFlags.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/ShellServices.h"
#include "shell/win32/DdeServer.h"
#include "shell/win32/DropFiles.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/PreferencesDialog.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/ToolWindowPlacement.h"

namespace {

constexpr UINT kScanImageTransferred = WM_APP;      // PM_XFERDONE
constexpr UINT kScanSourceClosing = WM_APP + 1;     // PM_CLOSEDACQ
constexpr UINT kPageReadingEnded = WM_APP + 10;
constexpr UINT kReadNextPage = WM_APP + 11;
constexpr UINT kPageRead = WM_APP + 12;
constexpr unsigned kEngineUnstableText = 11542;

LRESULT Default(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(frame, Windows().mdiClient, message, wParam, lParam);
}

// The engine stopped a run on a failed check: the reading ends here too, so
// that closing the program is no longer refused.
void EndReadingAfterEngineFailure() {
  ReadingFlags().readingInProgress = 0;
  ReadingFlags().pageReadingRun = 0;
  Flags().backgroundReading = 0;
  CurrentShellServices().readingAbandoned();
}

void RealizeProgramPalette(HWND frame, bool invalidate) {
  HPALETTE palette = ProgramPalette();
  if (!palette) return;
  HDC dc = GetDC(frame);
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  UINT changed = RealizePalette(dc);
  SelectPalette(dc, old, FALSE);
  ReleaseDC(frame, dc);
  if (changed && invalidate) InvalidateRect(frame, nullptr, TRUE);
}

// The colours and cursors depend on the display: they are made again for the
// new one.
void ResetDrawingForNewDisplay() {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  FrameServices().destroyToolCursors();
  FrameServices().initialiseDrawingColours();
}

bool IsTheFrame(HWND window) { return Windows().frame == window || !Windows().frame; }

}  // namespace

FrameState& Frame() {
  static FrameState state;
  return state;
}

LRESULT CALLBACK Event_Dispatcher(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  const ShellServices& services = CurrentShellServices();
  switch (message) {
    case kScanImageTransferred:
      services.scanFinished(frame, wParam, lParam);
      return Default(frame, message, wParam, lParam);
    case kScanSourceClosing:
      services.scanSourceClosed();
      return Default(frame, message, wParam, lParam);
    case kPageReadingEnded:
      services.onReadingFinished();
      return 1;
    case kReadNextPage:
      services.readNextPendingPage();
      return Default(frame, message, wParam, lParam);
    case kPageRead:
      services.addReadPageToScore();
      return Default(frame, message, wParam, lParam);
    case kEngineFailedMessage:
      EndReadingAfterEngineFailure();
      MessageById(nullptr, kEngineUnstableText);
      return 1;
    case MM_MCINOTIFY:
      return FrameServices().onMciNotify(frame, wParam, lParam);
    case kDdeServerMessage:
      return OnDdeServerMessage(frame, wParam, lParam);
    case kApplyPostedPreferences:
      return ApplyPostedPreferences(lParam);
    case WM_QUERYNEWPALETTE:
      RealizeProgramPalette(frame, true);
      return TRUE;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) != frame) RealizeProgramPalette(frame, true);
      return 0;
    case WM_DROPFILES:
      if (DropFiles(reinterpret_cast<HDROP>(wParam))) return 0;
      return Default(frame, message, wParam, lParam);
    case WM_TIMER:
      if (wParam == ID_TIMER_READ_NEXT_PAGE) {
        KillTimer(frame, ID_TIMER_READ_NEXT_PAGE);
        services.readNextPendingPage();
        return 0;
      }
      return Default(frame, message, wParam, lParam);
    case WM_DRAWITEM:
      if (wParam == 0 && DrawMenuSymbol(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      return Default(frame, message, wParam, lParam);
    case WM_MEASUREITEM:
      if (wParam == 0 && MeasureMenuSymbol(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      return Default(frame, message, wParam, lParam);
    case WM_DISPLAYCHANGE:
      ResetDrawingForNewDisplay();
      return Default(frame, message, wParam, lParam);
    case WM_NCMOUSEMOVE:
      StopHover();
      return Default(frame, message, wParam, lParam);
    case WM_MOUSEMOVE:
      TrackHover(frame, lParam);
      return Default(frame, message, wParam, lParam);
    case WM_COMMAND: {
      LRESULT result = 0;
      if (OnFrameCommand(frame, LOWORD(wParam), lParam, &result)) return result;
      return Default(frame, message, wParam, lParam);
    }
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(frame);
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(frame, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      return Default(frame, message, wParam, lParam);
    case WM_CLOSE:
      if (!OnFrameCloseQuery(frame)) return 0;
      OnFrameClosing(frame);
      DestroyWindow(frame);
      return 0;
    case WM_QUERYENDSESSION:
      return OnFrameCloseQuery(frame) ? TRUE : FALSE;
    case WM_ENDSESSION:
      OnFrameEndSession(frame, wParam != FALSE);
      return 0;
    case WM_CREATE:
      return OnFrameCreate(frame);
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_MOVE:
      if (IsTheFrame(frame) && HoldsWindow(Windows().scoreView)) KeepToolWindowsOnScreen();
      return Default(frame, message, wParam, lParam);
    case WM_SIZE:
      if (IsTheFrame(frame)) OnFrameSize(frame);
      return 0;
    default:
      return Default(frame, message, wParam, lParam);
  }
}
