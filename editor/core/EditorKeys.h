// The editor's key codes on the selection: moving and extending the
// selection (Tab, the arrows with Shift and Ctrl), select all, Esc, delete,
// undo and redo, and the chord keys; with a multi-selection the chord keys
// and delete act on every listed item under one snapshot.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"

// 1 when the code was handled (the window then skips its own handling).
int EditorKeyHandler(ScoreViewItems& view, int code, uint32_t now);
// One code on the single selection (or none).
int EditorCommand(ScoreViewItems& view, int code, uint32_t now);

// Tab, Shift+Tab, Left, Right and their Shift and Ctrl forms.
int MoveSelection(ScoreViewItems& view, int code);
int SelectAllItems(ScoreViewItems& view);
// Esc: the multi-selection and the selected row cleared.
int ClearSelection(ScoreViewItems& view);
// Whether a row takes part in selection walks and lists.
bool IsSelectableRow(const ScoreViewItems& view, int row, bool skipBarsAndTimes);
