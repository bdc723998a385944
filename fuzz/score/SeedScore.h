// The score the seed makers write: three parts (page texts, a guitar part
// with most item kinds, a one-line percussion part) over two pages, the
// items as the score's own tests build them.
#pragma once

#include <cstdint>
#include <vector>

namespace fuzz {

// Makes it the score in memory (the score state reset first).
void LoadSeedScore();

// The score in memory in the item-stream target's layout.
std::vector<uint8_t> ItemStreamsOfScore();

}  // namespace fuzz
