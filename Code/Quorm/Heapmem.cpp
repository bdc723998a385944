#include "Code/Quorm/Heapmem.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Engerror.h"

namespace {

std::atomic<EngineHeapHook> engineHook{nullptr};
std::atomic<EngineHeapHook> namedHook{nullptr};
std::atomic<long> failCountdown{0};

// The test seam's countdown: true when this allocation is to fail.
bool ForcedFailure() {
  long left = failCountdown.load();
  while (left > 0) {
    if (failCountdown.compare_exchange_weak(left, left - 1)) return left == 1;
  }
  return false;
}

void* SystemAlloc(size_t size) { return ForcedFailure() ? nullptr : std::malloc(size); }

void* SystemRealloc(void* block, size_t size) { return ForcedFailure() ? nullptr : std::realloc(block, size); }

int Exhausted(const std::atomic<EngineHeapHook>& hook, void** slot, size_t size) {
  if (EngineHeapHook h = hook.load()) h(slot, size);
  return 0;
}

}  // namespace

int EngineAlloc(void** slot, size_t size) {
  ENGINE_CHECK_POINTER(slot);
  ENGINE_CHECK(*slot == nullptr);
  void* block = SystemAlloc(size == 0 ? 1 : size);
  if (block == nullptr) return Exhausted(engineHook, slot, size);
  *slot = block;
  return 1;
}

int EngineAllocZeroed(void** slot, size_t size) {
  if (!EngineAlloc(slot, size)) return 0;
  std::memset(*slot, 0, size);
  return 1;
}

void EngineFree(void** slot) {
  if (slot == nullptr) return;
  std::free(*slot);
  *slot = nullptr;
}

int EngineResizeArray(void** slot, size_t elementSize, size_t oldCount, size_t newCount) {
  ENGINE_CHECK_POINTER(slot);
  ENGINE_CHECK(*slot != nullptr);
  if (elementSize != 0 && newCount > SIZE_MAX / elementSize) return Exhausted(engineHook, slot, SIZE_MAX);
  size_t newSize = elementSize * newCount;
  // In place where the system can: a large block is moved by its pages,
  // not copied byte by byte and touched afresh.
  void* block = SystemRealloc(*slot, newSize == 0 ? 1 : newSize);
  if (block == nullptr) return Exhausted(engineHook, slot, newSize);
  size_t kept = (oldCount < newCount ? oldCount : newCount) * elementSize;
  std::memset(static_cast<char*>(block) + kept, 0, newSize - kept);
  *slot = block;
  return 1;
}

void SetEngineHeapHook(EngineHeapHook hook) { engineHook.store(hook); }

size_t GrownCapacity(size_t capacity, size_t first, size_t most) {
  if (capacity >= most) return 0;
  const size_t grown = capacity == 0 ? first : capacity > most / 2 ? most : 2 * capacity;
  return grown > capacity && grown <= most ? grown : most;
}

int NamedAlloc(void** slot, size_t size, const char* label) {
  ENGINE_CHECK_POINTER(slot);
  ENGINE_CHECK(*slot == nullptr);
  void* block = SystemAlloc(size == 0 ? 1 : size);
  if (block == nullptr) return Exhausted(namedHook, slot, size);
  *slot = block;
  return 1;
}

int NamedRealloc(void** slot, size_t newSize) {
  ENGINE_CHECK_POINTER(slot);
  void* block = SystemRealloc(*slot, newSize == 0 ? 1 : newSize);
  if (block == nullptr) return Exhausted(namedHook, slot, newSize);
  *slot = block;
  return 1;
}

void SetNamedHeapHook(EngineHeapHook hook) { namedHook.store(hook); }

void NamedFree(void** slot) { EngineFree(slot); }

void OnEngineHeapExhausted(void** slot, size_t size) {
  ReportEngineError("Xheapmem");
  EngineOutOfMemory("Xheapmem");
}

void OnEngineSafeHeapExhausted(void** slot, size_t size) {
  ReportEngineError("Xsheapmem");
  EngineOutOfMemory("Xsheapmem");
}

void FailEngineAllocationAfter(long n) { failCountdown.store(n < 0 ? 0 : n); }
