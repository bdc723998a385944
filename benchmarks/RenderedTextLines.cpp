#include "benchmarks/RenderedTextLines.h"

#include <algorithm>

#include "Code/Quorm/Codepage.h"
#include "tools/textrefs/TextRefMaker.h"

namespace {

constexpr int32_t kMargin = 4;  // white around the ink, in pixels

}  // namespace

bool RenderBenchLine(const BenchFace& face, const BenchLine& line, TextLineImage* out, std::string* error) {
  textrefs::RenderedLine r;
  if (!textrefs::RenderLine(std::string("/usr/share/fonts/") + face.file, line.points, line.text, &r, error))
    return false;
  int32_t x0 = r.width, y0 = r.height, x1 = -1, y1 = -1;
  for (int32_t y = 0; y < r.height; ++y)
    for (int32_t x = 0; x < r.width; ++x)
      if (r.pixels[static_cast<size_t>(y) * r.width + x]) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) {
    *error = std::string("no ink: ") + line.text;
    return false;
  }
  TextLineImage image = BlankLine(x1 - x0 + 1 + 2 * kMargin, y1 - y0 + 1 + 2 * kMargin);
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x)
      image.pixels[static_cast<size_t>(y - y0 + kMargin) * image.width + (x - x0 + kMargin)] =
          r.pixels[static_cast<size_t>(y) * r.width + x];
  image.text = line.text;
  *out = std::move(image);
  return true;
}

std::string PlainTextOf(const LineReading& reading) {
  std::string out;
  for (int32_t i = 0; i < reading.wordCount; ++i) {
    char plain[2 * kReadWordTextBytes];
    WritePlainText(plain, sizeof plain, reading.words[i].text);
    if (!out.empty()) out += ' ';
    out += plain;
  }
  return out;
}
