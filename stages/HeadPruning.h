// Removing heads that cannot all be right once every solid head has its stem
// and value: heads far outside the stave whose stem does not come back to
// it, and pairs of heads in one place, keeping the better of each pair.
// Heads the engine confirmed are never removed.
#pragma once

#include "stages/NoteValueStep.h"

void PruneClashingHeads(NoteValueWork& work);
