// Which Windows family the program runs on, detected once per run, and the
// utility library's diagnostics options.
#pragma once

#include <cstdint>

#include "Code/Unicode/Utils/Str.h"

bool IsWindowsNT();
bool IsWindows9x();
uint32_t WindowsVersion();  // the version times 100

// The version value (times 100) and family for what the system reports.
struct DetectedVersion {
  bool nt;
  uint32_t version;
};
DetectedVersion MapOsVersion(uint32_t platformId, uint32_t major, uint32_t minor);

// Runs detection (again): the diagnostics option "Version" of category
// "Unicode" may force the family. Normally called on the first question.
void DetectWindowsVersion();
// Forgets the detection, so that the next question detects again (tests).
void ResetWindowsVersionForTest();

enum DiagnosticsCategory : int {
  kDiagMiscellaneous = 0,
  kDiagFloatingPoint = 1,
  kDiagUnicode = 2,
  kDiagRichEdit = 3,
  kDiagWindowsOptions = 4,
  kDiagFontHandling = 5,
  kDiagStartupLog = 6,
};
// The option's text, or the empty string (also when the key path cannot be
// converted to its code page).
CStr ReadDiagnosticsOption(int category, const CStr& optionName);

// A printf-style message (at most 500 characters) in a task-modal
// information box without owner, caption "Message".
void ShowDebugMessage(const char16_t* format, ...);
