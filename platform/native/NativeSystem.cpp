// Special folders, the program file and its version, free disc space and
// free memory on POSIX.
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/Platform.h"
#include "platform/native/NativePaths.h"
#include "platform/native/NativePlatform.h"

namespace platform {
namespace {

struct Overrides {
  std::mutex lock;
  bool folderSet[2] = {false, false};
  std::u16string folder[2];
  bool programSet = false;
  std::u16string program;
};

Overrides& Held() {
  static Overrides overrides;
  return overrides;
}

int FolderIndex(SpecialFolder which) { return which == SpecialFolder::MyDocuments ? 0 : 1; }

bool CopyOut(const std::u16string& text, char16_t* out, int capacity) {
  if (!out || capacity <= 0) return false;
  if (text.empty() || text.size() >= static_cast<size_t>(capacity)) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return true;
}

uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

void SetSpecialFolderForTest(SpecialFolder which, const char16_t* path) {
  std::lock_guard<std::mutex> hold(Held().lock);
  int k = FolderIndex(which);
  Held().folderSet[k] = path != nullptr;
  Held().folder[k] = path ? path : u"";
}

void SetProgramFileNameForTest(const char16_t* path) {
  std::lock_guard<std::mutex> hold(Held().lock);
  Held().programSet = path != nullptr;
  Held().program = path ? path : u"";
}

bool GetSpecialFolder(SpecialFolder which, char16_t* out, int capacity) {
  {
    std::lock_guard<std::mutex> hold(Held().lock);
    int k = FolderIndex(which);
    if (Held().folderSet[k]) return CopyOut(Held().folder[k], out, capacity);
  }
  const char* home = std::getenv("HOME");
  if (!home || !*home) return CopyOut(u"", out, capacity);
  std::string path = std::string(home) + (which == SpecialFolder::MyDocuments ? "/Documents" : "/.local/share");
  return native::FromUtf8(path, out, capacity);
}

bool GetProgramFileName(char16_t* out, int capacity) {
  {
    std::lock_guard<std::mutex> hold(Held().lock);
    if (Held().programSet) return CopyOut(Held().program, out, capacity);
  }
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return CopyOut(u"", out, capacity);
  path[n] = 0;
  return native::FromUtf8(path, out, capacity);
}

// The fixed version block of a Windows version resource: the signature
// 0xFEEF04BD, the structure version 0x00010000, then the most and least
// significant double words of the file version, all little-endian.
bool GetFileVersion(const char16_t* path, uint16_t parts[4]) {
  parts[0] = parts[1] = parts[2] = parts[3] = 0;
  if (!path) return false;
  std::ifstream file(native::ToNativePath(path), std::ios::binary);
  if (!file) return false;
  const size_t kBlock = 65536;
  const size_t kKeep = 15;  // a record that straddles two blocks
  std::string data;
  char buffer[kBlock];
  while (file.read(buffer, kBlock) || file.gcount() > 0) {
    data.append(buffer, static_cast<size_t>(file.gcount()));
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
    size_t k = 0;
    for (; k + 16 <= data.size(); ++k) {
      if (ReadU32(bytes + k) == 0xFEEF04BDu && ReadU32(bytes + k + 4) == 0x00010000u) {
        uint32_t ms = ReadU32(bytes + k + 8);
        uint32_t ls = ReadU32(bytes + k + 12);
        parts[0] = static_cast<uint16_t>(ms >> 16);
        parts[1] = static_cast<uint16_t>(ms & 0xFFFF);
        parts[2] = static_cast<uint16_t>(ls >> 16);
        parts[3] = static_cast<uint16_t>(ls & 0xFFFF);
        return true;
      }
    }
    if (data.size() > kKeep) data.erase(0, data.size() - kKeep);
  }
  return false;
}

uint64_t FreeDiscSpace(const char16_t* folder) {
  if (!folder) return 0;
  struct statvfs info;
  if (statvfs(native::ToNativePath(folder).c_str(), &info) != 0) return 0;
  return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

// What a new allocation can have without pushing others out: MemAvailable,
// or the kernel's free figure when /proc is not there.
uint64_t FreeMemory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  uint64_t value = 0;
  std::string unit;
  while (meminfo >> key >> value) {
    if (key == "MemAvailable:") return value * 1024;
    std::getline(meminfo, unit);
  }
  struct sysinfo info;
  if (sysinfo(&info) != 0) return 0;
  return static_cast<uint64_t>(info.freeram) * info.mem_unit;
}

// The native builds run under AddressSanitizer, which checks every heap
// access as it happens; there is nothing left for a walk of the heap to find.
bool IsHeapValid() { return true; }

}  // namespace platform
