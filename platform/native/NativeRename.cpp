// Renaming files over POSIX rename(2), which replaces an existing target in
// one step.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/native/NativePaths.h"

namespace platform {

bool RenameFile(const char16_t* from, const char16_t* to, bool replace) {
  if (!from || !to) return false;
  const std::string source = native::ToNativePath(from);
  const std::string target = native::ToNativePath(to);
  struct stat info;
  if (!replace && lstat(target.c_str(), &info) == 0) return false;
  return std::rename(source.c_str(), target.c_str()) == 0;
}

}  // namespace platform
