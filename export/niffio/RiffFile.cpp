#include "export/niffio/RiffFile.h"

#include <new>

#include "export/niffio/NiffTables.h"

namespace {

RIFFIOErrorReporter g_reporter = RIFFIODefaultErrorReporter;

size_t StdcRead(void* handle, void* buffer, size_t count) {
  return std::fread(buffer, 1, count, static_cast<std::FILE*>(handle));
}
size_t StdcWrite(void* handle, const void* buffer, size_t count) {
  return std::fwrite(buffer, 1, count, static_cast<std::FILE*>(handle));
}
int StdcSeek(void* handle, long offset, int origin) {
  const int whence = origin == RIFFIO_SEEK_CUR ? SEEK_CUR : origin == RIFFIO_SEEK_END ? SEEK_END : SEEK_SET;
  return std::fseek(static_cast<std::FILE*>(handle), offset, whence);
}
long StdcTell(void* handle) { return std::ftell(static_cast<std::FILE*>(handle)); }
int StdcFlush(void* handle) { return std::fflush(static_cast<std::FILE*>(handle)); }

bool LittleEndian(const NIFFIOFile* file) { return file->byteOrder == RIFFIO_ORDER_LITTLE; }

// The end of a chunk's data, or of the file when there is no chunk; -1 when
// the file's length cannot be found.
long ContainerEnd(NIFFIOFile* file, const RIFFIOChunk* parent) {
  if (parent) return parent->dataOffset + long(parent->size);
  const long here = RIFFIOTell(file);
  if (here < 0 || !RIFFIOSeek(file, 0, RIFFIO_SEEK_END)) return -1;
  const long end = RIFFIOTell(file);
  if (!RIFFIOSeek(file, here, RIFFIO_SEEK_SET)) return -1;
  return end;
}

}  // namespace

void RIFFIODefaultErrorReporter(const char* function, const char* format, va_list args) {
  std::fprintf(stderr, "RIFFIO:ERROR:%s:", function);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}

RIFFIOErrorReporter RIFFIOSetErrorReporter(RIFFIOErrorReporter reporter) {
  RIFFIOErrorReporter old = g_reporter;
  g_reporter = reporter;
  return old;
}

void RIFFIOError(const char* function, const char* format, ...) {
  if (!g_reporter) return;
  va_list args;
  va_start(args, format);
  g_reporter(function, format, args);
  va_end(args);
}

RIFFIOFOURCC RIFFIOFOURCCFromChars(const char* four) {
  return (uint32_t(uint8_t(four[0])) << 24) | (uint32_t(uint8_t(four[1])) << 16) | (uint32_t(uint8_t(four[2])) << 8) |
         uint32_t(uint8_t(four[3]));
}

void RIFFIOFOURCCToString(RIFFIOFOURCC code, char out[5]) {
  for (int i = 0; i < 4; ++i) out[i] = char((code >> (24 - 8 * i)) & 0xFF);
  out[4] = 0;
}

bool RIFFIOIsListId(RIFFIOFOURCC id) { return id == kRIFFIO_RIFF || id == kRIFFIO_RIFX || id == kRIFFIO_LIST; }

// ---- The file object ------------------------------------------------------

NIFFIOFile* NIFFIOFileNew() {
  NIFFIOFile* file = new (std::nothrow) NIFFIOFile;
  if (!file) RIFFIOError("NIFFIOFileNew", "Failed to allocate NIFFIOFile");
  return file;
}

int NIFFIOFileInitSTDC(NIFFIOFile* file, std::FILE* stream) {
  if (!file || !stream) return 0;
  file->handle = stream;
  file->read = StdcRead;
  file->write = StdcWrite;
  file->seek = StdcSeek;
  file->tell = StdcTell;
  file->flush = StdcFlush;
  return 1;
}

void NIFFIOFileDelete(NIFFIOFile* file) {
  if (!file) return;
  NIFFIOCLTDelete(file->clt);
  delete file;
}

int RIFFIOWriteBytes(NIFFIOFile* file, const void* bytes, size_t count) {
  return count == 0 || file->write(file->handle, bytes, count) == count;
}

int RIFFIOWrite8(NIFFIOFile* file, uint8_t value) { return RIFFIOWriteBytes(file, &value, 1); }

int RIFFIOWrite16(NIFFIOFile* file, uint16_t value) {
  uint8_t b[2];
  if (LittleEndian(file)) {
    b[0] = uint8_t(value);
    b[1] = uint8_t(value >> 8);
  } else {
    b[0] = uint8_t(value >> 8);
    b[1] = uint8_t(value);
  }
  return RIFFIOWriteBytes(file, b, 2);
}

int RIFFIOWrite32(NIFFIOFile* file, uint32_t value) {
  uint8_t b[4];
  for (int i = 0; i < 4; ++i) {
    const int shift = LittleEndian(file) ? 8 * i : 24 - 8 * i;
    b[i] = uint8_t(value >> shift);
  }
  return RIFFIOWriteBytes(file, b, 4);
}

int RIFFIOWriteFOURCC(NIFFIOFile* file, RIFFIOFOURCC code) {
  char text[5];
  RIFFIOFOURCCToString(code, text);
  return RIFFIOWriteBytes(file, text, 4);
}

int RIFFIORead8(NIFFIOFile* file, uint8_t* value) { return file->read(file->handle, value, 1) == 1; }

int RIFFIORead16(NIFFIOFile* file, uint16_t* value) {
  uint8_t b[2];
  if (file->read(file->handle, b, 2) != 2) return 0;
  *value = LittleEndian(file) ? uint16_t(b[0] | b[1] << 8) : uint16_t(b[0] << 8 | b[1]);
  return 1;
}

int RIFFIORead32(NIFFIOFile* file, uint32_t* value) {
  uint8_t b[4];
  if (file->read(file->handle, b, 4) != 4) return 0;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    const int shift = LittleEndian(file) ? 8 * i : 24 - 8 * i;
    v |= uint32_t(b[i]) << shift;
  }
  *value = v;
  return 1;
}

int RIFFIOReadFOURCC(NIFFIOFile* file, RIFFIOFOURCC* code) {
  char text[4];
  if (file->read(file->handle, text, 4) != 4) return 0;
  *code = RIFFIOFOURCCFromChars(text);
  return 1;
}

int RIFFIOSeek(NIFFIOFile* file, long offset, int origin) {
  return offset >= 0 || origin != RIFFIO_SEEK_SET ? file->seek(file->handle, offset, origin) == 0 : 0;
}

long RIFFIOTell(NIFFIOFile* file) { return file->tell(file->handle); }

// ---- Chunks ---------------------------------------------------------------

int RIFFIOChunkCreate(NIFFIOFile* file, RIFFIOChunk* chunk) {
  if (!RIFFIOWriteFOURCC(file, chunk->id)) {
    RIFFIOError("RIFFIOChunkCreate", "Failed to write chunk id");
    return 0;
  }
  if (file->byteOrder == RIFFIO_ORDER_UNSET) {
    if (chunk->id == kRIFFIO_RIFF) file->byteOrder = RIFFIO_ORDER_LITTLE;
    if (chunk->id == kRIFFIO_RIFX) file->byteOrder = RIFFIO_ORDER_BIG;
  }
  chunk->size = 0;
  if (!RIFFIOWrite32(file, 0)) {
    RIFFIOError("RIFFIOChunkCreate", "Failed to write chunk size");
    return 0;
  }
  chunk->dataOffset = RIFFIOTell(file);
  if (chunk->dataOffset < 4) {
    RIFFIOError("RIFFIOChunkCreate", "Failed to find chunk data offset");
    return 0;
  }
  if (RIFFIOIsListId(chunk->id) && !RIFFIOWriteFOURCC(file, chunk->type)) {
    RIFFIOError("RIFFIOChunkCreate", "Failed to write chunk type");
    return 0;
  }
  chunk->pending = true;
  return 1;
}

int RIFFIOChunkFinalize(NIFFIOFile* file, RIFFIOChunk* chunk) {
  const long end = RIFFIOTell(file);
  if (end < chunk->dataOffset || uint64_t(end - chunk->dataOffset) > 0xFFFFFFFEu) {
    RIFFIOError("RIFFIOChunkFinalize", "Failed to find end of chunk");
    return 0;
  }
  const uint32_t size = uint32_t(end - chunk->dataOffset);
  if ((size & 1) && !RIFFIOWrite8(file, 0)) {
    RIFFIOError("RIFFIOChunkFinalize", "Failed to write pad byte at end of chunk");
    return 0;
  }
  if (size != chunk->size) {
    if (!RIFFIOSeek(file, chunk->dataOffset - 4, RIFFIO_SEEK_SET)) {
      RIFFIOError("RIFFIOChunkFinalize", "Failed seek to update chunk size");
      return 0;
    }
    if (!RIFFIOWrite32(file, size)) {
      RIFFIOError("RIFFIOChunkFinalize", "Failed to write updated chunk size");
      return 0;
    }
    chunk->size = size;
  }
  chunk->pending = false;
  if (!RIFFIOChunkAscend(file, chunk)) {
    RIFFIOError("RIFFIOChunkFinalize", "Failed to ascend past new chunk");
    return 0;
  }
  return 1;
}

int RIFFIOChunkAscend(NIFFIOFile* file, const RIFFIOChunk* chunk) {
  if (!RIFFIOSeek(file, chunk->dataOffset + long(chunk->size) + long(chunk->size & 1), RIFFIO_SEEK_SET)) {
    RIFFIOError("RIFFIOChunkAscend", "Failed to seek past chunk");
    return 0;
  }
  return 1;
}

int RIFFIOChunkDescend(NIFFIOFile* file, RIFFIOChunk* chunk, const RIFFIOChunk* parent) {
  const long here = RIFFIOTell(file);
  const long end = ContainerEnd(file, parent);
  if (here < 0 || end < 0) {
    RIFFIOError("RIFFIOChunkDescend", "Failed to find the position in the file");
    return 0;
  }
  if (end - here < 8) {
    RIFFIOError("RIFFIOChunkDescend", "Chunk header at %ld runs past the end of its container", here);
    return 0;
  }
  RIFFIOFOURCC id = 0;
  uint32_t size = 0;
  if (!RIFFIOReadFOURCC(file, &id)) {
    RIFFIOError("RIFFIOChunkDescend", "Failed to read chunk id");
    return 0;
  }
  if (!parent && id == kRIFFIO_RIFF) file->byteOrder = RIFFIO_ORDER_LITTLE;
  if (!parent && id == kRIFFIO_RIFX) file->byteOrder = RIFFIO_ORDER_BIG;
  if (!RIFFIORead32(file, &size)) {
    RIFFIOError("RIFFIOChunkDescend", "Failed to read chunk size");
    return 0;
  }
  char name[5];
  RIFFIOFOURCCToString(id, name);
  const long dataOffset = here + 8;
  if (uint64_t(size) > uint64_t(end - dataOffset)) {
    RIFFIOError("RIFFIOChunkDescend", "Chunk <%s> of %lu bytes runs past the end of its container", name,
                static_cast<unsigned long>(size));
    return 0;
  }
  RIFFIOFOURCC type = 0;
  if (RIFFIOIsListId(id)) {
    if (size < 4) {
      RIFFIOError("RIFFIOChunkDescend", "List <%s> of %lu bytes has no room for its type", name,
                  static_cast<unsigned long>(size));
      return 0;
    }
    if (!RIFFIOReadFOURCC(file, &type)) {
      RIFFIOError("RIFFIOChunkDescend", "Failed to read chunk type");
      return 0;
    }
  }
  chunk->id = id;
  chunk->size = size;
  chunk->type = type;
  chunk->dataOffset = dataOffset;
  chunk->pending = false;
  return 1;
}

int RIFFIOChunkDataEnd(NIFFIOFile* file, const RIFFIOChunk* chunk) {
  const long here = RIFFIOTell(file);
  const long end = ContainerEnd(file, chunk);
  return here < 0 || end < 0 || here >= end;
}

// ---- Tags -----------------------------------------------------------------

int NIFFIOTagCreate(NIFFIOFile* file, NIFFIOTag* tag) {
  if (!RIFFIOWrite8(file, tag->id)) {
    RIFFIOError("NIFFIOTagCreate", "Failed to write tag id %u", unsigned(tag->id));
    return 0;
  }
  tag->size = 0;
  if (!RIFFIOWrite8(file, 0)) {
    RIFFIOError("NIFFIOTagCreate", "Failed to write tag size %u", 0u);
    return 0;
  }
  tag->dataOffset = RIFFIOTell(file);
  if (tag->dataOffset < 1) {
    RIFFIOError("NIFFIOTagCreate", "Failed to find tag data offset");
    return 0;
  }
  tag->pending = true;
  return 1;
}

int NIFFIOTagFinalize(NIFFIOFile* file, NIFFIOTag* tag) {
  const long end = RIFFIOTell(file);
  if (end < tag->dataOffset) {
    RIFFIOError("NIFFIOTagFinalize", "Failed to find end of tag");
    return 0;
  }
  if (end - tag->dataOffset > 255) {
    RIFFIOError("NIFFIOTagFinalize", "Tag %u of %ld bytes does not fit its size byte", unsigned(tag->id),
                end - tag->dataOffset);
    return 0;
  }
  const uint8_t size = uint8_t(end - tag->dataOffset);
  if ((size & 1) && !RIFFIOWrite8(file, 0)) {
    RIFFIOError("NIFFIOTagFinalize", "Failed to write pad byte at end of tag");
    return 0;
  }
  if (size != tag->size) {
    if (!RIFFIOSeek(file, tag->dataOffset - 1, RIFFIO_SEEK_SET)) {
      RIFFIOError("NIFFIOTagFinalize", "Failed to seek to tag size");
      return 0;
    }
    if (!RIFFIOWrite8(file, size)) {
      RIFFIOError("NIFFIOTagFinalize", "Failed to write tag size");
      return 0;
    }
    tag->size = size;
  }
  tag->pending = false;
  if (!NIFFIOTagAscend(file, tag)) {
    RIFFIOError("NIFFIOTagFinalize", "Failed to ascend past newly created tag");
    return 0;
  }
  return 1;
}

int NIFFIOTagAscend(NIFFIOFile* file, const NIFFIOTag* tag) {
  if (!RIFFIOSeek(file, tag->dataOffset + long(tag->size) + long(tag->size & 1), RIFFIO_SEEK_SET)) {
    RIFFIOError("NIFFIOTagAscend", "Failed to seek past of tag");
    return 0;
  }
  return 1;
}

int NIFFIOTagDescend(NIFFIOFile* file, NIFFIOTag* tag, const RIFFIOChunk* chunk) {
  const long here = RIFFIOTell(file);
  const long end = chunk->dataOffset + long(chunk->size);
  if (here < 0 || end - here < 2) {
    RIFFIOError("NIFFIOTagDescend", "Tag header runs past the end of its chunk");
    return 0;
  }
  uint8_t id = 0, size = 0;
  if (!RIFFIORead8(file, &id) || !RIFFIORead8(file, &size)) {
    RIFFIOError("NIFFIOTagDescend", "Failed to read tag header");
    return 0;
  }
  if (long(size) > end - (here + 2)) {
    RIFFIOError("NIFFIOTagDescend", "Tag %u of %u bytes runs past the end of its chunk", unsigned(id), unsigned(size));
    return 0;
  }
  tag->id = id;
  tag->size = size;
  tag->dataOffset = here + 2;
  tag->pending = false;
  return 1;
}
