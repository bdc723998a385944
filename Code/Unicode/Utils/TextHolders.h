// Holders that carry text between the program's wide form and the ANSI form
// of the Windows 9x calls.
#pragma once

#include <cstdint>

#include "Code/Unicode/Utils/Str.h"

// A temporary ANSI argument made from wide text. A pointer value below 65536
// is a resource id (MAKEINTRESOURCE) and passes unchanged; other text is
// converted with the ANSI code page into a block that the holder owns.
class CTempAnsi {
 public:
  CTempAnsi() = default;
  // length: characters to convert; below 1 the whole NUL-ended text.
  explicit CTempAnsi(const char16_t* text, int length = 0);
  ~CTempAnsi();
  CTempAnsi(const CTempAnsi&) = delete;
  CTempAnsi& operator=(const CTempAnsi&) = delete;

  void Assign(const char16_t* text, int length = 0);
  bool Owned() const { return owned_ != 0; }

 private:
  friend const char* GetFirstMember(const CTempAnsi& holder);
  void Release();

  char* text_ = nullptr;
  uint32_t owned_ = 0;
};

// The largest number of bytes one UTF-16 unit can need in an ANSI code page
// (double-byte code pages need 2, a UTF-8 ANSI code page up to 3).
constexpr int kAnsiBytesPerUnit = 3;

// An ANSI stand-in for a caller's wide output buffer of count characters. The
// ANSI block starts with the buffer's present contents and is large enough for
// any text that fits count characters. The destructor converts the block back
// (at most count characters, NUL-ended) and frees it. A count below 1 takes
// the present contents as the size: when they hold no NUL within
// kMeasureReach characters the buffer counts as empty.
class CAnsiOutBuf {
 public:
  CAnsiOutBuf(char16_t* wide, int count);
  ~CAnsiOutBuf();
  CAnsiOutBuf(const CAnsiOutBuf&) = delete;
  CAnsiOutBuf& operator=(const CAnsiOutBuf&) = delete;

  // Bytes of the ANSI block, to hand to the ANSI call as its buffer size.
  int AnsiBytes() const { return ansiBytes_; }
  // Characters of the wide buffer that the conversion back may fill.
  int WideCount() const { return count_; }

  static constexpr int kMeasureReach = 32768;

 private:
  friend char* GetFirstMember(const CAnsiOutBuf& holder);

  char* ansi_ = nullptr;
  char16_t* wide_ = nullptr;
  int count_ = 0;
  int ansiBytes_ = 0;
};

// The ANSI buffer of a text-out call (a call that writes text into the
// caller's buffer of count characters). The ANSI call gets Ansi() and
// CountForCall(); Finish() converts its text back, at most count characters
// with the NUL. A null wide buffer gives a null ANSI buffer and nothing is
// converted. A count below 1 reaches the call unchanged; the wide text already
// in the buffer then gives the size (none when it has no NUL within
// CAnsiOutBuf::kMeasureReach characters: nothing is written back).
class CTextOutBuffer {
 public:
  CTextOutBuffer(char16_t* wide, int count);
  ~CTextOutBuffer();
  CTextOutBuffer(const CTextOutBuffer&) = delete;
  CTextOutBuffer& operator=(const CTextOutBuffer&) = delete;

  char* Ansi() const { return ansi_; }
  int CountForCall() const { return callCount_; }
  // Converts back; the characters written without the NUL.
  int Finish();
  // After Finish: the ANSI text did not fit the wide buffer whole.
  bool Truncated() const { return truncated_; }
  // After Finish: the characters that the whole ANSI text needs, without the NUL.
  int FullLength() const { return fullLength_; }

 private:
  char* ansi_ = nullptr;
  char16_t* wide_ = nullptr;
  int count_ = 0;
  int ansiBytes_ = 0;
  int callCount_ = 0;
  bool truncated_ = false;
  int fullLength_ = 0;
};

// A text value in the platform's form (ANSI on 9x, wide on NT), for registry
// strings and similar data that Windows calls take or fill.
class CPlatformText {
 public:
  CPlatformText() = default;
  ~CPlatformText();
  CPlatformText(const CPlatformText&) = delete;
  CPlatformText& operator=(const CPlatformText&) = delete;

  // The wide text itself on NT or with keepWide, else an owned ANSI copy.
  void FromWide(const char16_t* text, bool keepWide = false);
  // A buffer that a Windows call filled in the platform's form; not owned.
  void Wrap(void* buffer);
  // What to hand to a call.
  const void* Get() const;
  bool Narrow() const { return narrow_ != 0; }
  CStr ToStr() const;

 private:
  void Release();

  uint8_t narrow_ = 0;
  CStr text_;
  void* pointer_ = nullptr;
  uint32_t owned_ = 0;
};

// The text pointer of a holder, as the wrappers hand it to the ANSI calls.
const char* GetFirstMember(const CTempAnsi& holder);
char* GetFirstMember(const CAnsiOutBuf& holder);

// Helpers of the holders, shared with the wrappers.
// The length of a wide text, looking at most reach characters; -1 when no NUL
// lies within reach.
int BoundedWideLength(const char16_t* text, int reach);
// A new malloc block with the first length characters (below 1: up to the
// NUL) of text in the ANSI code page, NUL-ended; "" when nothing converts.
char* NewAnsiCopy(const char16_t* text, int length);
// ANSI text (up to its NUL, at most bytes) into wide, at most count
// characters including the NUL; the characters written without the NUL.
// *fullLength (when given): the characters the whole text needs.
int AnsiToWideBounded(const char* ansi, int bytes, char16_t* wide, int count, int* fullLength = nullptr);
