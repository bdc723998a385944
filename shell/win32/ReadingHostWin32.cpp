#include "shell/win32/ReadingHostWin32.h"

#include <windows.h>

#include <algorithm>

#include "building/ScoreBuildingStages.h"
#include "pages/PageTable.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/win32/NoticeDialogs.h"
#include "stages/RecognitionStages.h"
#include "stages/StemScan.h"
#include "platform/Messages.h"
#include "platform/win32/AppWindows.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "reading/FileOpenerHooks.h"
#include "shell/ScorePageDeletion.h"
#include "shell/ReadPlacement.h"
#include "shell/StaveEditing.h"
#include "shell/win32/PageWindow.h"
#include "shell/win32/PreferencesDialog.h"
#include "shell/ShellServices.h"
#include "shell/win32/SmallWindows.h"

namespace {

static_assert(kHandwritingNotice == IDD_HANDWRITING_NOTICE && kMusicPaperNotice == IDD_MUSIC_PAPER_NOTICE,
              "the reading notices are the dialogs of those numbers");

class WindowsReadingHost : public ReadingHost {
 public:
  void ThreadStarted() override {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    if (uiThread_) AttachThreadInput(GetCurrentThreadId(), uiThread_, TRUE);
  }
  void PostToFrame(unsigned message) override {
    if (HoldsWindow(Windows().frame)) PostMessageW(Windows().frame, message, 0, 0);
  }
  void DebugLine(const char16_t* text) override { OutputDebugStringW(reinterpret_cast<const wchar_t*>(text)); }
  void LockDrawing() override {
    if (ReadingMutex()) WaitForSingleObject(ReadingMutex(), INFINITE);
  }
  void UnlockDrawing() override {
    if (ReadingMutex()) ReleaseMutex(ReadingMutex());
  }
  void ShowReadingNotice(int dialogId) override { ShowShellDialog(dialogId, Windows().frame); }
  void InvalidatePagesPane() override {
    if (HoldsWindow(Windows().pagesPane)) InvalidateRect(Windows().pagesPane, nullptr, FALSE);
  }
  void InvalidatePageView() override {
    if (HoldsWindow(Windows().pageWindow)) InvalidateRect(Windows().pageWindow, nullptr, FALSE);
  }
  bool MeasureViewWindow(int32_t* width, int32_t* height) override {
    RECT box;
    if (!HoldsWindow(Windows().pageWindow) || !GetWindowRect(Windows().pageWindow, &box)) return false;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return true;
  }
  // The stages' debug boxes, outlined in page pixels from the window's
  // top-left corner; the caller holds "ReadingMutex".
  void OutlineDebugBox(DebugSurface surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int colour) override {
    const HWND window = surface == DebugSurface::kPagesPane ? Windows().pagesPane : Windows().pageWindow;
    if (!HoldsWindow(window)) return;
    static const COLORREF kPens[8] = {RGB(0, 0, 0),   RGB(0, 0, 255),   RGB(0, 128, 0),   RGB(0, 160, 160),
                                      RGB(255, 0, 0), RGB(160, 0, 160), RGB(160, 96, 0),  RGB(0, 192, 0)};
    HDC dc = GetDC(window);
    if (!dc) return;
    HPEN pen = CreatePen(PS_SOLID, 1, kPens[colour & 7]);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, x0, y0, x1 + 1, y1 + 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    ReleaseDC(window, dc);
  }
  DWORD uiThread_ = 0;
};

WindowsReadingHost& Host() {
  static WindowsReadingHost host;
  return host;
}

void ShowNotice(int kind, unsigned stringId) {
  if (kind == static_cast<int>(NoticeKind::kStatusText)) {
    ShowStatusClearTime(stringId);
    return;
  }
  char16_t text[512];
  LoadUiString(stringId, text, 512);
  ErrorBox(nullptr, text);
}

void UpdateCommandStates() { CurrentShellServices().updateCommandStates(); }
int RefreshPane(int row) {
  CurrentShellServices().refreshPagesPane(0, row);
  return row;
}
void RedrawPane() {
  if (HoldsWindow(Windows().pagesPane)) InvalidateRect(Windows().pagesPane, nullptr, FALSE);
}
// The "Read" menu's placings of the page shown in the page view.
// The page's staves as shown are kept, and the page document closes once
// the page is placed (a refusal or a No leaves it open).
// Unless a page is being read (the page then waits its turn), the reading
// options come first while "Quick Prefs" is on: their Cancel reads nothing.
void ReadShownPageIntoScore(int command) {
  if (pageTable.currentPage < 0) return;
  if (!ReadingActive() && OpenPreferences(kPrefsModeReadPage, false)) return;
  // The page being read keeps what its reading writes.
  if (!(ReadingActive() && Reading().pageIndex == pageTable.currentPage)) WritePageStaveData(false);
  if (ReadRowIntoScore(pageTable.currentPage, command)) ClosePageWindow();
}
// The thread posts its own end after an engine failure: nothing to do here.
void ReadingAbandoned() {}

}  // namespace

void InstallReadingPipeline() {
  InstallRecognitionStages();
  InstallScoreBuildingStages();
  Host().uiThread_ = GetCurrentThreadId();
  SetReadingHost(&Host());
  ConnectHandOverToScore();
  HandOverHooks& hooks = CurrentHandOverHooks();
  hooks.showNotice = ShowNotice;
  hooks.updateCommandStates = UpdateCommandStates;
  hooks.refreshPagesPane = RefreshPane;
  hooks.redrawPagesPane = RedrawPane;
  ShellServices services{};
  services.onReadingFinished = OnReadingFinished;
  services.readNextPendingPage = ReadNextPendingPage;
  services.addReadPageToScore = AddReadPageToScore;
  services.readingAbandoned = ReadingAbandoned;
  services.readPageIntoScore = ReadShownPageIntoScore;
  services.deleteScorePage = DeleteScorePage;
  services.initSlopeTables = InitSlopeTables;
  SetShellServices(services);
  FileOpenerHooks opener{};
  opener.readNextPendingPage = ReadNextPendingPage;
  SetFileOpenerHooks(opener);
}
