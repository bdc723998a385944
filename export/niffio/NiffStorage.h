// The storage object the NIFF writer writes through: the file, the stack of
// open lists and the pending chunk and tag. Starting a tag ends the pending
// tag; starting a chunk or a list ends the pending tag and chunk; ending a
// list ends both and then the list. One storage is current at a time; every
// writer function works on it and fails cleanly when there is none.
#pragma once

#include <cstdio>
#include <vector>

#include "export/niffio/RiffFile.h"

struct NIFFIOStorage {
  NIFFIOFile* file = nullptr;
  bool ownsFile = false;
  bool chunkPending = false;
  bool tagPending = false;
  std::vector<RIFFIOChunk> lists;  // the top is the innermost open list
  RIFFIOChunk pendingChunk;
  NIFFIOTag pendingTag;
};

// A storage without a file; it becomes the current storage.
NIFFIOStorage* NIFFIOStorageNew();
// A storage that owns a file object over the stream (the caller opens it,
// through platform::OpenStream, and closes it, checking the close). Null after reporting when anything fails; nothing of it
// stays current then.
NIFFIOStorage* NIFFIOStorageNewSTDC(std::FILE* stream);
// Frees the list stack and an owned file object; the current storage pointer
// is cleared when it named this storage.
void NIFFIOStorageDelete(NIFFIOStorage* storage);
NIFFIOStorage* NIFFIOStorageGetCurrent();
void NIFFIOStorageSetCurrent(NIFFIOStorage* storage);
// The current storage's file, or null after reporting for the named function.
NIFFIOFile* NIFFIOStorageCurrentFile(const char* function);

int NIFFIOStorageTagStart(NIFFIOTag* tag);
int NIFFIOStorageTagEnd();
int NIFFIOStorageChunkStart(RIFFIOChunk* chunk);
int NIFFIOStorageChunkEnd();
int NIFFIOStorageListStart(RIFFIOChunk* list);
// With no list open it only ends a pending chunk or tag. Closing the
// outermost list flushes the file, so that a failed write surfaces here.
int NIFFIOStorageListEnd();

// The form "RIFX" of type "NIFF", and the lists inside it.
int NIFFIOStartNiff();
int NIFFIOStartDataList();    // "data"
int NIFFIOStartPageList();    // "page"
int NIFFIOStartPartsList();   // "prts"
int NIFFIOStartSetupList();   // "setp"
int NIFFIOStartStaffList();   // "staf"
int NIFFIOStartSystemList();  // "syst"
