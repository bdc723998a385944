#include "tests/Code/Quorm/PageSynth.h"

#include <algorithm>
#include <cmath>
#include <random>

SynthPage::SynthPage(int width, int height)
    : width_(width), height_(height), wordsPerRow_((width + 31) / 32),
      words_(static_cast<size_t>(wordsPerRow_) * height, 0u) {}

bool SynthPage::Get(int y, int x) const {
  if (y < 0 || y >= height_ || x < 0 || x >= width_) return false;
  return (words_[static_cast<size_t>(y) * wordsPerRow_ + x / 32] >> (x % 32)) & 1u;
}

void SynthPage::Set(int y, int x, bool black) {
  if (y < 0 || y >= height_ || x < 0 || x >= width_) return;
  uint32_t& word = words_[static_cast<size_t>(y) * wordsPerRow_ + x / 32];
  const uint32_t bit = 1u << (x % 32);
  word = black ? (word | bit) : (word & ~bit);
}

void SynthPage::FillRect(int y0, int x0, int y1, int x1, bool black) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) Set(y, x, black);
}

void SynthPage::FillEllipse(double cy, double cx, double ry, double rx) {
  for (int y = static_cast<int>(std::floor(cy - ry)); y <= static_cast<int>(std::ceil(cy + ry)); ++y)
    for (int x = static_cast<int>(std::floor(cx - rx)); x <= static_cast<int>(std::ceil(cx + rx)); ++x) {
      const double dy = (y - cy) / ry;
      const double dx = (x - cx) / rx;
      if (dy * dy + dx * dx <= 1.0) Set(y, x);
    }
}

void SynthPage::Speckle(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> ys(0, height_ - 1);
  std::uniform_int_distribution<int> xs(0, width_ - 1);
  for (int i = 0; i < count; ++i) {
    const int y = ys(random);
    Set(y, xs(random));
  }
}

void SynthPage::Blots(int count, double radius, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> ys(radius, height_ - 1 - radius);
  std::uniform_real_distribution<double> xs(radius, width_ - 1 - radius);
  for (int i = 0; i < count; ++i) {
    const double y = ys(random);
    FillEllipse(y, xs(random), radius, radius);
  }
}

int SynthPage::CountBlack() const {
  int n = 0;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) n += Get(y, x) ? 1 : 0;
  return n;
}

double StaffPainter::LineY(int staff, int line, double x) const {
  const SynthStaff& s = staves_[staff];
  const double t = (x - s.left) / std::max(1, s.right - s.left);
  return s.top + line * s.spacing + skew_ * (x - s.left) - bow_ * 4.0 * t * (1.0 - t);
}

double StaffPainter::StepY(int staff, int step, double x) const {
  return LineY(staff, 0, x) + step * staves_[staff].spacing / 2.0;
}

int StaffPainter::AddStaff(const SynthStaff& staff) {
  staves_.push_back(staff);
  const int index = static_cast<int>(staves_.size()) - 1;
  for (int line = 0; line < staff.lines; ++line)
    for (int x = staff.left; x < staff.right; ++x) {
      const int y0 = static_cast<int>(std::lround(LineY(index, line, x) - (staff.thickness - 1) / 2.0));
      page_.FillRect(y0, x, y0 + staff.thickness, x + 1);
    }
  return index;
}

void StaffPainter::BreakLine(int staff, int line, int x0, int x1) {
  const SynthStaff& s = staves_[staff];
  for (int x = x0; x < x1; ++x) {
    const int y0 = static_cast<int>(std::lround(LineY(staff, line, x) - (s.thickness - 1) / 2.0));
    page_.FillRect(y0, x, y0 + s.thickness, x + 1, false);
  }
}

void StaffPainter::FragmentLines(int staff, int fragment, int gap, int shift, uint32_t seed) {
  const SynthStaff& s = staves_[staff];
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> lengths(fragment, 2 * fragment);
  std::uniform_int_distribution<int> gaps(1, std::max(1, gap));
  std::uniform_int_distribution<int> shifts(-shift, shift);
  for (int line = 0; line < s.lines; ++line) {
    BreakLine(staff, line, s.left, s.right);
    // Each line starts at an offset of its own.
    int x = s.left + std::uniform_int_distribution<int>(0, fragment)(random);
    while (x < s.right) {
      const int end = std::min(s.right, x + lengths(random));
      const int dy = shifts(random);
      for (int c = x; c < end; ++c) {
        const int y0 = static_cast<int>(std::lround(LineY(staff, line, c) - (s.thickness - 1) / 2.0)) + dy;
        page_.FillRect(y0, c, y0 + s.thickness, c + 1);
      }
      x = end + gaps(random);
    }
  }
}

void StaffPainter::VerticalStroke(double yTop, double yBottom, int xBottom, int thickness) {
  for (int y = static_cast<int>(std::floor(yTop)); y <= static_cast<int>(std::ceil(yBottom)); ++y) {
    const int x = static_cast<int>(std::lround(xBottom + skew_ * (yBottom - y)));
    page_.FillRect(y, x, y + 1, x + thickness);
  }
}

void StaffPainter::BarLine(int firstStaff, int lastStaff, int x, int thickness) {
  const int lines = staves_[lastStaff].lines;
  const double yBottom = LineY(lastStaff, lines - 1, x);
  const double height = yBottom - LineY(firstStaff, 0, x);
  const double yTop = LineY(firstStaff, 0, x + skew_ * height);
  VerticalStroke(yTop, yBottom, x, thickness);
}

void StaffPainter::Bracket(int firstStaff, int lastStaff, int x, int thickness) {
  const double spacing = staves_[firstStaff].spacing;
  const int lines = staves_[lastStaff].lines;
  const double yTop = LineY(firstStaff, 0, x) - spacing / 2;
  const double yBottom = LineY(lastStaff, lines - 1, x) + spacing / 2;
  VerticalStroke(yTop, yBottom, x, thickness);
  const int hook = static_cast<int>(spacing);
  page_.FillRect(static_cast<int>(yTop) - 2, x, static_cast<int>(yTop) + 1, x + hook);
  page_.FillRect(static_cast<int>(yBottom), x, static_cast<int>(yBottom) + 3, x + hook);
}

void StaffPainter::NoteHead(int staff, int step, int x) {
  const double spacing = staves_[staff].spacing;
  page_.FillEllipse(StepY(staff, step, x), x, spacing * 0.5, spacing * 0.65);
}

namespace {

// A stroke of the thickness between two points (round pen).
void Stroke(SynthPage& page, double ya, double xa, double yb, double xb, double thickness) {
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(yb - ya), std::fabs(xb - xa)))) + 1;
  const double r = thickness / 2.0;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    page.FillEllipse(ya + (yb - ya) * t, xa + (xb - xa) * t, r, r);
  }
}

// An elliptic ring of the stroke thickness.
void Ring(SynthPage& page, double cy, double cx, double ry, double rx, double thickness) {
  for (int y = static_cast<int>(std::floor(cy - ry)); y <= static_cast<int>(std::ceil(cy + ry)); ++y)
    for (int x = static_cast<int>(std::floor(cx - rx)); x <= static_cast<int>(std::ceil(cx + rx)); ++x) {
      const double outer = ((y - cy) / ry) * ((y - cy) / ry) + ((x - cx) / rx) * ((x - cx) / rx);
      const double iy = std::max(0.5, ry - thickness), ix = std::max(0.5, rx - thickness);
      const double inner = ((y - cy) / iy) * ((y - cy) / iy) + ((x - cx) / ix) * ((x - cx) / ix);
      if (outer <= 1.0 && inner > 1.0) page.Set(y, x);
    }
}

}  // namespace

void DrawTextLine(SynthPage& page, int baseline, int x0, int x1, int xHeight, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> shapes(0, 6);
  std::uniform_int_distribution<int> wordLength(2, 8);
  const double h = xHeight;
  const double pen = std::max(1.5, h / 6.0);
  const double w = 0.62 * h;
  const double top = baseline - h;
  double x = x0;
  while (x + w < x1) {
    const int letters = wordLength(random);
    for (int i = 0; i < letters && x + w < x1; ++i) {
      switch (shapes(random)) {
        case 0:  // o
          Ring(page, baseline - h / 2, x + w / 2, h / 2, w / 2, pen);
          break;
        case 1:  // e
          Ring(page, baseline - h / 2, x + w / 2, h / 2, w / 2, pen);
          Stroke(page, baseline - h / 2, x, baseline - h / 2, x + w, pen * 0.8);
          break;
        case 2:  // l
          Stroke(page, top - 0.45 * h, x + w / 2, baseline, x + w / 2, pen);
          break;
        case 3:  // n
          Stroke(page, top, x + pen / 2, baseline, x + pen / 2, pen);
          Stroke(page, top + pen, x + pen / 2, top + pen, x + w - pen, pen);
          Stroke(page, top + pen, x + w - pen / 2, baseline, x + w - pen / 2, pen);
          break;
        case 4:  // t
          Stroke(page, top - 0.3 * h, x + w / 3, baseline, x + w / 3, pen);
          Stroke(page, top, x, top, x + w * 0.8, pen * 0.8);
          break;
        case 5:  // p
          Ring(page, baseline - h / 2, x + w / 2, h / 2, w / 2, pen);
          Stroke(page, top, x + pen / 2, baseline + 0.45 * h, x + pen / 2, pen);
          break;
        default:  // i
          Stroke(page, top, x + w / 3, baseline, x + w / 3, pen);
          page.FillEllipse(top - 0.35 * h, x + w / 3, pen / 2 + 0.5, pen / 2 + 0.5);
          break;
      }
      x += w + 0.18 * h;
    }
    x += 0.6 * h;
  }
}

void DrawRuledTable(SynthPage& page, const SynthTable& t, uint32_t seed) {
  const int half = (t.thickness - 1) / 2;
  const int bottom = t.top + t.rows * t.rowHeight;
  for (int r = 0; r <= t.rows; ++r) {
    const int y = t.top + r * t.rowHeight - half;
    page.FillRect(y, t.left, y + t.thickness, t.right);
  }
  const int cell = (t.right - t.left) / t.columns;
  for (int c = 0; c <= t.columns; ++c) {
    const int x = std::min(t.right - t.thickness, t.left + c * cell);
    page.FillRect(t.top - half, x, bottom - half + t.thickness, x + t.thickness);
  }
  if (!t.text) return;
  const int xHeight = std::max(4, t.rowHeight * 2 / 5);
  for (int r = 0; r < t.rows; ++r) {
    const int baseline = t.top + r * t.rowHeight + (t.rowHeight + xHeight) / 2;
    for (int c = 0; c < t.columns; ++c) {
      const int x0 = t.left + c * cell + t.thickness + xHeight / 2;
      // Cells hold text of different lengths.
      const int length = (cell - 2 * t.thickness - xHeight) * (2 + (r + c + static_cast<int>(seed)) % 3) / 4;
      DrawTextLine(page, baseline, x0, x0 + length, xHeight, seed + 31u * r + 7u * c);
    }
  }
}

void DrawBeam(SynthPage& page, int x0, double y0, int x1, double y1, int thickness) {
  for (int x = x0; x < x1; ++x) {
    const double t = x1 - 1 > x0 ? static_cast<double>(x - x0) / (x1 - 1 - x0) : 0.0;
    const int y = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
    page.FillRect(y, x, y + thickness, x + 1);
  }
}

int DrawScorePage(SynthPage& page, const SynthScore& score) {
  StaffPainter painter(page);
  const double sp = score.spacing;
  const int left = static_cast<int>(std::lround(score.margin * sp));
  const int right = page.width() - left;
  if (right - left < 1) return 0;
  const double staffHeight = 4 * sp;
  const double inSystem = staffHeight + 4 * sp;  // staff top to the next one's
  const double betweenSystems = staffHeight + 7 * sp;
  double top = 3 * sp;
  if (top + staffHeight + 2 * sp > page.height()) top = std::max(1.0, (page.height() - staffHeight) / 2 - 1);
  while (top + staffHeight + 1 < page.height()) {
    SynthStaff s;
    s.top = top;
    s.left = left;
    s.right = right;
    s.spacing = sp;
    s.thickness = score.thickness;
    const int first = painter.AddStaff(s);
    int last = first;
    const double second = top + inSystem;
    if (second + staffHeight + 2 * sp < page.height()) {
      s.top = second;
      last = painter.AddStaff(s);
    }
    const int bar = static_cast<int>(std::lround(12 * sp));
    for (int x = left; x < right; x += bar) painter.BarLine(first, last, std::min(x, right - 2));
    painter.BarLine(first, last, right - 2);
    if (score.fragment > 0)
      for (int i = first; i <= last; ++i)
        painter.FragmentLines(i, score.fragment, score.gap, score.shift, score.seed + 977u * static_cast<uint32_t>(i));
    top = (last > first ? second : top) + betweenSystems;
  }
  return painter.staffCount();
}
