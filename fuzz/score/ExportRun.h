// The three exports of the score in memory, as Save As and playback call
// them, each into its own file of the scratch folder; aborts when an output
// grows beyond what a score of this size could need.
#pragma once

#include <cstddef>

namespace fuzz {

// inputBytes: the size of the input the score came from.
void RunScoreExports(size_t inputBytes);

}  // namespace fuzz
