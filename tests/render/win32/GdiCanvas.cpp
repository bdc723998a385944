#include "GdiCanvas.h"

#include "render/win32/DibSection.h"

GdiCanvas::GdiCanvas(int width, int height) : width_(width), height_(height) {
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateTopDownDib32(dc_, width, height, reinterpret_cast<void**>(&bits_));
  old_ = SelectObject(dc_, bitmap_);
  RECT all = {0, 0, width, height};
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

GdiCanvas::~GdiCanvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF GdiCanvas::Pixel(int x, int y) const {
  GdiFlush();
  const uint32_t p = bits_[y * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int GdiCanvas::DarkPixels(int left, int top, int right, int bottom) const {
  GdiFlush();
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const uint32_t p = bits_[y * width_ + x];
      n += ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) < 384;
    }
  return n;
}

PngImage GdiCanvas::Gray() const {
  GdiFlush();
  PngImage image;
  image.width = width_;
  image.height = height_;
  image.pixels.resize(static_cast<size_t>(width_) * height_);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint32_t p = bits_[i];
    image.pixels[i] = static_cast<uint8_t>(((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3);
  }
  return image;
}
