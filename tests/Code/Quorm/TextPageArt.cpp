#include "tests/Code/Quorm/TextPageArt.h"

#include <cmath>

void PasteTextLine(SynthPage& page, const TextLineImage& line, int x, int y, double skew, int originX) {
  // Each page pixel near the turned line looks back at the level line.
  const int margin = static_cast<int>(std::ceil(std::fabs(skew) * (page.width() + page.height()))) + 2;
  for (int py = y - margin; py < y + line.height + margin; ++py)
    for (int px = x - margin; px < x + line.width + margin; ++px) {
      const double u = px + skew * py;
      const double v = py - skew * (px - originX);
      const int lx = static_cast<int>(std::lround(u)) - x;
      const int ly = static_cast<int>(std::lround(v)) - y;
      if (lx < 0 || ly < 0 || lx >= line.width || ly >= line.height) continue;
      if (line.Ink(lx, ly)) page.Set(py, px);
    }
}

namespace {

void AddStaves(SynthPage& page, double skew) {
  StaffPainter painter(page, skew);
  for (int top : {SongPage::kFirstStaffTop, SongPage::kSecondStaffTop}) {
    SynthStaff staff;
    staff.top = top;
    staff.left = SongPage::kStaffLeft;
    staff.right = SongPage::kStaffRight;
    staff.spacing = SongPage::kSpacing;
    painter.AddStaff(staff);
  }
}

}  // namespace

SongPage::SongPage(double skew) : page(kWidth, kHeight) {
  AddStaves(page, skew);
  const struct {
    const char* name;
    int x, y;
  } lines[] = {{"title_serif", kTitleX, kTitleY},
               {"tempo_serif", kTempoX, kTempoY},
               {"chords_serif", kChordsX, kChordsY},
               {"lyrics_serif", kLyricsX, kLyricsY}};
  complete = true;
  for (const auto& l : lines) {
    TextLineImage image;
    if (!LoadTextLine(l.name, &image)) {
      complete = false;
      continue;
    }
    PasteTextLine(page, image, l.x, l.y, skew, kStaffLeft);
  }
}

SynthPage TwoStaffPage(int width, int height, double skew) {
  SynthPage page(width, height);
  StaffPainter painter(page, skew);
  for (int top : {SongPage::kFirstStaffTop, SongPage::kSecondStaffTop}) {
    SynthStaff staff;
    staff.top = top;
    staff.left = SongPage::kStaffLeft;
    staff.right = width - 100;
    staff.spacing = SongPage::kSpacing;
    painter.AddStaff(staff);
  }
  return page;
}
