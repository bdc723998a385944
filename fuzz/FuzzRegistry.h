// The replay program's tables of targets and seed makers, by name.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace fuzz {
std::map<std::string, FuzzEntry>& Targets();
std::map<std::string, std::vector<FuzzSeedMaker>>& SeedMakers();
}  // namespace fuzz
