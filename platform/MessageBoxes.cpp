// Message boxes on both sides: the calling thread's sink, then the observer
// (tests), see a box before the side shows it.
#include "platform/MessageBoxes.h"

#include "platform/Platform.h"

namespace platform {
namespace {
MessageBoxObserver g_observer = nullptr;
thread_local MessageBoxObserver t_sink = nullptr;
}  // namespace

MessageBoxObserver SetMessageBoxObserver(MessageBoxObserver observer) {
  MessageBoxObserver old = g_observer;
  g_observer = observer;
  return old;
}

MessageBoxObserver SetThreadMessageBoxSink(MessageBoxObserver sink) {
  MessageBoxObserver old = t_sink;
  t_sink = sink;
  return old;
}

int ShowMessageBox(const char16_t* text, const char16_t* caption, unsigned style) {
  if (t_sink) return t_sink({text, caption, style});
  if (g_observer) return g_observer({text, caption, style});
  return ShowSystemMessageBox(text, caption, style);
}

}  // namespace platform
