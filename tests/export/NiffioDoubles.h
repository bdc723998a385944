// Test doubles of the NIFF chunk library: a file object over memory that can
// fail its writes after a number of bytes or its flush, and a recorder of the
// library's error reports.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "export/niffio/NiffStorage.h"
#include "export/niffio/NiffTables.h"

struct MemoryFile {
  std::vector<uint8_t> bytes;
  size_t position = 0;
  size_t writeLimit = SIZE_MAX;  // writes stop at this many bytes of file
  bool failFlush = false;
  NIFFIOFile file;

  MemoryFile() {
    file.handle = this;
    file.read = [](void* h, void* buffer, size_t count) -> size_t {
      MemoryFile& m = *static_cast<MemoryFile*>(h);
      size_t n = 0;
      for (; n < count && m.position < m.bytes.size(); ++n) static_cast<uint8_t*>(buffer)[n] = m.bytes[m.position++];
      return n;
    };
    file.write = [](void* h, const void* buffer, size_t count) -> size_t {
      MemoryFile& m = *static_cast<MemoryFile*>(h);
      size_t n = 0;
      for (; n < count && m.position < m.writeLimit; ++n) {
        if (m.position >= m.bytes.size()) m.bytes.resize(m.position + 1, 0);
        m.bytes[m.position++] = static_cast<const uint8_t*>(buffer)[n];
      }
      return n;
    };
    file.seek = [](void* h, long offset, int origin) -> int {
      MemoryFile& m = *static_cast<MemoryFile*>(h);
      const long base = origin == RIFFIO_SEEK_SET   ? 0
                        : origin == RIFFIO_SEEK_CUR ? long(m.position)
                                                    : long(m.bytes.size());
      if (base + offset < 0) return -1;
      m.position = size_t(base + offset);
      return 0;
    };
    file.tell = [](void* h) -> long { return long(static_cast<MemoryFile*>(h)->position); };
    file.flush = [](void* h) -> int { return static_cast<MemoryFile*>(h)->failFlush ? -1 : 0; };
  }
  ~MemoryFile() { NIFFIOCLTDelete(file.clt); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
};

// Records "function: message" for every report while it lives.
class RiffErrorLog {
 public:
  RiffErrorLog() : old_(RIFFIOSetErrorReporter(&Record)) { Lines().clear(); }
  ~RiffErrorLog() { RIFFIOSetErrorReporter(old_); }
  const std::vector<std::string>& lines() const { return Lines(); }
  bool Has(const std::string& line) const {
    for (const std::string& l : Lines())
      if (l == line) return true;
    return false;
  }

 private:
  static std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
  }
  static void Record(const char* function, const char* format, va_list args) {
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    Lines().push_back(std::string(function) + ": " + text);
  }
  RIFFIOErrorReporter old_;
};

// A storage over a memory file for one test; current while it lives.
class MemoryStorage {
 public:
  explicit MemoryStorage(MemoryFile& memory) : storage_(NIFFIOStorageNew()) { storage_->file = &memory.file; }
  ~MemoryStorage() { NIFFIOStorageDelete(storage_); }
  MemoryStorage(const MemoryStorage&) = delete;
  MemoryStorage& operator=(const MemoryStorage&) = delete;
  NIFFIOStorage* get() const { return storage_; }

 private:
  NIFFIOStorage* storage_;
};
