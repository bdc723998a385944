// The common controls' wide-text switch on 9x, where only the ANSI calls exist.
#include <windows.h>
#include <commctrl.h>

#include "platform/Platform.h"
#include "platform/win32/AppWindows.h"

namespace platform {

bool SetCommonControlsUnicodeFormat(bool on, bool* answer) {
  HMODULE module = GetModuleHandleA("COMCTL32.DLL");
  wchar_t path[MAX_PATH + 1] = {};
  if (!module || GetModuleFileNameW(module, path, MAX_PATH) == 0) return false;
  uint16_t version[4];
  if (!GetFileVersion(reinterpret_cast<const char16_t*>(path), version)) return false;
  if ((static_cast<uint32_t>(version[0]) << 16 | version[1]) < 0x00050050) return false;
  HWND frame = Windows().frame;
  SendMessageA(frame, CCM_SETUNICODEFORMAT, on ? 1 : 0, 0);
  *answer = SendMessageA(frame, CCM_GETUNICODEFORMAT, 0, 0) != 0;
  return true;
}

}  // namespace platform
