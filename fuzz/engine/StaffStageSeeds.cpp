// Seeds of the staff-stage target: pages synthesised with the staff tests'
// page painter (staves, bar lines, brackets, note heads, skew, breaks, specks).
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
    SynthPage page(600, 140);
    StaffPainter painter(page);
    painter.AddStaff(Staff(40, 20, 580, 5, 12, 2));
    Seed(folder, "one-staff", 0, page);
  }
  {
    SynthPage page(480, 320);
    StaffPainter painter(page, 0.01);
    painter.AddStaff(Staff(40, 40, 440, 5, 12, 2));
    painter.AddStaff(Staff(140, 40, 440, 5, 12, 2));
    painter.Bracket(0, 1, 30, 4);
    painter.BarLine(0, 1, 40);
    painter.BarLine(0, 1, 240);
    painter.BarLine(0, 1, 439);
    for (int x = 80; x < 420; x += 30) painter.NoteHead(x % 60 ? 0 : 1, (x / 30) % 9, x);
    painter.BreakLine(1, 2, 300, 330);
    Seed(folder, "system-of-two", 0, page);
  }
  {
    SynthPage page(600, 240);
    StaffPainter painter(page, -0.015, 2);
    painter.AddStaff(Staff(60, 30, 570, 6, 12, 2));
    page.Speckle(300, 7);
    Seed(folder, "six-lines-skewed", 1, page);
  }
  {
    SynthPage page(560, 300);
    StaffPainter painter(page);
    painter.AddStaff(Staff(40, 20, 540, 5, 10, 1));
    painter.AddStaff(Staff(160, 20, 540, 5, 10, 1));
    page.Blots(12, 4, 3);
    Seed(folder, "blots", 0, page);
  }
  {
    SynthPage page(64, 64);
    page.Speckle(200, 11);
    Seed(folder, "specks-only", 0, page);
  }
}
