#include "tests/e2e/ScreenshotCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/ProgramUnderTest.h"
#include "tests/support/ReviewedPicture.h"

namespace {

// The window's own device context, which Wine reads from the window's X
// drawable (the screen's context reads black on a display without a window
// manager).
PngImage CaptureWindowPixels(HWND window, const RECT& rect) {
  PngImage image;
  image.width = rect.right - rect.left;
  image.height = rect.bottom - rect.top;
  image.channels = 3;
  if (image.width <= 0 || image.height <= 0) return image;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, image.width, image.height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  image.pixels.reserve(size_t(image.width) * image.height * 3);
  for (size_t i = 0; i < size_t(image.width) * image.height; ++i) {
    image.pixels.push_back(static_cast<uint8_t>(pixels[i] >> 16));
    image.pixels.push_back(static_cast<uint8_t>(pixels[i] >> 8));
    image.pixels.push_back(static_cast<uint8_t>(pixels[i]));
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return image;
}

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

PngImage CaptureWindow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  PngImage last;
  for (int attempt = 0; attempt < 30; ++attempt) {
    DWORD_PTR result = 0;
    // Once the window's thread has answered, the paints it had waiting ran.
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerTimeoutMs, &result);
    Sleep(100);
    RECT rect{};
    GetWindowRect(window, &rect);
    PngImage image = CaptureWindowPixels(window, rect);
    if (attempt > 0 && image.width == last.width && image.height == last.height && image.pixels == last.pixels) return image;
    last = std::move(image);
  }
  return last;
}

void ExpectWindowMatchesReference(HWND window, const char* name) {
  const std::string source = FromEnvironment("KV_SOURCE_DIR");
  const std::string build = FromEnvironment("KV_BINARY_DIR");
  ASSERT_FALSE(source.empty() || build.empty()) << "KV_SOURCE_DIR and KV_BINARY_DIR must be set";
  ASSERT_TRUE(IsWindow(window)) << "no window to capture for " << name;
  const std::u16string folder = WindowsPath(build + "/e2e/screenshots");
  CreateDirectoryW(W(folder), nullptr);
  const PngImage captured = CaptureWindow(window);
  ASSERT_GT(captured.width, 0) << name;
  const std::string reviewed = Narrow(WindowsPath(source + "/tests/e2e/reference/" + name + ".png"));
  ExpectMatchesReviewed(captured, reviewed, Narrow(folder) + "\\" + name);
}
