#include "shell/ClientMetrics.h"

ClientMetrics& ViewMetrics() {
  static ClientMetrics metrics;
  return metrics;
}

void SetClientMetrics(int32_t width, int32_t height) {
  ClientMetrics& m = ViewMetrics();
  m.viewEdge = kScoreViewEdge;
  m.width = width > 0 ? width : 0;
  m.height = height > 0 ? height : 0;
  for (double& scale : m.viewScale) scale = 1.0;
  m.pixelsPerInch = kViewPixelsPerInch;
}
