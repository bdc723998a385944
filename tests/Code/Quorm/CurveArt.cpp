#include "tests/Code/Quorm/CurveArt.h"

#include <algorithm>
#include <cmath>

#include "Code/Quorm/Quorm.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void Pen(SynthPage& page, double y, double x, double thickness) {
  const double r = std::max(0.5, thickness / 2.0);
  page.FillEllipse(y, x, r, r);
}

}  // namespace

double SlurMiddleY(const SynthSlur& slur, double x) {
  const double t = (x - slur.x0) / (slur.x1 - slur.x0);
  const double chord = slur.y0 + (slur.y1 - slur.y0) * t;
  if (slur.wave) return chord + slur.bulge * std::sin(2.0 * kPi * t);
  return chord + slur.bulge * 4.0 * t * (1.0 - t);
}

void DrawSlur(SynthPage& page, const SynthSlur& slur) {
  const int steps = static_cast<int>(4 * (slur.x1 - slur.x0)) + 1;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    const double x = slur.x0 + (slur.x1 - slur.x0) * t;
    const double thickness = slur.endThickness + (slur.middleThickness - slur.endThickness) * 4.0 * t * (1.0 - t);
    Pen(page, SlurMiddleY(slur, x), x, thickness);
  }
}

void DrawWedge(SynthPage& page, double apexY, int apexX, int wideX, double halfHeight, double thickness) {
  const int length = std::abs(wideX - apexX);
  const int step = wideX > apexX ? 1 : -1;
  for (int k = 0; k <= 2 * length; ++k) {
    const double d = k / 2.0;
    const double x = apexX + step * d;
    const double off = halfHeight * d / length;
    Pen(page, apexY - off, x, thickness);
    Pen(page, apexY + off, x, thickness);
  }
}

void DrawBracket(SynthPage& page, const SynthBracket& b) {
  const int half = b.thickness / 2;
  for (int x = b.x0; x < b.x1; ++x) {
    const double y = b.y + b.waveAmplitude * std::sin(2.0 * kPi * (x - b.x0) / b.wavePeriod);
    const int top = static_cast<int>(std::lround(y)) - half;
    page.FillRect(top, x, top + b.thickness, x + 1);
  }
  auto hook = [&](int x) {
    const double y = b.y + b.waveAmplitude * std::sin(2.0 * kPi * (x - b.x0) / b.wavePeriod);
    const int lineY = static_cast<int>(std::lround(y)) - half;
    const int reach = static_cast<int>(std::lround(b.hookLength));
    if (b.hooksDown)
      page.FillRect(lineY, x, lineY + b.thickness + reach, x + b.thickness);
    else
      page.FillRect(lineY - reach, x, lineY + b.thickness, x + b.thickness);
  };
  if (b.leftHook) hook(b.x0);
  if (b.rightHook) hook(b.x1 - b.thickness);
}

ConnectedComponent ComponentOfRegion(const SynthPage& page, int y0, int x0, int y1, int x1,
                                     std::vector<uint32_t>* bits) {
  int top = y1, bottom = y0 - 1, left = x1, right = x0 - 1;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (page.Get(y, x)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ConnectedComponent c{};
  c.link = -1;
  c.index = -1;
  if (bottom < top) return c;
  c.top = top;
  c.left = left;
  c.rows = bottom - top + 1;
  c.columns = right - left + 1;
  bits->assign(static_cast<size_t>(RasterWordCount(c.rows, c.columns)), 0u);
  for (int y = 0; y < c.rows; ++y)
    for (int x = 0; x < c.columns; ++x)
      if (page.Get(top + y, left + x)) {
        const int64_t i = static_cast<int64_t>(y) * c.columns + x;
        (*bits)[static_cast<size_t>(i / 32)] |= 1u << (i % 32);
      }
  c.bits = bits->data();
  return c;
}

int ReadSynthPage(const SynthPage& page, int* staffResult) {
  FreeEngine();
  if (LoadPageImage(page.bits(), page.width(), page.height(), 0) != kEngineOk) return -1;
  const int staff = RunStaffStage(1, nullptr, nullptr);
  if (staffResult) *staffResult = staff;
  return RecognisePage(1.0f, nullptr, nullptr);
}

SynthStaff CurveTestStaff(double top, int left, int right, int spacing) {
  SynthStaff s;
  s.top = top;
  s.left = left;
  s.right = right;
  s.spacing = spacing;
  s.thickness = std::max(2, static_cast<int>(std::lround(spacing / 12.0)));
  return s;
}
