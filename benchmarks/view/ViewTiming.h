// Milliseconds per repaint: a step run 30 times (told its round), GDI's
// queue flushed after each, the best and the median.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <vector>

struct ViewTiming {
  double best, median;
};

constexpr int kViewTimingRounds = 30;

template <class Run>
ViewTiming TimeViewStep(Run&& run) {
  std::vector<double> ms;
  for (int round = 0; round < kViewTimingRounds; ++round) {
    const auto t0 = std::chrono::steady_clock::now();
    run(round);
    GdiFlush();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

// The two views' benchmarks, run one after the other by view_bench's main.
int RunScoreWindowBench(int argc, char** argv);
int RunPageWorkspaceBench();
