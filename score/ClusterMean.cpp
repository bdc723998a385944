#include "score/ClusterMean.h"

int32_t ClusterMean(const int32_t* values, int n, int32_t tolerance) {
  if (!values || n <= 0) return 0;
  if (tolerance < 0) tolerance = 0;
  int bestCount = 0;
  int64_t bestSum = 0;
  for (int i = 0; i < n; ++i) {
    int count = 0;
    int64_t sum = 0;
    for (int j = 0; j < n; ++j) {
      int64_t difference = int64_t(values[j]) - values[i];
      if (difference < 0) difference = -difference;
      if (difference <= tolerance) {
        ++count;
        sum += values[j];
      }
    }
    if (count > bestCount) {
      bestCount = count;
      bestSum = sum;
    }
  }
  return int32_t(bestSum / bestCount);
}
