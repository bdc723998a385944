// The chunk length table ("clt ") and the string table ("stbl") of a NIFF
// file.
#pragma once

#include <cstdint>

#include "export/niffio/RiffFile.h"

constexpr int kNIFFIOCLTBuckets = 251;
constexpr int32_t kNIFFIOVariableLength = -1;

struct NIFFIOCLTEntry {
  RIFFIOFOURCC id;
  int32_t length;  // -1: variable
  NIFFIOCLTEntry* next;
};

// Hash table keyed by the id as a number (bucket = id modulo 251).
struct NIFFIOChunkLengthTable {
  NIFFIOCLTEntry* buckets[kNIFFIOCLTBuckets] = {};
};

NIFFIOChunkLengthTable* NIFFIOCLTNew();
void NIFFIOCLTDelete(NIFFIOChunkLengthTable* table);
// Refuses an id that is not four letters or digits, or letters and digits
// followed only by spaces; a present id gets the new length.
int NIFFIOCLTMakeEntry(NIFFIOChunkLengthTable* table, const char* id, int32_t length);
const NIFFIOCLTEntry* NIFFIOCLTFind(const NIFFIOChunkLengthTable* table, RIFFIOFOURCC id);

// Writes every entry sorted by id text (id, length as u32), then the file
// owns the table in place of any it held. The table is freed on failure too.
int NIFFIOFileAdoptCLT(NIFFIOFile* file, NIFFIOChunkLengthTable* table);
// Into the current storage's pending chunk; takes the table over.
int NIFFIOStoreCLT(NIFFIOChunkLengthTable* table);
// Starts the "clt " chunk and stores the default table. Fails, after
// reporting, when any step fails.
int NIFFIOStoreDefaultCLT();

struct NIFFIOStblEntry {
  const char* text;  // NUL-ended, written with its NUL
  uint32_t offset;   // filled: position from the start of the chunk's data
};
int NIFFIOStblWrite(NIFFIOFile* file, const char* text);
// Writes the strings into the current storage's pending chunk; returns the
// number written, stopping at the first failure.
int NIFFIOStblStore(NIFFIOStblEntry* entries, int count);
