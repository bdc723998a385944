// The bar-line table.
#include "Code/Quorm/findbarl.h"

#include "Code/Quorm/Enginetab.h"

namespace {

EngineTable<FoundBarLine, 1000> gBars;

}  // namespace

int32_t AddFoundBarLine(const FoundBarLine& bar) {
  ENGINE_CHECK(bar.rightX > bar.leftX);
  return gBars.Append(bar);
}
int32_t GetBarLineCount() { return gBars.count; }
FoundBarLine GetFoundBarLine(int32_t i) { return gBars.At(i); }
void FreeBarLines() { gBars.Free(); }
