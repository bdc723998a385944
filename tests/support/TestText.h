// Small text helpers for tests: UTF-8 literals to UTF-16 and back, UI strings.
#pragma once

#include <ostream>
#include <string>

std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& text);
std::string U8(const char16_t* text);

// The UI string of an id ("" when the table has none).
std::u16string UiText(unsigned id);

// Lets gtest print UTF-16 strings readably.
inline void PrintTo(const std::u16string& s, std::ostream* os) { *os << '"' << U8(s) << '"'; }
