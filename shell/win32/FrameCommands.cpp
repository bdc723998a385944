// WM_COMMAND of the frame: every id of the command table reaches its handler,
// or nothing happens when it has none yet. Other ids go on to the active
// document window.
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "reading/FileOpener.h"
#include "shell/CommandTable.h"
#include "shell/ShellServices.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/NoticeDialogs.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/SystemCapabilities.h"
#include "shell/win32/WindowClasses.h"

#include <initializer_list>

namespace {

// Edit commands reach the score editor or the page's stave marking as key codes.
int EditKeyCode(int id) {
  switch (id) {
    case IDM_EDIT_DELETE: return 127;
    case IDM_EDIT_SELECT_ALL: return 577;
    case IDM_EDIT_DESELECT_ALL: return 27;
    case IDM_EDIT_COPY: return 579;
    case IDM_EDIT_CUT: return 600;
    case IDM_EDIT_PASTE: return 598;
    case IDM_EDIT_UNDO: return 602;
    case IDM_EDIT_REDO: return 601;
    default: return 0;
  }
}

void SendEditKey(int id) {
  ActiveDocument doc = GetActiveDocument();
  if (!doc.window || IsIconic(doc.window)) return;
  const ShellServices& s = CurrentShellServices();
  if (doc.isScore && s.editorKey) s.editorKey(EditKeyCode(id));
  if (doc.isPage && s.staveViewCommand) s.staveViewCommand(EditKeyCode(id));
}

// Asks an MDI child whether it may close; destroys it when it agrees.
void CloseChild(HWND child) {
  if (!child) return;
  if (SendMessageW(child, WM_QUERYENDSESSION, 0, 0)) SendMessageW(Windows().mdiClient, WM_MDIDESTROY, WPARAM(child), 0);
}

void CloseAllChildren() {
  HWND client = Windows().mdiClient;
  HWND child = GetWindow(client, GW_CHILD);
  while (child) {
    HWND next = GetWindow(child, GW_HWNDNEXT);
    if (!GetWindow(child, GW_OWNER)) {
      SendMessageW(client, WM_MDIRESTORE, WPARAM(child), 0);
      CloseChild(child);
    }
    child = next;
  }
}

// Sets an item's check mark in every frame menu that has it.
void CheckInFrameMenus(HWND frame, int id, bool checked) {
  const FrameMenus& menus = Menus();
  for (HMENU menu : {menus.noDocument, menus.score, menus.page, GetMenu(frame)}) {
    if (menu) CheckMenuItem(menu, UINT(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void FlipCheck(HWND frame, int id, bool* value) {
  *value = !*value;
  CheckInFrameMenus(frame, id, *value);
  if (HoldsWindow(Windows().scoreView) && IsWindow(Windows().scoreView)) InvalidateRect(Windows().scoreView, nullptr, TRUE);
}

void ToggleTranslucentKeypad(HWND frame) {
  GlobalSettings& g = Global();
  const SystemCapabilities& c = Capabilities();
  g.translucentWindows = c.setLayeredWindowAttributes ? !g.translucentWindows : false;
  HWND keypad = Windows().keypad;
  if (c.setLayeredWindowAttributes && HoldsWindow(keypad) && IsWindow(keypad))
    c.setLayeredWindowAttributes(keypad, 0, BYTE(g.translucentWindows ? 235 : 255), LWA_ALPHA);
  CheckInFrameMenus(frame, IDM_WINDOW_TRANSLUCENT_KEYPAD, g.translucentWindows);
}

void OpenRecentFile(int index) {
  if (index < 0 || uint32_t(index) >= Global().recentFileCount || uint32_t(index) >= kRecentFileRows) return;
  if (QueueFileToOpen(Global().recentFiles[index], u"")) OpenFileByType();
}

// A service command: the service that the command table names for it.
void RunService(int id) {
  const ShellServices& s = CurrentShellServices();
  if (EditKeyCode(id)) return SendEditKey(id);
  if (id >= IDM_BARLINE_FIRST && id <= IDM_BARLINE_LAST) return s.applyBarlineChoice(id - IDM_BARLINE_FIRST);
  if (id >= IDM_CLEF_FIRST && id <= IDM_CLEF_COMMAND_LAST) return s.applyClefChoice(id - IDM_CLEF_FIRST);
  if (id >= IDM_SYMBOL_FIRST && id <= IDM_SYMBOL_LAST) {
    static const int kSymbolCodes[] = {225, 224, 211, 212, 213, 214, 215, 208, 209};
    return s.placeRepeatText(kSymbolCodes[id - IDM_SYMBOL_FIRST]);
  }
  if (id >= IDM_CREATE_MAJOR_KEY_FIRST && id <= IDM_CREATE_MAJOR_KEY_LAST)
    return s.applyKeySignatureChoice(id - IDM_CREATE_MAJOR_KEY_FIRST);
  if (id >= IDM_CREATE_MINOR_KEY_FIRST && id <= IDM_CREATE_MINOR_KEY_LAST)
    return s.applyKeySignatureChoice(id - IDM_CREATE_MINOR_KEY_FIRST);
  switch (id) {
    case IDM_CREATE_MULTIREST: return s.showDialog(IDD_MULTIREST);
    case IDM_CREATE_KEY_BY_NUMBER: return s.showDialog(IDD_KEY_BY_NUMBER);
    case IDM_CREATE_TIME_SIGNATURE: return s.showDialog(IDD_TIME_SIGNATURE);
    case IDM_VIEW_TOGGLE_PAGES_PANE: return s.togglePagesPane();
    case IDM_FILE_SCAN_PAGES: return s.scanPages(0, 0);
    case IDM_FILE_SCAN_ONE_PAGE: return s.scanPages(1, 0);
    case IDM_EDIT_RESCAN_PAGE:
      if (!IsReadingPages()) s.scanPages(0, 1);
      return;
    case IDM_FILE_SCANNER_SETUP: return s.openPreferences(20);
    case IDM_FILE_PREFERENCES: return s.openPreferences(0);
    case IDM_EDIT_DELETE_PAGE: return s.deleteScorePage(0, 1);
    case IDM_READ_PLACE_BEFORE:
    case IDM_READ_PLACE_AFTER:
    case IDM_READ_REPLACE:
    case IDM_READ_PLACE_AT_END: return s.readPageIntoScore(id);
    case IDM_EDIT_TURN_UPSIDE_DOWN:
    case IDM_EDIT_TURN_CLOCKWISE:
    case IDM_EDIT_TURN_ANTICLOCKWISE: return s.turnPage(id);
    case IDM_EDIT_LOCATE_STAVES: return s.locateStaves();
    case IDM_CREATE_BAR_REST_ONE: return s.applyMultirestChoice(1);
    case IDM_PLAY_STOP: return s.playStop();
    case IDM_STOP_PLAYBACK: return s.stopPlayback();
    case IDM_FILE_SEND_TO_CADENZOR: return s.sendToOutsideProgram(1);
    case IDM_FILE_SEND_TO_R8: return s.sendToOutsideProgram(2);
    case IDM_NOTES_MOVE_UP_STAFF: return s.moveSelectionToAdjacentStave(-1);
    case IDM_NOTES_MOVE_DOWN_STAFF: return s.moveSelectionToAdjacentStave(1);
    case IDM_NOTES_HIDE_SHOW_RESTS: return s.hideOrShowSelectedRests();
    case IDM_VIEW_PERFORMANCE_MODE:
      if (GetActiveDocument().isScore) s.toggleFullScreenView();
      return;
    case IDM_VIEW_KEYPAD:
    case IDM_VIEW_FULL_DETAIL: return s.toggleViewOption(id);
    default:
      if ((id >= IDM_ZOOM_OUT && id <= IDM_ZOOM_IN) || (id >= IDM_ZOOM_TO_FIT && id <= IDM_ZOOM_200))
        return s.setViewZoom(id);
  }
}

void RunFrameCommand(HWND frame, int id, LPARAM lParam) {
  HWND client = Windows().mdiClient;
  GlobalSettings& g = Global();
  if (id >= IDM_RECENT_FILE_FIRST && id <= IDM_RECENT_FILE_LAST) return OpenRecentFile(id - IDM_RECENT_FILE_FIRST);
  switch (id) {
    case IDM_WINDOW_TILE_HORIZONTALLY: SendMessageW(client, WM_MDITILE, MDITILE_HORIZONTAL, 0); return;
    case IDM_WINDOW_TILE_VERTICALLY: SendMessageW(client, WM_MDITILE, MDITILE_VERTICAL, 0); return;
    case IDM_WINDOW_CASCADE: SendMessageW(client, WM_MDICASCADE, 0, 0); return;
    case IDM_WINDOW_CLOSE_ALL: CloseAllChildren(); return;
    case IDM_FILE_CLOSE: CloseChild(GetActiveDocument().window); return;
    case IDM_FILE_EXIT: SendMessageW(frame, WM_CLOSE, 0, 0); return;
    case IDM_FILE_OPEN: OpenFilesCommand(frame, false); return;
    case IDM_FILE_OPEN_PDFS: OpenFilesCommand(frame, true); return;
    case IDM_FILE_SAVE: SaveCommand(frame, lParam); return;
    case IDM_FILE_SAVE_AS: SaveAsCommand(frame, MenuSaveTarget()); return;
    case IDM_VIEW_VOICE_COLORS: FlipCheck(frame, id, &g.showVoiceNumbers); return;
    case IDM_VIEW_BAD_TIMING: FlipCheck(frame, id, &g.showBadTiming); return;
    case IDM_VIEW_ATTACHMENT: FlipCheck(frame, id, &g.showAttachment); return;
    case IDM_VIEW_SHADED_MUSIC: FlipCheck(frame, id, &g.shadeUnhighlightedMusic); return;
    case IDM_NOTES_GUITAR_TAB_RHYTHM: FlipCheck(frame, id, &g.printGuitarTabRhythm); return;
    case IDM_WINDOW_TRANSLUCENT_KEYPAD: ToggleTranslucentKeypad(frame); return;
    case IDM_HELP_HELP: OpenResourcePage(u"VKD Help.pdf"); return;
    case IDM_HELP_SCANNING_TIPS: OpenResourcePage(u"ScanTipsL.htm"); return;
    case IDM_HELP_HANDWRITING_TIPS: OpenResourcePage(u"HandwritingTips.htm"); return;
    case IDM_HELP_WEB_SITE: OpenMakerWebSite(); return;
    case IDM_HELP_ABOUT: ShowShellDialog(IDD_ABOUT, frame); return;
    case IDM_PAGE_ZOOM_DIALOG:
      if (GetActiveDocument().isPage) ShowShellDialog(IDD_PAGE_ZOOM, Windows().frameToolbar);
      return;
    default: return;
  }
}

}  // namespace

bool OnFrameCommand(HWND frame, int id, LPARAM lParam, LRESULT* result) {
  *result = 0;
  const CommandEntry* entry = FindCommand(id);
  if (!entry) return false;
  if (!CommandHasHandler(id)) return true;
  if (entry->handler == CommandHandler::Frame) {
    RunFrameCommand(frame, id, lParam);
  } else {
    RunService(id);
  }
  return true;
}
