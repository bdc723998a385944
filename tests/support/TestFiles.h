// Whole files for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file's bytes; empty when it cannot be opened.
std::vector<uint8_t> ReadBytes(const std::u16string& path);

// Writes text into a file of that name in the test's temporary folder and
// returns its path (the failure is a test failure).
std::u16string WriteTempText(const std::string& name, const std::string& text);
