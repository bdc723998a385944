#include "export/niffio/NiffStorage.h"

#include <new>

namespace {

NIFFIOStorage* g_current = nullptr;

constexpr size_t kListStackStep = 10;

int StartList(RIFFIOFOURCC id, const char (&type)[5]) {
  RIFFIOChunk list;
  list.id = id;
  list.type = RIFFIOMakeFOURCC(type);
  return NIFFIOStorageListStart(&list);
}

}  // namespace

NIFFIOStorage* NIFFIOStorageNew() {
  NIFFIOStorage* storage = new (std::nothrow) NIFFIOStorage;
  if (!storage) {
    RIFFIOError("NIFFIOStorageNew", "Failed to allocate memory for NIFFIOStorage");
    return nullptr;
  }
  try {
    storage->lists.reserve(kListStackStep);
  } catch (const std::bad_alloc&) {
    delete storage;
    RIFFIOError("NIFFIOStorageNew", "Failed to allocate memory for NIFFIOStorage");
    return nullptr;
  }
  g_current = storage;
  return storage;
}

NIFFIOStorage* NIFFIOStorageNewSTDC(std::FILE* stream) {
  NIFFIOStorage* storage = NIFFIOStorageNew();
  if (!storage) {
    RIFFIOError("NIFFIOStorageNewSTDC", "Failed to create an new NIFFIOStorage");
    return nullptr;
  }
  NIFFIOFile* file = NIFFIOFileNew();
  if (!file) {
    RIFFIOError("NIFFIOStorageNewSTDC", "Failed to allocate a new NIFFIOFile");
    NIFFIOStorageDelete(storage);
    return nullptr;
  }
  if (!NIFFIOFileInitSTDC(file, stream)) {
    RIFFIOError("NIFFIOStorageNewSTDC", "Failed to initialize a new NIFFIOFile");
    NIFFIOFileDelete(file);
    NIFFIOStorageDelete(storage);
    return nullptr;
  }
  storage->file = file;
  storage->ownsFile = true;
  return storage;
}

void NIFFIOStorageDelete(NIFFIOStorage* storage) {
  if (!storage) return;
  if (g_current == storage) g_current = nullptr;
  if (storage->ownsFile) NIFFIOFileDelete(storage->file);
  delete storage;
}

NIFFIOStorage* NIFFIOStorageGetCurrent() { return g_current; }
void NIFFIOStorageSetCurrent(NIFFIOStorage* storage) { g_current = storage; }

NIFFIOFile* NIFFIOStorageCurrentFile(const char* function) {
  if (!g_current || !g_current->file) {
    RIFFIOError(function, "No current NIFFIOStorage with a file");
    return nullptr;
  }
  return g_current->file;
}

int NIFFIOStorageTagEnd() {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStorageTagEnd");
  if (!file) return 0;
  if (!g_current->tagPending) return 1;
  if (!NIFFIOTagFinalize(file, &g_current->pendingTag)) {
    RIFFIOError("NIFFIOStorageTagEnd", "Couldn't finalize pending tag");
    return 0;
  }
  g_current->tagPending = false;
  return 1;
}

int NIFFIOStorageChunkEnd() {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStorageChunkEnd");
  if (!file) return 0;
  if (!NIFFIOStorageTagEnd()) {
    RIFFIOError("NIFFIOStorageChunkEnd", "Failed to finalize possible pending tag");
    return 0;
  }
  if (!g_current->chunkPending) return 1;
  if (!RIFFIOChunkFinalize(file, &g_current->pendingChunk)) {
    RIFFIOError("NIFFIOStorageChunkEnd", "Couldn't finalize pending chunk");
    return 0;
  }
  g_current->chunkPending = false;
  return 1;
}

int NIFFIOStorageTagStart(NIFFIOTag* tag) {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStorageTagStart");
  if (!file) return 0;
  if (!NIFFIOStorageTagEnd()) {
    RIFFIOError("NIFFIOStorageTagStart", "Failed to finalize a pending tag");
    return 0;
  }
  if (!NIFFIOTagCreate(file, tag)) {
    RIFFIOError("NIFFIOStorageTagStart", "Failed to create tag");
    return 0;
  }
  g_current->pendingTag = *tag;
  g_current->tagPending = true;
  return 1;
}

int NIFFIOStorageChunkStart(RIFFIOChunk* chunk) {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStorageChunkStart");
  if (!file) return 0;
  if (!NIFFIOStorageChunkEnd()) {
    RIFFIOError("NIFFIOStorageChunkStart", "Failed to finalize a pending chunk or tag");
    return 0;
  }
  if (!RIFFIOChunkCreate(file, chunk)) {
    RIFFIOError("NIFFIOStorageChunkStart", "Failed to create chunk");
    return 0;
  }
  g_current->pendingChunk = *chunk;
  g_current->chunkPending = true;
  return 1;
}

int NIFFIOStorageListStart(RIFFIOChunk* list) {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStorageListStart");
  if (!file) return 0;
  if (!NIFFIOStorageChunkEnd()) {
    RIFFIOError("NIFFIOStorageListStart", "Failed to finalize a pending chunk or tag");
    return 0;
  }
  std::vector<RIFFIOChunk>& lists = g_current->lists;
  try {
    if (lists.size() == lists.capacity()) lists.reserve(lists.size() + kListStackStep);
  } catch (const std::bad_alloc&) {
    RIFFIOError("NIFFIOStorageListStart", "Failed to remember new list");
    return 0;
  }
  if (!RIFFIOChunkCreate(file, list)) {
    RIFFIOError("NIFFIOStorageListStart", "Failed to create list");
    return 0;
  }
  lists.push_back(*list);  // room reserved above
  return 1;
}

int NIFFIOStorageListEnd() {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStorageListEnd");
  if (!file) return 0;
  if (!NIFFIOStorageChunkEnd()) {
    RIFFIOError("NIFFIOStorageListEnd", "Failed to finalize possible pending chunks or tags");
    return 0;
  }
  std::vector<RIFFIOChunk>& lists = g_current->lists;
  if (lists.empty()) return 1;
  if (!RIFFIOChunkFinalize(file, &lists.back())) {
    RIFFIOError("NIFFIOStorageListEnd", "Couldn't finalize pending list");
    return 0;
  }
  lists.pop_back();
  if (lists.empty() && file->flush && file->flush(file->handle) != 0) {
    RIFFIOError("NIFFIOStorageListEnd", "Failed to flush the file");
    return 0;
  }
  return 1;
}

int NIFFIOStartNiff() { return StartList(kRIFFIO_RIFX, "NIFF"); }
int NIFFIOStartDataList() { return StartList(kRIFFIO_LIST, "data"); }
int NIFFIOStartPageList() { return StartList(kRIFFIO_LIST, "page"); }
int NIFFIOStartPartsList() { return StartList(kRIFFIO_LIST, "prts"); }
int NIFFIOStartSetupList() { return StartList(kRIFFIO_LIST, "setp"); }
int NIFFIOStartStaffList() { return StartList(kRIFFIO_LIST, "staf"); }
int NIFFIOStartSystemList() { return StartList(kRIFFIO_LIST, "syst"); }
