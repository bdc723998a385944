// A file written beside its target and put in its place only when every byte
// was stored: until Commit succeeds the target stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class ReplacingFile {
 public:
  explicit ReplacingFile(const char16_t* target);
  // Abandons a file not committed: closes and removes it.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // False when the file beside the target could not be created.
  bool IsOpen() const { return stream_ != nullptr; }
  // A failed write is remembered; later writes are skipped.
  void Write(const void* data, size_t n);
  void WriteU8(uint8_t value) { Write(&value, 1); }
  void WriteU16(uint16_t value);
  void WriteU24(uint32_t value);
  void WriteU32(uint32_t value);
  bool Failed() const { return failed_; }
  // Closes the file and replaces the target by it; false (the target
  // untouched, the new file removed) when anything failed.
  bool Commit();

 private:
  void Abandon();

  std::u16string target_;
  std::u16string temporary_;
  std::FILE* stream_ = nullptr;
  bool failed_ = false;
  bool committed_ = false;
};
