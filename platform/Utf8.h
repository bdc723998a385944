// UTF-16 to UTF-8 and back (unpaired surrogates and bad sequences become U+FFFD).
#pragma once

#include <string>

std::string Utf16ToUtf8(const char16_t* text);
std::u16string Utf8ToUtf16(const std::string& text);
