#include <windows.h>

#include <string>

#include "platform/Platform.h"
#include "tests/platform/RegistryTestSupport.h"

namespace regtest {

void ResetSeam() {}

std::vector<std::u16string> ValueNames(Key root, const char16_t* path) {
  std::vector<std::u16string> names;
  HKEY rootKey = root == platform::reg::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  HKEY key = nullptr;
  if (RegOpenKeyExW(rootKey, reinterpret_cast<const wchar_t*>(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(reinterpret_cast<const char16_t*>(name), length);
  }
  RegCloseKey(key);
  return names;
}

// The stand-in program built beside the tests, with a version resource of 6.2.0.0.
bool PlaceProgramWithVersion62(const std::u16string& path) {
  std::string built = KV_CADENZOR_STANDIN;  // a path of the build machine, seen through drive Z:
  std::u16string standIn = u"Z:";
  for (char c : built) standIn.push_back(c == '/' ? u'\\' : static_cast<char16_t>(c));
  return platform::CopyOneFile(standIn.c_str(), path.c_str(), false);
}

}  // namespace regtest

namespace regtest {

namespace {
const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}

DocumentsFolderAt::DocumentsFolderAt(const std::u16string& folder) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  wchar_t old[1024];
  DWORD type = 0, size = sizeof old - sizeof(wchar_t);
  if (RegQueryValueExW(key, L"Personal", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    old[size / sizeof(wchar_t)] = 0;
    saved_ = reinterpret_cast<const char16_t*>(old);
    savedType_ = type;
    hadSaved_ = true;
  }
  RegSetValueExW(key, L"Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
}

DocumentsFolderAt::~DocumentsFolderAt() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  if (hadSaved_)
    RegSetValueExW(key, L"Personal", 0, savedType_, reinterpret_cast<const BYTE*>(saved_.c_str()),
                   static_cast<DWORD>((saved_.size() + 1) * sizeof(char16_t)));
  else
    RegDeleteValueW(key, L"Personal");
  RegCloseKey(key);
}

}  // namespace regtest

namespace regtest {

void RemoveIfEmpty(Key root, const char16_t* path) {
  HKEY rootKey = root == platform::reg::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  HKEY key = nullptr;
  if (RegOpenKeyExW(rootKey, reinterpret_cast<const wchar_t*>(path), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD subkeys = 1, values = 1;
  bool empty = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
               subkeys == 0 && values == 0;
  RegCloseKey(key);
  if (empty) RegDeleteKeyW(rootKey, reinterpret_cast<const wchar_t*>(path));
}

}  // namespace regtest
