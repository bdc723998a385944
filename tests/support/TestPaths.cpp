#include "tests/support/TestPaths.h"

#include <cstdlib>

#include "tests/support/TestText.h"

namespace {

std::u16string Below(const char* variable, const std::string& relative) {
  const char* base = std::getenv(variable);
  std::string path = std::string(base ? base : ".") + "/" + relative;
#ifdef _WIN32
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;
#endif
  return U16(path);
}

}  // namespace

std::u16string SourcePath(const std::string& relative) { return Below("KV_SOURCE_DIR", relative); }
std::u16string BuildPath(const std::string& relative) { return Below("KV_BINARY_DIR", relative); }
