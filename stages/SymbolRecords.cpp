#include "stages/SymbolRecords.h"

#include <algorithm>
#include <cstring>

void DeleteSymbolRecord(SymbolRecord* records, uint32_t& count, uint32_t index) {
  if (index >= count) return;
  if (index + 1 < count)
    std::memmove(&records[index], &records[index + 1], (count - index - 1) * sizeof(SymbolRecord));
  --count;
}

void SortSymbolsByLeft(SymbolRecord* records, uint32_t from, uint32_t count) {
  if (from >= count) return;
  std::stable_sort(records + from, records + count,
                   [](const SymbolRecord& a, const SymbolRecord& b) { return a.left < b.left; });
}

void SortSymbolsByStave(SymbolRecord* records, uint32_t count) {
  std::stable_sort(records, records + count, [](const SymbolRecord& a, const SymbolRecord& b) {
    return a.stave != b.stave ? a.stave < b.stave : a.left < b.left;
  });
}
