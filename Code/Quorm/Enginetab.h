// A record table of an engine module: records in one block, grown in fixed
// steps, read through range-checked indexes. Each finder keeps its found
// objects in one of these and frees it in its module's free function. A
// table made with a label keeps its block on the named heap under that
// label; else on the engine heap. An exhausted heap unwinds with that heap's
// code and leaves the table as it was.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"

template <class Record, int32_t kStep>
struct EngineTable {
  static_assert(kStep > 0, "tables grow in positive steps");
  int32_t count = 0;
  int32_t capacity = 0;
  Record* records = nullptr;
  const char* label = nullptr;

  constexpr EngineTable() = default;
  explicit constexpr EngineTable(const char* blockLabel) : label(blockLabel) {}

  // Appends a copy of the record and returns its index.
  int32_t Append(const Record& record) {
    if (count == capacity) Grow();
    records[count] = record;
    return count++;
  }
  // index must lie in 0..count-1 (a failed check otherwise).
  Record& At(int32_t index) {
    ENGINE_CHECK_INDEX(index, count);
    return records[index];
  }
  void Free() {
    if (label != nullptr)
      NamedFree(records);
    else
      EngineFree(records);
    count = 0;
    capacity = 0;
  }

 private:
  void Grow() {
    const size_t bytes = sizeof(Record) * (static_cast<size_t>(capacity) + kStep);
    if (label == nullptr) {
      if (records == nullptr)
        EngineAllocZeroedChecked(records, bytes);
      else
        EngineResizeArrayChecked(records, static_cast<size_t>(capacity), static_cast<size_t>(capacity) + kStep);
    } else {
      const int done = records == nullptr ? NamedAlloc(records, bytes, label) : NamedRealloc(records, bytes);
      if (!done) OnEngineSafeHeapExhausted(nullptr, bytes);
    }
    capacity += kStep;
  }
};
