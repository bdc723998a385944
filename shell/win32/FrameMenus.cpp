// Menu states (WM_INITMENUPOPUP) and menu help in the status bar
// (WM_MENUSELECT). Items are found by command, so the extra system menu of a
// maximized child shifts nothing.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "score/RecentFiles.h"
#include "score/ScoreFile.h"
#include "shell/CommandTable.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/FrameWindow.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kStatusHelpField = 2;

void Enable(HMENU bar, int id, bool enabled) {
  EnableMenuItem(bar, UINT(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// The top-level submenu that holds id directly or in one of its submenus.
int TopLevelPositionOf(HMENU bar, int id) {
  for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    if (sub && GetMenuState(sub, UINT(id), MF_BYCOMMAND) != UINT(-1)) return i;
  }
  return -1;
}

// Whatever has no handler yet stays grey, whatever the rules above said.
void DisableCommandsWithoutHandler(HMENU bar) {
  int count = 0;
  const CommandEntry* entries = CommandEntries(&count);
  for (int i = 0; i < count; ++i) {
    for (int id = entries[i].first; id <= entries[i].last; ++id) {
      if (!CommandHasHandler(id)) Enable(bar, id, false);
    }
  }
}

void UpdateRecentFileItems(HMENU bar) {
  int position = TopLevelPositionOf(bar, IDM_FILE_EXIT);
  HMENU file = position >= 0 ? GetSubMenu(bar, position) : nullptr;
  uint32_t count = Global().recentFileCount;
  if (!file || count == 0) return;
  if (count > kRecentFileRows) count = kRecentFileRows;
  for (int id = IDM_RECENT_FILE_FIRST; id <= IDM_RECENT_FILE_MENU_LAST + 1; ++id) DeleteMenu(file, UINT(id), MF_BYCOMMAND);
  for (uint32_t i = 0; i < count; ++i) {
    char16_t text[264];
    FormatRecentFileItem(int(i), text, 264);
    InsertMenuW(file, IDM_FILE_EXIT, MF_BYCOMMAND | MF_STRING, IDM_RECENT_FILE_FIRST + i,
                reinterpret_cast<LPCWSTR>(text));
  }
  InsertMenuW(file, IDM_FILE_EXIT, MF_BYCOMMAND | MF_SEPARATOR, IDM_RECENT_FILE_FIRST + count, nullptr);
}

}  // namespace

void OnInitMenuPopup(HWND frame) {
  HMENU bar = GetMenu(frame);
  if (!bar) return;
  ActiveDocument doc = GetActiveDocument();
  bool pages = ScoreHasPages();
  bool reading = IsReadingPages();

  int create = TopLevelPositionOf(bar, IDM_CREATE_TIME_SIGNATURE);
  if (create >= 0) EnableMenuItem(bar, UINT(create), MF_BYPOSITION | (pages ? MF_ENABLED : MF_GRAYED));

  bool placed = ScorePages.current != 0;
  for (int id : {IDM_READ_PLACE_BEFORE, IDM_READ_PLACE_AFTER, IDM_READ_REPLACE}) Enable(bar, id, placed);

  const int editCommands[] = {IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_DELETE, IDM_EDIT_SELECT_ALL,
                              IDM_EDIT_DESELECT_ALL, IDM_EDIT_PASTE, IDM_EDIT_UNDO, IDM_EDIT_REDO};
  if (doc.isPage) {
    for (int id : {IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_SELECT_ALL, IDM_EDIT_PASTE}) Enable(bar, id, false);
    for (int id : {IDM_EDIT_DELETE, IDM_EDIT_DESELECT_ALL, IDM_EDIT_UNDO, IDM_EDIT_REDO}) Enable(bar, id, !reading);
  } else if (doc.isScore) {
    for (int id : editCommands) Enable(bar, id, pages);
    for (int id : {IDM_NOTES_MOVE_UP_STAFF, IDM_NOTES_MOVE_DOWN_STAFF, IDM_NOTES_HIDE_SHOW_RESTS}) Enable(bar, id, pages);
  } else {
    for (int id : editCommands) Enable(bar, id, false);
  }

  Enable(bar, IDM_VIEW_KEYPAD, doc.isScore);
  Enable(bar, IDM_VIEW_FULL_DETAIL, doc.isScore && pages);
  Enable(bar, IDM_FILE_SAVE, pages || doc.isPage);
  Enable(bar, IDM_FILE_SAVE_AS, pages || doc.isPage);
  Enable(bar, IDM_FILE_CLOSE, doc.window != nullptr);
  Enable(bar, IDM_EDIT_DELETE_PAGE, pages);

  DisableCommandsWithoutHandler(bar);
  // Every File menu lists the recent files, the bar in use first.
  const FrameMenus& menus = Menus();
  UpdateRecentFileItems(bar);
  for (HMENU menu : {menus.noDocument, menus.score, menus.page}) {
    if (menu && menu != bar) UpdateRecentFileItems(menu);
  }
}

void OnMenuSelect(HWND, UINT item, UINT flags, HMENU menu) {
  FrameState& state = Frame();
  HWND status = Windows().status;
  if (!HoldsWindow(status) || !IsWindow(status)) return;
  if (flags == 0xFFFF && !menu) {
    if (state.statusSaved) platform::SetStatusField(kStatusHelpField, reinterpret_cast<const char16_t*>(state.statusText));
    state.statusSaved = false;
    return;
  }
  if (!menu) return;
  if (!state.statusSaved) {
    state.statusText[0] = 0;
    LRESULT length = SendMessageW(status, SB_GETTEXTLENGTHW, kStatusHelpField, 0);
    if (LOWORD(length) < sizeof state.statusText / sizeof state.statusText[0])
      SendMessageW(status, SB_GETTEXTW, kStatusHelpField, reinterpret_cast<LPARAM>(state.statusText));
    state.statusSaved = true;
  }
  char16_t help[257] = {};
  if (!(flags & (MF_POPUP | MF_SEPARATOR))) LoadUiString(item, help, 257);
  platform::SetStatusField(kStatusHelpField, help);
}
