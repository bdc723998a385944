// The registry, as the settings and folder code see it. Win32: the real
// registry through the text-API layer. Native: an in-memory tree.
// Results are Windows error codes: 0 success, 2 not found, others failure.
#pragma once

#include <cstdint>

namespace platform::reg {

using Key = uintptr_t;
extern const Key kCurrentUser;
extern const Key kLocalMachine;

enum : uint32_t { kTypeSz = 1, kTypeBinary = 3, kTypeDword = 4 };
enum : uint32_t {
  kAccessQuery = 0x0001,
  kAccessRead = 0x20019,
  kAccessAll = 0x2001F,
};
enum : long { kOk = 0, kNotFound = 2, kAccessDenied = 5, kMoreData = 234 };

long OpenKey(Key parent, const char16_t* subkey, uint32_t access, Key* out);
// *created (when not null) tells whether the key is new.
long CreateKey(Key parent, const char16_t* subkey, uint32_t access, Key* out, bool* created);
long CloseKey(Key key);
// The value's bytes as stored. *size: capacity in, bytes stored out. A null
// name or "" is the key's unnamed value.
long QueryValue(Key key, const char16_t* name, uint32_t* type, void* data, uint32_t* size);
long SetValue(Key key, const char16_t* name, uint32_t type, const void* data, uint32_t size);
long DeleteValue(Key key, const char16_t* name);
// Deletes a key with everything below it (tests and stand-ins).
long DeleteKeyTree(Key parent, const char16_t* subkey);

// The ANSI calls, taken on both families where the program asks for them.
long OpenKeyAnsi(Key parent, const char* subkey, uint32_t access, Key* out);
long QueryValueAnsi(Key key, const char* name, uint32_t* type, void* data, uint32_t* size);

}  // namespace platform::reg
