// Sets a diagnostics option of the utility library for one test, through the
// registry of the platform seam (natively the in-memory registry, under Wine
// the real one), and removes it again.
#pragma once

#include <string>

#include "Code/Unicode/Utils/TextHolders.h"
#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Registry.h"
#include "tests/support/BoxRecorder.h"

namespace utiltest {

constexpr char16_t kDiagnosticsPath[] = u"Software\\Cadenzor Software\\CadenzorDiagnostics\\";

// The unnamed value of the option's key; a string in the family's form.
class DiagnosticsOption {
 public:
  DiagnosticsOption(const char16_t* category, const char16_t* option)
      : path_(std::u16string(kDiagnosticsPath) + category + u"\\" + option) {}
  ~DiagnosticsOption() { Remove(); }
  DiagnosticsOption(const DiagnosticsOption&) = delete;
  DiagnosticsOption& operator=(const DiagnosticsOption&) = delete;

  void Remove() {
    platform::reg::Key key = 0;
    if (platform::reg::OpenKey(platform::reg::kLocalMachine, path_.c_str(), platform::reg::kAccessAll, &key) ==
        platform::reg::kOk) {
      platform::reg::DeleteValue(key, nullptr);
      platform::reg::CloseKey(key);
    }
    platform::reg::DeleteKeyTree(platform::reg::kLocalMachine, path_.c_str());
  }

  void SetText(const char16_t* text) {
    CPlatformText value;
    value.FromWide(text);
    size_t bytes = value.Narrow() ? std::char_traits<char>::length(static_cast<const char*>(value.Get())) + 1
                                  : (std::char_traits<char16_t>::length(text) + 1) * 2;
    Set(platform::reg::kTypeSz, value.Get(), static_cast<uint32_t>(bytes));
  }
  void Set(uint32_t type, const void* data, uint32_t size) {
    platform::reg::Key key = 0;
    ASSERT_EQ(platform::reg::kOk, platform::reg::CreateKey(platform::reg::kLocalMachine, path_.c_str(),
                                                          platform::reg::kAccessAll, &key, nullptr));
    EXPECT_EQ(platform::reg::kOk, platform::reg::SetValue(key, nullptr, type, data, size));
    platform::reg::CloseKey(key);
  }

 private:
  std::u16string path_;
};

// While one lives, the family is the one that the option "Version" forces
// (detected again at both ends); the boxes of that detection are recorded.
class ForcedVersion {
 public:
  explicit ForcedVersion(const char16_t* value) : option_(u"Unicode", u"Version") {
    option_.SetText(value);
    ResetWindowsVersionForTest();
    IsWindowsNT();
  }
  ~ForcedVersion() {
    option_.Remove();
    ResetWindowsVersionForTest();
  }
  ForcedVersion(const ForcedVersion&) = delete;
  ForcedVersion& operator=(const ForcedVersion&) = delete;

  const BoxRecorder& Boxes() const { return boxes_; }

 private:
  DiagnosticsOption option_;
  BoxRecorder boxes_;
};

// The 9x road for one test.
class Forced9x : public ForcedVersion {
 public:
  Forced9x() : ForcedVersion(u"Win9X") {}
};

}  // namespace utiltest
