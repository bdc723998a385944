#include "render/win32/OffscreenPane.h"

#include "platform/Messages.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/RenderStrings.h"
#include "render/ScoreText.h"

namespace {

constexpr int kSayColour = 11;
constexpr int kSayFontKind = 27;

void ResetTextFonts() { DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true); }

}  // namespace

OffscreenPane::OffscreenPane(HDC windowDc, const RECT& paint, int sayX, int sayY)
    : window_(windowDc),
      paint_(paint),
      sayX_(sayX),
      sayY_(sayY),
      width_(paint.right - paint.left + 1),
      height_(paint.bottom - paint.top + 1) {
  if (width_ <= 0 || height_ <= 0) return;
  heap_ = HeapCreate(0, kPaneBitmapHeaderBytes, 0);
  if (!heap_) {
    Say(kStrCannotAllocateHeap);
    return;
  }
  header_ = static_cast<BITMAPINFO*>(HeapAlloc(heap_, HEAP_ZERO_MEMORY, kPaneBitmapHeaderBytes));
  if (!header_) {
    Say(kStrCannotAllocateHeader);
    return;
  }
  header_->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header_->bmiHeader.biWidth = width_;
  header_->bmiHeader.biHeight = height_;
  header_->bmiHeader.biPlanes = 1;
  header_->bmiHeader.biBitCount = 24;
  // The drawing palette follows the header, as the 8-bit pictures have it.
  RGBQUAD* palette = header_->bmiColors;
  for (int i = 0; i < 256; ++i)
    palette[i] = RGBQUAD{SharedPalette[i].blue, SharedPalette[i].green, SharedPalette[i].red, 0};
  memory_ = CreateCompatibleDC(windowDc);
  if (!memory_) {
    Say(kStrCannotCreateContext);
    return;
  }
  GdiFlush();
  void* bits = nullptr;
  section_ = CreateDIBSection(windowDc, header_, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section_ || !bits) {
    Say(kStrCannotCreateDib);
    return;
  }
  previousBitmap_ = SelectObject(memory_, section_);
  if (!previousBitmap_ || previousBitmap_ == HGDI_ERROR) {
    previousBitmap_ = nullptr;
    Say(kStrCannotSelectBitmap);
    return;
  }
  device_.SetContext(memory_);
  ready_ = true;
}

OffscreenPane::~OffscreenPane() {
  if (drawing_) EndDrawing();
  if (previousBitmap_) SelectObject(memory_, previousBitmap_);
  if (section_) DeleteObject(section_);
  if (memory_) DeleteDC(memory_);
  if (heap_) HeapDestroy(heap_);  // the header with it
}

void OffscreenPane::Say(unsigned message) {
  char16_t text[256] = {};
  LoadUiString(message, text, 256);
  DrawingStateRecord& state = DrawingState();
  render::DrawDevice* const saved = state.dc;
  GdiDevice device(window_);
  ResetTextFonts();
  state.dc = &device;
  DrawFormattedText(sayX_ + 16, sayY_ - 32, text, kSayColour, kSayFontKind, false, false, false);
  ResetTextFonts();
  state.dc = saved;
}

void OffscreenPane::BeginDrawing() {
  if (!ready_ || drawing_) return;
  ResetTextFonts();
  savedDevice_ = DrawingState().dc;
  DrawingState().dc = &device_;
  drawing_ = true;
}

void OffscreenPane::EndDrawing() {
  if (!drawing_) return;
  ResetTextFonts();
  DrawingState().dc = savedDevice_;
  drawing_ = false;
}

void OffscreenPane::CopyToWindow() {
  if (!ready_) return;
  GdiFlush();
  BitBlt(window_, paint_.left, paint_.top, width_, height_, memory_, 0, 0, SRCCOPY);
}
