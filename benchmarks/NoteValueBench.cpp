// Times the note-value step on a synthesised A4 page at 300 dpi: ten staves,
// each with beamed pairs of one to three beams, flagged notes and chords, and
// prints the best time for the group. Not a test: run it from a Release
// build.
//
//   note_value_bench
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "stages/NoteValueStep.h"
#include "tests/stages/StemPageFixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
constexpr int kStaves = 10;

// One stave of notes at the top line y; what the step reads lies in page.
void FillStave(StemPage& page, int top) {
  const int stave = page.Staff(top);
  for (int x = 120, k = 0; x + 140 < 2400; x += 240, ++k) {
    const int beams = 1 + k % 3;
    const int a = page.Head(stave, 13, x);
    const int b = page.Head(stave, 13, x + 100);
    const int cy = page.StepY(stave, 13);
    const int xa = page.Stem(a, 1, cy - (top - 110));
    const int xb = page.Stem(b, 1, cy - (top - 110));
    for (int m = 0; m < beams; ++m) page.Beam(xa - 1, top - 110 + 16 * m, xb + 1, top - 110 + 16 * m, 10);
    if (k % 2 == 0) page.Stem(page.Head(stave, 15, x + 175), 2, 75);
  }
}

}  // namespace

int main() {
  double best = 1e30;
  uint32_t notes = 0;
  for (int round = 0; round < kRounds; ++round) {
    StemPage page(2480, 3508);
    for (int s = 0; s < kStaves; ++s) FillStave(page, 300 + 320 * s);
    notes = page.noteCount();
    // The ten staves make one group.
    const Clock::time_point t0 = Clock::now();
    NoteValueWork work = page.Work();
    ResolveNoteValues(work);
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::printf("note values: %u notes on %d staves in one group, %.2f ms, %.3f ms per stave\n", notes, kStaves, best,
              best / kStaves);
  return 0;
}
