// Text-out wrappers: on 9x the ANSI call writes into an ANSI buffer large
// enough for any text that fits the caller's wide buffer, and the text is
// converted back into the caller's buffer (at most its count, NUL-ended).
#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

#include <shlobj.h>

namespace {

// A length that the ANSI call returned, as characters of the wide buffer.
int LengthInChars(int ansiResult, CTextOutBuffer& buffer) {
  int written = buffer.Finish();
  return ansiResult > 0 ? written : ansiResult;
}

using GetFolderPathW = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using GetFolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

// SHGetFolderPath lives in the shell of newer systems and in the shell-folder
// library that older ones receive with their updates.
FARPROC FindFolderPathCall(const char* name) {
  if (HMODULE shell = GetModuleHandleW(L"shell32.dll"))
    if (FARPROC call = GetProcAddress(shell, name)) return call;
  static HMODULE folderLibrary = LoadLibraryInActCtx(u"shfolder.dll");
  return folderLibrary ? GetProcAddress(folderLibrary, name) : nullptr;
}

}  // namespace

DWORD UniGetModuleFileName(HMODULE module, char16_t* out, DWORD count) {
  if (IsWindowsNT()) return GetModuleFileNameW(module, Wide(out), count);
  CTextOutBuffer buffer(out, static_cast<int>(count));
  DWORD result = GetModuleFileNameA(module, buffer.Ansi(), static_cast<DWORD>(buffer.CountForCall()));
  if (result == 0 || !out) return result;
  int written = buffer.Finish();
  return buffer.Truncated() ? count : static_cast<DWORD>(written);
}

int UniLoadString(HINSTANCE instance, UINT id, char16_t* out, int count) {
  if (IsWindowsNT()) return LoadStringW(instance, id, Wide(out), count);
  CTextOutBuffer buffer(out, count);
  int result = LoadStringA(instance, id, buffer.Ansi(), buffer.CountForCall());
  return LengthInChars(result, buffer);
}

HRESULT UniSHGetFolderPath(HWND owner, int folder, HANDLE token, DWORD flags, char16_t* out, int count) {
  if (IsWindowsNT()) {
    auto call = ProcAs<GetFolderPathW>(FindFolderPathCall("SHGetFolderPathW"));
    return call ? call(owner, folder, token, flags, Wide(out)) : E_NOTIMPL;
  }
  auto call = ProcAs<GetFolderPathA>(FindFolderPathCall("SHGetFolderPathA"));
  if (!call) return E_NOTIMPL;
  CTextOutBuffer buffer(out, count);
  HRESULT result = call(owner, folder, token, flags, buffer.Ansi());
  buffer.Finish();
  return result;
}

BOOL UniSHGetSpecialFolderPath(HWND owner, char16_t* out, int folder, BOOL create, int count) {
  if (IsWindowsNT()) return SHGetSpecialFolderPathW(owner, Wide(out), folder, create);
  CTextOutBuffer buffer(out, count);
  BOOL result = SHGetSpecialFolderPathA(owner, buffer.Ansi(), folder, create);
  buffer.Finish();
  return result;
}

UINT UniDragQueryFile(HDROP drop, UINT index, char16_t* out, UINT count) {
  if (IsWindowsNT()) return DragQueryFileW(drop, index, Wide(out), count);
  CTextOutBuffer buffer(out, static_cast<int>(count));
  UINT result = DragQueryFileA(drop, index, buffer.Ansi(), static_cast<UINT>(buffer.CountForCall()));
  if (!out || index == 0xFFFFFFFF) return result;  // a count of files or a needed length
  return static_cast<UINT>(LengthInChars(static_cast<int>(result), buffer));
}

int UniGetMenuString(HMENU menu, UINT item, char16_t* out, int count, UINT flags) {
  if (IsWindowsNT()) return GetMenuStringW(menu, item, Wide(out), count, flags);
  CTextOutBuffer buffer(out, count);
  int result = GetMenuStringA(menu, item, buffer.Ansi(), buffer.CountForCall(), flags);
  if (!out) return result;
  return LengthInChars(result, buffer);
}

int UniGetWindowText(HWND window, char16_t* out, int count) {
  if (IsWindowsNT()) return GetWindowTextW(window, Wide(out), count);
  CTextOutBuffer buffer(out, count);
  int result = GetWindowTextA(window, buffer.Ansi(), buffer.CountForCall());
  return LengthInChars(result, buffer);
}

UINT UniGetDlgItemText(HWND dialog, int item, char16_t* out, int count) {
  if (IsWindowsNT()) return GetDlgItemTextW(dialog, item, Wide(out), count);
  CTextOutBuffer buffer(out, count);
  UINT result = GetDlgItemTextA(dialog, item, buffer.Ansi(), buffer.CountForCall());
  return static_cast<UINT>(LengthInChars(static_cast<int>(result), buffer));
}

DWORD UniGetCurrentDirectory(DWORD count, char16_t* out) {
  if (IsWindowsNT()) return GetCurrentDirectoryW(count, Wide(out));
  CTextOutBuffer buffer(out, static_cast<int>(count));
  DWORD result = GetCurrentDirectoryA(static_cast<DWORD>(buffer.CountForCall()), buffer.Ansi());
  if (result == 0 || !out) return result;
  if (result > static_cast<DWORD>(buffer.CountForCall())) return result;  // too small: the size needed
  int written = buffer.Finish();
  return buffer.Truncated() ? static_cast<DWORD>(buffer.FullLength() + 1) : static_cast<DWORD>(written);
}
