// Native message boxes: never shown. The observer (tests) answers; without
// one the box is written to stderr and answered OK.
#include <cstdio>

#include "platform/Platform.h"

namespace platform {
namespace {
MessageBoxObserver g_observer = nullptr;

void PrintUtf16(const char16_t* text) {
  for (; text && *text; ++text) std::fputc(*text < 0x80 ? static_cast<char>(*text) : '?', stderr);
}
}  // namespace

MessageBoxObserver SetMessageBoxObserver(MessageBoxObserver observer) {
  MessageBoxObserver old = g_observer;
  g_observer = observer;
  return old;
}

namespace {
thread_local MessageBoxObserver t_sink = nullptr;
}

MessageBoxObserver SetThreadMessageBoxSink(MessageBoxObserver sink) {
  MessageBoxObserver old = t_sink;
  t_sink = sink;
  return old;
}

int ShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style) {
  if (t_sink) return t_sink({text, caption, style});
  if (g_observer) return g_observer({text, caption, style});
  std::fputs("[message box] ", stderr);
  PrintUtf16(caption);
  std::fputs(": ", stderr);
  PrintUtf16(text);
  std::fputc('\n', stderr);
  return kAnswerOk;
}

}  // namespace platform
