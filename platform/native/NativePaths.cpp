#include "platform/native/NativePaths.h"

#include <cstring>

#include "platform/Utf8.h"

namespace platform {
namespace native {

std::string ToUtf8(const char16_t* text) { return Utf16ToUtf8(text); }

std::string ToNativePath(const char16_t* path) {
  std::string out = Utf16ToUtf8(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool FromUtf8(const std::string& text, char16_t* out, int capacity) {
  if (!out || capacity <= 0) return false;
  std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() >= static_cast<size_t>(capacity)) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
  return true;
}

}  // namespace native
}  // namespace platform
