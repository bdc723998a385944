#include "platform/Messages.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/HandleTestControls.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "platform/TextUtils.h"

namespace {

enum : unsigned {
  kTextNeed = 10056,
  kTextBytesMore = 10057,
  kTextKMore = 10058,
  kTextWillExit = 10059,
  kTextMinutes = 10062,
  kTextSeconds = 10063,
  kTextErrorCaption = 10110,
  kTextDash = 10182,
  kTextSpace = 10183,
  kTextNoTime = 10245,
  kTextNoTimeSpaced = 10246,
  kTextMessageCaption = 10408,
};

// ---- Handles ----
// Each block starts with a header that holds its size, so that a handle's
// size is known on every heap; the handle points past the header.
constexpr size_t kHeader = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

std::atomic<bool> g_failAllocations{false};
std::atomic<bool> g_freeMemorySet{false};
std::atomic<uint64_t> g_freeMemory{0};

unsigned char* BlockOf(Handle data) { return static_cast<unsigned char*>(data) - kHeader; }

void SetSize(unsigned char* block, size_t n) { std::memcpy(block, &n, sizeof n); }

// Resizes (or, from null, allocates) a block; null on failure, the old block untouched.
Handle ResizeBlock(Handle data, size_t n) {
  if (g_failAllocations || n > SIZE_MAX - kHeader) return nullptr;
  void* block = std::realloc(data ? BlockOf(data) : nullptr, kHeader + n);
  if (!block) return nullptr;
  SetSize(static_cast<unsigned char*>(block), n);
  return static_cast<unsigned char*>(block) + kHeader;
}

uint64_t FreeMemoryFigure() { return g_freeMemorySet ? g_freeMemory.load() : platform::FreeMemory(); }

// ---- Stop ----
std::atomic<uint32_t> g_nextKeyCheck{0};

}  // namespace

void SetFreeMemoryForTest(uint64_t bytes) {
  g_freeMemory = bytes;
  g_freeMemorySet = true;
}

void ClearFreeMemoryForTest() { g_freeMemorySet = false; }

void FailAllocationsForTest(bool fail) { g_failAllocations = fail; }

// ---- Texts ----

int LoadUiString(unsigned id, char16_t* buffer, int count) {
  if (buffer && count > 0) {
    buffer[0] = 0;
    platform::LoadUiString(id, buffer, count);
  }
  return 1;
}

int MessageById(void* owner, unsigned id, ...) {
  char16_t format[513];
  char16_t text[513];
  char16_t caption[257];
  LoadUiString(id, format, 513);
  va_list args;
  va_start(args, id);
  FormatWideV(text, 513, format, args);
  va_end(args);
  LoadUiString(kTextMessageCaption, caption, 257);
  platform::ReleaseMouseForBox();
  return platform::ShowMessageBox(text, caption, platform::kBoxOk | platform::kBoxIconInformation);
}

int ErrorBox(void* unused, const char16_t* text) {
  char16_t caption[257];
  LoadUiString(kTextErrorCaption, caption, 257);
  platform::ReleaseMouseForBox();
  return platform::ShowMessageBox(text ? text : u"", caption, platform::kBoxOk | platform::kBoxIconError);
}

void SetStatusTextById(unsigned id) {
  char16_t text[257];
  LoadUiString(id, text, 257);
  platform::SetStatusField(2, text);
}

void ShowStatusClearTime(unsigned id) {
  const unsigned pieces[4] = {kTextNoTime, kTextMinutes, kTextNoTimeSpaced, kTextSeconds};
  char16_t parts[4][33];
  for (int k = 0; k < 4; ++k) LoadUiString(pieces[k], parts[k], 33);
  char16_t time[129];
  FormatWide(time, 129, u"%s%s%s%s", parts[0], parts[1], parts[2], parts[3]);
  platform::SetStatusField(0, time);
  SetStatusTextById(id);
}

void DefaultBeep() { platform::DefaultBeep(); }

// ---- Handles ----

int AllocHandle(Handle* handle, size_t n) {
  *handle = ResizeBlock(nullptr, n);
  return *handle ? 1 : 0;
}

int AllocHandleChecked(Handle* handle, size_t n, unsigned callerTextId, int exitFlag) {
  if (AllocHandle(handle, n)) return 1;
  if (callerTextId != 0) ShowMemoryShortage(callerTextId, n, exitFlag);
  return 0;
}

void ShowMemoryShortage(unsigned callerTextId, uint64_t n, int exitFlag) {
  // The shortfall against the real free memory: at least one byte, as an
  // allocation can fail with memory to spare (address space, fragments).
  uint64_t free = FreeMemoryFigure();
  uint64_t shortfall = n > free ? n - free : 1;
  bool inKilobytes = shortfall >= 1024;
  uint64_t shown = inKilobytes ? shortfall / 1024 : shortfall;
  char16_t amount[11];
  FormatDecimal(amount, shown > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(shown));

  char16_t caller[257], dash[9], need[33], space[9], more[33], exitText[129];
  LoadUiString(callerTextId, caller, 257);
  LoadUiString(kTextDash, dash, 9);
  LoadUiString(kTextNeed, need, 33);
  LoadUiString(kTextSpace, space, 9);
  LoadUiString(inKilobytes ? kTextKMore : kTextBytesMore, more, 33);
  exitText[0] = 0;
  if (exitFlag == 1) {
    char16_t willExit[121];
    LoadUiString(kTextWillExit, willExit, 121);
    FormatWide(exitText, 129, u"%s%s", dash, willExit);
  }
  char16_t text[512];
  FormatWide(text, 512, u"%s%s%s%s%s%s%s", caller, dash, need, space, amount, more, exitText);
  ErrorBox(nullptr, text);
}

void FreeHandle(Handle* handle) {
  if (*handle) std::free(BlockOf(*handle));
  *handle = nullptr;
}

void TakeHandle(Handle* from, Handle* to) {
  if (!*from) return;
  *to = *from;
  *from = nullptr;
}

size_t HandleSize(Handle handle) {
  if (!handle) return 0;
  size_t n;
  std::memcpy(&n, BlockOf(handle), sizeof n);
  return n;
}

int ResizeHandleAt(Handle* handle, size_t offset, long n) {
  size_t size = HandleSize(*handle);
  if (offset > size) return 0;
  if (n > 0) {
    size_t gap = static_cast<size_t>(n);
    if (gap > SIZE_MAX - kHeader - size) return 0;
    Handle grown = ResizeBlock(*handle, size + gap);
    if (!grown) return 0;
    unsigned char* bytes = static_cast<unsigned char*>(grown);
    std::memmove(bytes + offset + gap, bytes + offset, size - offset);
    std::memset(bytes + offset, 0, gap);
    *handle = grown;
  } else if (n < 0) {
    size_t cut = static_cast<size_t>(-(n + 1)) + 1;  // -n without overflow
    if (cut > offset) return 0;
    unsigned char* bytes = static_cast<unsigned char*>(*handle);
    std::memmove(bytes + offset - cut, bytes + offset, size - offset);
    // Shrinking in place cannot fail; when the heap will not move the block,
    // the old one stays with its new size.
    Handle shrunk = g_failAllocations ? nullptr : ResizeBlock(*handle, size - cut);
    if (shrunk) *handle = shrunk;
    else SetSize(BlockOf(*handle), size - cut);
  }
  return 1;
}

bool IsHeapValid() { return platform::IsHeapValid(); }

// ---- Keys, stop and time ----

bool IsKeyDown(int virtualKey) { return platform::IsKeyDown(virtualKey); }

bool IsEscapePressed() { return platform::IsEscapePressed(); }

int PollUserAbort(int check) {
  ShellFlags& flags = Flags();
  if (flags.abort) return 0;
  if (check == 0) {
    flags.secondStop = 0;
    return 1;
  }
  uint32_t now = GetCentiseconds();
  // Wrap-safe "now is at or past the next check".
  if (static_cast<int32_t>(now - g_nextKeyCheck.load()) >= 0) {
    g_nextKeyCheck = now + 1;
    if (!flags.backgroundReading && IsEscapePressed()) {
      flags.abort = 1;
      return 0;
    }
  }
  return 1;
}

uint32_t GetCentiseconds() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  return static_cast<uint32_t>(elapsed / 10);
}

namespace {
// Starts the clock with the process rather than at its first reading.
const uint32_t g_clockStarted = GetCentiseconds();
}  // namespace
