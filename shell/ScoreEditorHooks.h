// What the score editor lends the score window: the keypad's codes to apply
// to the selection, the score view's mouse events and the state of its
// selection. Until an editor fills a hook the window keeps its own
// behaviour (a click shows where the item came from on the page).
#pragma once

// The kinds of a mouse event of the score view (added together).
enum : int {
  kViewMouseDoubleAlt = 1,
  kViewMouseRight = 2,
  kViewMouseDouble = 4,
  kViewMouseMiddle = 256,
  kViewMouseLeftAlt = 256,
  kViewMouseLeft = 1024,
};

struct ViewMouseEvent {
  int x = 0, y = 0;  // score view pixels plus the scroll position; y pointing down
  int kind = 0;
  int region = -1;  // the painter's click region hit (its number + 4), -1 none
};

struct ScoreEditorHooks {
  // The keypad's code of a pressed key (layout, button); true when the
  // editor applied it to the selection.
  bool (*applyKeypadCode)(int layout, int button, int code) = nullptr;
  // A mouse event of the score view; true when the editor took it.
  bool (*routeViewMouse)(const ViewMouseEvent& event) = nullptr;
  // A key of the score view as its key code; true when the editor took it.
  bool (*routeViewKey)(int code) = nullptr;
  // The editor has an edit item or a multiple selection; how many items are selected.
  bool (*hasSelection)() = nullptr;
  int (*selectedCount)() = nullptr;
  // The editor is entering text (the keypad takes no keys then).
  bool (*enteringText)() = nullptr;
  // Esc: ends a pending placement or clears the selection.
  void (*escape)() = nullptr;
  // The keypad's clear key: switches the pending placement on or off; with
  // end set, only ends it.
  void (*togglePendingPlacement)(bool end) = nullptr;
};

void SetScoreEditorHooks(const ScoreEditorHooks& hooks);
const ScoreEditorHooks& EditorHooks();
