// The common controls' wide-text switch on 9x: only the ANSI calls exist there.
#include "platform/win32/CommonControlsUnicode.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/win32/AppWindows.h"

namespace {

// The most significant file version word of the loaded COMCTL32.DLL; 0 when
// it cannot be read.
DWORD CommonControlsVersion() {
  HMODULE module = GetModuleHandleA("COMCTL32.DLL");
  if (!module) return 0;
  char path[MAX_PATH + 1] = {};
  if (GetModuleFileNameA(module, path, MAX_PATH) == 0) return 0;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return 0;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return 0;
  return info->dwFileVersionMS;
}

}  // namespace

bool SetCommonControlsUnicodeFormat(bool on, bool* answer) {
  if (CommonControlsVersion() < 0x00050050) return false;
  HWND frame = Windows().frame;
  SendMessageA(frame, CCM_SETUNICODEFORMAT, on ? 1 : 0, 0);
  *answer = SendMessageA(frame, CCM_GETUNICODEFORMAT, 0, 0) != 0;
  return true;
}
