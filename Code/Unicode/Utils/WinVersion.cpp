// Which Windows family the program runs on, and the diagnostics options of
// the utility library, read from the machine's registry.
#include "Code/Unicode/Utils/WinVersion.h"

#include <cstdarg>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/TextUtils.h"

namespace {

struct WindowsVersionInfo {
  bool nt = false;
  uint32_t version = 400;
  bool detected = false;
};
WindowsVersionInfo g_windows;

const char16_t* const kDiagnosticsCategories[] = {
    u"Miscellaneous", u"FloatingPoint", u"Unicode",     u"RichEdit",
    u"WindowsOptions", u"FontHandling", u"StartupLog",
};
constexpr int kDiagnosticsCategoryCount = sizeof(kDiagnosticsCategories) / sizeof(kDiagnosticsCategories[0]);
const char16_t kDiagnosticsRoot[] = u"Software\\Cadenzor Software\\CadenzorDiagnostics\\";
constexpr uint32_t kOptionBytes = 260;

const char16_t kDebugMessageCaption[] = u"Message";
constexpr int kDebugMessageChars = 500;
const char16_t kForcedWin9xMessage[] = u"Running as a Windows 95 (Win9x) Application";

void EnsureDetected() {
  if (!g_windows.detected) DetectWindowsVersion();
}

}  // namespace

bool IsWindowsNT() {
  EnsureDetected();
  return g_windows.nt;
}

bool IsWindows9x() { return !IsWindowsNT(); }

uint32_t WindowsVersion() {
  EnsureDetected();
  return g_windows.version;
}

DetectedVersion MapOsVersion(uint32_t platformId, uint32_t major, uint32_t minor) {
  enum : uint32_t { kPlatformWindows = 1, kPlatformNT = 2 };
  if (platformId == kPlatformWindows) {
    if (minor == 0) return {false, 400};
    if (minor == 10) return {false, 410};
    return {false, 490};
  }
  if (platformId == kPlatformNT) {
    if (major == 3) return {true, 351};
    if (major == 4) return {true, 400};
    if (major == 5 && minor == 0) return {true, 500};
    return {true, 510};
  }
  return {false, 400};
}

void DetectWindowsVersion() {
  g_windows.detected = true;
  g_windows.nt = false;
  g_windows.version = 400;

  CStr forced = ReadDiagnosticsOption(kDiagUnicode, CStr(u"Version"));
  if (forced.IsEmpty() || forced.Equals(u"Default")) {
    platform::OsVersion os{};
    if (!platform::QueryOsVersion(&os)) return;
    DetectedVersion found = MapOsVersion(os.platformId, os.major, os.minor);
    g_windows.nt = found.nt;
    g_windows.version = found.version;
  } else if (forced.Equals(u"Win9X")) {
    ShowDebugMessage(kForcedWin9xMessage);
  } else if (forced.Equals(u"WinNT")) {
    g_windows.nt = true;
    g_windows.version = 500;
  }
}

void ResetWindowsVersionForTest() { g_windows = WindowsVersionInfo(); }

CStr ReadDiagnosticsOption(int category, const CStr& optionName) {
  if (category < 0 || category >= kDiagnosticsCategoryCount) return CStr();
  CStr path = CStr(kDiagnosticsRoot).Concat(kDiagnosticsCategories[category]).Concat(u"\\") + optionName;

  CStrA ansiPath;
  try {
    ansiPath = CStrA::FromWide(path.Text(), 0);
  } catch (const Exception&) {
    return CStr();  // the key path has no form in its code page: no option
  }

  platform::reg::Key key = 0;
  if (platform::reg::OpenKeyAnsi(platform::reg::kLocalMachine, ansiPath.Text(),
                                 platform::reg::kAccessQuery, &key) != platform::reg::kOk)
    return CStr();
  char value[kOptionBytes + 1] = {};
  uint32_t type = 0;
  uint32_t size = kOptionBytes;
  long read = platform::reg::QueryValueAnsi(key, nullptr, &type, value, &size);
  long closed = platform::reg::CloseKey(key);
  if (read != platform::reg::kOk || type != platform::reg::kTypeSz || closed != platform::reg::kOk)
    return CStr();
  value[size < kOptionBytes ? size : kOptionBytes] = '\0';  // a stored value need not be NUL-ended
  CStr result;
  result.AssignAnsi(value);
  return result;
}

void ShowDebugMessage(const char16_t* format, ...) {
  char16_t text[kDebugMessageChars];
  va_list args;
  va_start(args, format);
  FormatWideV(text, kDebugMessageChars, format, args);
  va_end(args);
  platform::ShowMessageBox(text, kDebugMessageCaption, platform::kBoxIconInformation | platform::kBoxTaskModal);
}
