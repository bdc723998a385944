#include "editor/win32/ScoreEditorHost.h"

#include <windows.h>

#include <cmath>

#include "editor/core/EditorKeys.h"
#include "editor/core/EditorState.h"
#include "editor/core/KeypadCodes.h"
#include "editor/core/ScoreUndoRing.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "platform/Messages.h"
#include "platform/win32/AppWindows.h"
#include "render/DrawingState.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "shell/ScoreEditorHooks.h"
#include "shell/ScorePageLink.h"
#include "shell/ShellServices.h"
#include "shell/win32/ScoreWindow.h"

namespace {

ScoreViewItems& View() { return TheScoreViewItems(); }

// The editor works only on a page whose object boxes are loaded.
bool Locked() {
  const bool locked = ScorePages.count <= 0 || PageBoxesMissing != 0 || viewPage.boxCount <= 0;
  TheEditorState().locked = locked;
  return locked;
}

// Repaints the view at once, which lays the page out again and fills the index.
void RepaintNow() {
  const HWND view = Windows().scoreView;
  if (!IsWindow(view)) return;
  InvalidateRect(view, nullptr, FALSE);
  UpdateWindow(view);
}

bool OnKey(int code) {
  Locked();
  const int handled = EditorKeyHandler(View(), code, GetCentiseconds());
  if (handled) RepaintNow();
  return handled != 0;
}

bool OnMouse(const ViewMouseEvent& event) {
  if (Locked()) return false;
  if ((event.kind & ~kViewMouseRight) != kViewMouseLeft || (event.kind & kViewMouseRight)) return false;
  // The painter's page units: one a pixel at scale 1, from the page's corner.
  const double scale = DrawingState().scale > 0 ? DrawingState().scale : 1.0;
  const int32_t x = int32_t(std::floor((event.x - 1) / scale));
  const int32_t y = int32_t(std::floor(event.y / scale));
  const int row = LinkedItemRow(View().index, x, y, viewPage.boxCount);
  SelectionState& selection = View().selection;
  selection.multiCount = 0;
  if (row < 0 || !IsSelectableRow(View(), row, false)) {
    selection.selectedRow = -1;
    RepaintNow();
    return false;
  }
  const int32_t hover = selection.hoverRow;
  selection.hoverRow = row;
  if (TakeItemIntoSelection(View())) SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
  selection.hoverRow = hover;
  RepaintNow();
  return true;
}

bool OnKeypadCode(int, int button, int code) {
  if (Locked()) return false;
  // The keypad's latches stay with the keypad: single items take the code as a press.
  const int written = ApplyKeypadCodeToSelection(View(), button, code, KeypadLatches{});
  if (written) RepaintNow();
  return written != 0;
}

bool HasSelection() { return View().selection.selectedRow >= 0 || View().selection.multiCount > 0; }

int SelectedCount() {
  const SelectionState& s = View().selection;
  return s.multiCount > 0 ? s.multiCount : (s.selectedRow >= 0 ? 1 : 0);
}

void Escape() {
  if (PendingKeypadCode() != kNoPendingCode) {
    PendingKeypadCode() = kNoPendingCode;
    return;
  }
  ClearSelection(View());
  RepaintNow();
}

// The Edit menu's commands as key codes (delete, select all, deselect, undo, redo).
void OnEditCommand(int code) { OnKey(code); }

void TogglePending(bool end) {
  if (end || PendingKeypadCode() != kNoPendingCode) PendingKeypadCode() = kNoPendingCode;
}

}  // namespace

void InstallScoreEditor() {
  ScoreEditorHooks hooks = EditorHooks();
  hooks.applyKeypadCode = OnKeypadCode;
  hooks.routeViewMouse = OnMouse;
  hooks.routeViewKey = OnKey;
  hooks.hasSelection = HasSelection;
  hooks.selectedCount = SelectedCount;
  hooks.escape = Escape;
  hooks.togglePendingPlacement = TogglePending;
  SetScoreEditorHooks(hooks);
  ShellServices services{};
  services.editorKey = OnEditCommand;
  SetShellServices(services);
  UndoViewHooks undo;
  undo.relayout = RepaintNow;
  SetUndoViewHooks(undo);
}
