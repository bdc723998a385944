#include "shell/ViewDrag.h"

#include <cstdlib>

#include "platform/HookTables.h"
#include "platform/Messages.h"
#include "shell/ClaimedEventTable.h"
#include "shell/KeyCodes.h"
#include "shell/ViewSeam.h"

ViewDragState ViewDrag;

namespace {

ViewDragHooks hooks;
DragClock dragClock = nullptr;

uint32_t Now() { return dragClock ? dragClock() : GetCentiseconds(); }

uint32_t& Pressed() { return ViewDragFlags()[0]; }
uint32_t& Dragging() { return ViewDragFlags()[1]; }

void ClearHover() {
  if (hooks.clearViewHover) hooks.clearViewHover();
}

uint32_t DragStartCode() {
  if (ViewDrag.pressMessage != kPressMessageLeft && ViewDrag.pressMessage != kPressMessageNonClient)
    return 0;
  return (KeyModifiersHeld() & kKeyModAlt) ? kDragStartWithAltEvent : kDragStartEvent;
}

void StartViewDrag() {
  if (hooks.startViewDrag)
    hooks.startViewDrag(ViewDrag.window, ViewDrag.pressX, -ViewDrag.pressY, DragStartCode());
}

}  // namespace

void SetViewDragHooks(const ViewDragHooks& from) {
  KeepIfSet(hooks.useDeviceContext, from.useDeviceContext);
  KeepIfSet(hooks.startViewDrag, from.startViewDrag);
  KeepIfSet(hooks.clearViewHover, from.clearViewHover);
  KeepIfSet(hooks.endScoreDrag, from.endScoreDrag);
}

const ViewDragHooks& CurrentViewDragHooks() { return hooks; }

void SetDragClock(DragClock c) { dragClock = c; }

bool IsViewPressed() { return Pressed() != 0; }
bool IsViewDragging() { return Dragging() != 0; }

void SetDragCallbacks(ViewDragCallback whileDragging, ViewDragCallback atEnd) {
  ViewDrag.whileDragging = whileDragging;
  ViewDrag.atEnd = atEnd;
}

void BeginViewPress(void* window, int x, int y, unsigned message) {
  ViewDrag.window = window;
  ViewDrag.pressX = x;
  ViewDrag.pressY = y;
  ViewDrag.pressMessage = message;
  ViewDrag.pressTime = Now();
  Pressed() = 1;
  Dragging() = 0;
}

bool DragMove(void* window, int x, int y) {
  if (window != ViewDrag.window) {
    Pressed() = 0;
    Dragging() = 0;
    return false;
  }
  if (Dragging()) {
    // A view that has not taken the drag yet sees its start again.
    if (ViewDrag.whileDragging) DrawInView(window, ViewDrag.whileDragging);
    else StartViewDrag();
    return false;
  }
  if (!Pressed()) return false;
  bool near = std::abs(x - ViewDrag.pressX) < kDragStartDistance &&
              std::abs(y - ViewDrag.pressY) < kDragStartDistance;
  bool early = Now() - ViewDrag.pressTime < kDragStartDelay;
  if (near && early) return false;
  Dragging() = 1;
  StartWindowTimer(window, kDragScrollTimerId, kDragScrollPeriodMs);
  CaptureMouse(window);
  StartViewDrag();
  return true;
}

void RepaintViewDrag(void* window) {
  if (Dragging() && window == ViewDrag.window && ViewDrag.whileDragging)
    DrawInView(window, ViewDrag.whileDragging);
}

void CancelViewDrag() {
  Pressed() = 0;
  if (!Dragging()) {
    ClearHover();
    if (hooks.endScoreDrag) hooks.endScoreDrag();
    return;
  }
  StopWindowTimer(ViewDrag.window, kDragScrollTimerId);
  if (ViewDrag.atEnd) DrawInView(ViewDrag.window, ViewDrag.atEnd);
  ReleaseMouse();
  Dragging() = 0;
  ViewDrag.whileDragging = nullptr;
  ViewDrag.atEnd = nullptr;
  ClearHover();
}
