// Paths of the source and build trees for tests, in the platform's form
// (under Wine a Unix path is reached through drive Z:).
#pragma once

#include <string>

std::u16string SourcePath(const std::string& relative);  // below the source tree
std::u16string BuildPath(const std::string& relative);   // below the build tree
