// Seeds of the staff-stage target: pages synthesised with the staff tests'
// page painter (staves, bar lines, brackets, note heads, skew, breaks, specks),
// and strips of A4 width with a system of small print, whole and with every
// line cut into fragments.
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/StaffPage.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

void Seed(const std::string& folder, const std::string& name, int sixLines, const SynthPage& page) {
  const std::vector<uint8_t> input = fuzz::EncodeStaffPage(sixLines, 0, page.width(), page.height(), page.bits());
  fuzz::WriteSeed(folder, name, input.data(), input.size());
}

SynthStaff Staff(double top, int left, int right, int lines, double spacing, int thickness) {
  SynthStaff s;
  s.top = top;
  s.left = left;
  s.right = right;
  s.lines = lines;
  s.spacing = spacing;
  s.thickness = thickness;
  return s;
}

}  // namespace

KV_FUZZ_SEEDS(engine_staff_stage) {
  {
    SynthPage page(600, 80);
    StaffPainter painter(page);
    painter.AddStaff(Staff(20, 20, 580, 5, 10, 1));
    Seed(folder, "one-staff", 0, page);
  }
  {
    SynthPage page(400, 160);
    StaffPainter painter(page);
    painter.AddStaff(Staff(15, 15, 385, 5, 10, 1));
    painter.AddStaff(Staff(105, 15, 385, 5, 10, 1));
    painter.Bracket(0, 1, 8, 3);
    painter.BarLine(0, 1, 15);
    painter.BarLine(0, 1, 200);
    painter.BarLine(0, 1, 384);
    for (int x = 40; x < 370; x += 30) painter.NoteHead(x % 60 ? 0 : 1, (x / 30) % 9, x);
    painter.BreakLine(1, 2, 250, 265);
    Seed(folder, "system-of-two", 0, page);
  }
  {
    SynthPage page(600, 80);
    StaffPainter painter(page, -0.01, 2);
    painter.AddStaff(Staff(15, 30, 570, 6, 10, 1));
    page.Speckle(200, 7);
    Seed(folder, "six-lines-skewed", 1, page);
  }
  {
    SynthPage page(560, 85);
    StaffPainter painter(page);
    painter.AddStaff(Staff(20, 20, 540, 5, 10, 2));
    page.Blots(8, 4, 3);
    Seed(folder, "blots", 0, page);
  }
  {
    SynthPage page(64, 64);
    page.Speckle(200, 11);
    Seed(folder, "specks-only", 0, page);
  }
  for (int fragment : {0, 5}) {
    SynthPage page(fuzz::kMaxStaffPageWidth, 240);
    SynthScore score;
    score.spacing = 10;
    score.margin = 0.5;
    score.thickness = 2;
    score.gap = 2;
    score.shift = 1;
    score.fragment = fragment;
    DrawScorePage(page, score);
    Seed(folder, fragment ? "a4-strip-fragmented" : "a4-strip", 0, page);
  }
}
