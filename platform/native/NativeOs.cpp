// The operating-system version natively: the NT family at 5.1 (XP) unless a
// test sets another answer.
#include <mutex>

#include "platform/Platform.h"
#include "platform/native/NativePlatform.h"

namespace platform {
namespace {

struct VersionAnswer {
  std::mutex lock;
  bool fails = false;
  OsVersion version{2, 5, 1};
};

VersionAnswer& Answer() {
  static VersionAnswer answer;
  return answer;
}

}  // namespace

bool QueryOsVersion(OsVersion* version) {
  std::lock_guard<std::mutex> hold(Answer().lock);
  if (!version || Answer().fails) return false;
  *version = Answer().version;
  return true;
}

void SetOsVersionForTest(uint32_t platformId, uint32_t major, uint32_t minor) {
  std::lock_guard<std::mutex> hold(Answer().lock);
  Answer().fails = false;
  Answer().version = OsVersion{platformId, major, minor};
}

void SetOsVersionFailsForTest() {
  std::lock_guard<std::mutex> hold(Answer().lock);
  Answer().fails = true;
}

void ResetOsVersionForTest() { SetOsVersionForTest(2, 5, 1); }

}  // namespace platform

namespace platform {

// There are no common controls natively: nothing to switch.
bool SetCommonControlsUnicodeFormat(bool, bool*) { return false; }

}  // namespace platform
