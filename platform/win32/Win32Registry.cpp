// The registry of the seam over the text-API layer. Value data passes and
// returns as stored: text in the ANSI code page on 9x.
#include <windows.h>
#include <shlwapi.h>

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

// A value query through query(stored type, data size or null): the size in
// and out and the type out only where the caller asked for them.
template <typename Query>
long QueryInto(uint32_t* type, uint32_t* size, Query query) {
  DWORD storedType = 0;
  DWORD bytes = size ? *size : 0;
  LONG result = query(&storedType, size ? &bytes : nullptr);
  if (type) *type = storedType;
  if (size) *size = bytes;
  return result;
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
  return QueryInto(type, size, [&](DWORD* storedType, DWORD* bytes) {
    return UniRegQueryValueEx(ToHkey(key), name, nullptr, storedType, static_cast<BYTE*>(data), bytes);
  });
}

long SetValue(Key key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  return UniRegSetValueEx(ToHkey(key), name, 0, type, static_cast<const BYTE*>(data), size);
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
  return QueryInto(type, size, [&](DWORD* storedType, DWORD* bytes) {
    return RegQueryValueExA(ToHkey(key), name, nullptr, storedType, static_cast<BYTE*>(data), bytes);
  });
}

}  // namespace platform::reg
