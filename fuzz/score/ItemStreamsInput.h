// The input of the targets that lay item streams straight into the score's
// part streams, as the score file reader leaves them but without its checks:
// each block is exactly the stream's length, so that a walk past a stream's
// end is caught.
//
// Input: version (1..5), part count (1..13), stave spacing, then per part a
// 24-bit part descriptor, a 16-bit length and the stream's bytes, then a
// 16-bit length and the structure marks that fill the other slots. Lengths
// are cut to the bytes that remain.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Resets the score state and lays the input's streams, part records and
// pages into it.
void LayItemStreams(const uint8_t* data, size_t size);

}  // namespace fuzz
