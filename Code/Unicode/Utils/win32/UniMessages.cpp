// Wrappers without text: the window procedure and message calls must match
// the family of the windows (wide windows on NT, ANSI windows on 9x).
#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

LRESULT UniCallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return CallWindowProcW(proc, window, message, wParam, lParam);
  return CallWindowProcA(proc, window, message, wParam, lParam);
}

LRESULT UniDefFrameProc(HWND frame, HWND mdiClient, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return DefFrameProcW(frame, mdiClient, message, wParam, lParam);
  return DefFrameProcA(frame, mdiClient, message, wParam, lParam);
}

LRESULT UniDefMDIChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return DefMDIChildProcW(window, message, wParam, lParam);
  return DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT UniDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return DefWindowProcW(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT UniDispatchMessage(const MSG* message) {
  if (IsWindowsNT()) return DispatchMessageW(message);
  return DispatchMessageA(message);
}

BOOL UniGetMessage(MSG* message, HWND window, UINT first, UINT last) {
  if (IsWindowsNT()) return GetMessageW(message, window, first, last);
  return GetMessageA(message, window, first, last);
}

BOOL UniPeekMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
  if (IsWindowsNT()) return PeekMessageW(message, window, first, last, remove);
  return PeekMessageA(message, window, first, last, remove);
}

LRESULT UniSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return SendMessageW(window, message, wParam, lParam);
  return SendMessageA(window, message, wParam, lParam);
}

BOOL UniPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return PostMessageW(window, message, wParam, lParam);
  return PostMessageA(window, message, wParam, lParam);
}

LRESULT UniSendDlgItemMessage(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindowsNT()) return SendDlgItemMessageW(dialog, item, message, wParam, lParam);
  return SendDlgItemMessageA(dialog, item, message, wParam, lParam);
}

LONG_PTR UniGetWindowLong(HWND window, int index) {
  if (IsWindowsNT()) return GetWindowLongPtrW(window, index);
  return GetWindowLongPtrA(window, index);
}

LONG_PTR UniSetWindowLong(HWND window, int index, LONG_PTR value) {
  if (IsWindowsNT()) return SetWindowLongPtrW(window, index, value);
  return SetWindowLongPtrA(window, index, value);
}

int UniTranslateAccelerator(HWND window, HACCEL table, MSG* message) {
  if (IsWindowsNT()) return TranslateAcceleratorW(window, table, message);
  return TranslateAcceleratorA(window, table, message);
}

UINT UniDdeInitialize(DWORD* instance, PFNCALLBACK callback, DWORD command, DWORD reserved) {
  if (IsWindowsNT()) return DdeInitializeW(instance, callback, command, reserved);
  return DdeInitializeA(instance, callback, command, reserved);
}
