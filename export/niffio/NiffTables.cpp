#include "export/niffio/NiffTables.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "export/niffio/NiffChunks.h"
#include "export/niffio/NiffStorage.h"

namespace {

struct DefaultLength {
  const char* id;
  int32_t length;
};

constexpr int32_t kEndOfDefaults = -9999;

// Fixed chunk lengths of NIFF; -1 marks a chunk of variable length.
const DefaultLength kDefaultLengths[] = {
    {"clt ", -1},        {"dflt", 14}, {"epsg", -1}, {"fntd", 11}, {"nnfo", 14}, {"part", 14}, {"pst1", -1},
    {"pst3", -1},        {"stfg", 5},  {"stbl", -1}, {"pghd", 0},  {"sthd", 0},  {"syhd", 0},  {"tmsl", 5},
    {"acdl", 1},         {"altg", 5},  {"arpg", 1},  {"artc", 2},  {"augd", 0},  {"barl", 4},  {"beam", 2},
    {"chrd", 4},         {"clef", 3},  {"cstg", 2},  {"dynm", 1},  {"figb", 4},  {"fing", 1},  {"glis", 0},
    {"gtgr", 6},         {"gttb", 2},  {"hrpn", 1},  {"harp", 4},  {"keys", 1},  {"keyn", 1},  {"line", 1},
    {"lyrc", 5},         {"meas", 9},  {"midi", -1}, {"font", 7},  {"note", 6},  {"octv", 7},  {"ornm", 2},
    {"pren", 1},         {"pdlp", 1},  {"pdlo", 1},  {"port", 0},  {"rhrs", 5},  {"rept", 3},  {"rest", 6},
    {"slur", 0},         {"stem", 0},  {"ssep", 1},  {"taga", 0},  {"tagi", 0},  {"tmpo", 10}, {"tmpn", 1},
    {"text", 4},         {"tie ", 0},  {"time", 2},  {"timn", 1},  {"tmlo", 2},  {"tupl", 0},  {"IARL", -1},
    {"IART", -1},        {"ICMS", -1}, {"ICMT", -1}, {"ICOP", -1}, {"ICRD", -1}, {"ICRP", -1}, {"IDIM", -1},
    {"IDPI", -1},        {"IENG", -1}, {"IGNR", -1}, {"IKEY", -1}, {"ILGT", -1}, {"IMED", -1}, {"INAM", -1},
    {"IPLT", -1},        {"IPRD", -1}, {"ISBJ", -1}, {"ISFT", -1}, {"ISHP", -1}, {"ISRC", -1}, {"ISRF", -1},
    {"", kEndOfDefaults}};

bool IsLetterOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

bool IsValidChunkName(const char* id) {
  int letters = 0;
  while (letters < 4 && IsLetterOrDigit(id[letters])) ++letters;
  if (letters == 0) return false;
  for (int i = letters; i < 4; ++i)
    if (id[i] != ' ') return false;
  return true;
}

}  // namespace

NIFFIOChunkLengthTable* NIFFIOCLTNew() { return new (std::nothrow) NIFFIOChunkLengthTable; }

void NIFFIOCLTDelete(NIFFIOChunkLengthTable* table) {
  if (!table) return;
  for (NIFFIOCLTEntry*& head : table->buckets) {
    while (head) {
      NIFFIOCLTEntry* next = head->next;
      delete head;
      head = next;
    }
  }
  delete table;
}

int NIFFIOCLTMakeEntry(NIFFIOChunkLengthTable* table, const char* id, int32_t length) {
  if (!IsValidChunkName(id)) {
    char shown[5] = {};
    for (int i = 0; i < 4 && id[i]; ++i) shown[i] = id[i];
    RIFFIOError("NIFFIOCLTMakeEntry", "Entry has an invalid chunkName <%s>", shown);
    return 0;
  }
  const RIFFIOFOURCC code = RIFFIOFOURCCFromChars(id);
  NIFFIOCLTEntry** link = &table->buckets[code % kNIFFIOCLTBuckets];
  for (; *link; link = &(*link)->next) {
    if ((*link)->id == code) {
      (*link)->length = length;
      return 1;
    }
  }
  *link = new (std::nothrow) NIFFIOCLTEntry{code, length, nullptr};
  if (!*link) {
    RIFFIOError("NIFFIOCLTMakeEntry", "Failed to allocate an entry");
    return 0;
  }
  return 1;
}

const NIFFIOCLTEntry* NIFFIOCLTFind(const NIFFIOChunkLengthTable* table, RIFFIOFOURCC id) {
  for (const NIFFIOCLTEntry* e = table->buckets[id % kNIFFIOCLTBuckets]; e; e = e->next)
    if (e->id == id) return e;
  return nullptr;
}

int NIFFIOFileAdoptCLT(NIFFIOFile* file, NIFFIOChunkLengthTable* table) {
  std::vector<const NIFFIOCLTEntry*> sorted;
  try {
    for (const NIFFIOCLTEntry* head : table->buckets)
      for (const NIFFIOCLTEntry* e = head; e; e = e->next) sorted.push_back(e);
  } catch (const std::bad_alloc&) {
    RIFFIOError("NIFFIOFileAdoptCLT", "Failed to sort the chunk length table");
    NIFFIOCLTDelete(table);
    return 0;
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const NIFFIOCLTEntry* a, const NIFFIOCLTEntry* b) { return a->id < b->id; });
  for (const NIFFIOCLTEntry* e : sorted) {
    if (!RIFFIOWriteFOURCC(file, e->id) || !RIFFIOWrite32(file, uint32_t(e->length))) {
      char name[5];
      RIFFIOFOURCCToString(e->id, name);
      RIFFIOError("NIFFIOFileAdoptCLT", "Failed to write chunk length table entry %s, size %lu", name,
                  static_cast<unsigned long>(uint32_t(e->length)));
      NIFFIOCLTDelete(table);
      return 0;
    }
  }
  if (file->clt != table) NIFFIOCLTDelete(file->clt);
  file->clt = table;
  return 1;
}

int NIFFIOStoreCLT(NIFFIOChunkLengthTable* table) {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStoreCLT");
  if (!file) {
    NIFFIOCLTDelete(table);
    return 0;
  }
  if (!NIFFIOFileAdoptCLT(file, table)) {
    RIFFIOError("NIFFIOStoreCLT", "Failed to assign CLT to NIFFIOFile");
    return 0;
  }
  return 1;
}

int NIFFIOStoreDefaultCLT() {
  NIFFIOChunkLengthTable* table = NIFFIOCLTNew();
  if (!table) {
    RIFFIOError("NIFFIOStoreDefaultCLT", "Failed to allocate a chunk length table");
    return 0;
  }
  for (const DefaultLength* d = kDefaultLengths; d->length != kEndOfDefaults; ++d) {
    if (!NIFFIOCLTMakeEntry(table, d->id, d->length)) {
      RIFFIOError("NIFFIOStoreDefaultCLT", "Failed to make default entries in CLT");
      NIFFIOCLTDelete(table);
      return 0;
    }
  }
  if (!NIFFIOChunkClt()) {
    RIFFIOError("NIFFIOStoreDefaultCLT", "Failed to start a CLT chunk");
    NIFFIOCLTDelete(table);
    return 0;
  }
  if (!NIFFIOStoreCLT(table)) {
    RIFFIOError("NIFFIOStoreDefaultCLT", "NIFFIOStoreCLT failed");
    return 0;
  }
  return 1;
}

int NIFFIOStblWrite(NIFFIOFile* file, const char* text) {
  if (!RIFFIOWriteBytes(file, text, std::strlen(text) + 1)) {
    RIFFIOError("NIFFIOStblWrite", "Failed to write string");
    return 0;
  }
  return 1;
}

int NIFFIOStblStore(NIFFIOStblEntry* entries, int count) {
  NIFFIOFile* file = NIFFIOStorageCurrentFile("NIFFIOStblStore");
  if (!file) return 0;
  NIFFIOStorage* storage = NIFFIOStorageGetCurrent();
  if (!storage->chunkPending) {
    RIFFIOError("NIFFIOStblStore", "No pending chunk to hold the strings");
    return 0;
  }
  const long chunkData = storage->pendingChunk.dataOffset;
  for (int i = 0; i < count; ++i) {
    const long at = RIFFIOTell(file);
    if (at < chunkData || !NIFFIOStblWrite(file, entries[i].text)) {
      RIFFIOError("NIFFIOStblStore", "Failed to write string index %d", i);
      return i;
    }
    entries[i].offset = uint32_t(at - chunkData);
  }
  return count;
}
