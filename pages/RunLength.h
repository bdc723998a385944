// The run-length code of stored page images. The data is a sequence of byte
// pairs (a, b): b from 1 to 255 is a run of b copies of the byte a; b = 0 is
// a literal block, the next a bytes copied as they stand ((0, 0) copies
// nothing). Runs of four or more equal bytes travel as runs; everything else,
// apart from the final run, in literal blocks.
#pragma once

#include <cstddef>
#include <cstdint>

// Compresses length bytes into destination. *capacity gives the bytes the
// destination may take; the output must stay below it, so a caller passing
// the input length learns whether compressing was worth it. Nothing is
// written at or past *capacity. True with the output length in *capacity;
// false when the output would reach the capacity (or there is no input).
bool CompressPageImage(const uint8_t* source, size_t length, uint8_t* destination, size_t* capacity);

// Expands length bytes of pairs into destination, which takes at most
// capacity bytes. False for data that is not a whole number of pairs, a
// literal block cut short by the end of the input, or output that would pass
// the capacity. *produced receives the bytes written.
bool DecompressPageImage(const uint8_t* source, size_t length, uint8_t* destination, size_t capacity,
                         size_t* produced);
