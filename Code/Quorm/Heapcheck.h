// Engine allocations that never come back empty. Inside a run the heap's hook
// unwinds on exhaustion; outside one (no hook installed) these do the same,
// through the hook's own routine, so callers never see a null block.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "Code/Quorm/Heapmem.h"

template <class T>
void EngineAllocChecked(T*& slot, size_t size) {
  if (!EngineAlloc(slot, size)) OnEngineHeapExhausted(nullptr, size);
}

template <class T>
void EngineAllocZeroedChecked(T*& slot, size_t size) {
  if (!EngineAllocZeroed(slot, size)) OnEngineHeapExhausted(nullptr, size);
}

template <class T>
void EngineResizeArrayChecked(T*& slot, size_t oldCount, size_t newCount) {
  if (!EngineResizeArray(slot, oldCount, newCount)) OnEngineHeapExhausted(nullptr, newCount * sizeof(T));
}

// Room for at least one more record in a table of capacity records, by the
// engine's growth rule (GrownCapacity): first records in a new block, else
// twice the records; the new records are zeroed. A table that its count
// type cannot let grow any further unwinds as an exhausted heap.
template <class T, class Count>
size_t MostRecords() {
  return std::min<size_t>(static_cast<size_t>(std::numeric_limits<Count>::max()), SIZE_MAX / sizeof(T));
}

template <class T, class Count>
void GrowEngineArrayChecked(T*& slot, Count& capacity, size_t first) {
  const size_t grown = GrownCapacity(static_cast<size_t>(capacity), first, MostRecords<T, Count>());
  if (grown == 0) OnEngineHeapExhausted(nullptr, SIZE_MAX);
  if (slot == nullptr)
    EngineAllocZeroedChecked(slot, grown * sizeof(T));
  else
    EngineResizeArrayChecked(slot, static_cast<size_t>(capacity), grown);
  capacity = static_cast<Count>(grown);
}

// The same on the named heap: a new block carries the label; the new records
// are zeroed; an exhausted heap unwinds with the safe heap's code.
template <class T, class Count>
void GrowNamedArrayChecked(T*& slot, Count& capacity, size_t first, const char* label) {
  const size_t grown = GrownCapacity(static_cast<size_t>(capacity), first, MostRecords<T, Count>());
  if (grown == 0) OnEngineSafeHeapExhausted(nullptr, SIZE_MAX);
  const size_t bytes = grown * sizeof(T);
  const size_t kept = slot == nullptr ? 0 : static_cast<size_t>(capacity);
  const int done = slot == nullptr ? NamedAlloc(slot, bytes, label) : NamedRealloc(slot, bytes);
  if (!done) OnEngineSafeHeapExhausted(nullptr, bytes);
  std::memset(static_cast<void*>(slot + kept), 0, (grown - kept) * sizeof(T));
  capacity = static_cast<Count>(grown);
}

// An engine block that its scope owns: freed when the scope is left, also
// when a failed check unwinds through it.
template <class T>
class OwnedEngineBlock {
 public:
  OwnedEngineBlock() = default;
  ~OwnedEngineBlock() { EngineFree(block_); }
  OwnedEngineBlock(const OwnedEngineBlock&) = delete;
  OwnedEngineBlock& operator=(const OwnedEngineBlock&) = delete;
  T*& slot() { return block_; }  // for a call that fills the empty slot
  T* get() const { return block_; }
  T& operator[](size_t i) const { return block_[i]; }
  T* Release() {  // the caller takes the block over
    T* block = block_;
    block_ = nullptr;
    return block;
  }

 private:
  T* block_ = nullptr;
};
