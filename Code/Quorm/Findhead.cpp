// The notehead table.
#include "Code/Quorm/Findhead.h"

#include <algorithm>

#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Intmath.h"

namespace {

// Per recorded model: cost bias B and reference limit L (-1: never recorded).
struct ModelCostScale {
  int32_t bias;
  int32_t limit;
};
constexpr ModelCostScale kModelCostScales[kMaxHeadModel + 1] = {
    {1400, 3000}, {1800, 2900}, {1800, 3000}, {-1, -1}, {1200, 2700}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1},
};

EngineTable<FoundNotehead, 1000> gHeads;
int32_t gPenaltySums[kMaxHeadModel + 1] = {};

}  // namespace

int32_t AddFoundNotehead(const FoundNotehead& head) {
  FoundNotehead record = head;
  record.firstPoint = EnginePoint{-1, -1};
  record.secondPoint = EnginePoint{-1, -1};
  ENGINE_CHECK(record.pointCount >= 0 && record.pointCount <= 6);
  return gHeads.Append(record);
}

int32_t GetNoteheadCount() { return gHeads.count; }
FoundNotehead GetFoundNotehead(int32_t i) { return gHeads.At(i); }
int32_t GetNoteheadY(int32_t i) { return gHeads.At(i).centreY; }
int32_t GetNoteheadLeftX(int32_t i) { return gHeads.At(i).leftX; }
int32_t GetNoteheadRightX(int32_t i) { return gHeads.At(i).rightX; }
int32_t GetNoteheadModel(int32_t i) { return gHeads.At(i).model; }

NoteheadPlace GetNoteheadPlace(int32_t i) {
  const FoundNotehead& head = gHeads.At(i);
  return NoteheadPlace{head.centreY, head.staff, head.step};
}

int32_t GetNoteheadCost(int32_t i) {
  const FoundNotehead& head = gHeads.At(i);
  ENGINE_CHECK(head.model >= 0 && head.model <= kMaxHeadModel);
  const ModelCostScale& scale = kModelCostScales[head.model];
  ENGINE_CHECK(scale.limit >= 0);
  const int64_t above = std::max<int64_t>(0, static_cast<int64_t>(head.rawCost) - scale.bias);
  return static_cast<int32_t>(DivRound64(above * 1024, scale.limit + gPenaltySums[head.model] / 8 - scale.bias));
}

void SetNoteheadPenaltySum(int32_t model, int32_t sum) {
  ENGINE_CHECK(model >= 0 && model <= kMaxHeadModel);
  gPenaltySums[model] = sum;
}

void FreeNoteheads() {
  gHeads.Free();
  std::fill(gPenaltySums, gPenaltySums + kMaxHeadModel + 1, 0);
}
