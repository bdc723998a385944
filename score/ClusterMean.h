// The common value of a list: the mean of the value that has the most values
// within the tolerance of it (itself included; the first such value on a tie)
// and of those values, truncated. An empty list gives 0.
#pragma once

#include <cstdint>

int32_t ClusterMean(const int32_t* values, int n, int32_t tolerance);
