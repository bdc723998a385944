// The slur table.
#include "Code/Quorm/findslur.h"

#include <cstring>

#include "Code/Quorm/Enginetab.h"

namespace {

EngineTable<FoundSlur, 100> gSlurs;

}  // namespace

int32_t AddFoundSlur(const FoundSlur& slur, const SlurColumn* columns) {
  ENGINE_CHECK_POINTER(columns);
  ENGINE_CHECK(slur.columnCount >= 1);
  FoundSlur record = slur;
  record.columns = nullptr;
  EngineAllocChecked(record.columns, sizeof(SlurColumn) * static_cast<size_t>(slur.columnCount));
  std::memcpy(record.columns, columns, sizeof(SlurColumn) * static_cast<size_t>(slur.columnCount));
  return gSlurs.Append(record);
}

int32_t GetSlurCount() { return gSlurs.count; }
const FoundSlur& GetFoundSlur(int32_t i) { return gSlurs.At(i); }
EnginePoint GetSlurStart(int32_t i) {
  const FoundSlur& slur = gSlurs.At(i);
  return EnginePoint{slur.startY, slur.startX};
}
EnginePoint GetSlurEnd(int32_t i) {
  const FoundSlur& slur = gSlurs.At(i);
  return EnginePoint{slur.endY, slur.endX};
}
int32_t GetSlurCost(int32_t i) { return gSlurs.At(i).cost; }

void FreeSlurs() {
  for (int32_t i = 0; i < gSlurs.count; ++i) EngineFree(gSlurs.records[i].columns);
  gSlurs.Free();
}
