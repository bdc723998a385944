// Text values of the registry in the platform's form: UTF-16 with its NUL on
// the NT family, an ANSI copy with its NUL on 9x.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace platform::reg {

enum : long { kWrongType = 1804 };  // ERROR_INVALID_DATATYPE: the value is not text

// The UI strings that report registry failures.
enum : unsigned {
  kStringCantOpenRegistry = 10221,
  kStringCantAccessRegistry = 10222,
  kStringCantReadRegistry = 10224,
};

// Reads a text value (REG_SZ or REG_EXPAND_SZ) of at most maxBytes bytes as
// stored. The text ends at its first NUL or at the end of the data, so a
// value stored without its NUL reads whole. kOk, the registry's error
// (kNotFound, kMoreData when the value is larger), or kWrongType.
long ReadText(Key key, const char16_t* name, uint32_t maxBytes, std::u16string* text);
// Writes REG_SZ in the platform's form.
long WriteText(Key key, const char16_t* name, const char16_t* text);

}  // namespace platform::reg
