#include "reading/PageImage.h"

#include <cstdlib>
#include <utility>

#include "pages/SpriteArea.h"

size_t ImageRowBytes(int32_t width, int bitsPerPixel) {
  size_t bytes;
  if (bitsPerPixel == 1)
    bytes = (static_cast<size_t>(width) + 7) / 8;
  else if (bitsPerPixel == 4)
    bytes = (static_cast<size_t>(width) + 7) / 8 * 4;
  else
    bytes = static_cast<size_t>(width);
  return (bytes + 3) & ~static_cast<size_t>(3);
}

OwnedPageImage::OwnedPageImage(int32_t width, int32_t height, int bitsPerPixel) {
  constexpr int32_t kLongest = static_cast<int32_t>(kMaxPageSide);
  if (width <= 0 || height <= 0 || width > kLongest || height > kLongest) return;
  size_t rowBytes = ImageRowBytes(width, bitsPerPixel);
  void* block = std::calloc(rowBytes * static_cast<size_t>(height), 1);
  if (!block) return;
  view_.rows = static_cast<uint8_t*>(block);
  view_.width = width;
  view_.height = height;
  view_.rowBytes = rowBytes;
  view_.bitsPerPixel = bitsPerPixel;
}

OwnedPageImage::~OwnedPageImage() { std::free(view_.rows); }

OwnedPageImage::OwnedPageImage(OwnedPageImage&& other) noexcept : view_(other.view_) {
  other.view_ = PageImage();
}

OwnedPageImage& OwnedPageImage::operator=(OwnedPageImage&& other) noexcept {
  if (this != &other) {
    std::free(view_.rows);
    view_ = other.view_;
    other.view_ = PageImage();
  }
  return *this;
}
