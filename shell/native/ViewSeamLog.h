// The window calls of the view seam, recorded natively for the tests.
#pragma once

#include <cstdint>
#include <vector>

enum class ViewCall { StartTimer, StopTimer, Capture, Release };

struct ViewSeamCall {
  ViewCall call;
  void* window;
  uint32_t id;
  uint32_t periodMs;
};

std::vector<ViewSeamCall>& ViewSeamCalls();
// What CurrentHoverWindow answers natively.
void SetHoverWindowForTest(void* window);
