// Registry and program stand-ins for the folder and settings tests. Natively
// they work on the in-memory registry; under Wine on the real one, where
// every key the tests make is removed before and after each test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "tests/support/BoxRecorder.h"

namespace regtest {

using platform::reg::Key;

constexpr char16_t kSettingsPath[] = u"SOFTWARE\\Velmorant\\Korvalinde\\Settings";
constexpr char16_t kGeneralPath[] = u"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\General settings";
constexpr char16_t kGlobalPath[] = u"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\Global settings";
constexpr char16_t kDataPathPath[] = u"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\DataPath";
constexpr char16_t kVendorPath[] = u"SOFTWARE\\Cadenzor Software";

// Removes the keys the tests use (natively: empties the registry and puts
// the machine's answers back) and forgets the outside programs found.
void CleanRegistry();

// The build's own part of CleanRegistry: natively the in-memory registry is
// emptied and the OS-version answer put back; nothing under Wine.
void ResetSeam();
// Removes a key that holds neither keys nor values (the empty parents the
// tests leave); anything else stays. Nothing natively, where ResetSeam empties all.
void RemoveIfEmpty(Key root, const char16_t* path);

// ---- Values, written and read in the NT form whatever the family ----
void SetText(Key root, const std::u16string& path, const char16_t* name, const std::u16string& text);
void SetRaw(Key root, const std::u16string& path, const char16_t* name, uint32_t type, const void* data,
            uint32_t size);
void SetDword(Key root, const std::u16string& path, const char16_t* name, uint32_t value);
// False when the value is missing.
bool GetRaw(Key root, const std::u16string& path, const char16_t* name, uint32_t* type, std::vector<uint8_t>* data);
std::u16string GetText(Key root, const std::u16string& path, const char16_t* name);
uint32_t GetDword(Key root, const std::u16string& path, const char16_t* name);
bool KeyExists(Key root, const std::u16string& path);

// Value names of a key: natively in the order they were first set, under
// Wine in the registry's own order.
std::vector<std::u16string> ValueNames(Key root, const char16_t* path);

// Puts a program file whose fixed version is 6.2.0.0 at path.
bool PlaceProgramWithVersion62(const std::u16string& path);

// While one lives, the user's My Documents folder is the given folder
// (natively the seam's answer; under Wine the user's shell folder).
class DocumentsFolderAt {
 public:
  explicit DocumentsFolderAt(const std::u16string& folder);
  ~DocumentsFolderAt();
  DocumentsFolderAt(const DocumentsFolderAt&) = delete;
  DocumentsFolderAt& operator=(const DocumentsFolderAt&) = delete;

 private:
  std::u16string saved_;
  uint32_t savedType_ = 0;
  bool hadSaved_ = false;
};

// While one lives the program takes the 9x road (the diagnostics option
// "Version" set to "Win9X"); the notice that says so is recorded.
class RunAs9x {
 public:
  RunAs9x();
  ~RunAs9x();
  RunAs9x(const RunAs9x&) = delete;
  RunAs9x& operator=(const RunAs9x&) = delete;

 private:
  BoxRecorder notice_;
};

}  // namespace regtest
