#include "score/ScoreStreams.h"

#include <cstring>
#include <limits>
#include <utility>

#include "platform/Platform.h"
#include "platform/TextUtils.h"

StreamSet ScoreStreams = {};
StreamSet WorkStreams = {};
int32_t PartCount = 0;

char16_t PartNameTable[kPartSlots][kPartNameUnits] = {};
PartTablature PartTablatureFlags[kPartSlots] = {};
int16_t PartSmallStave[kPartSlots] = {};
int16_t PartFlag[kPartSlots] = {};
int16_t PartFields[kPartSlots][kPartFieldCount] = {};

namespace {

enum : unsigned {
  kTextNeed = 10056,
  kTextBytesMore = 10057,
  kTextKMore = 10058,
  kTextNoMemory = 10060,
  kTextHeapCorrupted = 10061,
  kTextDash = 10182,
  kTextSpace = 10183,
};

constexpr uint32_t kGrowthStep = 32;

void ShowHeapCorrupted() {
  char16_t text[257];
  LoadUiString(kTextHeapCorrupted, text, 257);
  ErrorBox(nullptr, text);
}

// The shortage message: the shortfall against the free memory, at least one
// byte (an allocation can fail with memory to spare).
void ShowShortage(uint64_t requested) {
  uint64_t free = platform::FreeMemory();
  uint64_t shortfall = requested > free ? requested - free : 1;
  bool inKilobytes = shortfall >= 1024;
  uint64_t shown = inKilobytes ? shortfall / 1024 : shortfall;
  char16_t amount[11];
  FormatDecimal(amount, shown > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(shown));

  char16_t sorry[257], dash[9], need[33], space[9], more[33];
  LoadUiString(kTextNoMemory, sorry, 257);
  LoadUiString(kTextDash, dash, 9);
  LoadUiString(kTextNeed, need, 33);
  LoadUiString(kTextSpace, space, 9);
  LoadUiString(inKilobytes ? kTextKMore : kTextBytesMore, more, 33);
  char16_t text[512];
  FormatWide(text, 512, u"%s%s%s%s%s%s", sorry, dash, need, space, amount, more);
  ErrorBox(nullptr, text);
}

}  // namespace

uint32_t StreamCapacity(const StreamSet& set, int slot) {
  return static_cast<uint32_t>(HandleSize(set.block[slot]));
}

uint32_t StreamUsedLength(const StreamSet& set, int slot) {
  if (slot < 0 || slot >= kPartSlots || !set.block[slot]) return 0;
  const uint32_t capacity = StreamCapacity(set, slot);
  return set.used[slot] < capacity ? set.used[slot] : capacity;
}

const uint8_t* StreamUsedEnd(const StreamSet& set, int slot) {
  if (slot < 0 || slot >= kPartSlots || !set.block[slot]) return nullptr;
  return StreamBytes(set, slot) + StreamUsedLength(set, slot);
}

int GrowStream(StreamSet* set, int slot, uint32_t n) {
  uint64_t size = HandleSize(set->block[slot]);
  uint64_t wanted = static_cast<uint64_t>(set->used[slot]) + n;
  if (wanted <= size) return 1;
  uint64_t need = wanted - size;
  uint64_t step = need / kGrowthStep * kGrowthStep + kGrowthStep;

  if (!IsHeapValid()) {
    ShowHeapCorrupted();
    return 0;
  }
  // Streams stay within 32-bit lengths; a step beyond that is a shortage.
  if (size + step <= UINT32_MAX && step <= static_cast<uint64_t>(std::numeric_limits<long>::max())) {
    if (!set->block[slot]) {
      if (AllocHandle(&set->block[slot], static_cast<size_t>(step))) return 1;
    } else if (ResizeHandleAt(&set->block[slot], static_cast<size_t>(size), static_cast<long>(step))) {
      return 1;
    }
  }
  ShowShortage(n);
  return 0;
}

int GrowScoreStream(int slot, uint32_t n) { return GrowStream(&ScoreStreams, slot, n); }

int GrowWorkStream(int slot, uint32_t n) { return GrowStream(&WorkStreams, slot, n); }

void FreeStreamSet(StreamSet* set) {
  for (int slot = 0; slot < kPartSlots; ++slot) {
    FreeHandle(&set->block[slot]);
    set->used[slot] = 0;
  }
}

void SwapStreamSets(StreamSet* a, StreamSet* b) { std::swap(*a, *b); }

void ResetScoreStreams() { FreeStreamSet(&ScoreStreams); }

void ResetWorkStreams() { FreeStreamSet(&WorkStreams); }

void ResetPartRecords() {
  std::memset(PartNameTable, 0, sizeof PartNameTable);
  std::memset(PartTablatureFlags, 0, sizeof PartTablatureFlags);
  std::memset(PartSmallStave, 0, sizeof PartSmallStave);
  std::memset(PartFlag, 0, sizeof PartFlag);
  std::memset(PartFields, 0, sizeof PartFields);
  for (PartTablature& part : PartTablatureFlags) part.kind = kOrdinaryStaveLines;
}

uint32_t PartLineCount(int slot) {
  uint32_t lines = PartTablatureFlags[slot].kind;
  return lines == 0 ? kOrdinaryStaveLines : lines;
}
