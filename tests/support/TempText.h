// Small text files written by tests into their temporary folder.
#pragma once

#include <string>

// Writes text into a file of that name in the test's temporary folder and
// returns its path (a file that cannot be written is a test failure).
std::u16string WriteTempText(const std::string& name, const std::string& text);
