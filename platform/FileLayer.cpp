#include "platform/FileLayer.h"

#include <atomic>
#include <string>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace {

enum : unsigned {
  kTextNotDeleted = 10228,
  kTextCannotOpen = 10229,
  kTextNotClosed = 10230,
  kTextNotSeeked = 10231,
  kTextNotStored = 10232,
  kTextNotOpened = 10233,
  kTextNotLoaded = 10234,
  kTextLoadedBadly = 10235,
  kTextNotCopied = 10236,
};

FileError g_record;
std::atomic<FileError*> g_lastError{nullptr};

// Every reporting call starts here.
void ResetRecord() {
  g_record.code = 0;
  g_lastError = &g_record;
}

FileError* Fail(unsigned textId) {
  LoadUiString(textId, g_record.message, sizeof g_record.message / sizeof g_record.message[0]);
  return &g_record;
}

bool ReadBytes(std::FILE* stream, unsigned char* bytes, size_t n) {
  return stream && std::fread(bytes, 1, n, stream) == n;
}

bool WriteAll(std::FILE* stream, const void* data, size_t n) {
  return stream && (n == 0 || std::fwrite(data, 1, n, stream) == n);
}

}  // namespace

FileError* LastFileError() { return g_lastError; }

std::FILE* FileOpen(const char16_t* path, int mode, bool report) {
  const char* runtimeMode = mode == kFileRead ? "rb" : mode == kFileWrite ? "wb" : mode == kFileReadAppend ? "ab+" : nullptr;
  if (!runtimeMode) return nullptr;
  std::FILE* stream = path ? platform::OpenStream(path, runtimeMode) : nullptr;
  if (!stream && report) {
    char16_t prefix[65];
    char16_t text[513];
    LoadUiString(kTextCannotOpen, prefix, 65);
    FormatWide(text, 513, u"%s%s", prefix, path ? path : u"");
    ErrorBox(nullptr, text);
  }
  return stream;
}

FileError* FileClose(std::FILE* stream) {
  ResetRecord();
  if (!stream || std::fclose(stream) != 0) return Fail(kTextNotClosed);
  return nullptr;
}

bool FileExists(const char16_t* path) {
  std::FILE* stream = path ? platform::OpenStream(path, "rb") : nullptr;
  if (!stream) return false;
  std::fclose(stream);
  return true;
}

PathKind KindOfPath(const char16_t* path) {
  if (!path || !path[0]) return PathKind::Missing;
  platform::FindRecord record;
  platform::FindHandle find = platform::FindFirst(path, &record);
  if (find == platform::kNoFind) return PathKind::Missing;
  platform::FindClose(find);
  return (record.attributes & platform::kAttributeDirectory) != 0 ? PathKind::Folder : PathKind::File;
}

FileError* FileSeek(std::FILE* stream, long offset) {
  ResetRecord();
  if (!stream || std::fseek(stream, offset, SEEK_SET) != 0) return Fail(kTextNotSeeked);
  return nullptr;
}

long FileTell(std::FILE* stream) { return stream ? std::ftell(stream) : -1; }

long FileSize(std::FILE* stream) {
  if (!stream) return -1;
  long here = std::ftell(stream);
  if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(stream);
  if (std::fseek(stream, here, SEEK_SET) != 0) return -1;
  return size;
}

size_t FileRead(std::FILE* stream, void* buffer, size_t n) {
  if (!stream || !buffer || n == 0) return n;
  return n - std::fread(buffer, 1, n, stream);
}

FileError* FileWriteBytes(std::FILE* stream, const void* data, size_t n) {
  ResetRecord();
  if (!WriteAll(stream, data, n)) return Fail(kTextNotStored);
  return nullptr;
}

int FileReadByte(std::FILE* stream) { return stream ? std::fgetc(stream) : EOF; }

FileError* FileWriteByte(std::FILE* stream, uint8_t value) {
  ResetRecord();
  if (!stream || std::fputc(value, stream) == EOF) return Fail(kTextNotStored);
  return nullptr;
}

FileError* FileWriteU32LE(std::FILE* stream, uint32_t value) {
  ResetRecord();
  if (!PutU32LE(value, stream)) return Fail(kTextNotStored);
  return nullptr;
}

FileError* FileWriteU32BE(std::FILE* stream, uint32_t value) {
  ResetRecord();
  const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
  if (!WriteAll(stream, bytes, 4)) return Fail(kTextNotStored);
  return nullptr;
}

bool PutU32LE(uint32_t value, std::FILE* stream) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  return WriteAll(stream, bytes, 4);
}

bool PutU16LE(uint16_t value, std::FILE* stream) {
  const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
  return WriteAll(stream, bytes, 2);
}

namespace {

// n bytes (at most 4) as one unsigned value, least significant first unless
// bigEndian. False, value untouched, when the stream ends before n bytes.
bool ReadUnsigned(std::FILE* stream, int n, bool bigEndian, uint32_t* value) {
  unsigned char b[4];
  if (!ReadBytes(stream, b, n)) return false;
  uint32_t v = 0;
  for (int k = 0; k < n; ++k) v |= static_cast<uint32_t>(b[bigEndian ? n - 1 - k : k]) << (8 * k);
  *value = v;
  return true;
}

bool ReadU16(std::FILE* stream, bool bigEndian, uint16_t* value) {
  uint32_t v;
  if (!ReadUnsigned(stream, 2, bigEndian, &v)) return false;
  *value = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

bool ReadU16LE(std::FILE* stream, uint16_t* value) { return ReadU16(stream, false, value); }
bool ReadU16BE(std::FILE* stream, uint16_t* value) { return ReadU16(stream, true, value); }
bool ReadU24LE(std::FILE* stream, uint32_t* value) { return ReadUnsigned(stream, 3, false, value); }
bool ReadU32LE(std::FILE* stream, uint32_t* value) { return ReadUnsigned(stream, 4, false, value); }

namespace {

// Units read by readUnit up to the unit 0, which ends the string; false at
// the end of the file. A string longer than the buffer is cut there and the
// rest of it is read over, so that the stream stands at the next field
// either way.
template <typename Unit, typename ReadUnit>
bool ReadTerminated(std::FILE* stream, Unit* buffer, size_t capacity, ReadUnit readUnit) {
  if (!buffer || capacity == 0) return false;
  buffer[0] = 0;
  if (!stream) return false;
  size_t n = 0;
  bool cut = false;
  for (;;) {
    Unit c;
    if (!readUnit(&c)) {
      buffer[n] = 0;
      return false;
    }
    if (c == 0) break;
    if (n + 1 < capacity) buffer[n++] = c;
    else cut = true;
  }
  buffer[n] = 0;
  return !cut;
}

}  // namespace

bool ReadCString(std::FILE* stream, char* buffer, size_t capacity) {
  return ReadTerminated(stream, buffer, capacity, [stream](char* c) {
    const int b = std::fgetc(stream);
    *c = static_cast<char>(b);
    return b != EOF;
  });
}

// Ends at the character 0 or at the end of the file, never at a byte 0xFF:
// U+00FF and U+FF01.. are text like any other.
bool ReadWideString(std::FILE* stream, char16_t* buffer, size_t capacity) {
  return ReadTerminated(stream, buffer, capacity, [stream](char16_t* c) {
    uint16_t unit;
    if (!ReadU16LE(stream, &unit)) return false;
    *c = static_cast<char16_t>(unit);
    return true;
  });
}

FileError* WriteWideString(std::FILE* stream, const char16_t* text) {
  ResetRecord();
  bool ok = stream != nullptr;
  for (const char16_t* c = text; ok && c && *c; ++c) {
    const unsigned char pair[2] = {static_cast<unsigned char>(*c), static_cast<unsigned char>(*c >> 8)};
    ok = WriteAll(stream, pair, 2);
  }
  const unsigned char end[2] = {0, 0};
  if (!ok || !WriteAll(stream, end, 2)) return Fail(kTextNotStored);
  return nullptr;
}

FileError* FileLoad(const char16_t* path, void* buffer, size_t capacity, size_t* size) {
  ResetRecord();
  std::FILE* stream = path ? platform::OpenStream(path, "rb") : nullptr;
  if (!stream) return Fail(kTextNotOpened);
  long length = FileSize(stream);
  if (length < 0 || static_cast<unsigned long>(length) > capacity || (length > 0 && !buffer)) {
    std::fclose(stream);
    return Fail(kTextNotLoaded);
  }
  if (FileRead(stream, buffer, static_cast<size_t>(length)) != 0) {
    std::fclose(stream);
    return Fail(kTextLoadedBadly);
  }
  if (size) *size = static_cast<size_t>(length);
  return FileClose(stream);
}

FileError* FileCopy(const char16_t* source, const char16_t* target) {
  ResetRecord();
  if (!source || !target || !platform::CopyOneFile(source, target, false)) return Fail(kTextNotCopied);
  return nullptr;
}

FileError* FileDelete(const char16_t* path) {
  ResetRecord();
  if (!path || !platform::RemoveFile(path)) return Fail(kTextNotDeleted);
  return nullptr;
}

// No text of its own: the record keeps the message of the previous failure.
FileError* FileMakeDir(const char16_t* path) {
  ResetRecord();
  if (!path || !platform::MakeDirectory(path)) return &g_record;
  return nullptr;
}

int DeleteTree(const char16_t* pattern) {
  if (!pattern) return 0;
  std::u16string text = pattern;
  if (text.size() < 20 || text[0] == u'*') return 0;
  ResetRecord();
  size_t last = text.find_last_of(u"\\/");
  std::u16string folder = last == std::u16string::npos ? std::u16string() : text.substr(0, last + 1);
  char16_t separator = last == std::u16string::npos ? u'\\' : text[last];

  platform::FindRecord record;
  platform::FindHandle search = platform::FindFirst(pattern, &record);
  if (search == platform::kNoFind) return 0;
  do {
    if (record.name[0] == u'.') continue;
    std::u16string path = folder + record.name;
    if (record.attributes & platform::kAttributeDirectory) {
      DeleteTree((path + separator + u'*').c_str());
      platform::RemoveDirectory(path.c_str());
    } else {
      FileDelete(path.c_str());
    }
  } while (platform::FindNext(search, &record));
  platform::FindClose(search);
  return 0;
}
