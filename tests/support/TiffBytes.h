// TIFF files written byte by byte, for tests of what readers make of a file
// whose header and data disagree.
#pragma once

#include <cstdint>
#include <vector>

// A one-strip grey TIFF built tag by tag, its directory first, whose header
// claims width x height 8-bit pixels (compression as given, no resolution)
// while the file holds dataBytes of pixel data.
std::vector<uint8_t> ClaimingTiff(uint32_t width, uint32_t height, uint16_t compression, uint32_t dataBytes);
