// The view metrics that the shell measures and the views read: the client
// size of the score view, the view scale factors and two fixed view
// constants. InitClientMetrics (Win32) measures them at start-up, when the
// frame is created and on every resize of the frame.
#pragma once

#include <cstdint>

struct ClientMetrics {
  // The client area measured (the score view once it exists), in pixels.
  int32_t width = 0;
  int32_t height = 0;
  // The views' scale factors, 1 after every measurement.
  double viewScale[4] = {1.0, 1.0, 1.0, 1.0};
  // Pixels the score view keeps free below the image strip when it places
  // its origin.
  int32_t viewEdge = 0;
  // Logical pixels per inch of the view's text sizes.
  int32_t pixelsPerInch = 0;
};

constexpr int32_t kScoreViewEdge = 27;
constexpr int32_t kViewPixelsPerInch = 90;

// The metrics in force; all zero until the first measurement.
ClientMetrics& ViewMetrics();

// Takes a new client size: the scale factors return to 1 and the constants
// are set. Sizes below 0 count as 0.
void SetClientMetrics(int32_t width, int32_t height);
