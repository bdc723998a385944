#include "render/win32/ScorePagePane.h"

#include "render/DrawingState.h"
#include "render/ScorePagePainter.h"
#include "render/win32/OffscreenPane.h"

void PaintScorePagePane(HDC windowDc, const RECT& paint, int scrollX, int scrollY) {
  OffscreenPane pane(windowDc, paint, scrollX, scrollY);
  if (!pane.Ready()) return;
  pane.BeginDrawing();
  PaintScorePage(scrollX, scrollY, nullptr, DeviceRect{paint.left, paint.top, paint.right, paint.bottom}, 0, 0);
  pane.EndDrawing();
  pane.CopyToWindow();
}
