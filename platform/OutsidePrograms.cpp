// Cadenzor and R8, the notation programs that scores can be handed to: found
// through their registry entries, once per run.
#include <string>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"

namespace {

using namespace platform::reg;

struct Detection {
  bool checked = false;
  bool found = false;
  double version = 0.0;
};

Detection& Cadenzor() {
  static Detection detection;
  return detection;
}

Detection& R8() {
  static Detection detection;
  return detection;
}

constexpr char16_t kVendorKeyName[] = u"Cadenzor Software";
constexpr char16_t kApplicationPathKeyName[] = u"ApplicationPath";
constexpr uint32_t kApplicationPathMaxBytes = 512;

// The unnamed value of <first existing of subkeys>\ApplicationPath under
// HKLM\SOFTWARE\Cadenzor Software; false when there is none.
bool ReadApplicationFolder(const char16_t* const* subkeys, std::u16string* folder) {
  Key software = 0, vendor = 0, program = 0, application = 0;
  bool read = false;
  if (OpenKey(kLocalMachine, kSoftwareKeyName, kAccessQuery, &software) == kOk) {
    if (OpenKey(software, kVendorKeyName, kAccessQuery, &vendor) == kOk) {
      for (; *subkeys && !program; ++subkeys)
        if (OpenKey(vendor, *subkeys, kAccessQuery, &program) != kOk) program = 0;
      if (program && OpenKey(program, kApplicationPathKeyName, kAccessQuery, &application) == kOk) {
        read = ReadText(application, nullptr, kApplicationPathMaxBytes, folder) == kOk;
        CloseKey(application);
      }
      if (program) CloseKey(program);
      CloseKey(vendor);
    }
    CloseKey(software);
  }
  return read;
}

Detection& Detect(Detection& detection, const char16_t* const* subkeys, const char16_t* fileName) {
  if (detection.checked) return detection;
  detection = Detection{};
  detection.checked = true;
  std::u16string path;
  if (!ReadApplicationFolder(subkeys, &path)) return detection;
  if (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) path.pop_back();
  path += u'\\';
  path += fileName;
  uint16_t major = 0, minor = 0, third = 0, fourth = 0;
  GetFileVersion(path.c_str(), &major, &minor, &third, &fourth);
  detection.found = true;
  detection.version = major;
  return detection;
}

const char16_t* const kCadenzorKeys[] = {u"Cadenzor 6", u"Cadenzor 5", u"Cadenzor 4", u"Cadenzor 3",
                                         u"Cadenzor 2", u"Cadenzor",   nullptr};
const char16_t* const kR8Keys[] = {u"R8", nullptr};

}  // namespace

int FindCadenzor() { return Detect(Cadenzor(), kCadenzorKeys, u"cadenzor.exe").found ? 1 : 0; }
int FindR8() { return Detect(R8(), kR8Keys, u"R8.exe").found ? 1 : 0; }
double CadenzorVersion() { return Detect(Cadenzor(), kCadenzorKeys, u"cadenzor.exe").version; }
double R8Version() { return Detect(R8(), kR8Keys, u"R8.exe").version; }

void ForgetOutsidePrograms() {
  Cadenzor() = Detection{};
  R8() = Detection{};
}

void GetFileVersion(const char16_t* path, uint16_t* major, uint16_t* minor, uint16_t* third, uint16_t* fourth) {
  uint16_t parts[4] = {0, 0, 0, 0};
  platform::GetFileVersion(path, parts);
  if (major) *major = parts[0];
  if (minor) *minor = parts[1];
  if (third) *third = parts[2];
  if (fourth) *fourth = parts[3];
}

bool IsWindowsXPOrLater() {
  platform::OsVersion version{};
  if (!platform::QueryOsVersion(&version)) return false;
  return version.platformId == 2 && (version.major > 5 || (version.major == 5 && version.minor >= 1));
}
