// view_bench: the score window's repaints and page turns, then the page
// workspace's page view and pages pane (run under Wine).
//   view_bench [score listing, default tests/render/scores/dense.txt]
#include "benchmarks/view/ViewTiming.h"

int main(int argc, char** argv) {
  const int score = RunScoreWindowBench(argc, argv);
  const int pages = RunPageWorkspaceBench();
  return score ? score : pages;
}
