// Whole files of the page store in memory: a bounded load, and a reader that
// checks every field against the end of the bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using StoreBytes = std::vector<uint8_t>;

enum class StoreLoad { kLoaded, kMissing, kTooLarge, kNoMemory, kFailed };

// Loads the whole file when it is no larger than limit bytes. report shows
// the file layer's box when the file cannot be opened.
StoreLoad LoadStoreFile(const char16_t* path, size_t limit, bool report, StoreBytes* bytes);

class StoreReader {
 public:
  StoreReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit StoreReader(const StoreBytes& bytes) : StoreReader(bytes.data(), bytes.size()) {}

  // Each reader returns false, and leaves the value alone, when the bytes run out.
  bool U8(uint8_t* value);
  bool U16LE(uint16_t* value);
  bool U16BE(uint16_t* value);
  bool U32LE(uint32_t* value);
  bool F64LE(double* value);
  bool Bytes(void* out, size_t n);
  bool Skip(size_t n);

  size_t Left() const { return size_ - at_; }
  size_t At() const { return at_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};
