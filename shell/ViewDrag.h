// The mouse-drag protocol of the views (one drag at a time): a press is
// remembered; the drag starts on a move of 4 pixels or more, or on any move
// 20 centiseconds after the press; its drawing callbacks run in the view's
// device context under the reading mutex.
#pragma once

#include <cstdint>

#include "shell/ViewDragHooks.h"

constexpr int kDragStartDistance = 4;             // pixels, in x or in y
constexpr uint32_t kDragStartDelay = 20;          // centiseconds
constexpr uint32_t kDragScrollPeriodMs = 5;
// Mouse messages that begin a press.
constexpr unsigned kPressMessageLeft = 0x0201;    // WM_LBUTTONDOWN
constexpr unsigned kPressMessageNonClient = 0x00A1;  // WM_NCLBUTTONDOWN
// Event codes of the view's drag start.
constexpr uint32_t kDragStartEvent = 0x40;
constexpr uint32_t kDragStartWithAltEvent = 0x10;

struct ViewDragState {
  void* window = nullptr;
  int pressX = 0;
  int pressY = 0;
  uint32_t pressTime = 0;  // centiseconds
  unsigned pressMessage = 0;
  ViewDragCallback whileDragging = nullptr;
  ViewDragCallback atEnd = nullptr;
};
extern ViewDragState ViewDrag;

void SetDragCallbacks(ViewDragCallback whileDragging, ViewDragCallback atEnd);
void BeginViewPress(void* window, int x, int y, unsigned message);
// Called on every mouse move of a view; true when a drag started with it.
bool DragMove(void* window, int x, int y);
void RepaintViewDrag(void* window);
void CancelViewDrag();

bool IsViewPressed();
bool IsViewDragging();

// The clock of the drag (centiseconds); null restores GetCentiseconds.
using DragClock = uint32_t (*)();
void SetDragClock(DragClock clock);
