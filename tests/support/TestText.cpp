#include "tests/support/TestText.h"

#include "platform/Platform.h"
#include "platform/Utf8.h"

std::u16string U16(const std::string& utf8) { return Utf8ToUtf16(utf8); }
std::string U8(const std::u16string& text) { return Utf16ToUtf8(text.c_str()); }
std::string U8(const char16_t* text) { return Utf16ToUtf8(text); }

std::u16string UiText(unsigned id) {
  char16_t text[1024];
  if (platform::LoadUiString(id, text, 1024) == 0) return u"";
  return text;
}
