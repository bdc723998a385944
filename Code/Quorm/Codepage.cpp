#include "Code/Quorm/Codepage.h"

#include <cstring>

#include "Code/Quorm/Engerror.h"

const PrivateCodePageByte kPrivateCodePage[kPrivateCodePageSize] = {
    {0x81, "capital of the first private letter pair", nullptr, 0, 0x82, false, nullptr},
    {0x82, "small letter of the first private pair", nullptr, 0, 0, false, nullptr},
    {0x85, "capital of the second private letter pair", nullptr, 0, 0x86, false, nullptr},
    {0x86, "small letter of the second private pair", nullptr, 0, 0, false, nullptr},
    {0x87, "sharp", nullptr, '#', 0, true, "#"},
    {0x88, "flat", nullptr, 'b', 0, true, "b"},
    {0x8F, "mark the reader leaves out", nullptr, 0, 0, false, ""},
    {0x90, "opening single quote", nullptr, 0, 0, true, "'"},
    {0x91, "closing single quote", "'", 0, 0, true, "'"},
    {0x94, "opening double quote", nullptr, 0, 0, true, "\""},
    {0x95, "closing double quote", nullptr, 0, 0, true, "\""},
    {0x96, "dash", nullptr, 0, 0, true, nullptr},
    {0x9E, "fi ligature", "fi", 0, 0, true, "fi"},
    {0x9F, "fl ligature", "fl", 0, 0, true, "fl"},
};

const PrivateCodePageByte* FindPrivateCodePageByte(unsigned char c) {
  for (const PrivateCodePageByte& entry : kPrivateCodePage)
    if (entry.byte == c) return &entry;
  return nullptr;
}

int32_t WritePlainText(char* out, int32_t room, const char* text) {
  ENGINE_CHECK(out != nullptr && room >= 1);
  int32_t n = 0;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    const PrivateCodePageByte* own = FindPrivateCodePageByte(static_cast<unsigned char>(*p));
    const char* form = own != nullptr && own->written != nullptr ? own->written : nullptr;
    const int32_t length = form != nullptr ? static_cast<int32_t>(std::strlen(form)) : 1;
    if (n + length > room - 1) break;
    if (form != nullptr)
      std::memcpy(out + n, form, static_cast<size_t>(length));
    else
      out[n] = *p;
    n += length;
  }
  out[n] = '\0';
  return n;
}
