// The file layer: C runtime streams with UTF-16 paths, one process-wide error
// record, byte-order readers and writers and NUL-ended strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct FileError {
  uint32_t code;          // always 0
  char16_t message[253];  // at most 252 characters
};

// The record that the last reporting call reset.
FileError* LastFileError();

enum : int { kFileRead = 64, kFileWrite = 128, kFileReadAppend = 192 };

std::FILE* FileOpen(const char16_t* path, int mode, bool report);
FileError* FileClose(std::FILE* stream);
bool FileExists(const char16_t* path);  // it opens for reading
// What a path names, readable or not.
enum class PathKind { Missing, File, Folder };
PathKind KindOfPath(const char16_t* path);

FileError* FileSeek(std::FILE* stream, long offset);
long FileTell(std::FILE* stream);
long FileSize(std::FILE* stream);  // -1 when the size cannot be found

// The number of bytes NOT read (0 when all n were read).
size_t FileRead(std::FILE* stream, void* buffer, size_t n);
FileError* FileWriteBytes(std::FILE* stream, const void* data, size_t n);
int FileReadByte(std::FILE* stream);  // EOF at the end
FileError* FileWriteByte(std::FILE* stream, uint8_t value);
FileError* FileWriteU32LE(std::FILE* stream, uint32_t value);
FileError* FileWriteU32BE(std::FILE* stream, uint32_t value);
// Plain little-endian writers that do not touch the record; false on a short write.
bool PutU32LE(uint32_t value, std::FILE* stream);
bool PutU16LE(uint16_t value, std::FILE* stream);

// Readers that report the end of the file: false when the value was not all there.
bool ReadU16LE(std::FILE* stream, uint16_t* value);
bool ReadU16BE(std::FILE* stream, uint16_t* value);
bool ReadU24LE(std::FILE* stream, uint32_t* value);
bool ReadU32LE(std::FILE* stream, uint32_t* value);

// NUL-ended 8-bit string into a buffer of capacity bytes (always NUL-ended);
// the 0 byte is consumed. False at the end of the file or when cut at the capacity.
bool ReadCString(std::FILE* stream, char* buffer, size_t capacity);
// UTF-16LE up to the character 0 or the end of the file, into capacity
// characters (always NUL-ended). False at the end of the file or when cut.
bool ReadWideString(std::FILE* stream, char16_t* buffer, size_t capacity);
FileError* WriteWideString(std::FILE* stream, const char16_t* text);

// The whole file into a buffer of capacity bytes; a larger file is refused.
FileError* FileLoad(const char16_t* path, void* buffer, size_t capacity, size_t* size);
FileError* FileCopy(const char16_t* source, const char16_t* target);
FileError* FileDelete(const char16_t* path);
FileError* FileMakeDir(const char16_t* path);
// Deletes what a search pattern names ("folder\*" or one entry), with sub-folders.
int DeleteTree(const char16_t* pattern);
