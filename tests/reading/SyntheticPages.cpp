#include "tests/reading/SyntheticPages.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Content {
  std::vector<SyntheticStave> staves;
  int headRx, headRy, barEvery, headEvery;
};

Content Layout(const SyntheticPage& page, int width, int height) {
  Content c;
  int r = page.resolution;
  int spacing = std::max(4, r / 12);
  int thickness = std::max(1, r / 150);
  int margin = r / 2;
  for (int top = margin + 2 * spacing; top + 4 * spacing < height - margin; top += 10 * spacing)
    c.staves.push_back({margin, width - margin, top, spacing, thickness});
  c.headRx = spacing * 13 / 20;
  c.headRy = spacing / 2;
  c.barEvery = std::max(1, (width - 2 * margin) / 5);
  c.headEvery = 3 * spacing;
  return c;
}

bool InkAt(const Content& c, double u, double v) {
  for (const SyntheticStave& s : c.staves) {
    if (u < s.left || u >= s.right) continue;
    double rel = v - s.top;
    if (rel < -3 * s.spacing || rel > 7 * s.spacing) continue;
    for (int k = 0; k < 5; ++k)
      if (rel >= k * s.spacing && rel < k * s.spacing + s.thickness) return true;
    double along = u - s.left;
    if (rel >= 0 && rel < 4 * s.spacing + s.thickness) {
      double bar = std::fmod(along, c.barEvery);
      if (along > s.spacing && bar < s.thickness * 1.5) return true;
    }
    int n = static_cast<int>(along / c.headEvery);
    if (n < 1) continue;
    double cx = s.left + n * c.headEvery + c.headEvery / 2.0;
    double cy = s.top + ((n * 7) % 9) * s.spacing / 2.0;
    double dx = (u - cx) / c.headRx, dy = (v - cy) / c.headRy;
    if (dx * dx + dy * dy <= 1.0 && cx + c.headRx < s.right) return true;
  }
  return false;
}

}  // namespace

SyntheticPage A4Page(int resolution) {
  SyntheticPage page;
  page.resolution = resolution;
  page.width = static_cast<int>(8.27 * resolution);
  page.height = static_cast<int>(11.69 * resolution);
  return page;
}

SyntheticPage SizedPage(int width, int height) {
  SyntheticPage page;
  page.resolution = 300;
  page.width = width;
  page.height = height;
  return page;
}

std::vector<SyntheticStave> StavesOf(const SyntheticPage& page) { return Layout(page, page.width, page.height).staves; }

OwnedPageImage MakeGreyPage(const SyntheticPage& page) {
  Content content = Layout(page, page.width, page.height);
  int outW = page.onSide ? page.height : page.width;
  int outH = page.onSide ? page.width : page.height;
  OwnedPageImage grey(outW, outH, 8);
  const PageImage& g = grey.View();
  double a = page.angle * kPi / 180.0, ca = std::cos(a), sa = std::sin(a);
  double cx = page.width / 2.0, cy = page.height / 2.0;
  int pitch = std::max(2, 2 * (page.resolution / 100));
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x) {
      // The upright content point that lands on pixel (x, y).
      double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      double u = cx + dx * ca + dy * sa, v = cy - dx * sa + dy * ca;
      int value = InkAt(content, u, v) ? page.ink : page.paper;
      if (page.dotted && value == page.paper && x % pitch == 0 && y % pitch == 0) value = 110;
      if (page.negative) value = 255 - value;
      // On its side: the page turned a quarter clockwise.
      int ox = page.onSide ? page.height - 1 - y : x;
      int oy = page.onSide ? x : y;
      g.Row(oy)[ox] = static_cast<uint8_t>(value);
    }
  return grey;
}

OwnedPageImage MakeOneBitPage(const SyntheticPage& page) {
  OwnedPageImage grey = MakeGreyPage(page);
  const PageImage& g = grey.View();
  OwnedPageImage bits(g.width, g.height, 1);
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x)
      if (g.Grey(x, y) < 128) bits.View().SetInk(x, y);
  return bits;
}

long CountInk(const PageImage& image, int left, int top, int right, int bottom) {
  long n = 0;
  for (int y = std::max(0, top); y < std::min(bottom, image.height); ++y)
    for (int x = std::max(0, left); x < std::min(right, image.width); ++x) n += image.Ink(x, y) ? 1 : 0;
  return n;
}
