// The vertical-line table.
#include "Code/Quorm/Findstem.h"

#include "Code/Quorm/Enginetab.h"

namespace {

EngineTable<FoundVerticalLine, 1000> gLines("vertlines");

}  // namespace

int32_t AddFoundVerticalLine(const FoundVerticalLine& line) {
  ENGINE_CHECK(line.width >= 0);
  return gLines.Append(line);
}
int32_t GetVerticalLineCount() { return gLines.count; }
FoundVerticalLine GetFoundVerticalLine(int32_t i) { return gLines.At(i); }
int32_t GetVerticalLineCost(int32_t i) { return gLines.At(i).cost; }
void FreeVerticalLines() { gLines.Free(); }
