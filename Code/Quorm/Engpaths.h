// Engine paths and data-file reading. Every data file lies below the engine
// folder, which StartEngine sets for each run. Paths are fixed 264-byte ANSI
// values joined one component at a time; a join that would reach 264 bytes
// gives the empty path, which names no file.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kEnginePathBytes = 264;

struct EnginePath {
  char text[kEnginePathBytes];
};

// base + "\" + component; empty when the component is missing or when
// length(base) + length(component) + 2 >= 264. An empty base joins from "".
EnginePath JoinEnginePath(const EnginePath& base, const char* component);
// A copy of text; false when text is missing or 264 characters or longer.
bool MakeEnginePath(const char* text, EnginePath* out);

void SetEngineFolder(const char* path);  // always succeeds
const EnginePath& EngineFolder();        // empty until a run sets it

// The stream, or null for a missing or empty path or a failed open.
std::FILE* OpenEngineFile(const char* path, const char* mode);

// Each returns its own buffer, valid until the same function runs again.
const char* GetFssRefPath(int old);    // folder\Learned\fssOLD (old != 0) or fssSTD
const char* GetNheadRefPath(int old);  // folder\Learned\nhOLD or nhSTD
const char* GetTextRefPath();          // folder\Learned\Text
const char* GetLangDataPath(const char* language);  // folder\Langs\language\langdata.txt
const char* GetSylngramPath(const char* language);  // folder\Langs\language\sylngram.bin
const char* GetUserDictPath();         // folder\User\dict.txt

// The next four bytes, little-endian. Bytes past the end read as 0; callers
// that care check the stream's end-of-file state (or the file size first).
int32_t ReadInt32LE(std::FILE* stream);
// n bytes as they stand in the file; those past its end read as 0.
void ReadEngineBytes(std::FILE* stream, uint8_t* out, size_t n);
// The stream's length in bytes from its start, -1 when unknown; the position
// is kept.
long EngineFileSize(std::FILE* stream);
