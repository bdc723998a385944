#include "shell/ViewSeam.h"
#include "shell/native/ViewSeamLog.h"

std::vector<ViewSeamCall>& ViewSeamCalls() {
  static std::vector<ViewSeamCall> calls;
  return calls;
}

void StartWindowTimer(void* window, uint32_t id, uint32_t periodMs) {
  ViewSeamCalls().push_back({ViewCall::StartTimer, window, id, periodMs});
}

void StopWindowTimer(void* window, uint32_t id) {
  ViewSeamCalls().push_back({ViewCall::StopTimer, window, id, 0});
}

void CaptureMouse(void* window) { ViewSeamCalls().push_back({ViewCall::Capture, window, 0, 0}); }

void ReleaseMouse() { ViewSeamCalls().push_back({ViewCall::Release, nullptr, 0, 0}); }

namespace {
void* hoverWindow = nullptr;
}

void DrawInView(void*, void (*draw)()) {
  if (draw) draw();
}

void* CurrentHoverWindow() { return hoverWindow; }

void SetHoverWindowForTest(void* window) { hoverWindow = window; }

uint32_t* ViewDragFlags() {
  static uint32_t flags[2] = {0, 0};
  return flags;
}
