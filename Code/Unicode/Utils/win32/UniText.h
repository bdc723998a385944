// Small pieces shared by the wrapper files: the wide views of UTF-16 text and
// the ANSI pointer of a holder.
#pragma once

#include <windows.h>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"

inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char* Ansi(const CTempAnsi& holder) { return GetFirstMember(holder); }
inline char* Ansi(const CAnsiOutBuf& holder) { return GetFirstMember(holder); }

// A procedure found with GetProcAddress, as the type it has.
template <typename Call>
Call ProcAs(FARPROC proc) {
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(proc));
}
