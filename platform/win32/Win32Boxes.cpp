// Message boxes through the system, owned by the main frame window. A sink
// or an observer (tests) sees the box first (platform/MessageBoxes.cpp), so
// that nothing waits for a user.
#include <windows.h>

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"

AppWindows& Windows() {
  static AppWindows windows;
  return windows;
}

namespace platform {

int ShowSystemMessageBox(const char16_t* text, const char16_t* caption, unsigned style) {
  HWND owner = (style & kBoxTaskModal) ? nullptr : Windows().frame;
  return MessageBoxW(owner, reinterpret_cast<const wchar_t*>(text),
                     reinterpret_cast<const wchar_t*>(caption), style);
}

}  // namespace platform
