// Writing the items of a stream for an older file version than the one they
// are laid out by in memory: what the older version does not know becomes
// the nearest thing it does. Every conversion keeps the item's length.
#pragma once

#include <cstdint>
#include <vector>

// Converts one item (length bytes, as ItemLength gives it) in place, from the
// in-memory version to the older target version.
void DownConvertItem(uint8_t* item, uint32_t length, uint8_t fromVersion, uint8_t toVersion);

// Appends the stream's items to out as written for toVersion (converted when
// it is below fromVersion). False, with out as it was, when the stream does
// not walk exactly to used.
bool AppendStreamForVersion(const uint8_t* stream, uint32_t used, uint8_t fromVersion, uint8_t toVersion,
                            std::vector<uint8_t>* out);
