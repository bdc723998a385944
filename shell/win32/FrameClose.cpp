// Closing the frame: refused while pages are read; an unsaved score is
// offered for saving first, and the close goes on only when it is saved.
#include <windows.h>

#include <shellapi.h>

#include "Code/Quorm/EngineHost.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "reading/ReadPageHandOver.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/FrameWindow.h"
#include "shell/win32/Startup.h"

namespace {

constexpr unsigned kExitWhileReadingText = 11540;
constexpr unsigned kSaveFirstQuestion = 10076;
constexpr unsigned kWarningCaption = 10075;

void SaveFramePlacement(HWND frame) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(frame, &placement)) return;
  StoredWindowPlacement& stored = Global().mainWindowPosition;
  stored.length = placement.length;
  stored.flags = placement.flags;
  stored.showCommand = placement.showCmd;
  stored.minX = placement.ptMinPosition.x;
  stored.minY = placement.ptMinPosition.y;
  stored.maxX = placement.ptMaxPosition.x;
  stored.maxY = placement.ptMaxPosition.y;
  stored.normalLeft = placement.rcNormalPosition.left;
  stored.normalTop = placement.rcNormalPosition.top;
  stored.normalRight = placement.rcNormalPosition.right;
  stored.normalBottom = placement.rcNormalPosition.bottom;
}

// Before the frame goes: its placement is kept and drops end.
void PrepareFrameForClosing(HWND frame) {
  SaveFramePlacement(frame);
  DragAcceptFiles(frame, FALSE);
}

int AskToSaveFirst() {
  char16_t text[513];
  char16_t caption[257];
  LoadUiString(kSaveFirstQuestion, text, 513);
  LoadUiString(kWarningCaption, caption, 257);
  platform::ReleaseMouseForBox();
  return platform::ShowMessageBox(text, caption, platform::kBoxYesNoCancel | platform::kBoxIconQuestion);
}

}  // namespace

bool IsReadingPages() { return ReadingFlags().readingInProgress != 0; }
bool ScoreHasPages() { return ScorePages.count > 0; }
bool ScoreIsModified() { return CurrentScoreFileHooks().isScoreSaved() == 0; }

ActiveDocument GetActiveDocument() {
  ActiveDocument doc;
  AppWindows& w = Windows();
  if (!HoldsWindow(w.mdiClient) || !IsWindow(w.mdiClient)) return doc;
  BOOL maximized = FALSE;
  doc.window = reinterpret_cast<HWND>(SendMessageW(w.mdiClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
  doc.maximized = doc.window && maximized;
  doc.isScore = doc.window && HoldsWindow(w.scoreWindow) && doc.window == w.scoreWindow;
  doc.isPage = doc.window && HoldsWindow(w.pageWindow) && doc.window == w.pageWindow;
  return doc;
}

namespace {

// Whether the score, when it was changed, is saved or given up: the
// question's answer, and the save it asks for.
bool ScoreLetGo(HWND frame) {
  FrameState& state = Frame();
  if (!state.savePrompted && ScoreHasPages() && ScoreIsModified()) {
    int answer = AskToSaveFirst();
    if (answer == platform::kAnswerCancel) return false;
    if (answer == platform::kAnswerYes) {
      AppWindows& w = Windows();
      if (HoldsWindow(w.scoreWindow) && IsWindow(w.scoreWindow))
        SendMessageW(w.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(w.scoreWindow), 0);
      SendMessageW(frame, WM_COMMAND, IDM_FILE_SAVE, kSaveTheScore);
      // A save that was cancelled or failed keeps the program open.
      if (ScoreIsModified()) return false;
    }
    state.savePrompted = true;
  }
  return true;
}

}  // namespace

bool OnFrameCloseQuery(HWND frame) {
  if (IsReadingPages()) {
    MessageById(frame, kExitWhileReadingText);
    return false;
  }
  // The question's message loop starts no reading: the answer closes the
  // program with no page half read.
  HoldReadingStarts();
  const bool closing = ScoreLetGo(frame);
  if (!closing) ReleaseReadingStarts();
  return closing;
}

// WM_CLOSE goes on to DefFrameProc, which destroys the frame; this runs first.
void OnFrameClosing(HWND frame) {
  PrepareFrameForClosing(frame);
  Windows().mdiClient = nullptr;
}

void OnFrameEndSession(HWND frame, bool ending) {
  if (!ending) {
    // The session goes on: the next close asks again, and reading goes on.
    Frame().savePrompted = false;
    ReleaseReadingStarts();
    return;
  }
  PrepareFrameForClosing(frame);
  // The process ends when this message returns: keep what shut-down keeps.
  SaveWorkAtSessionEnd();
}
