#include "score/ScoreStream.h"

#include <cstring>
#include <limits>
#include <utility>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"

StreamSet ScoreStream = {};
StreamSet WorkStream = {};
int32_t PartCount = 0;

char16_t PartNameTable[kPartSlots][kPartNameUnits] = {};
PartTablature PartTablatureFlags[kPartSlots] = {};
int16_t PartSmallStave[kPartSlots] = {};
int16_t PartFlag[kPartSlots] = {};
int16_t PartFields[kPartSlots][kPartFieldCount] = {};

namespace {

enum : unsigned {
  kTextNoMemory = 10060,
  kTextHeapCorrupted = 10061,
};

constexpr uint32_t kGrowthStep = 32;

void ShowHeapCorrupted() {
  char16_t text[257];
  LoadUiString(kTextHeapCorrupted, text, 257);
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
  ShowMemoryShortage(kTextNoMemory, n, 0);
  return 0;
}

int GrowScoreStream(int slot, uint32_t n) { return GrowStream(&ScoreStream, slot, n); }

int GrowWorkStream(int slot, uint32_t n) { return GrowStream(&WorkStream, slot, n); }

void FreeStreamSet(StreamSet* set) {
  for (int slot = 0; slot < kPartSlots; ++slot) {
    FreeHandle(&set->block[slot]);
    set->used[slot] = 0;
  }
}

void SwapStreamSets(StreamSet* a, StreamSet* b) { std::swap(*a, *b); }

void ResetScoreStreams() { FreeStreamSet(&ScoreStream); }

void ResetWorkStreams() { FreeStreamSet(&WorkStream); }

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
