#include "tests/platform/RegistryTestSupport.h"

#include <cstring>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Folders.h"

namespace regtest {

using namespace platform::reg;

namespace {

constexpr char16_t kVersionOptionPath[] = u"SOFTWARE\\Cadenzor Software\\CadenzorDiagnostics\\Unicode\\Version";

}  // namespace

void CleanRegistry() {
  DeleteKeyTree(kCurrentUser, kSettingsPath);
  DeleteKeyTree(kLocalMachine, kDataPathPath);
  for (const char16_t* program : {u"Cadenzor 6", u"Cadenzor 5", u"Cadenzor 4", u"Cadenzor 3", u"Cadenzor 2",
                                  u"Cadenzor", u"R8"})
    DeleteKeyTree(kLocalMachine, (std::u16string(kVendorPath) + u"\\" + program).c_str());
  for (const char16_t* parent : {u"SOFTWARE\\Cadenzor Software\\CadenzorDiagnostics\\Unicode",
                                 u"SOFTWARE\\Cadenzor Software\\CadenzorDiagnostics", kVendorPath,
                                 u"SOFTWARE\\Velmorant\\Korvalinde\\Settings", u"SOFTWARE\\Velmorant\\Korvalinde",
                                 u"SOFTWARE\\Velmorant"})
    RemoveIfEmpty(kLocalMachine, parent);
  RemoveIfEmpty(kCurrentUser, u"SOFTWARE\\Velmorant\\Korvalinde");
  RemoveIfEmpty(kCurrentUser, u"SOFTWARE\\Velmorant");
  ResetSeam();
  DetectWindowsVersion();
  ForgetOutsidePrograms();
}

void SetRaw(Key root, const std::u16string& path, const char16_t* name, uint32_t type, const void* data,
            uint32_t size) {
  Key key = 0;
  if (CreateKey(root, path.c_str(), kAccessAll, &key, nullptr) != kOk) return;
  SetValue(key, name, type, data, size);
  CloseKey(key);
}

void SetText(Key root, const std::u16string& path, const char16_t* name, const std::u16string& text) {
  SetRaw(root, path, name, kTypeSz, text.c_str(), static_cast<uint32_t>(2 * (text.size() + 1)));
}

void SetDword(Key root, const std::u16string& path, const char16_t* name, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  SetRaw(root, path, name, kTypeDword, bytes, 4);
}

bool GetRaw(Key root, const std::u16string& path, const char16_t* name, uint32_t* type, std::vector<uint8_t>* data) {
  Key key = 0;
  if (OpenKey(root, path.c_str(), kAccessRead, &key) != kOk) return false;
  uint32_t size = 0;
  bool found = QueryValue(key, name, type, nullptr, &size) == kOk;
  data->assign(size, 0);
  if (found && size) found = QueryValue(key, name, type, data->data(), &size) == kOk;
  CloseKey(key);
  return found;
}

std::u16string GetText(Key root, const std::u16string& path, const char16_t* name) {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (!GetRaw(root, path, name, &type, &data)) return u"<missing>";
  std::u16string text(data.size() / 2, u'\0');
  if (!text.empty()) std::memcpy(&text[0], data.data(), text.size() * 2);
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

uint32_t GetDword(Key root, const std::u16string& path, const char16_t* name) {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  if (!GetRaw(root, path, name, &type, &data) || data.size() != 4) return 0xDEADBEEF;
  return data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

bool KeyExists(Key root, const std::u16string& path) {
  Key key = 0;
  if (OpenKey(root, path.c_str(), kAccessRead, &key) != kOk) return false;
  CloseKey(key);
  return true;
}

RunAs9x::RunAs9x() {
  SetText(kLocalMachine, kVersionOptionPath, nullptr, u"Win9X");
  DetectWindowsVersion();
}

RunAs9x::~RunAs9x() {
  DeleteKeyTree(kLocalMachine, kVersionOptionPath);
  DetectWindowsVersion();
}

}  // namespace regtest
