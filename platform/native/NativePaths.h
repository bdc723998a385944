// UTF-16 paths of the portable code to the UTF-8 paths of POSIX, and back.
#pragma once

#include <string>

namespace platform {
namespace native {

// UTF-8 with every backslash turned into a slash; unpaired surrogates become U+FFFD.
std::string ToNativePath(const char16_t* path);
std::string ToUtf8(const char16_t* text);
// UTF-8 into capacity units, NUL-ended. False (out empty) when it does not fit.
bool FromUtf8(const std::string& text, char16_t* out, int capacity);

}  // namespace native
}  // namespace platform
