// One playback value per part slot, set to its start value when the program
// starts. Playback reads them when it decides how each part sounds.
#pragma once

#include <array>

#include "score/ScoreStream.h"

constexpr int kStartPlaybackValue = 2;

std::array<int, kPartSlots>& PartPlaybackValues();
void ResetPartPlaybackValues();
