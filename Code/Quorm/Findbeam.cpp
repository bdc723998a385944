// The beam table.
#include "Code/Quorm/Findbeam.h"

#include "Code/Quorm/Enginetab.h"

namespace {

EngineTable<FoundBeam, 1000> gBeams("beammodels");

}  // namespace

int32_t AddFoundBeam(const FoundBeam& beam) { return gBeams.Append(beam); }
int32_t GetBeamCount() { return gBeams.count; }
FoundBeam GetFoundBeam(int32_t i) { return gBeams.At(i); }
int32_t GetBeamCost(int32_t i) { return gBeams.At(i).cost; }
void FreeBeams() { gBeams.Free(); }
