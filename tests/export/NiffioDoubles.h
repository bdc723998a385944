// Test doubles of the NIFF chunk library: a file object over memory that can
// fail its writes after a number of bytes or its flush, a recorder of the
// library's error reports, and a small file both tests write or read.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "export/niffio/NiffChunks.h"
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

// A form with two lists: an odd chunk, a chunk holding a 3-byte tag, a chunk
// with fixed fields and an odd tag, and a chunk after it.
inline int BuildSmallNiff() {
  return NIFFIOStartNiff() && NIFFIOStartSetupList() && NIFFIOChunkAcdl(7) && NIFFIOChunkTie() &&
         NIFFIOTag16(1, 2, 3) && NIFFIOStorageListEnd() && NIFFIOStartDataList() &&
         NIFFIOChunkNote(5, 0xFE, RIFFIORational{3, 8}) && NIFFIOTag1D(9) && NIFFIOChunkTime(3, 4) &&
         NIFFIOStorageListEnd() && NIFFIOStorageListEnd();
}

// The bytes BuildSmallNiff writes.
inline const std::vector<uint8_t> kSmallNiff = {
    'R', 'I', 'F', 'X', 0, 0, 0, 80, 'N',  'I',  'F', 'F',                       // form, 80 bytes
    'L', 'I', 'S', 'T', 0, 0, 0, 28, 's',  'e',  't', 'p',                       // list, 28 bytes
    'a', 'c', 'd', 'l', 0, 0, 0, 1,  7,    0,                                    // 1 byte and its pad
    't', 'i', 'e', ' ', 0, 0, 0, 6,  0x16, 3,    1,   2,   3, 0,                 // tag of 3 bytes, padded
    'L', 'I', 'S', 'T', 0, 0, 0, 32, 'd',  'a',  't', 'a',                       // list, 32 bytes
    'n', 'o', 't', 'e', 0, 0, 0, 10, 5,    0xFE, 0,   3,   0, 8, 0x1D, 1, 9, 0,  // fields, rational, tag
    't', 'i', 'm', 'e', 0, 0, 0, 2,  3,    4};
