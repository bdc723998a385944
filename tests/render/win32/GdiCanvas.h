// The bitmap the GDI drawing tests draw into: a 32-bit top-down section in
// a memory context, white at first, read back pixel by pixel or as grey.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tests/support/PngImage.h"

class GdiCanvas {
 public:
  GdiCanvas(int width, int height);
  ~GdiCanvas();
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF Pixel(int x, int y) const;
  // Pixels darker than mid-grey inside a rectangle (right and bottom exclusive).
  int DarkPixels(int left, int top, int right, int bottom) const;
  int DarkPixels() const { return DarkPixels(0, 0, width_, height_); }
  PngImage Gray() const;  // one channel

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};
