// Native message boxes: never shown. A box that no sink or observer took
// (platform/MessageBoxes.cpp) is written to stderr and answered OK.
#include <cstdio>

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"

namespace platform {
namespace {
void PrintUtf16(const char16_t* text) {
  for (; text && *text; ++text) std::fputc(*text < 0x80 ? static_cast<char>(*text) : '?', stderr);
}
}  // namespace

int ShowSystemMessageBox(const char16_t* text, const char16_t* caption, unsigned style) {
  std::fputs("[message box] ", stderr);
  PrintUtf16(caption);
  std::fputs(": ", stderr);
  PrintUtf16(text);
  std::fputc('\n', stderr);
  return kAnswerOk;
}

}  // namespace platform
