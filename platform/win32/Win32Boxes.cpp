// Message boxes through the system, owned by the main frame window. An
// observer (tests) sees the box instead, so that nothing waits for a user.
#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"

AppWindows& Windows() {
  static AppWindows windows;
  return windows;
}

namespace platform {
namespace {
MessageBoxObserver g_observer = nullptr;
}

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
  HWND owner = (style & kBoxTaskModal) ? nullptr : Windows().frame;
  return MessageBoxW(owner, reinterpret_cast<const wchar_t*>(text),
                     reinterpret_cast<const wchar_t*>(caption), style);
}

}  // namespace platform
