// Text-in wrappers of resources and window texts. A resource name may be an
// id (MAKEINTRESOURCE): it reaches the ANSI call unchanged.
#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

HMENU UniLoadMenu(HINSTANCE instance, const char16_t* name) {
  if (IsWindowsNT()) return LoadMenuW(instance, Wide(name));
  CTempAnsi ansi(name);
  return LoadMenuA(instance, Ansi(ansi));
}

HICON UniLoadIcon(HINSTANCE instance, const char16_t* name) {
  if (IsWindowsNT()) return LoadIconW(instance, Wide(name));
  CTempAnsi ansi(name);
  return LoadIconA(instance, Ansi(ansi));
}

HCURSOR UniLoadCursor(HINSTANCE instance, const char16_t* name) {
  if (IsWindowsNT()) return LoadCursorW(instance, Wide(name));
  CTempAnsi ansi(name);
  return LoadCursorA(instance, Ansi(ansi));
}

HBITMAP UniLoadBitmap(HINSTANCE instance, const char16_t* name) {
  if (IsWindowsNT()) return LoadBitmapW(instance, Wide(name));
  CTempAnsi ansi(name);
  return LoadBitmapA(instance, Ansi(ansi));
}

HANDLE UniLoadImage(HINSTANCE instance, const char16_t* name, UINT type, int width, int height, UINT flags) {
  if (IsWindowsNT()) return LoadImageW(instance, Wide(name), type, width, height, flags);
  CTempAnsi ansi(name);
  return LoadImageA(instance, Ansi(ansi), type, width, height, flags);
}

HACCEL UniLoadAccelerators(HINSTANCE instance, const char16_t* name) {
  if (IsWindowsNT()) return LoadAcceleratorsW(instance, Wide(name));
  CTempAnsi ansi(name);
  return LoadAcceleratorsA(instance, Ansi(ansi));
}

BOOL UniSetWindowText(HWND window, const char16_t* text) {
  if (IsWindowsNT()) return SetWindowTextW(window, Wide(text));
  CTempAnsi ansi(text);
  return SetWindowTextA(window, Ansi(ansi));
}

BOOL UniSetDlgItemText(HWND dialog, int item, const char16_t* text) {
  if (IsWindowsNT()) return SetDlgItemTextW(dialog, item, Wide(text));
  CTempAnsi ansi(text);
  return SetDlgItemTextA(dialog, item, Ansi(ansi));
}
