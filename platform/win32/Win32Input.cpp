// The mouse, keys, status window and beep of the seam.
#include <windows.h>
#include <commctrl.h>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"

namespace platform {

void ReleaseMouseForBox() {
  Windows().mouseTracking[0] = 0;
  Windows().mouseTracking[1] = 0;
  ReleaseCapture();
}

void SetStatusField(int field, const char16_t* text) {
  HWND status = Windows().status;
  if (!status || !IsWindow(status)) return;
  if (IsWindowsNT()) {
    SendMessageW(status, SB_SETTEXTW, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(text));
    return;
  }
  CTempAnsi ansi(text);
  SendMessageA(status, SB_SETTEXTA, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(GetFirstMember(ansi)));
}

void DefaultBeep() { MessageBeep(0xFFFFFFFF); }

bool IsKeyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

bool IsEscapePressed() { return GetFocus() != nullptr && GetAsyncKeyState(VK_ESCAPE) < 0; }

}  // namespace platform
