// The registry of the seam over the text-API layer. On 9x the registry keeps
// strings in the ANSI code page; the seam still takes and gives UTF-16.
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "platform/Registry.h"

namespace platform::reg {

// The predefined keys, as constants (HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE
// are sign-extended 32-bit values).
const Key kCurrentUser = static_cast<Key>(static_cast<intptr_t>(static_cast<int32_t>(0x80000001u)));
const Key kLocalMachine = static_cast<Key>(static_cast<intptr_t>(static_cast<int32_t>(0x80000002u)));

namespace {

HKEY ToHkey(Key key) { return reinterpret_cast<HKEY>(key); }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The stored bytes, as the registry has them.
long QueryStored(HKEY key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  DWORD storedType = 0;
  DWORD bytes = size ? *size : 0;
  LONG result = UniRegQueryValueEx(key, name, nullptr, &storedType, static_cast<BYTE*>(data), size ? &bytes : nullptr);
  if (type) *type = storedType;
  if (size) *size = bytes;
  return result;
}

// 9x: an ANSI string value handed out as UTF-16 with its NUL.
long QueryAnsiText(HKEY key, const char16_t* name, DWORD storedBytes, void* data, uint32_t* size) {
  std::vector<char> ansi(static_cast<size_t>(storedBytes) + 1, '\0');
  DWORD type = 0;
  DWORD bytes = storedBytes;
  LONG result = UniRegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(ansi.data()), &bytes);
  if (result != ERROR_SUCCESS) return result;
  ansi[bytes < storedBytes ? bytes : storedBytes] = '\0';
  CPlatformText text;
  text.Wrap(ansi.data());
  CStr wide = text.ToStr();
  uint32_t needed = (wide.Length() + 1) * sizeof(char16_t);
  uint32_t capacity = size ? *size : 0;
  if (size) *size = needed;
  if (!data) return kOk;
  if (capacity < needed) return kMoreData;
  std::char_traits<char16_t>::copy(static_cast<char16_t*>(data), wide.Text(), wide.Length() + 1);
  return kOk;
}

}  // namespace

long OpenKey(Key parent, const char16_t* subkey, uint32_t access, Key* out) {
  HKEY key = nullptr;
  LONG result = UniRegOpenKeyEx(ToHkey(parent), subkey, 0, access, &key);
  *out = result == ERROR_SUCCESS ? reinterpret_cast<Key>(key) : 0;
  return result;
}

long CreateKey(Key parent, const char16_t* subkey, uint32_t access, Key* out, bool* created) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = UniRegCreateKeyEx(ToHkey(parent), subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                  &key, &disposition);
  *out = result == ERROR_SUCCESS ? reinterpret_cast<Key>(key) : 0;
  if (created) *created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return result;
}

long CloseKey(Key key) { return RegCloseKey(ToHkey(key)); }

long QueryValue(Key key, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  if (IsWindowsNT()) return QueryStored(ToHkey(key), name, type, data, size);
  DWORD storedType = 0;
  DWORD storedBytes = 0;
  LONG result = UniRegQueryValueEx(ToHkey(key), name, nullptr, &storedType, nullptr, &storedBytes);
  if (result != ERROR_SUCCESS) return result;
  if (!IsText(storedType)) return QueryStored(ToHkey(key), name, type, data, size);
  if (type) *type = storedType;
  return QueryAnsiText(ToHkey(key), name, storedBytes, data, size);
}

long SetValue(Key key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  if (IsWindowsNT() || !IsText(type) || !data)
    return UniRegSetValueEx(ToHkey(key), name, 0, type, static_cast<const BYTE*>(data), size);
  const char16_t* units = static_cast<const char16_t*>(data);
  size_t count = size / sizeof(char16_t);
  size_t length = 0;
  while (length < count && units[length]) ++length;
  std::u16string wide(units, length);
  CPlatformText text;
  text.FromWide(wide.c_str());
  const char* ansi = static_cast<const char*>(text.Get());
  if (!ansi) ansi = "";
  DWORD bytes = static_cast<DWORD>(std::char_traits<char>::length(ansi) + 1);
  return UniRegSetValueEx(ToHkey(key), name, 0, type, reinterpret_cast<const BYTE*>(ansi), bytes);
}

long DeleteValue(Key key, const char16_t* name) {
  if (IsWindowsNT()) return RegDeleteValueW(ToHkey(key), reinterpret_cast<const wchar_t*>(name));
  CTempAnsi ansi(name);
  return RegDeleteValueA(ToHkey(key), GetFirstMember(ansi));
}

long DeleteKeyTree(Key parent, const char16_t* subkey) {
  if (IsWindowsNT()) return static_cast<long>(SHDeleteKeyW(ToHkey(parent), reinterpret_cast<const wchar_t*>(subkey)));
  CTempAnsi ansi(subkey);
  return static_cast<long>(SHDeleteKeyA(ToHkey(parent), GetFirstMember(ansi)));
}

long OpenKeyAnsi(Key parent, const char* subkey, uint32_t access, Key* out) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(ToHkey(parent), subkey, 0, access, &key);
  *out = result == ERROR_SUCCESS ? reinterpret_cast<Key>(key) : 0;
  return result;
}

long QueryValueAnsi(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  DWORD storedType = 0;
  DWORD bytes = size ? *size : 0;
  LONG result = RegQueryValueExA(ToHkey(key), name, nullptr, &storedType, static_cast<BYTE*>(data),
                                 size ? &bytes : nullptr);
  if (type) *type = storedType;
  if (size) *size = bytes;
  return result;
}

}  // namespace platform::reg
