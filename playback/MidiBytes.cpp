#include "playback/MidiBytes.h"

#include <cstring>

#include "platform/FileLayer.h"
#include "platform/TextUtils.h"

namespace {

// Up to five bytes: a value of 32 bits needs at most five groups of seven.
int EncodeVarLen(uint32_t value, uint8_t out[5]) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value && n < 5);
  for (int i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(groups[n - 1 - i] | (i + 1 < n ? 0x80 : 0));
  return n;
}

}  // namespace

int WriteVarLen(std::FILE* file, uint32_t value) {
  uint8_t bytes[5];
  int n = EncodeVarLen(value, bytes);
  return FileWriteBytes(file, bytes, static_cast<size_t>(n)) ? 0 : n;
}

bool WriteU16BE(std::FILE* file, uint32_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  return FileWriteBytes(file, bytes, 2) == nullptr;
}

bool WriteU24BE(std::FILE* file, uint32_t value) {
  const uint8_t bytes[3] = {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value)};
  return FileWriteBytes(file, bytes, 3) == nullptr;
}

void PutVarLen(MidiBytes* out, uint32_t value) {
  uint8_t bytes[5];
  int n = EncodeVarLen(value, bytes);
  out->insert(out->end(), bytes, bytes + n);
}

void PutU16BE(MidiBytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value >> 8));
  out->push_back(static_cast<uint8_t>(value));
}

void PutU24BE(MidiBytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value >> 16));
  PutU16BE(out, value);
}

void PutU32BE(MidiBytes* out, uint32_t value) {
  PutU16BE(out, value >> 16);
  PutU16BE(out, value);
}

MidiBytes AnsiTextBytes(const std::u16string& text) {
  const char* ansi = WideToAnsiStatic(text.c_str());
  return MidiBytes(ansi, ansi + std::strlen(ansi));
}
