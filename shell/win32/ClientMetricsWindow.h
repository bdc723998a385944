// Measuring the view metrics (shell/ClientMetrics.h) from the windows.
#pragma once

#include <windows.h>

// The window whose client area the metrics take: the score view that the
// view number selects (above 10 the second) once it exists; before that the
// maximised document window, else the MDI client; null when none exists.
HWND ClientMetricsWindow();

// Measures that window's client area into the metrics and resets the view
// scale factors to 1 (no window: a size of 0 by 0). Returns 0.
int InitClientMetrics();
