// Code-page conversions, the user's locale comparison and UI strings from
// the program's own module.
#include <windows.h>

#include "Code/Unicode/Utils/win32/Uni.h"
#include "platform/Platform.h"

namespace platform {

int WideToMultiByte(unsigned codePage, const char16_t* text, int length, char* out, int capacity) {
  return WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(text), length, out, capacity, nullptr,
                             nullptr);
}

int MultiByteToWide(unsigned codePage, const char* text, int length, char16_t* out, int capacity) {
  return MultiByteToWideChar(codePage, 0, text, length, reinterpret_cast<wchar_t*>(out), capacity);
}

int CompareUserLocale(const char16_t* a, const char16_t* b, bool ignoreCase) {
  int result = UniCompareString(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, a ? a : u"", -1,
                                b ? b : u"", -1);
  return result - CSTR_EQUAL;  // CSTR_LESS_THAN 1, CSTR_EQUAL 2, CSTR_GREATER_THAN 3
}

int LoadUiString(unsigned id, char16_t* out, int count) {
  int length = UniLoadString(GetModuleHandleW(nullptr), id, out, count);
  if (length <= 0 && out && count > 0) out[0] = 0;
  return length > 0 ? length : 0;
}

}  // namespace platform
