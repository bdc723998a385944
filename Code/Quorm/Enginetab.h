// A record table of an engine module: records in one block (kFirst records
// at first, doubled whenever it is full), read through range-checked
// indexes. Each finder keeps its found
// objects in one of these and frees it in its module's free function. A
// table made with a label keeps its block on the named heap under that
// label; else on the engine heap. An exhausted heap unwinds with that heap's
// code and leaves the table as it was.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"

template <class Record, int32_t kFirst>
struct EngineTable {
  static_assert(kFirst > 0, "a table starts with room for a record");
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
    if (label == nullptr)
      GrowEngineArrayChecked(records, capacity, kFirst);
    else
      GrowNamedArrayChecked(records, capacity, kFirst, label);
  }
};
