#include "shell/CommandTable.h"

#include "resources/ResourceIds.h"
#include "reading/FileOpenerHooks.h"
#include "shell/ShellServices.h"

namespace {

const ShellServices& S() { return CurrentShellServices(); }

bool PagesPane() { return S().togglePagesPane; }
bool Preferences() { return S().openPreferences; }
bool Scanning() { return S().scanPages; }
bool Dialogs() { return S().showDialog; }
bool PageDeletion() { return S().deleteScorePage; }
bool PagePlacement() { return S().readPageIntoScore; }
// Replacing a score page needs the page removed from the score first, which
// the page workspace does; until then the command stays greyed.
bool PageReplacing() { return false; }
bool EditCodes() { return S().editorKey || S().staveViewCommand; }
bool PageTurns() { return S().turnPage; }
bool StaveLocating() { return S().locateStaves; }
bool Multirests() { return S().applyMultirestChoice; }
bool KeySignatures() { return S().applyKeySignatureChoice; }
bool Barlines() { return S().applyBarlineChoice; }
bool Clefs() { return S().applyClefChoice; }
bool RepeatTexts() { return S().placeRepeatText; }
bool Playing() { return S().playStop; }
bool Stopping() { return S().stopPlayback; }
bool Sending() { return S().sendToOutsideProgram; }
bool StaveMoves() { return S().moveSelectionToAdjacentStave; }
bool RestHiding() { return S().hideOrShowSelectedRests; }
bool FullScreen() { return S().toggleFullScreenView; }
bool Zooming() { return S().setViewZoom; }
bool ViewOptions() { return S().toggleViewOption; }
bool PdfPages() { return PdfPagesAvailable(); }

constexpr CommandHandler F = CommandHandler::Frame;
constexpr CommandHandler V = CommandHandler::Service;
constexpr CommandHandler N = CommandHandler::None;

const CommandEntry kCommands[] = {
    {IDM_HELP_ABOUT, IDM_HELP_ABOUT, F, nullptr},
    {IDM_WINDOW_TILE_HORIZONTALLY, IDM_WINDOW_CLOSE_ALL, F, nullptr},
    {IDM_FILE_SAVE_AS, IDM_FILE_SAVE_AS, F, nullptr},
    {IDM_FILE_EXIT, IDM_FILE_EXIT, F, nullptr},
    {IDM_VIEW_TOGGLE_PAGES_PANE, IDM_VIEW_TOGGLE_PAGES_PANE, V, PagesPane},
    {IDM_FILE_SCAN_PAGES, IDM_FILE_SCAN_PAGES, V, Scanning},
    {IDM_FILE_SCANNER_SETUP, IDM_FILE_SCANNER_SETUP, V, Preferences},
    {IDM_FILE_OPEN, IDM_FILE_OPEN, F, nullptr},
    {IDM_WINDOW_CASCADE, IDM_WINDOW_CASCADE, F, nullptr},
    {IDM_EDIT_DELETE_PAGE, IDM_EDIT_DELETE_PAGE, V, PageDeletion},
    {IDM_DELETE_SCORE, IDM_DELETE_SCORE, N, nullptr},
    {IDM_PAGE_ZOOM_DIALOG, IDM_PAGE_ZOOM_DIALOG, F, nullptr},
    {IDM_FILE_CLOSE, IDM_FILE_CLOSE, F, nullptr},
    {IDM_CREATE_BAR_REST_ONE, IDM_CREATE_BAR_REST_ONE, V, Multirests},
    {IDM_CREATE_MULTIREST, IDM_CREATE_MULTIREST, V, Dialogs},
    {IDM_CREATE_KEY_BY_NUMBER, IDM_CREATE_KEY_BY_NUMBER, V, Dialogs},
    {IDM_CREATE_MAJOR_KEY_FIRST, IDM_CREATE_MINOR_KEY_LAST, V, KeySignatures},
    {IDM_CREATE_TIME_SIGNATURE, IDM_CREATE_TIME_SIGNATURE, V, Dialogs},
    {IDM_VIEW_VOICE_COLORS, IDM_VIEW_BAD_TIMING, F, nullptr},
    {IDM_READ_PLACE_BEFORE, IDM_READ_PLACE_AFTER, V, PagePlacement},
    {IDM_READ_REPLACE, IDM_READ_REPLACE, V, PageReplacing},
    {IDM_FILE_SAVE, IDM_FILE_SAVE, F, nullptr},
    {IDM_READ_PLACE_AT_END, IDM_READ_PLACE_AT_END, V, PagePlacement},
    {IDM_HELP_HELP, IDM_HELP_HELP, F, nullptr},
    {IDM_EDIT_RESCAN_PAGE, IDM_EDIT_RESCAN_PAGE, V, Scanning},
    {IDM_EDIT_TURN_UPSIDE_DOWN, IDM_EDIT_TURN_UPSIDE_DOWN, V, PageTurns},
    {IDM_VIEW_KEYPAD, IDM_VIEW_FULL_DETAIL, V, ViewOptions},
    {IDM_EDIT_DELETE, IDM_EDIT_DESELECT_ALL, V, EditCodes},
    {IDM_VIEW_ATTACHMENT, IDM_VIEW_ATTACHMENT, F, nullptr},
    {IDM_EDIT_TURN_ANTICLOCKWISE, IDM_EDIT_TURN_ANTICLOCKWISE, V, PageTurns},
    {IDM_PLAY_STOP, IDM_PLAY_STOP, V, Playing},
    {IDM_HELP_WEB_SITE, IDM_HELP_WEB_SITE, F, nullptr},
    {IDM_FILE_SCAN_ONE_PAGE, IDM_FILE_SCAN_ONE_PAGE, V, Scanning},
    {IDM_VIEW_SHADED_MUSIC, IDM_VIEW_SHADED_MUSIC, F, nullptr},
    {IDM_HELP_SCANNING_TIPS, IDM_HELP_SCANNING_TIPS, F, nullptr},
    {IDM_FILE_SEND_TO_CADENZOR, IDM_FILE_SEND_TO_R8, V, Sending},
    {IDM_TRANSPOSE, IDM_TRANSPOSE, N, nullptr},
    {IDM_ZOOM_OUT, IDM_ZOOM_IN, V, Zooming},
    {IDM_ZOOM_TO_FIT, IDM_ZOOM_200, V, Zooming},
    {IDM_FILE_PREFERENCES, IDM_FILE_PREFERENCES, V, Preferences},
    {IDM_NOTES_GUITAR_TAB_RHYTHM, IDM_NOTES_GUITAR_TAB_RHYTHM, F, nullptr},
    {IDM_VIEW_PERFORMANCE_MODE, IDM_VIEW_PERFORMANCE_MODE, V, FullScreen},
    {IDM_STOP_PLAYBACK, IDM_STOP_PLAYBACK, V, Stopping},
    {IDM_NOTES_MOVE_UP_STAFF, IDM_NOTES_MOVE_DOWN_STAFF, V, StaveMoves},
    {IDM_NOTES_HIDE_SHOW_RESTS, IDM_NOTES_HIDE_SHOW_RESTS, V, RestHiding},
    {IDM_FILE_OPEN_PDFS, IDM_FILE_OPEN_PDFS, V, PdfPages},
    {IDM_HELP_HANDWRITING_TIPS, IDM_HELP_HANDWRITING_TIPS, F, nullptr},
    {IDM_EDIT_TURN_CLOCKWISE, IDM_EDIT_TURN_CLOCKWISE, V, PageTurns},
    {IDM_EDIT_LOCATE_STAVES, IDM_EDIT_LOCATE_STAVES, V, StaveLocating},
    {IDM_WINDOW_TRANSLUCENT_KEYPAD, IDM_WINDOW_TRANSLUCENT_KEYPAD, F, nullptr},
    {IDM_BARLINE_FIRST, IDM_BARLINE_LAST, V, Barlines},
    {IDM_CLEF_FIRST, IDM_CLEF_COMMAND_LAST, V, Clefs},
    {IDM_SYMBOL_FIRST, IDM_SYMBOL_LAST, V, RepeatTexts},
    {IDM_RECENT_FILE_FIRST, IDM_RECENT_FILE_LAST, F, nullptr},
    {IDM_EDIT_COPY, IDM_EDIT_CUT, V, EditCodes},
    {IDM_EDIT_PASTE, IDM_EDIT_PASTE, V, EditCodes},
    {IDM_FILE_PRINT, IDM_FILE_PRINT, N, nullptr},
    {IDM_EDIT_UNDO, IDM_EDIT_REDO, V, EditCodes},
};

}  // namespace

const CommandEntry* FindCommand(int id) {
  for (const CommandEntry& entry : kCommands) {
    if (id >= entry.first && id <= entry.last) return &entry;
  }
  return nullptr;
}

bool CommandHasHandler(int id) {
  const CommandEntry* entry = FindCommand(id);
  if (!entry) return false;
  switch (entry->handler) {
    case CommandHandler::Frame: return true;
    case CommandHandler::Service: return entry->installed && entry->installed();
    case CommandHandler::None: return false;
  }
  return false;
}

const CommandEntry* CommandEntries(int* count) {
  *count = int(sizeof kCommands / sizeof kCommands[0]);
  return kCommands;
}
