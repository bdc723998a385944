// The file layer of the NIFF chunk library: a file object over four
// operations, numbers in the file's byte order, RIFF chunks and lists, NIFF
// tags, and the error reporter every step reports through. Writing creates a
// chunk with a provisional size and patches it when the chunk is finalised;
// reading descends into a chunk after checking that it fits its container.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct NIFFIOChunkLengthTable;

// ---- Error reporting ------------------------------------------------------

// Receives the failing function's name, a printf-style message and its
// arguments. Null reports nothing.
using RIFFIOErrorReporter = void (*)(const char* function, const char* format, va_list args);
// Writes "RIFFIO:ERROR:<function>:" and the message to the standard error.
void RIFFIODefaultErrorReporter(const char* function, const char* format, va_list args);
RIFFIOErrorReporter RIFFIOSetErrorReporter(RIFFIOErrorReporter reporter);  // returns the old one
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void RIFFIOError(const char* function, const char* format, ...);

// ---- Four-character codes -------------------------------------------------

// The four characters packed first-highest, so that comparing the numbers
// compares the texts character by character (unsigned).
using RIFFIOFOURCC = uint32_t;
constexpr RIFFIOFOURCC RIFFIOMakeFOURCC(const char (&text)[5]) {
  return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) | (uint32_t(uint8_t(text[2])) << 8) |
         uint32_t(uint8_t(text[3]));
}
RIFFIOFOURCC RIFFIOFOURCCFromChars(const char* four);
// The code as a NUL-ended text for messages.
void RIFFIOFOURCCToString(RIFFIOFOURCC code, char out[5]);
constexpr RIFFIOFOURCC kRIFFIO_RIFF = RIFFIOMakeFOURCC("RIFF");
constexpr RIFFIOFOURCC kRIFFIO_RIFX = RIFFIOMakeFOURCC("RIFX");
constexpr RIFFIOFOURCC kRIFFIO_LIST = RIFFIOMakeFOURCC("LIST");
bool RIFFIOIsListId(RIFFIOFOURCC id);  // "RIFF", "RIFX" and "LIST" carry a list type

// ---- The file object ------------------------------------------------------

enum : int { RIFFIO_SEEK_SET = 0, RIFFIO_SEEK_CUR = 1, RIFFIO_SEEK_END = 2 };
enum : int { RIFFIO_ORDER_UNSET = 0, RIFFIO_ORDER_LITTLE = 1, RIFFIO_ORDER_BIG = 2 };

struct NIFFIOFile {
  void* handle = nullptr;
  size_t (*read)(void* handle, void* buffer, size_t count) = nullptr;         // bytes read
  size_t (*write)(void* handle, const void* buffer, size_t count) = nullptr;  // bytes written
  int (*seek)(void* handle, long offset, int origin) = nullptr;               // 0 on success
  long (*tell)(void* handle) = nullptr;                                       // -1 on failure
  int (*flush)(void* handle) = nullptr;                                       // 0 on success; optional
  int byteOrder = RIFFIO_ORDER_UNSET;
  NIFFIOChunkLengthTable* clt = nullptr;  // adopted, freed with the file
};

NIFFIOFile* NIFFIOFileNew();
// Operations over a C runtime stream (opened and closed by the caller, for
// instance through platform::OpenStream).
int NIFFIOFileInitSTDC(NIFFIOFile* file, std::FILE* stream);
void NIFFIOFileDelete(NIFFIOFile* file);

// Numbers in the file's byte order (big-endian while it is unset). Each
// returns 1 on success, 0 on a short read or write; they report nothing.
int RIFFIOWrite8(NIFFIOFile* file, uint8_t value);
int RIFFIOWrite16(NIFFIOFile* file, uint16_t value);
int RIFFIOWrite32(NIFFIOFile* file, uint32_t value);
int RIFFIOWriteFOURCC(NIFFIOFile* file, RIFFIOFOURCC code);
int RIFFIOWriteBytes(NIFFIOFile* file, const void* bytes, size_t count);
int RIFFIORead8(NIFFIOFile* file, uint8_t* value);
int RIFFIORead16(NIFFIOFile* file, uint16_t* value);
int RIFFIORead32(NIFFIOFile* file, uint32_t* value);
int RIFFIOReadFOURCC(NIFFIOFile* file, RIFFIOFOURCC* code);
int RIFFIOSeek(NIFFIOFile* file, long offset, int origin);
long RIFFIOTell(NIFFIOFile* file);

// ---- Chunks and lists -----------------------------------------------------

struct RIFFIOChunk {
  RIFFIOFOURCC id = 0;
  uint32_t size = 0;      // data bytes (for a list: its type and contents)
  RIFFIOFOURCC type = 0;  // list type of "RIFF", "RIFX" and "LIST"
  long dataOffset = 0;    // file position just after the size field
  bool pending = false;
};

// Writes id, a provisional size 0 and, for a list, its type. "RIFF" and "RIFX"
// fix the file's byte order while it is still unset.
int RIFFIOChunkCreate(NIFFIOFile* file, RIFFIOChunk* chunk);
// Pads an odd size, patches the size and ascends past the chunk.
int RIFFIOChunkFinalize(NIFFIOFile* file, RIFFIOChunk* chunk);
// Seeks to the position after the chunk's data and pad byte.
int RIFFIOChunkAscend(NIFFIOFile* file, const RIFFIOChunk* chunk);

// Reads the header of the chunk at the current position, refusing one whose
// header or data runs past the end of its container (the parent's data, or
// the file with no parent). An outermost "RIFF" or "RIFX" sets the byte order.
int RIFFIOChunkDescend(NIFFIOFile* file, RIFFIOChunk* chunk, const RIFFIOChunk* parent);
// 1 when the position has reached the end of the chunk's data; with no
// chunk, the end of the file.
int RIFFIOChunkDataEnd(NIFFIOFile* file, const RIFFIOChunk* chunk);

// ---- NIFF tags: one-byte id and size inside a chunk ----------------------

struct NIFFIOTag {
  uint8_t id = 0;
  uint8_t size = 0;
  long dataOffset = 0;
  bool pending = false;
};

int NIFFIOTagCreate(NIFFIOFile* file, NIFFIOTag* tag);
// Refuses data of more than 255 bytes, which its size byte cannot hold.
int NIFFIOTagFinalize(NIFFIOFile* file, NIFFIOTag* tag);
int NIFFIOTagAscend(NIFFIOFile* file, const NIFFIOTag* tag);
// Reads the tag header at the current position inside the chunk's data.
int NIFFIOTagDescend(NIFFIOFile* file, NIFFIOTag* tag, const RIFFIOChunk* chunk);
