#include "pages/StoreFileBytes.h"

#include <cstring>
#include <new>

#include "platform/FileLayer.h"

StoreLoad LoadStoreFile(const char16_t* path, size_t limit, bool report, StoreBytes* bytes) {
  bytes->clear();
  if (!FileExists(path)) return StoreLoad::kMissing;
  std::FILE* f = FileOpen(path, kFileRead, report);
  if (!f) return StoreLoad::kFailed;
  const long size = FileSize(f);
  StoreLoad result = StoreLoad::kLoaded;
  if (size < 0) {
    result = StoreLoad::kFailed;
  } else if (static_cast<unsigned long>(size) > limit) {
    result = StoreLoad::kTooLarge;
  } else {
    try {
      bytes->resize(static_cast<size_t>(size));
      if (size > 0 && FileRead(f, bytes->data(), bytes->size()) != 0) result = StoreLoad::kFailed;
    } catch (const std::bad_alloc&) {
      result = StoreLoad::kNoMemory;
    }
  }
  FileClose(f);
  if (result != StoreLoad::kLoaded) bytes->clear();
  return result;
}

bool StoreReader::Bytes(void* out, size_t n) {
  if (n > Left()) return false;
  if (n) std::memcpy(out, data_ + at_, n);
  at_ += n;
  return true;
}

bool StoreReader::Skip(size_t n) {
  if (n > Left()) return false;
  at_ += n;
  return true;
}

bool StoreReader::U8(uint8_t* value) { return Bytes(value, 1); }

bool StoreReader::U16LE(uint16_t* value) {
  uint8_t b[2];
  if (!Bytes(b, 2)) return false;
  *value = static_cast<uint16_t>(b[0] | b[1] << 8);
  return true;
}

bool StoreReader::U16BE(uint16_t* value) {
  uint8_t b[2];
  if (!Bytes(b, 2)) return false;
  *value = static_cast<uint16_t>(b[0] << 8 | b[1]);
  return true;
}

bool StoreReader::U32LE(uint32_t* value) {
  uint8_t b[4];
  if (!Bytes(b, 4)) return false;
  *value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return true;
}

bool StoreReader::F64LE(double* value) {
  uint8_t b[8];
  if (!Bytes(b, 8)) return false;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
  std::memcpy(value, &bits, 8);
  return true;
}
