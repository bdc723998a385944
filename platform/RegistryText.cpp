#include "platform/RegistryText.h"

#include <cstring>
#include <vector>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/TextUtils.h"

namespace platform::reg {
namespace {
enum : uint32_t { kTypeExpandSz = 2 };
}

long ReadText(Key key, const char16_t* name, uint32_t maxBytes, std::u16string* text) {
  text->clear();
  bool wide = IsWindowsNT();
  // One unit more than the value may fill, so that the text can always be ended.
  std::vector<char16_t> buffer(maxBytes / 2 + 2, u'\0');
  uint32_t type = 0;
  uint32_t size = maxBytes;
  long result = QueryValue(key, name, &type, buffer.data(), &size);
  if (result != kOk) return result;
  if (type != kTypeSz && type != kTypeExpandSz) return kWrongType;
  if (wide) {
    size_t units = size / 2;
    size_t length = 0;
    while (length < units && buffer[length] != 0) ++length;
    text->assign(buffer.data(), length);
  } else {
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    size_t length = 0;
    while (length < size && bytes[length] != 0) ++length;
    std::string ansi(bytes, length);
    *text = AnsiToWide(ansi.c_str());
  }
  return kOk;
}

long WriteText(Key key, const char16_t* name, const char16_t* text) {
  if (!text) text = u"";
  if (IsWindowsNT()) {
    size_t length = std::char_traits<char16_t>::length(text);
    return SetValue(key, name, kTypeSz, text, static_cast<uint32_t>(2 * (length + 1)));
  }
  std::string ansi = WideToAnsi(text);
  return SetValue(key, name, kTypeSz, ansi.c_str(), static_cast<uint32_t>(ansi.size() + 1));
}

}  // namespace platform::reg
