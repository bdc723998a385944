// Whole files for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file's bytes; empty when it cannot be opened.
std::vector<uint8_t> ReadBytes(const std::u16string& path);

