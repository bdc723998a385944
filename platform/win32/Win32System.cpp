// System questions of the seam: special folders, the program file, file
// versions, free space and memory, the heap and the Windows version.
#include <windows.h>
#include <malloc.h>
#include <shlobj.h>

#include <vector>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "platform/Platform.h"

namespace platform {
namespace {

constexpr int kFolderChars = MAX_PATH;

bool CopyOut(const char16_t* text, char16_t* out, int capacity) {
  int n = 0;
  while (text[n]) ++n;
  if (n + 1 > capacity) return false;
  for (int i = 0; i <= n; ++i) out[i] = text[i];
  return true;
}

}  // namespace

bool GetSpecialFolder(SpecialFolder which, char16_t* out, int capacity) {
  int folder = which == SpecialFolder::MyDocuments ? CSIDL_PERSONAL : CSIDL_APPDATA;
  char16_t path[kFolderChars + 1] = {};
  HRESULT result = UniSHGetFolderPath(nullptr, folder, nullptr, 0, path, kFolderChars);
  bool found = result == S_OK;
  if (result == S_FALSE) found = UniSHGetSpecialFolderPath(nullptr, path, folder, FALSE, kFolderChars) != FALSE;
  return found && path[0] && CopyOut(path, out, capacity);
}

bool GetProgramFileName(char16_t* out, int capacity) {
  if (capacity < 1) return false;
  DWORD length = UniGetModuleFileName(nullptr, out, static_cast<DWORD>(capacity));
  if (length == 0 || length >= static_cast<DWORD>(capacity)) {
    out[0] = 0;
    return false;
  }
  return true;
}

bool GetFileVersion(const char16_t* path, uint16_t parts[4]) {
  parts[0] = parts[1] = parts[2] = parts[3] = 0;
  DWORD handle = 0;
  DWORD size = UniGetFileVersionInfoSize(path, &handle);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!UniGetFileVersionInfo(path, 0, size, block.data())) return false;
  void* value = nullptr;
  UINT valueSize = 0;
  if (!UniVerQueryValue(block.data(), u"\\", &value, &valueSize) || !value || valueSize < sizeof(VS_FIXEDFILEINFO))
    return false;
  const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  parts[0] = HIWORD(fixed->dwFileVersionMS);
  parts[1] = LOWORD(fixed->dwFileVersionMS);
  parts[2] = HIWORD(fixed->dwFileVersionLS);
  parts[3] = LOWORD(fixed->dwFileVersionLS);
  return true;
}

uint64_t FreeDiscSpace(const char16_t* folder) {
  ULARGE_INTEGER available = {};
  BOOL found = FALSE;
  if (IsWindowsNT()) {
    found = GetDiskFreeSpaceExW(reinterpret_cast<const wchar_t*>(folder), &available, nullptr, nullptr);
  } else {
    CTempAnsi ansi(folder);
    found = GetDiskFreeSpaceExA(GetFirstMember(ansi), &available, nullptr, nullptr);
  }
  return found ? available.QuadPart : 0;
}

uint64_t FreeMemory() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
}

bool IsHeapValid() {
  return HeapValidate(GetProcessHeap(), 0, nullptr) != FALSE && _heapchk() == _HEAPOK;
}

bool QueryOsVersion(OsVersion* version) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);  // 148
  if (!GetVersionExA(&info)) return false;
  version->platformId = info.dwPlatformId;
  version->major = info.dwMajorVersion;
  version->minor = info.dwMinorVersion;
  return true;
}

}  // namespace platform
