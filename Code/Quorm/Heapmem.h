// Engine memory. Every engine table lives in a block that a module owns
// through one slot (a module global pointer). Two heaps: the engine heap
// (EngineAlloc ...) and the named heap (NamedAlloc, NamedRealloc), which
// carries a label per block. When the system runs out of memory the heap's
// hook is called; the hooks that InitialiseEngine installs report the code
// and unwind the run to its entry point ("Xheapmem" / "Xsheapmem"), so an
// allocation function then does not return. Without a hook a failure
// returns 0.
#pragma once

#include <cstddef>

using EngineHeapHook = void (*)(void** slot, size_t size);

// The slot must be empty (a failed check otherwise). Size 0 allocates 1 byte.
// 1 = allocated; 0 = no memory (after the hook, when it returns).
int EngineAlloc(void** slot, size_t size);
int EngineAllocZeroed(void** slot, size_t size);
// Releases the block (an empty slot is allowed) and empties the slot.
void EngineFree(void** slot);
// The slot must hold a block. New count x element size bytes; min(old, new)
// elements kept, the rest zeroed; the old block stays on failure.
int EngineResizeArray(void** slot, size_t elementSize, size_t oldCount, size_t newCount);
void SetEngineHeapHook(EngineHeapHook hook);

// The one growth rule of the engine's growable tables: a table without a
// block takes its first size, a full one doubles (never beyond most), so
// that filling a table of n records copies fewer than 2n records in all.
// 0 when a table of most records is full.
size_t GrownCapacity(size_t capacity, size_t first, size_t most);

// Contents undefined. The slot must be empty.
int NamedAlloc(void** slot, size_t size, const char* label);
// Keeps the contents; the old block stays on failure. An empty slot allocates.
int NamedRealloc(void** slot, size_t newSize);
void SetNamedHeapHook(EngineHeapHook hook);
// Releases a named block and empties the slot.
void NamedFree(void** slot);

// The hooks that InitialiseEngine installs: report the code through
// ReportEngineError and unwind the run with it.
void OnEngineHeapExhausted(void** slot, size_t size);
void OnEngineSafeHeapExhausted(void** slot, size_t size);

// Typed slots: EngineAlloc(table, n * sizeof *table) for any T* table.
template <class T>
int EngineAlloc(T*& slot, size_t size) {
  void* p = slot;
  int done = EngineAlloc(&p, size);
  slot = static_cast<T*>(p);
  return done;
}
template <class T>
int EngineAllocZeroed(T*& slot, size_t size) {
  void* p = slot;
  int done = EngineAllocZeroed(&p, size);
  slot = static_cast<T*>(p);
  return done;
}
template <class T>
void EngineFree(T*& slot) {
  void* p = slot;
  EngineFree(&p);
  slot = nullptr;
}
template <class T>
int EngineResizeArray(T*& slot, size_t oldCount, size_t newCount) {
  void* p = slot;
  int done = EngineResizeArray(&p, sizeof(T), oldCount, newCount);
  slot = static_cast<T*>(p);
  return done;
}
template <class T>
int NamedAlloc(T*& slot, size_t size, const char* label) {
  void* p = slot;
  int done = NamedAlloc(&p, size, label);
  slot = static_cast<T*>(p);
  return done;
}
template <class T>
int NamedRealloc(T*& slot, size_t newSize) {
  void* p = slot;
  int done = NamedRealloc(&p, newSize);
  slot = static_cast<T*>(p);
  return done;
}
template <class T>
void NamedFree(T*& slot) {
  void* p = slot;
  NamedFree(&p);
  slot = nullptr;
}

// Test seam: the allocation that comes n allocations from now (1 = the next
// one) fails as if the system were out of memory; 0 switches it off.
void FailEngineAllocationAfter(long n);
