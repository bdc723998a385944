// Dropped files: a list of names (UTF-16, each ended by a 0 unit, as the
// drop hands them over; names Windows does not allow are left out) of files
// in a scratch folder, every one made with the same first bytes. Each is
// queued exactly when its extension, or for a name without one its first
// bytes, say the program opens it; folders never.
//
// Input: a byte n, n bytes of file content, then the names.
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "platform/Utf8.h"
#include "reading/FileOpener.h"
#include "reading/UnopenedFiles.h"
#include "shell/DroppedFiles.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "kv fuzz: %s\n", what);
  std::abort();
}

bool Opened(const char16_t* extension) {
  for (const char16_t* known : {u".bmp", u".tif", u".tiff", u".pdf", u".opt"})
    if (CompareNoCase(extension, known) == 0) return true;
  return false;
}

// Whether a name can be a file's name on Windows (where the drop comes
// from): no control characters and none of < > : " / \ | ? *.
bool IsFileName(const std::u16string& name) {
  for (char16_t c : name)
    if (c < 0x20 || std::u16string(u"<>:\"/\\|?*").find(c) != std::u16string::npos) return false;
  return true;
}

}  // namespace

KV_FUZZ_TARGET(dropped_files) {
  if (size == 0 || size > 4096) return 0;
  const size_t contentBytes = std::min<size_t>(data[0], size - 1);
  const uint8_t* content = data + 1;
  const uint8_t* list = content + contentBytes;
  const size_t listBytes = size - 1 - contentBytes;

  static const std::u16string folder = [] {
    const std::u16string made = fuzz::ScratchPath("dropped");
    platform::MakeDirectory(made.c_str());
    return made;
  }();
  std::vector<std::u16string> names;
  std::u16string name;
  for (size_t i = 0; i + 1 < listBytes; i += 2) {
    const char16_t unit = static_cast<char16_t>(list[i] | list[i + 1] << 8);
    if (unit == 0) {
      names.push_back(name);
      name.clear();
    } else {
      name.push_back(unit);
    }
  }
  if (!name.empty()) names.push_back(name);

  OpenFiles.count = 0;
  for (const std::u16string& dropped : names) {
    if (dropped.empty() || dropped.size() > 64 || !IsFileName(dropped)) continue;
    const std::u16string path = folder + u"/" + dropped;
    const std::string file = Utf16ToUtf8(path.c_str());
    bool made = false;
    if (dropped != u"." && dropped != u"..") {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(content), static_cast<std::streamsize>(contentBytes));
      made = static_cast<bool>(out);
    }
    const int before = OpenFiles.count;
    UnopenedFiles unopened;  // gathered, never shown
    const bool queued = QueueDroppedFile(path.c_str(), &unopened);
    if (made) {
      char16_t extension[16];
      PathExtension(path.c_str(), extension, 16);
      if (!extension[0]) SniffFileType(path.c_str(), extension);
      if (queued != Opened(extension)) Fail("a dropped file queued against its type");
      std::remove(file.c_str());
    } else if (queued && (dropped == u"." || dropped == u"..")) {
      Fail("a folder was queued");
    }
    if (OpenFiles.count != before + (queued ? 1 : 0)) Fail("the queue does not hold what was dropped");
    if (queued && (path != OpenFiles.paths[before] || OpenFiles.types[before][0] != 0))
      Fail("the queue holds another path");
  }
  OpenFiles.count = 0;
  return 0;
}
