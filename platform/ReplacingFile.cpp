#include "platform/ReplacingFile.h"

#include "platform/FileLayer.h"
#include "platform/Platform.h"

namespace {
constexpr char16_t kTemporarySuffix[] = u".kvsave";
}

ReplacingFile::ReplacingFile(const char16_t* target) : target_(target ? target : u"") {
  if (target_.empty()) return;
  temporary_ = target_ + kTemporarySuffix;
  stream_ = FileOpen(temporary_.c_str(), kFileWrite, false);
}

ReplacingFile::~ReplacingFile() {
  if (!committed_) Abandon();
}

void ReplacingFile::Write(const void* data, size_t n) {
  if (failed_ || n == 0) return;
  if (!stream_ || FileWriteBytes(stream_, data, n) != nullptr) failed_ = true;
}

void ReplacingFile::WriteU16(uint16_t value) {
  const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
  Write(bytes, 2);
}

void ReplacingFile::WriteU24(uint32_t value) {
  const uint8_t bytes[3] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)};
  Write(bytes, 3);
}

void ReplacingFile::WriteU32(uint32_t value) {
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
  Write(bytes, 4);
}

bool ReplacingFile::Commit() {
  if (!stream_ || failed_) {
    Abandon();
    return false;
  }
  const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
  std::FILE* stream = stream_;
  stream_ = nullptr;
  const bool closed = FileClose(stream) == nullptr;
  if (!flushed || !closed || !platform::RenameFile(temporary_.c_str(), target_.c_str(), true)) {
    failed_ = true;
    Abandon();
    return false;
  }
  committed_ = true;
  return true;
}

void ReplacingFile::Abandon() {
  if (stream_) {
    FileClose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_.empty()) platform::RemoveFile(temporary_.c_str());
}
