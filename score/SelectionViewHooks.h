// What the selection services ask of the score view window. The portable
// services compute scroll positions and repaint areas; the shell wires these
// hooks to the real window (scroll bars and their WM_HSCROLL / WM_VSCROLL
// announcement, invalidation, immediate repaint, the debugger trace). Until
// it does, the defaults do nothing visible: no view is known, nothing is
// scrolled, nothing is repainted.
#pragma once

#include <cstdint>

#include "score/ItemIndex.h"

// The visible part of the score view in zoomed page units.
struct ViewScrollState {
  int32_t clientWidth;
  int32_t clientHeight;
  int32_t scrollX;
  int32_t scrollY;
  int32_t maxScrollX;
  int32_t maxScrollY;
};

enum class ScrollBarKind { kHorizontal, kVertical };

struct SelectionViewHooks {
  // Fills the view's scroll state; false when there is no view to scroll.
  bool (*queryScroll)(ViewScrollState* state);
  // Sets one scroll position and announces it to the view; true when the
  // view really scrolled.
  bool (*setScrollPosition)(ScrollBarKind bar, int32_t position);
  // Invalidates and repaints the view at once.
  void (*repaintNow)();
  // Invalidates an area of the score view given in page units.
  void (*invalidateArea)(const ScoreBox& area);
  // A line for the debugger's output.
  void (*trace)(const char* text);
};

// The hooks in force (the defaults until the shell sets others).
const SelectionViewHooks& CurrentSelectionViewHooks();
// Installs hooks (a null member keeps that member's default); returns the old set.
SelectionViewHooks SetSelectionViewHooks(const SelectionViewHooks& hooks);
void ResetSelectionViewHooks();
