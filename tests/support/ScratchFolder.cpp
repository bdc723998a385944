#include "tests/support/ScratchFolder.h"

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/Platform.h"
#include "tests/support/TestText.h"

#ifdef _WIN32
#include <process.h>
#define KV_GETPID _getpid
static const char16_t kSep = u'\\';
#else
#include <unistd.h>
#define KV_GETPID getpid
static const char16_t kSep = u'/';
#endif

namespace {

std::u16string BaseFolder() {
#ifdef _WIN32
  const char* temp = std::getenv("TEMP");
  return U16(temp ? temp : "C:\\windows\\temp");
#else
  const char* temp = std::getenv("TMPDIR");
  return U16(temp && *temp ? temp : "/tmp");
#endif
}

void RemoveTree(const std::u16string& folder) {
  platform::FindRecord record;
  std::u16string pattern = folder + kSep + u"*";
  platform::FindHandle find = platform::FindFirst(pattern.c_str(), &record);
  if (find != platform::kNoFind) {
    do {
      std::u16string name = record.name;
      if (name == u"." || name == u"..") continue;
      std::u16string path = folder + kSep + name;
      if (record.attributes & platform::kAttributeDirectory) RemoveTree(path);
      else platform::RemoveFile(path.c_str());
    } while (platform::FindNext(find, &record));
    platform::FindClose(find);
  }
  platform::RemoveDirectory(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  for (;;) {
    path_ = BaseFolder() + kSep + U16("kvtest-" + std::to_string(KV_GETPID()) + "-" + std::to_string(counter++));
    if (platform::MakeDirectory(path_.c_str())) break;
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::u16string ScratchFolder::File(const std::u16string& name) const { return path_ + kSep + name; }
