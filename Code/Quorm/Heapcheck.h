// Engine allocations that never come back empty. Inside a run the heap's hook
// unwinds on exhaustion; outside one (no hook installed) these do the same,
// through the hook's own routine, so callers never see a null block.
#pragma once

#include <cstddef>

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
