#include "shell/win32/StatusFields.h"

#include <cwchar>

#include "platform/TextUtils.h"
#include "platform/win32/AppWindows.h"

namespace {

bool IsPageToolbar(HWND window) {
  HWND page = Windows().pageWindow;
  if (!HoldsWindow(page) || GetParent(window) != page) return false;
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return std::wcscmp(name, L"OwnToolbar") == 0;
}

// The window that holds the field's text.
HWND FieldWindow(HWND window, int field) {
  if (window == Windows().scoreToolbar &&
      (field == kScoreCounterPages || field == kScoreCounterCurrent))
    return GetDlgItem(window, field);
  return window;
}

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

void SetStatusField(HWND window, int field, const char16_t* text) {
  if (!HoldsWindow(window) || !IsWindow(window)) return;
  if (!text) text = u"";
  if (field == kPageToolbarTextField && IsPageToolbar(window)) {
    SendMessageW(window, kPageToolbarSetText, 0, reinterpret_cast<LPARAM>(text));
    return;
  }
  HWND target = FieldWindow(window, field);
  if (!target) return;
  SetWindowTextW(target, Wide(text));
  InvalidateRect(target, nullptr, TRUE);
}

void GetStatusField(HWND window, int field, char16_t* out, int capacity) {
  if (capacity < 1) return;
  out[0] = 0;
  if (!HoldsWindow(window) || !IsWindow(window)) return;
  HWND target = FieldWindow(window, field);
  if (!target) return;
  int units = capacity < kStatusFieldUnits + 1 ? capacity : kStatusFieldUnits + 1;
  GetWindowTextW(target, reinterpret_cast<wchar_t*>(out), units);
}

void SetStatusNumber(HWND window, int field, int number) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", number);
  SetStatusField(window, field, reinterpret_cast<const char16_t*>(text));
}

int GetStatusNumber(HWND window, int field) {
  char16_t text[kStatusFieldUnits + 1];
  GetStatusField(window, field, text, kStatusFieldUnits + 1);
  return static_cast<int>(std::wcstol(reinterpret_cast<const wchar_t*>(text), nullptr, 10));
}
