// Text-in wrappers of the kernel, registry, version and shell calls: on 9x
// every text argument goes to the ANSI call as a temporary ANSI copy.

#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

void UniOutputDebugString(const char16_t* text) {
  if (IsWindowsNT()) return OutputDebugStringW(Wide(text));
  CTempAnsi ansi(text);
  OutputDebugStringA(Ansi(ansi));
}

DWORD UniGetFileVersionInfoSize(const char16_t* file, DWORD* handle) {
  if (IsWindowsNT()) return GetFileVersionInfoSizeW(Wide(file), handle);
  CTempAnsi ansi(file);
  return GetFileVersionInfoSizeA(Ansi(ansi), handle);
}

BOOL UniGetFileVersionInfo(const char16_t* file, DWORD handle, DWORD size, void* data) {
  if (IsWindowsNT()) return GetFileVersionInfoW(Wide(file), handle, size, data);
  CTempAnsi ansi(file);
  return GetFileVersionInfoA(Ansi(ansi), handle, size, data);
}

BOOL UniVerQueryValue(const void* block, const char16_t* subBlock, void** value, UINT* size) {
  if (IsWindowsNT()) return VerQueryValueW(block, Wide(subBlock), value, size);
  CTempAnsi ansi(subBlock);
  return VerQueryValueA(block, Ansi(ansi), value, size);
}

HINSTANCE UniShellExecute(HWND window, const char16_t* operation, const char16_t* file,
                          const char16_t* parameters, const char16_t* directory, int show) {
  if (IsWindowsNT())
    return ShellExecuteW(window, Wide(operation), Wide(file), Wide(parameters), Wide(directory), show);
  CTempAnsi ansiOperation(operation), ansiFile(file), ansiParameters(parameters), ansiDirectory(directory);
  return ShellExecuteA(window, Ansi(ansiOperation), Ansi(ansiFile), Ansi(ansiParameters), Ansi(ansiDirectory),
                       show);
}

BOOL UniCopyFile(const char16_t* from, const char16_t* to, BOOL failIfExists) {
  if (IsWindowsNT()) return CopyFileW(Wide(from), Wide(to), failIfExists);
  CTempAnsi ansiFrom(from), ansiTo(to);
  return CopyFileA(Ansi(ansiFrom), Ansi(ansiTo), failIfExists);
}

LONG UniRegCreateKeyEx(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* className, DWORD options,
                       REGSAM access, SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition) {
  if (IsWindowsNT())
    return RegCreateKeyExW(key, Wide(subKey), reserved, Wide(className), options, access, security, result,
                           disposition);
  CTempAnsi ansiSubKey(subKey), ansiClass(className);
  return RegCreateKeyExA(key, Ansi(ansiSubKey), reserved, const_cast<char*>(Ansi(ansiClass)), options, access,
                         security, result, disposition);
}

LONG UniRegOpenKeyEx(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result) {
  if (IsWindowsNT()) return RegOpenKeyExW(key, Wide(subKey), options, access, result);
  CTempAnsi ansi(subKey);
  return RegOpenKeyExA(key, Ansi(ansi), options, access, result);
}

LONG UniRegSetValueEx(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  if (IsWindowsNT()) return RegSetValueExW(key, Wide(name), reserved, type, data, size);
  CTempAnsi ansi(name);
  return RegSetValueExA(key, Ansi(ansi), reserved, type, data, size);
}

LONG UniRegQueryValueEx(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) {
  if (IsWindowsNT()) return RegQueryValueExW(key, Wide(name), reserved, type, data, size);
  CTempAnsi ansi(name);
  return RegQueryValueExA(key, Ansi(ansi), reserved, type, data, size);
}

HMODULE UniGetModuleHandle(const char16_t* name) {
  if (IsWindowsNT()) return GetModuleHandleW(Wide(name));
  CTempAnsi ansi(name);
  return GetModuleHandleA(Ansi(ansi));
}

HANDLE UniCreateMutex(SECURITY_ATTRIBUTES* security, BOOL initialOwner, const char16_t* name) {
  if (IsWindowsNT()) return CreateMutexW(security, initialOwner, Wide(name));
  CTempAnsi ansi(name);
  return CreateMutexA(security, initialOwner, Ansi(ansi));
}

UINT UniRegisterWindowMessage(const char16_t* name) {
  if (IsWindowsNT()) return RegisterWindowMessageW(Wide(name));
  CTempAnsi ansi(name);
  return RegisterWindowMessageA(Ansi(ansi));
}

int UniCompareString(LCID locale, DWORD flags, const char16_t* a, int lengthA, const char16_t* b, int lengthB) {
  if (IsWindowsNT()) return CompareStringW(locale, flags, Wide(a), lengthA, Wide(b), lengthB);
  // The copies are NUL-ended: byte lengths need not be worked out.
  CTempAnsi ansiA(lengthA == 0 ? u"" : a, lengthA), ansiB(lengthB == 0 ? u"" : b, lengthB);
  return CompareStringA(locale, flags, Ansi(ansiA), -1, Ansi(ansiB), -1);
}

BOOL UniRemoveDirectory(const char16_t* path) {
  if (IsWindowsNT()) return RemoveDirectoryW(Wide(path));
  CTempAnsi ansi(path);
  return RemoveDirectoryA(Ansi(ansi));
}
