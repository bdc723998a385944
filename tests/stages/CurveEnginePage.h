// An engine page description for the curve tests that hold work-list
// records (the engine's description cannot be included beside them): one
// system of one stave (top line at 100, spacing 20, from x 50 to 1150) with
// one slur whose ends lie at height y.
#pragma once

#include <cstdint>

void MakeEnginePageWithSlur(int32_t x0, int32_t x1, int32_t y, int32_t radius);
void FreeEnginePage();
