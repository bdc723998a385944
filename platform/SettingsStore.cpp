// The registry store under which both settings sections lie.
#include <cstring>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/RegistryText.h"
#include "platform/Settings.h"
#include "platform/TextUtils.h"

using namespace platform::reg;

namespace {

SettingsKeys& Keys() {
  static SettingsKeys keys;
  return keys;
}

char16_t g_text[kRegStringChars];

constexpr char16_t kTrue[] = u"True";
constexpr char16_t kFalse[] = u"False";
constexpr char16_t kErrorFormat[] = u"%s - Err %d";

void CloseIfOpen(Key* key) {
  if (*key) CloseKey(*key);
  *key = 0;
}

void CloseSettingsKeys() {
  SettingsKeys& keys = Keys();
  CloseIfOpen(&keys.section);
  CloseIfOpen(&keys.settings);
  CloseIfOpen(&keys.product);
  CloseIfOpen(&keys.company);
  CloseIfOpen(&keys.software);
}

void ShowRegistryError(unsigned textId, long error) {
  char16_t text[64];
  char16_t message[256];
  LoadUiString(textId, text, 64);
  FormatWide(message, 256, kErrorFormat, text, static_cast<int>(error));
  ErrorBox(nullptr, message);
}

// Read and write access, or read access when that is refused.
bool CreateWritable(Key parent, const char16_t* name, Key* out) {
  if (CreateKey(parent, name, kAccessAll, out, nullptr) == kOk) return true;
  if (CreateKey(parent, name, kAccessRead, out, nullptr) == kOk) return true;
  *out = 0;
  return false;
}

}  // namespace

Key OpenSettingsKey(const char16_t* section, int perUser) {
  CloseSettingsKeys();
  if (!section) return 0;
  SettingsKeys& keys = Keys();
  Key root = perUser ? kCurrentUser : kLocalMachine;
  if (long error = OpenKey(root, kSoftwareKeyName, kAccessQuery, &keys.software)) {
    keys.software = 0;
    ShowRegistryError(kStringCantOpenRegistry, error);
    return 0;
  }
  if (long error = CreateKey(keys.software, kCompanyKeyName, kAccessQuery, &keys.company, nullptr)) {
    keys.company = 0;
    ShowRegistryError(kStringCantAccessRegistry, error);
    CloseSettingsKeys();
    return 0;
  }
  if (CreateKey(keys.company, kProductKeyName, kAccessQuery, &keys.product, nullptr) != kOk) {
    keys.product = 0;
    MessageById(nullptr, kStringCantAccessRegistry);
    CloseSettingsKeys();
    return 0;
  }
  if (!CreateWritable(keys.product, kSettingsKeyName, &keys.settings) ||
      !CreateWritable(keys.settings, section, &keys.section)) {
    MessageById(nullptr, kStringCantAccessRegistry);
    CloseSettingsKeys();
    return 0;
  }
  return keys.section;
}

const char16_t* ReadRegString(Key key, const char16_t* name, const char16_t* defaultText, int flag) {
  std::u16string text;
  long result = ReadText(key, name, kRegStringChars * 2, &text);
  if (result == kOk && text.size() < kRegStringChars) {
    CopyTextCut(g_text, kRegStringChars, text.c_str());
    return g_text;
  }
  CopyTextCut(g_text, kRegStringChars, defaultText ? defaultText : u"");
  if (result == kNotFound) WriteRegString(key, name, g_text, flag);
  return g_text;
}

long WriteRegString(Key key, const char16_t* name, const char16_t* text, int flag) {
  return WriteText(key, name, text);
}

uint32_t ReadRegDword(Key key, const char16_t* name, uint32_t defaultValue, int flag) {
  uint8_t bytes[4] = {0, 0, 0, 0};
  uint32_t type = 0;
  uint32_t size = sizeof bytes;
  long result = QueryValue(key, name, &type, bytes, &size);
  if (result == kOk && type == kTypeDword && size == sizeof bytes)
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  if (result == kNotFound) WriteRegDword(key, name, defaultValue, flag);
  return defaultValue;
}

long WriteRegDword(Key key, const char16_t* name, uint32_t value, int flag) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return SetValue(key, name, kTypeDword, bytes, sizeof bytes);
}

long ReadRegBinary(Key key, const char16_t* name, void* buffer, uint32_t size, const void* defaultData) {
  std::vector<uint8_t> bytes(size ? size : 1);
  uint32_t type = 0;
  uint32_t stored = size;
  long result = QueryValue(key, name, &type, bytes.data(), &stored);
  if (result == kOk && type == kTypeBinary && stored == size) {
    if (size) std::memcpy(buffer, bytes.data(), size);
    return kOk;
  }
  if (size) std::memcpy(buffer, defaultData, size);
  if (result == kNotFound) return WriteRegBinary(key, name, defaultData, size);
  return result == kOk ? kWrongType : result;
}

long WriteRegBinary(Key key, const char16_t* name, const void* data, uint32_t size) {
  return SetValue(key, name, kTypeBinary, data, size);
}

bool ReadRegTruth(Key key, const char16_t* name, bool defaultValue) {
  return CompareNoCase(ReadRegString(key, name, defaultValue ? kTrue : kFalse, 0), kTrue) == 0;
}

long WriteRegTruth(Key key, const char16_t* name, bool value) {
  return WriteRegString(key, name, value ? kTrue : kFalse, 0);
}
