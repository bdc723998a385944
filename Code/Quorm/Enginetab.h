// A record table of an engine module: records on the engine heap, grown in
// fixed steps, read through range-checked indexes. Each finder keeps its
// found objects in one of these and frees it in its module's free function.
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

  // Appends a copy of the record and returns its index.
  int32_t Append(const Record& record) {
    if (records == nullptr) {
      EngineAllocZeroedChecked(records, sizeof(Record) * kStep);
      capacity = kStep;
    } else if (count == capacity) {
      EngineResizeArrayChecked(records, static_cast<size_t>(capacity), static_cast<size_t>(capacity) + kStep);
      capacity += kStep;
    }
    records[count] = record;
    return count++;
  }
  // index must lie in 0..count-1 (a failed check otherwise).
  Record& At(int32_t index) {
    ENGINE_CHECK_INDEX(index, count);
    return records[index];
  }
  void Free() {
    EngineFree(records);
    count = 0;
    capacity = 0;
  }
};
