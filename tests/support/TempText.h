// Small files written by tests: text into their temporary folder, bytes
// anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes text into a file of that name in the test's temporary folder and
// returns its path (a file that cannot be written is a test failure).
std::u16string WriteTempText(const std::string& name, const std::string& text);

// Writes bytes as the whole file at path; a fatal test failure (in the
// caller, ASSERT_NO_FATAL_FAILURE to stop there) when it cannot.
void WriteTestFile(const std::u16string& path, const std::string& bytes);
void WriteTestFile(const std::u16string& path, const std::vector<uint8_t>& bytes);
