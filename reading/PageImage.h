// A view of the pixel rows of a page image (no ownership), and a heap image
// for the steps that make a new one. 1-bit rows: pixel x is bit x mod 8 of
// byte x / 8, a set bit is ink. 4-bit rows: the high nibble is the left
// pixel. 8-bit rows: grey, 0 black, 255 white.
#pragma once

#include <cstddef>
#include <cstdint>

struct PageImage {
  uint8_t* rows = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t rowBytes = 0;      // stride, rows padded to whole 32-bit words
  int bitsPerPixel = 1;     // 1, 4 or 8

  uint8_t* Row(int32_t y) const { return rows + static_cast<size_t>(y) * rowBytes; }
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // 1-bit pixel; false outside the image.
  bool Ink(int32_t x, int32_t y) const {
    return Inside(x, y) && ((Row(y)[x >> 3] >> (x & 7)) & 1) != 0;
  }
  void SetInk(int32_t x, int32_t y) const { Row(y)[x >> 3] |= static_cast<uint8_t>(1u << (x & 7)); }
  void ClearInk(int32_t x, int32_t y) const { Row(y)[x >> 3] &= static_cast<uint8_t>(~(1u << (x & 7))); }
  // 8-bit grey value.
  uint8_t Grey(int32_t x, int32_t y) const { return Row(y)[x]; }
  // The 4-bit value (0..15).
  uint8_t Nibble(int32_t x, int32_t y) const {
    uint8_t b = Row(y)[x >> 1];
    return (x & 1) ? (b & 0x0F) : (b >> 4);
  }
};

// Whether pixel (x, y) is ink: the bit of a 2-level page, a grey or nibble
// value below the threshold otherwise; false outside the image.
inline bool PixelIsInk(const PageImage& image, int levels, int threshold, int32_t x, int32_t y) {
  if (!image.Inside(x, y)) return false;
  if (levels == 2) return image.Ink(x, y);
  if (levels == 16) return image.Nibble(x, y) < threshold;
  return image.Grey(x, y) < threshold;
}

// Row bytes of an image as a sprite lays them out (4 bits: whole words of
// eight pixels), padded to a whole number of 32-bit words.
size_t ImageRowBytes(int32_t width, int bitsPerPixel);

// A zeroed image that owns its rows. Allocation never throws: on a shortage
// the image stays empty (Valid() false) and the caller reports it.
class OwnedPageImage {
 public:
  OwnedPageImage() = default;
  OwnedPageImage(int32_t width, int32_t height, int bitsPerPixel);
  ~OwnedPageImage();
  OwnedPageImage(OwnedPageImage&& other) noexcept;
  OwnedPageImage& operator=(OwnedPageImage&& other) noexcept;
  OwnedPageImage(const OwnedPageImage&) = delete;
  OwnedPageImage& operator=(const OwnedPageImage&) = delete;

  bool Valid() const { return view_.rows != nullptr; }
  const PageImage& View() const { return view_; }
  operator const PageImage&() const { return view_; }

 private:
  PageImage view_;
};
