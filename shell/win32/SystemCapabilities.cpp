#include "shell/win32/SystemCapabilities.h"

SystemCapabilities& Capabilities() {
  static SystemCapabilities capabilities;
  return capabilities;
}

namespace {

FARPROC LookUp(const char* name) {
  HMODULE user = LoadLibraryA("USER32.DLL");
  if (!user) return nullptr;
  FARPROC address = GetProcAddress(user, name);
  // USER32 stays loaded by the program itself, so the address outlives this.
  FreeLibrary(user);
  return address;
}

}  // namespace

void ProbeSystemCapabilities() {
  SystemCapabilities& c = Capabilities();
  c = SystemCapabilities();
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5) {
    c.setLayeredWindowAttributes =
        reinterpret_cast<SetLayeredWindowAttributesProc>(LookUp("SetLayeredWindowAttributes"));
    c.layeredWindows = c.setLayeredWindowAttributes != nullptr;
  }
  if (version.dwMajorVersion * 256 + version.dwMinorVersion >= 0x410) {
    c.monitorFromPoint = reinterpret_cast<MonitorFromPointProc>(LookUp("MonitorFromPoint"));
    c.getMonitorInfoA = reinterpret_cast<GetMonitorInfoAProc>(LookUp("GetMonitorInfoA"));
  }
}
