#include "render/win32/ScorePagePane.h"

#include "platform/Messages.h"
#include "render/DrawingState.h"
#include "render/RenderStrings.h"
#include "render/ScorePagePainter.h"
#include "render/ScoreText.h"
#include "render/win32/GdiDevice.h"

namespace {

void SayDisplayProblem(HDC windowDc, unsigned message, int scrollX, int scrollY) {
  char16_t text[256] = {};
  LoadUiString(message, text, 256);
  DrawingStateRecord& state = DrawingState();
  render::DrawDevice* const saved = state.dc;
  GdiDevice device(windowDc);
  state.dc = &device;
  DrawFormattedText(scrollX + 16, scrollY - 32, text, 11, 11, false, false, false);
  DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
  state.dc = saved;
}

}  // namespace

void PaintScorePagePane(HDC windowDc, const RECT& paint, int scrollX, int scrollY) {
  const int width = paint.right - paint.left + 1;
  const int height = paint.bottom - paint.top + 1;
  if (width <= 0 || height <= 0) return;
  HDC memory = CreateCompatibleDC(windowDc);
  if (!memory) {
    SayDisplayProblem(windowDc, kStrCannotCreateContext, scrollX, scrollY);
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    SayDisplayProblem(windowDc, kStrCannotCreateDib, scrollX, scrollY);
    return;
  }
  HGDIOBJ previous = SelectObject(memory, bitmap);
  if (!previous || previous == HGDI_ERROR) {
    DeleteObject(bitmap);
    DeleteDC(memory);
    SayDisplayProblem(windowDc, kStrCannotSelectBitmap, scrollX, scrollY);
    return;
  }
  DrawingStateRecord& state = DrawingState();
  render::DrawDevice* const saved = state.dc;
  GdiDevice device(memory);
  // The text fonts made on another context are let go first.
  DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
  state.dc = &device;
  PaintScorePage(scrollX, scrollY, nullptr, DeviceRect{paint.left, paint.top, paint.right, paint.bottom}, 0, 0);
  DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
  state.dc = saved;
  GdiFlush();
  BitBlt(windowDc, paint.left, paint.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
}
