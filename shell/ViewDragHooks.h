// What the view drag needs of the views, the drawing layer and the editor.
// Until those are built the defaults stand: a drawing callback runs with the
// view's device context under the mutex but the drawing layer is not told of
// it, and there is no view to start a drag in, no hover effect to clear and
// no score drag to end.
#pragma once

#include <cstdint>

using ViewDragCallback = void (*)();

struct ViewDragHooks {
  // Makes a device context (HDC) the drawing layer's shared context; null
  // when it is released.
  void (*useDeviceContext)(void* dc) = nullptr;
  // The view's drag start: the press point (x, minus y) and the event code.
  void (*startViewDrag)(void* window, int x, int minusY, uint32_t eventCode) = nullptr;
  void (*clearViewHover)() = nullptr;
  void (*endScoreDrag)() = nullptr;
};

// Takes the hooks that are set and keeps the present ones for the rest.
void SetViewDragHooks(const ViewDragHooks& hooks);
const ViewDragHooks& CurrentViewDragHooks();
