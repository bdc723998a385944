// Text holders between the wide form and the ANSI form of the 9x calls.
#include "Code/Unicode/Utils/TextHolders.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Platform.h"

namespace {

constexpr uintptr_t kResourceIdLimit = 0x10000;
// Counts above this are taken as this many characters, so that the ANSI
// block size cannot overflow; no text buffer of the program comes near it.
constexpr int kLargestCount = 1 << 24;

int Clamped(int count) { return count > kLargestCount ? kLargestCount : count; }

char* NewEmptyAnsi() {
  char* block = static_cast<char*>(std::malloc(1));
  if (block) block[0] = '\0';
  return block;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

int BoundedWideLength(const char16_t* text, int reach) {
  for (int i = 0; i < reach; ++i)
    if (text[i] == 0) return i;
  return -1;
}

char* NewAnsiCopy(const char16_t* text, int length) {
  int n = 0;
  if (length >= 1) {
    while (n < length && text[n] != 0) ++n;
  } else {
    n = static_cast<int>(WideLength(text));
  }
  if (n == 0) return NewEmptyAnsi();
  int needed = platform::WideToMultiByte(platform::kAnsiCodePage, text, n, nullptr, 0);
  if (needed <= 0) return NewEmptyAnsi();
  char* block = static_cast<char*>(std::malloc(static_cast<size_t>(needed) + 1));
  if (!block) return nullptr;
  int written = platform::WideToMultiByte(platform::kAnsiCodePage, text, n, block, needed);
  block[written > 0 ? written : 0] = '\0';
  return block;
}

int AnsiToWideBounded(const char* ansi, int bytes, char16_t* wide, int count, int* fullLength) {
  int n = 0;
  while (ansi && n < bytes && ansi[n] != '\0') ++n;
  int needed = n > 0 ? platform::MultiByteToWide(platform::kAnsiCodePage, ansi, n, nullptr, 0) : 0;
  if (needed < 0) needed = 0;
  if (fullLength) *fullLength = needed;
  if (!wide || count < 1) return 0;
  int written = 0;
  if (needed > 0 && needed <= count - 1) {
    written = platform::MultiByteToWide(platform::kAnsiCodePage, ansi, n, wide, count - 1);
  } else if (needed > 0) {
    std::vector<char16_t> whole(static_cast<size_t>(needed));
    int converted = platform::MultiByteToWide(platform::kAnsiCodePage, ansi, n, whole.data(), needed);
    written = converted < count - 1 ? converted : count - 1;
    if (written > 0 && written < converted && IsHighSurrogate(whole[written - 1])) --written;
    if (written > 0) std::memcpy(wide, whole.data(), static_cast<size_t>(written) * sizeof(char16_t));
  }
  if (written < 0) written = 0;
  wide[written] = 0;
  return written;
}

// ---- CTempAnsi -------------------------------------------------------------

CTempAnsi::CTempAnsi(const char16_t* text, int length) { Assign(text, length); }

CTempAnsi::~CTempAnsi() { Release(); }

void CTempAnsi::Release() {
  if (owned_) std::free(text_);
  text_ = nullptr;
  owned_ = 0;
}

void CTempAnsi::Assign(const char16_t* text, int length) {
  Release();
  if (reinterpret_cast<uintptr_t>(text) < kResourceIdLimit) {
    text_ = reinterpret_cast<char*>(const_cast<char16_t*>(text));
    return;
  }
  text_ = NewAnsiCopy(text, length);
  owned_ = text_ != nullptr;
}

const char* GetFirstMember(const CTempAnsi& holder) { return holder.text_; }

// ---- CAnsiOutBuf -----------------------------------------------------------

CAnsiOutBuf::CAnsiOutBuf(char16_t* wide, int count) : wide_(wide), count_(Clamped(count)) {
  count = count_;
  if (!wide) return;
  int present = 0;
  if (count >= 1) {
    present = BoundedWideLength(wide, count);
    if (present < 0) present = 0;  // no NUL inside the buffer: no text in it
    ansiBytes_ = count * kAnsiBytesPerUnit;
  } else {
    present = BoundedWideLength(wide, kMeasureReach);
    if (present < 0) {
      present = 0;
      count_ = 0;  // nothing known about the buffer: never written
    } else {
      count_ = present + 1;
    }
    ansiBytes_ = (present > 0 ? platform::WideToMultiByte(platform::kAnsiCodePage, wide, present, nullptr, 0) : 0) + 1;
    if (ansiBytes_ < 1) ansiBytes_ = 1;
  }
  ansi_ = static_cast<char*>(std::malloc(static_cast<size_t>(ansiBytes_) + 1));
  if (!ansi_) {
    ansiBytes_ = 0;
    return;
  }
  int written = present > 0 ? platform::WideToMultiByte(platform::kAnsiCodePage, wide, present, ansi_, ansiBytes_) : 0;
  ansi_[written > 0 ? written : 0] = '\0';
}

CAnsiOutBuf::~CAnsiOutBuf() {
  if (wide_ && ansi_ && count_ >= 1) AnsiToWideBounded(ansi_, ansiBytes_, wide_, count_);
  std::free(ansi_);
}

char* GetFirstMember(const CAnsiOutBuf& holder) { return holder.ansi_; }

// ---- CTextOutBuffer --------------------------------------------------------

CTextOutBuffer::CTextOutBuffer(char16_t* wide, int count)
    : wide_(wide), count_(Clamped(count)), callCount_(count_) {
  count = count_;
  if (!wide) return;
  if (count >= 1) {
    ansiBytes_ = count * kAnsiBytesPerUnit;
    callCount_ = ansiBytes_;
  } else {
    int present = BoundedWideLength(wide, CAnsiOutBuf::kMeasureReach);
    count_ = present < 0 ? 0 : present + 1;
    ansiBytes_ = count_ > 0 ? count_ * kAnsiBytesPerUnit : 1;
  }
  ansi_ = static_cast<char*>(std::malloc(static_cast<size_t>(ansiBytes_) + 1));
  if (ansi_) {
    ansi_[0] = '\0';
    ansi_[ansiBytes_] = '\0';
  } else {
    ansiBytes_ = 0;
    callCount_ = count < 1 ? count : 0;
  }
}

CTextOutBuffer::~CTextOutBuffer() { std::free(ansi_); }

int CTextOutBuffer::Finish() {
  if (!wide_ || !ansi_ || count_ < 1) return 0;
  int written = AnsiToWideBounded(ansi_, ansiBytes_, wide_, count_, &fullLength_);
  truncated_ = written < fullLength_;
  return written;
}

// ---- CPlatformText ---------------------------------------------------------

CPlatformText::~CPlatformText() { Release(); }

void CPlatformText::Release() {
  if (owned_) std::free(pointer_);
  pointer_ = nullptr;
  owned_ = 0;
  narrow_ = 0;
}

void CPlatformText::FromWide(const char16_t* text, bool keepWide) {
  Release();
  if (keepWide || IsWindowsNT()) {
    pointer_ = const_cast<char16_t*>(text);
    return;
  }
  narrow_ = 1;
  if (text) {
    pointer_ = NewAnsiCopy(text, 0);
    owned_ = pointer_ != nullptr;
  }
}

void CPlatformText::Wrap(void* buffer) {
  Release();
  pointer_ = buffer;
  narrow_ = IsWindows9x();
}

const void* CPlatformText::Get() const {
  if (pointer_) return pointer_;
  if (narrow_) return nullptr;
  return text_.Text();
}

CStr CPlatformText::ToStr() const {
  if (!pointer_) return text_;
  if (narrow_) {
    CStr result;
    result.AssignAnsi(static_cast<const char*>(pointer_));
    return result;
  }
  return CStr(static_cast<const char16_t*>(pointer_));
}
