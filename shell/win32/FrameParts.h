// The frame procedure's handlers, one file each; Event_Dispatcher calls them.
#pragma once

#include <windows.h>

// The active MDI child and whether it is maximized.
struct ActiveDocument {
  HWND window = nullptr;
  bool maximized = false;
  bool isScore = false;  // the score window
  bool isPage = false;   // the page window
};
ActiveDocument GetActiveDocument();

// Whether a page is being read (the reading pipeline's flag).
bool IsReadingPages();
// Whether the score has pages and whether it holds unsaved changes.
bool ScoreHasPages();
bool ScoreIsModified();

LRESULT OnFrameCreate(HWND frame);
void OnFrameSize(HWND frame);
// WM_CLOSE and WM_QUERYENDSESSION: true when the frame may close.
bool OnFrameCloseQuery(HWND frame);
// WM_CLOSE accepted: the frame's placement is kept and drops end.
void OnFrameClosing(HWND frame);
void OnFrameEndSession(HWND frame, bool ending);
void OnInitMenuPopup(HWND frame);
void OnMenuSelect(HWND frame, UINT item, UINT flags, HMENU menu);
// WM_COMMAND: true when the frame handled (or refused) the id; false sends
// the id on to DefFrameProc and the active document.
bool OnFrameCommand(HWND frame, int id, LPARAM lParam, LRESULT* result);

// File commands.
void OpenFilesCommand(HWND frame, bool pdfOnly);
void SaveCommand(HWND frame, LPARAM lParam);
// The Save command's lParam that asks for the score whatever window is active.
constexpr LPARAM kSaveTheScore = 256;
enum SaveTarget : int { kSaveNothing = 0, kSaveScore = 1, kSavePage = 2 };
void SaveAsCommand(HWND frame, SaveTarget target);
// The target of Save As from the menu: the active document's kind, or the
// score when no page window is active and the score has pages.
SaveTarget MenuSaveTarget();
