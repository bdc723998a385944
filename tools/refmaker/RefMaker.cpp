#include "tools/refmaker/RefMaker.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/mocgcalc.h"
#include "platform/Platform.h"

namespace refmaker {

namespace {

// Reads the next header token of a PBM file, collecting the origin comment.
bool NextToken(std::FILE* f, std::string* token, GlyphImage* image) {
  token->clear();
  int c = std::fgetc(f);
  for (;;) {
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = std::fgetc(f);
    if (c != '#') break;
    std::string comment;
    while (c != '\n' && c != EOF) {
      comment.push_back(static_cast<char>(c));
      c = std::fgetc(f);
    }
    int row = 0, column = 0;
    if (std::sscanf(comment.c_str(), "# origin %d %d", &row, &column) == 2) {
      image->originRow = row;
      image->originColumn = column;
    }
  }
  while (c != EOF && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '#') {
    token->push_back(static_cast<char>(c));
    c = std::fgetc(f);
  }
  return !token->empty();
}

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, const uint8_t* data, size_t n) { out.insert(out.end(), data, data + n); }

std::string Hex(const uint8_t* data, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 15]);
  }
  return out;
}

// A small seeded generator (splitmix64): the same seed gives the same
// numbers on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Gaussian() {
    const double u = 1.0 - Uniform();  // in (0, 1]
    const double v = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }

 private:
  uint64_t state_;
};

int64_t RowDistance(const uint8_t* a, const uint8_t* b, int32_t n) {
  int64_t d = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t e = static_cast<int32_t>(a[i]) - b[i];
    d += e * e;
  }
  return d;
}

}  // namespace

bool ReadGlyphImage(const std::u16string& path, GlyphImage* out, std::string* error) {
  std::string name(path.begin(), path.end());
  auto fail = [&](const char* why) {
    if (error != nullptr) *error = "glyph image " + name + ": " + why;
    return false;
  };
  std::FILE* f = platform::OpenStream(path.c_str(), "rb");
  if (f == nullptr) return fail("cannot be opened");
  GlyphImage image;
  std::string magic, width, height;
  bool header = NextToken(f, &magic, &image) && magic == "P4" && NextToken(f, &width, &image) &&
                NextToken(f, &height, &image);
  // NextToken has eaten the one white-space byte after the height.
  if (header) {
    image.width = std::atoi(width.c_str());
    image.height = std::atoi(height.c_str());
  }
  if (!header || image.width < 1 || image.height < 1 || image.width > 4096 || image.height > 4096) {
    std::fclose(f);
    return fail("not a binary PBM image");
  }
  const int32_t bytesPerRow = (image.width + 7) / 8;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
  std::vector<uint8_t> row(static_cast<size_t>(bytesPerRow));
  for (int32_t y = 0; y < image.height; ++y) {
    if (std::fread(row.data(), 1, row.size(), f) != row.size()) {
      std::fclose(f);
      return fail("ends early");
    }
    for (int32_t x = 0; x < image.width; ++x)
      image.pixels[static_cast<size_t>(y) * image.width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
  }
  std::fclose(f);
  *out = std::move(image);
  return true;
}

int32_t ModelOfHeadClass(int32_t headClass) { return headClass == 3 ? 2 : headClass; }

void Canvas::FillRect(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  for (int32_t y = std::max(0, y0); y < std::min(height, y1); ++y)
    for (int32_t x = std::max(0, x0); x < std::min(width, x1); ++x) pixels[static_cast<size_t>(y) * width + x] = 1;
}

void Canvas::Stamp(const GlyphImage& glyph, int32_t row, int32_t column) {
  const int32_t top = row - glyph.originRow;
  const int32_t left = column - glyph.originColumn;
  for (int32_t y = 0; y < glyph.height; ++y)
    for (int32_t x = 0; x < glyph.width; ++x)
      if (glyph.Ink(y, x)) FillRect(top + y, left + x, top + y + 1, left + x + 1);
}

void Canvas::Line(double row, int32_t thickness) { Segment(row, thickness, 0, width); }

void Canvas::Segment(double row, int32_t thickness, int32_t x0, int32_t x1) {
  const int32_t y0 = static_cast<int32_t>(std::lround(row - (thickness - 1) / 2.0));
  FillRect(y0, x0, y0 + thickness, x1);
}

std::vector<Degradation> MakeDegradations(uint64_t seed, int32_t count) {
  std::vector<Degradation> out;
  for (int32_t i = 0; i < count; ++i) {
    Random random(seed * 1000003ull + static_cast<uint64_t>(i));
    Degradation d;
    d.seed = random.Next();
    d.skewDegrees = random.Uniform() * 4.0 - 2.0;
    d.noise = 0.35;
    d.thickness = i % 3 - 1;
    out.push_back(d);
  }
  return out;
}

void DegradeCanvas(Canvas* canvas, const Degradation& d) {
  const int32_t w = canvas->width, h = canvas->height;
  if (w < 1 || h < 1) return;
  auto ink = [&](int32_t y, int32_t x) -> double {
    return y >= 0 && y < h && x >= 0 && x < w && canvas->pixels[static_cast<size_t>(y) * w + x] != 0 ? 1.0 : 0.0;
  };
  // Skew about the centre, sampled bilinearly: a grey drawing.
  std::vector<double> grey(static_cast<size_t>(w) * h, 0.0);
  const double a = d.skewDegrees * 3.141592653589793 / 180.0;
  const double c = std::cos(a), sn = std::sin(a);
  const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const double sx = c * (x - cx) + sn * (y - cy) + cx;
      const double sy = -sn * (x - cx) + c * (y - cy) + cy;
      const int32_t x0 = static_cast<int32_t>(std::floor(sx)), y0 = static_cast<int32_t>(std::floor(sy));
      const double fx = sx - x0, fy = sy - y0;
      grey[static_cast<size_t>(y) * w + x] = (1 - fy) * ((1 - fx) * ink(y0, x0) + fx * ink(y0, x0 + 1)) +
                                             fy * ((1 - fx) * ink(y0 + 1, x0) + fx * ink(y0 + 1, x0 + 1));
    }
  // Seeded noise.
  Random random(d.seed);
  for (double& g : grey) g += d.noise * random.Gaussian();
  // Blur (1 2 1 each way), then threshold at the middle grey.
  std::vector<double> across(grey.size(), 0.0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      across[i] = (2 * grey[i] + (x > 0 ? grey[i - 1] : 0.0) + (x + 1 < w ? grey[i + 1] : 0.0)) / 4;
    }
  std::vector<uint8_t> out(grey.size(), 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      const double b = (2 * across[i] + (y > 0 ? across[i - w] : 0.0) + (y + 1 < h ? across[i + w] : 0.0)) / 4;
      out[i] = b > 0.5 ? 1 : 0;
    }
  // A pixel thinner or thicker, never one from each side: thicker a 2 x 2
  // dilation; thinner a pixel across only (2 x 1), so that lines 2 pixels
  // thick, as stave lines are at 300 dpi, keep their height.
  if (d.thickness != 0) {
    std::vector<uint8_t> morph(out.size(), 0);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        auto at = [&](int32_t yy, int32_t xx) -> uint8_t {
          return yy >= 0 && yy < h && xx >= 0 && xx < w ? out[static_cast<size_t>(yy) * w + xx] : 0;
        };
        const size_t i = static_cast<size_t>(y) * w + x;
        morph[i] = d.thickness < 0 ? (at(y, x) & at(y, x + 1))
                                   : (at(y, x) | at(y, x - 1) | at(y - 1, x) | at(y - 1, x - 1));
      }
    out.swap(morph);
  }
  canvas->pixels.swap(out);
}

std::vector<std::vector<int32_t>> ClusterRows(const std::vector<uint8_t>& rows, int32_t n, int32_t k, uint64_t seed) {
  const int32_t count = n > 0 ? static_cast<int32_t>(rows.size() / static_cast<size_t>(n)) : 0;
  std::vector<std::vector<int32_t>> groups;
  if (count == 0 || k < 1) return groups;
  k = std::min(k, count);
  const uint8_t* row = rows.data();
  auto at = [&](int32_t i) { return row + static_cast<size_t>(i) * n; };
  // k-means++ start.
  Random random(seed);
  std::vector<std::vector<double>> centres;
  std::vector<int64_t> nearest(static_cast<size_t>(count), INT64_MAX);
  int32_t pick = static_cast<int32_t>(random.Next() % static_cast<uint64_t>(count));
  for (int32_t c = 0; c < k; ++c) {
    centres.emplace_back(at(pick), at(pick) + n);
    double total = 0;
    for (int32_t i = 0; i < count; ++i) {
      nearest[i] = std::min(nearest[i], RowDistance(at(i), at(pick), n));
      total += static_cast<double>(nearest[i]);
    }
    if (total <= 0) break;  // every row already on a centre
    double target = random.Uniform() * total;
    pick = count - 1;
    for (int32_t i = 0; i < count; ++i) {
      target -= static_cast<double>(nearest[i]);
      if (target < 0) {
        pick = i;
        break;
      }
    }
  }
  // Lloyd's steps until no row moves.
  std::vector<int32_t> owner(static_cast<size_t>(count), -1);
  for (int32_t step = 0; step < 100; ++step) {
    bool moved = false;
    for (int32_t i = 0; i < count; ++i) {
      int32_t best = 0;
      double bestDistance = 1e300;
      for (size_t c = 0; c < centres.size(); ++c) {
        double dd = 0;
        for (int32_t f = 0; f < n; ++f) {
          const double e = at(i)[f] - centres[c][f];
          dd += e * e;
        }
        if (dd < bestDistance) {
          bestDistance = dd;
          best = static_cast<int32_t>(c);
        }
      }
      if (owner[i] != best) {
        owner[i] = best;
        moved = true;
      }
    }
    if (!moved) break;
    std::vector<std::vector<double>> sums(centres.size(), std::vector<double>(static_cast<size_t>(n), 0.0));
    std::vector<int32_t> members(centres.size(), 0);
    for (int32_t i = 0; i < count; ++i) {
      ++members[owner[i]];
      for (int32_t f = 0; f < n; ++f) sums[owner[i]][f] += at(i)[f];
    }
    for (size_t c = 0; c < centres.size(); ++c)
      if (members[c] > 0)
        for (int32_t f = 0; f < n; ++f) centres[c][f] = sums[c][f] / members[c];
  }
  std::vector<int32_t> groupOf(centres.size(), -1);
  for (int32_t i = 0; i < count; ++i) {
    int32_t& g = groupOf[owner[i]];
    if (g < 0) {
      g = static_cast<int32_t>(groups.size());
      groups.emplace_back();
    }
    groups[g].push_back(i);
  }
  return groups;
}

int32_t LineThicknessFor(int32_t staffSpace) { return std::max(1, static_cast<int32_t>(std::lround(staffSpace / 10.0))); }

const HeadPlaceLayout& LayoutOfHeadPlace(HeadPlace place) {
  // Index: the place. Heads on a line or in a space take the stave's inner
  // lines and its spaces in turn; a head stemmed up stands low on the stave
  // and one stemmed down high, as voices and the engravers' stem rule put
  // them.
  static const HeadPlaceLayout kLayouts[kHeadPlaceCount] = {
      {{2, 4, 6}, 3, false, false, 0},     // on a line
      {{1, 3, 5, 7}, 4, false, false, 0},  // in a space
      {{-1}, 1, false, false, 0},          // above the stave: a line below
      {{9}, 1, false, false, 0},           // below it: a line above
      {{2, 4, 6}, 3, true, true, 0},       // on a line in a chord
      {{3, 5}, 2, true, true, 0},          // in a space in a chord
      {{2, 4, 6}, 3, true, false, 0},      // on a line, a head above
      {{2, 4, 6}, 3, false, true, 0},      // on a line, a head below
      {{3, 5}, 2, true, false, 0},         // in a space, a head above
      {{3, 5}, 2, false, true, 0},         // in a space, a head below
      {{10}, 1, false, false, 0},          // on the ledger line below the stave
      {{-2}, 1, false, false, 0},          // on the ledger line above it
      {{11}, 1, false, false, 0},          // below the ledger line below it
      {{-3}, 1, false, false, 0},          // above the ledger line above it
      {{6, 4, 8}, 3, false, false, 1},     // on a line, stem up
      {{5, 3, 7}, 3, false, false, 1},     // in a space, stem up
      {{2, 0, 4}, 3, false, false, -1},    // on a line, stem down
      {{3, 1, 5}, 3, false, false, -1},    // in a space, stem down
  };
  return kLayouts[std::min(std::max(static_cast<int32_t>(place), 0), kHeadPlaceCount - 1)];
}

bool HeadClassStandsAt(int32_t headClass, HeadPlace place) {
  return LayoutOfHeadPlace(place).stem == 0 || ModelOfHeadClass(headClass) != 2;
}

bool HeadReferenceOptions::Takes(int32_t headClass, HeadPlace place) const {
  const int32_t p = static_cast<int32_t>(place);
  if (p < 0 || p >= kHeadPlaceCount || !places[p] || !HeadClassStandsAt(headClass, place)) return false;
  return LayoutOfHeadPlace(place).stem == 0 || (headClass >= 0 && headClass < 5 && stemClasses[headClass]);
}

int32_t StemThicknessFor(int32_t staffSpace) {
  // LilyPond draws stems 0.13 of a staff space thick, MuseScore 0.11.
  return std::max(1, static_cast<int32_t>(std::lround(staffSpace * 0.12)));
}

namespace {

// The ledger lines a head at the step stands among: from the stave out to
// the head's own step.
std::vector<int32_t> LedgerSteps(int32_t step) {
  std::vector<int32_t> out;
  for (int32_t l = 10; l <= step; l += 2) out.push_back(l);
  for (int32_t l = -2; l >= step; l -= 2) out.push_back(l);
  return out;
}

// Draws what a place puts beside the stave's lines: its ledger lines (as
// wide as the head and a quarter of a staff space more each side, of the
// thickness given), the head with its left side at the column and its
// centre at the row of the step, the chord's heads and the stem.
void DrawHeadBeside(Canvas* canvas, const GlyphImage& glyph, const HeadPlaceLayout& layout, int32_t step,
                    double centre, int32_t left, double space, int32_t ledgerThickness) {
  const int32_t reach = LedgerReach(space);
  for (int32_t l : LedgerSteps(step))
    canvas->Segment(centre + (l - step) * space / 2.0, ledgerThickness, left - reach, left + glyph.width + reach);
  const int32_t row = static_cast<int32_t>(std::lround(centre));
  canvas->Stamp(glyph, row, left + glyph.originColumn);
  if (layout.headAbove) canvas->Stamp(glyph, static_cast<int32_t>(std::lround(centre - space)), left + glyph.originColumn);
  if (layout.headBelow) canvas->Stamp(glyph, static_cast<int32_t>(std::lround(centre + space)), left + glyph.originColumn);
  const int32_t stem = StemThicknessFor(static_cast<int32_t>(std::lround(space)));
  const int32_t length = static_cast<int32_t>(std::lround(3.5 * space));
  if (layout.stem > 0) canvas->FillRect(row - length, left + glyph.width - stem, row + 1, left + glyph.width);
  if (layout.stem < 0) canvas->FillRect(row, left, row + length + 1, left + stem);
}

}  // namespace

Canvas DrawHeadAtPlace(const GlyphImage& glyph, HeadPlace place, int32_t staffSpace, int32_t lineThickness,
                       int32_t* centre, int32_t* left) {
  const int32_t margin = 2 * staffSpace;
  Canvas canvas(glyph.width + 2 * margin, glyph.height + 2 * margin);
  *centre = margin + glyph.originRow;
  *left = margin;
  const HeadPlaceLayout& layout = LayoutOfHeadPlace(place);
  const int32_t step = layout.steps[0];
  for (int32_t line = 0; line <= 8; line += 2)
    if (std::abs(line - step) <= 2) canvas.Line(*centre + (line - step) * staffSpace / 2.0, lineThickness);
  DrawHeadBeside(&canvas, glyph, layout, step, *centre, *left, staffSpace, lineThickness);
  return canvas;
}

namespace {

// The glyph drawn at the place (degraded when asked) once, and the features
// of the finder's crop at each shift of its edges and centre (dLeft, dRight,
// dRow), appended to rows; the number of crops the finder would take.
int32_t HeadPlaceFeatures(const GlyphImage& glyph, int32_t headClass, HeadPlace place, int32_t staffSpace,
                          int32_t lineThickness, const int32_t (*shifts)[3], int32_t shiftCount,
                          const Degradation* degradation, std::vector<uint8_t>* rows) {
  int32_t centre = 0, left = 0;
  Canvas canvas = DrawHeadAtPlace(glyph, place, staffSpace, lineThickness, &centre, &left);
  if (degradation != nullptr) DegradeCanvas(&canvas, *degradation);
  return HeadCanvasFeatures(canvas, headClass, staffSpace * 1024, centre, left, left + glyph.width, shifts, shiftCount,
                            rows);
}

}  // namespace

int32_t HeadCanvasFeatures(const Canvas& canvas, int32_t headClass, int32_t staffSpace1024, int32_t centre,
                           int32_t left, int32_t right, const int32_t (*shifts)[3], int32_t shiftCount,
                           std::vector<uint8_t>* rows) {
  int32_t taken = 0;
  for (int32_t k = 0; k < shiftCount; ++k) {
    const int32_t dLeft = shifts[k][0], dRight = shifts[k][1], dRow = shifts[k][2];
    HeadPatchBox box;
    if (!NoteheadPatchBox(ModelOfHeadClass(headClass), staffSpace1024, (centre + dRow) * 1024, left + dLeft,
                          right + dRight, &box))
      continue;
    std::vector<uint8_t> patch(static_cast<size_t>(box.rows) * box.columns, 0);
    for (int32_t y = 0; y < box.rows; ++y)
      for (int32_t x = 0; x < box.columns; ++x) {
        const int32_t cy = box.top + y, cx = box.left + x;
        if (cy >= 0 && cy < canvas.height && cx >= 0 && cx < canvas.width)
          patch[static_cast<size_t>(y) * box.columns + x] =
              canvas.pixels[static_cast<size_t>(cy) * canvas.width + cx];
      }
    uint8_t features[kEdgeFeatureCount];
    ComputeEdgeFeatures(features, patch.data(), box.columns, box.rows);
    rows->insert(rows->end(), features, features + kEdgeFeatureCount);
    ++taken;
  }
  return taken;
}

bool HeadGlyphFeatures(const GlyphImage& glyph, int32_t headClass, HeadPlace place, int32_t staffSpace,
                       int32_t lineThickness, int32_t dLeft, int32_t dRight, int32_t dRow,
                       uint8_t features[kEdgeFeatureCount], const Degradation* degradation) {
  const int32_t shift[1][3] = {{dLeft, dRight, dRow}};
  std::vector<uint8_t> row;
  if (HeadPlaceFeatures(glyph, headClass, place, staffSpace, lineThickness, shift, 1, degradation, &row) != 1)
    return false;
  std::memcpy(features, row.data(), kEdgeFeatureCount);
  return true;
}

namespace {

// Reads a text file of one record a line: everything from '#' on is a
// comment, blank lines are passed over, and `take` gets each other line and
// answers an error text (empty when the line is good). The first error ends
// the reading as "WHAT NAME line N: error"; a file that cannot be opened is
// "WHAT NAME: cannot be opened". With wholeLines the last line must end
// with a line end.
bool ReadTextLines(const std::u16string& path, const std::string& what, std::string* error, bool wholeLines,
                   const std::function<std::string(const std::string& text)>& take) {
  const std::string name(path.begin(), path.end());
  std::FILE* f = platform::OpenStream(path.c_str(), "rb");
  if (f == nullptr) {
    if (error != nullptr) *error = what + " " + name + ": cannot be opened";
    return false;
  }
  std::string text;
  int line = 0;
  bool ok = true, ended = true;
  for (int c = std::fgetc(f); ok; c = std::fgetc(f)) {
    if (c != '\n' && c != EOF) {
      text.push_back(static_cast<char>(c));
      continue;
    }
    if (c == EOF && text.empty()) break;
    ++line;
    ended = c != EOF;
    if (text.find('#') != std::string::npos) text.erase(text.find('#'));
    if (text.find_first_not_of(" \t\r\v\f") != std::string::npos) {
      if (wholeLines && !ended) {
        if (error != nullptr) *error = what + " " + name + ": the last line has no end";
        ok = false;
        break;
      }
      const std::string problem = take(text);
      if (!problem.empty()) {
        if (error != nullptr) *error = what + " " + name + " line " + std::to_string(line) + ": " + problem;
        ok = false;
      }
    }
    text.clear();
    if (c == EOF) break;
  }
  std::fclose(f);
  return ok;
}

}  // namespace

bool ReadStaveLayout(const std::u16string& path, std::vector<StavePage>* out, std::string* error) {
  std::vector<StavePage> pages;
  const bool ok = ReadTextLines(path, "stave layout", error, false, [&](const std::string& text) -> std::string {
    char page[256] = {};
    char extra[2] = {};
    EngravedStave stave;
    if (std::sscanf(text.c_str(), " %255s", page) != 1) return "";
    const int read = std::sscanf(text.c_str(), " %*s %lf %lf %lf %lf %lf %d %d %1s", &stave.rows[0], &stave.rows[1],
                                 &stave.rows[2], &stave.rows[3], &stave.rows[4], &stave.left, &stave.right, extra);
    bool rising = read == 7 && stave.rows[0] >= 0 && stave.left >= 0 && stave.left < stave.right;
    for (int i = 1; rising && i < 5; ++i) rising = stave.rows[i] > stave.rows[i - 1];
    if (!rising) return "expected \"PAGE ROW0 ROW1 ROW2 ROW3 ROW4 LEFT RIGHT\", the rows rising and LEFT before RIGHT";
    auto found = std::find_if(pages.begin(), pages.end(), [&](const StavePage& p) { return p.name == page; });
    if (found == pages.end()) {
      pages.emplace_back();
      pages.back().name = page;
      found = pages.end() - 1;
    }
    found->staves.push_back(stave);
    return "";
  });
  if (!ok) return false;
  *out = std::move(pages);
  return true;
}

std::vector<int32_t> BlankStaveColumns(const Canvas& page, const EngravedStave& stave, int32_t width,
                                       int32_t count) {
  std::vector<int32_t> out;
  const double space = stave.Space();
  const int32_t top = std::max(0, static_cast<int32_t>(std::floor(stave.rows[0] - 3 * space)));
  const int32_t bottom = std::min(page.height, static_cast<int32_t>(std::ceil(stave.rows[4] + 3 * space)) + 1);
  const int32_t x0 = std::max(0, stave.left), x1 = std::min(page.width, stave.right + 1);
  if (count < 1 || width < 1 || x1 - x0 < width) return out;
  std::vector<int32_t> ink(static_cast<size_t>(x1 - x0), 0);
  for (int32_t x = x0; x < x1; ++x)
    for (int32_t y = top; y < bottom; ++y) ink[x - x0] += page.pixels[static_cast<size_t>(y) * page.width + x];
  // The lines' own ink: what most columns of a blank stave hold.
  std::vector<int32_t> tally(static_cast<size_t>(bottom - top + 1), 0);
  for (int32_t n : ink) ++tally[n];
  const int32_t lines = static_cast<int32_t>(std::max_element(tally.begin(), tally.end()) - tally.begin());
  std::vector<int32_t> starts;
  int32_t run = 0;
  for (int32_t x = x0; x < x1; ++x) {
    run = std::abs(ink[x - x0] - lines) <= 1 ? run + 1 : 0;
    if (run >= width) starts.push_back(x - width + 1);
  }
  if (starts.empty()) return out;
  const size_t n = std::min(starts.size(), static_cast<size_t>(count));
  for (size_t k = 0; k < n; ++k) out.push_back(starts[(2 * k + 1) * starts.size() / (2 * n)]);
  return out;
}

int32_t StaveLineThickness(const Canvas& page, double lineRow, int32_t column, int32_t staffSpace) {
  int32_t thickness = 0;
  const int32_t y0 = static_cast<int32_t>(std::lround(lineRow));
  for (int32_t y = y0 - staffSpace / 2; y <= y0 + staffSpace / 2; ++y)
    if (y >= 0 && y < page.height && column >= 0 && column < page.width)
      thickness += page.pixels[static_cast<size_t>(y) * page.width + column];
  return std::max(1, thickness);
}

int32_t EngravedStaveHeadFeatures(const Canvas& page, const EngravedStave& stave, const GlyphImage& glyph,
                                  int32_t headClass, HeadPlace place, int32_t column, int32_t variant,
                                  const int32_t (*shifts)[3], int32_t shiftCount, const Degradation* degradation,
                                  std::vector<uint8_t>* rows) {
  const double space = stave.Space();
  const double* r = stave.rows;
  const HeadPlaceLayout& layout = LayoutOfHeadPlace(place);
  const int32_t step = layout.steps[std::abs(variant) % layout.stepCount];
  // The row of the step on the stave's own lines; beyond it, whole staff
  // spaces out from its outer lines.
  const double centre = step > 8        ? r[4] + (step - 8) * space / 2.0
                        : step < 0        ? r[0] + step * space / 2.0
                        : step % 2 == 0 ? r[step / 2]
                                        : (r[step / 2] + r[step / 2 + 1]) / 2;
  // The page round the head, its staff lines with it.
  const int32_t s = static_cast<int32_t>(std::lround(space));
  const int32_t margin = 2 * s;
  const int32_t top = static_cast<int32_t>(std::lround(centre)) - glyph.originRow - margin;
  const int32_t left = column - margin;
  Canvas canvas(glyph.width + 2 * margin, glyph.height + 2 * margin);
  for (int32_t y = 0; y < canvas.height; ++y)
    for (int32_t x = 0; x < canvas.width; ++x) {
      const int32_t py = top + y, px = left + x;
      if (py >= 0 && py < page.height && px >= 0 && px < page.width)
        canvas.pixels[static_cast<size_t>(y) * canvas.width + x] = page.pixels[static_cast<size_t>(py) * page.width + px];
    }
  // Ledger lines as thick as the stave's own, measured across its outer
  // line nearest the head.
  DrawHeadBeside(&canvas, glyph, layout, step, centre - top, margin, space,
                 StaveLineThickness(page, step > 8 ? r[4] : r[0], column, s));
  if (degradation != nullptr) DegradeCanvas(&canvas, *degradation);
  return HeadCanvasFeatures(canvas, headClass, static_cast<int32_t>(std::lround(space * 1024)),
                            static_cast<int32_t>(std::lround(centre)) - top, margin, margin + glyph.width, shifts,
                            shiftCount, rows);
}

void ReferenceSamples::Add(const uint8_t* features) {
  for (int k = 0; k < n_; ++k) {
    sum_[k] += features[k];
    squares_[k] += static_cast<double>(features[k]) * features[k];
  }
  ++count_;
}

void ReferenceSamples::Make(uint8_t* pairs, double spreadFloor) const {
  for (int k = 0; k < n_; ++k) {
    const double mean = count_ > 0 ? sum_[k] / count_ : 0.0;
    const double variance = count_ > 0 ? std::max(0.0, squares_[k] / count_ - mean * mean) : 0.0;
    const double spread2 = std::max(variance, spreadFloor * spreadFloor);
    const double weight = spread2 > 9.0 ? 2.0 * std::sqrt(spread2 - 9.0) : 0.0;
    pairs[2 * k] = static_cast<uint8_t>(std::min(255L, std::max(0L, std::lround(mean))));
    pairs[2 * k + 1] = static_cast<uint8_t>(std::min(255L, std::max(0L, std::lround(weight))));
  }
}

namespace {

NoteheadReference HeadReferenceOf(int32_t headClass, int32_t word1, const ReferenceSamples& samples, double floor,
                                  int32_t degradedCopies) {
  NoteheadReference r{};
  r.headClass = headClass;
  r.word1 = word1;
  r.variant = 0;
  r.words3to5[0] = samples.count();
  r.words3to5[1] = static_cast<int32_t>(std::lround(floor * 100));
  r.words3to5[2] = degradedCopies;
  samples.Make(r.edgeRefs, floor);
  return r;
}

// The seed of a class's or type's clustering and degradations.
uint64_t SeedOf(int32_t code, int32_t salt) { return 7919ull * static_cast<uint64_t>(code + 1) + salt; }

}  // namespace

std::vector<NoteheadReference> MakeHeadReferences(const std::vector<HeadGlyphs>& glyphs,
                                                  const HeadReferenceOptions& options,
                                                  const std::vector<CutSample>* extra,
                                                  const std::vector<StavePage>* staves) {
  std::vector<NoteheadReference> out;
  const int32_t copies = std::max(0, options.degradedCopies);
  for (const HeadGlyphs& set : glyphs) {
    const double floor = options.FloorOf(set.headClass);
    const int32_t clusters =
        set.headClass >= 0 && set.headClass < 5 ? options.clusters[set.headClass] : 0;
    std::vector<uint8_t> all;  // every sample of the class, for clustering
    for (int32_t p = 0; p < kHeadPlaceCount; ++p) {
      if (!options.Takes(set.headClass, static_cast<HeadPlace>(p))) continue;
      ReferenceSamples samples;
      const std::vector<Degradation> spoils =
          MakeDegradations(SeedOf(set.headClass, p), copies * static_cast<int32_t>(set.images.size()));
      for (size_t i = 0; i < set.images.size() && i < set.staffSpaces.size(); ++i) {
        const int32_t s = set.staffSpaces[i];
        const int32_t j = options.edgeJitter;
        const int32_t shifts[][3] = {{0, 0, 0}, {-j, 0, 0}, {j, 0, 0}, {0, -j, 0}, {0, j, 0}, {0, 0, -j}, {0, 0, j}};
        for (int32_t copy = -1; copy < copies; ++copy) {
          const Degradation* spoil = copy < 0 ? nullptr : &spoils[i * copies + copy];
          std::vector<uint8_t> rows;
          const int32_t taken = HeadPlaceFeatures(set.images[i], set.headClass, static_cast<HeadPlace>(p), s,
                                                  LineThicknessFor(s), shifts, 7, spoil, &rows);
          for (int32_t k = 0; k < taken; ++k) samples.Add(rows.data() + static_cast<size_t>(k) * kEdgeFeatureCount);
          if (clusters > 0) all.insert(all.end(), rows.begin(), rows.end());
        }
      }
      // The same head stood on the engraved staves, the glyph drawn at the
      // staff space nearest each stave's.
      for (size_t page = 0; staves != nullptr && options.engravedStaveColumns > 0 && page < staves->size(); ++page) {
        const StavePage& stavePage = (*staves)[page];
        for (size_t k = 0; k < stavePage.staves.size(); ++k) {
          const EngravedStave& stave = stavePage.staves[k];
          size_t nearest = 0;
          for (size_t i = 1; i < set.staffSpaces.size() && i < set.images.size(); ++i)
            if (std::fabs(set.staffSpaces[i] - stave.Space()) < std::fabs(set.staffSpaces[nearest] - stave.Space()))
              nearest = i;
          if (nearest >= set.images.size()) continue;
          const GlyphImage& glyph = set.images[nearest];
          const int32_t s = static_cast<int32_t>(std::lround(stave.Space()));
          const int32_t j = options.edgeJitter;
          const int32_t shifts[][3] = {{0, 0, 0}, {-j, 0, 0}, {j, 0, 0}, {0, -j, 0}, {0, j, 0}, {0, 0, -j}, {0, 0, j}};
          const std::vector<int32_t> columns =
              BlankStaveColumns(stavePage.image, stave, glyph.width + 4 * s, options.engravedStaveColumns);
          const std::vector<Degradation> spoils = MakeDegradations(
              SeedOf(set.headClass, 1000 + 100 * static_cast<int32_t>(page) + static_cast<int32_t>(k)) + p,
              copies * static_cast<int32_t>(columns.size()));
          for (size_t c = 0; c < columns.size(); ++c)
            for (int32_t copy = -1; copy < copies; ++copy) {
              const Degradation* spoil = copy < 0 ? nullptr : &spoils[c * copies + copy];
              std::vector<uint8_t> rows;
              const int32_t taken = EngravedStaveHeadFeatures(
                  stavePage.image, stave, glyph, set.headClass, static_cast<HeadPlace>(p), columns[c] + 2 * s,
                  static_cast<int32_t>(c + k), shifts, 7, spoil, &rows);
              for (int32_t t = 0; t < taken; ++t)
                samples.Add(rows.data() + static_cast<size_t>(t) * kEdgeFeatureCount);
              if (clusters > 0) all.insert(all.end(), rows.begin(), rows.end());
            }
        }
      }
      if (clusters == 0 && samples.count() > 0)
        out.push_back(HeadReferenceOf(set.headClass, p, samples, floor, copies));
    }
    int32_t made = 0;
    if (clusters > 0) {
      const std::vector<std::vector<int32_t>> groups =
          ClusterRows(all, kEdgeFeatureCount, clusters, SeedOf(set.headClass, 99));
      for (const std::vector<int32_t>& group : groups) {
        ReferenceSamples samples;
        for (int32_t i : group) samples.Add(all.data() + static_cast<size_t>(i) * kEdgeFeatureCount);
        out.push_back(HeadReferenceOf(set.headClass, made++, samples, floor, copies));
      }
    }
    // The engraved pages' samples make references of their own, beside the
    // glyphs' (clustered with them, the glyphs' many samples would pull
    // every mean their way).
    const int32_t engraved =
        set.headClass >= 0 && set.headClass < 5 ? options.engravedClusters[set.headClass] : 0;
    if (engraved <= 0 || extra == nullptr) continue;
    std::vector<uint8_t> cuts;
    for (const CutSample& cut : *extra)
      if (cut.head && cut.code == set.headClass && cut.features.size() == kEdgeFeatureCount)
        cuts.insert(cuts.end(), cut.features.begin(), cut.features.end());
    for (const std::vector<int32_t>& group :
         ClusterRows(cuts, kEdgeFeatureCount, engraved, SeedOf(set.headClass, 98))) {
      ReferenceSamples samples;
      for (int32_t i : group) samples.Add(cuts.data() + static_cast<size_t>(i) * kEdgeFeatureCount);
      // word1 100 and up: a reference of engraved samples.
      out.push_back(HeadReferenceOf(set.headClass, 100 + made++, samples, floor, copies));
    }
  }
  return out;
}

const std::vector<HeadGlyphSource>& HeadGlyphSources() {
  static const std::vector<HeadGlyphSource> sources = {{0, "black"}, {1, "half"}, {2, "whole"}, {4, "small"}};
  return sources;
}

const std::vector<int32_t>& HeadReferenceStaffSpaces() {
  static const std::vector<int32_t> spaces = {12, 14, 18, 20, 22, 26, 31, 37, 45};
  return spaces;
}

const std::vector<int32_t>& ShippedHeadStaffSpaces() {
  static const std::vector<int32_t> spaces = {10, 12, 14, 18, 20, 22, 26, 31, 37, 45, 50};
  return spaces;
}

const std::vector<int32_t>& ShippedSymbolStaffSpaces() {
  static const std::vector<int32_t> spaces = {10, 14, 20, 28, 37, 50};
  return spaces;
}

std::u16string HeadGlyphFile(const std::u16string& folder, const char* name, int32_t staffSpace) {
  const std::string file = std::string("head-") + name + "-" + std::to_string(staffSpace) + ".pbm";
  return folder + u"/" + std::u16string(file.begin(), file.end());
}

bool LoadHeadGlyphs(const std::u16string& folder, std::vector<HeadGlyphs>* out, std::string* error,
                    const std::vector<int32_t>& staffSpaces) {
  out->clear();
  for (const HeadGlyphSource& source : HeadGlyphSources()) {
    HeadGlyphs set;
    set.headClass = source.headClass;
    for (int32_t s : staffSpaces) {
      GlyphImage image;
      if (!ReadGlyphImage(HeadGlyphFile(folder, source.name, s), &image, error)) return false;
      set.staffSpaces.push_back(s);
      set.images.push_back(std::move(image));
    }
    out->push_back(std::move(set));
  }
  return true;
}

const std::vector<SymbolGlyphSource>& SymbolGlyphSources() {
  static const std::vector<SymbolGlyphSource> sources = {
      {40, "rest-breve"},   {41, "rest-whole"},   {42, "rest-half"},    {43, "rest-quarter"}, {44, "rest-8"},
      {45, "rest-16"},      {46, "rest-32"},      {61, "flag-up-1"},    {62, "flag-up-2"},    {63, "flag-up-3"},
      {64, "flag-up-4"},    {71, "flag-down-1"},  {72, "flag-down-2"},  {73, "flag-down-3"},  {74, "flag-down-4"},
      {80, "clef-G"},       {81, "clef-F"},       {82, "clef-C"},       {90, "sharp"},        {91, "flat"},
      {92, "natural"},      {93, "double-sharp"}, {94, "double-flat"},  {150, "dot"},         {303, "dynamic-p"},
      {306, "dynamic-f"},   {402, "time-2"},      {403, "time-3"},      {404, "time-4"},      {405, "time-5"},
      {406, "time-6"},      {407, "time-7"},      {408, "time-8"},      {409, "time-9"},      {490, "time-common"},
      {491, "time-cut"},
      // Marks and the symbols text must not cover (see tools/refmaker/README.md
      // for the choice of glyph behind each code).
      {50, "breath"},       {51, "caesura"},      {100, "mark-accent"}, {102, "mark-staccatissimo-up"},
      {103, "mark-staccatissimo-down"},           {104, "mark-marcato-up"},                 {105, "mark-marcato-down"},
      {106, "mark-tenuto"}, {107, "mark-fermata-up"},                   {108, "mark-fermata-down"},
      {109, "mark-trill"},  {110, "mark-turn"},   {120, "mark-downbow"}, {121, "mark-upbow"}, {122, "mark-stopped"},
      // Tuplet numerals 2 to 6: the engravers set them in their text faces'
      // italic, not in the music font (see tools/refmaker/README.md), so
      // each numeral has a glyph of either face.
      {352, "tuplet-2"},    {353, "tuplet-3"},    {354, "tuplet-4"},    {355, "tuplet-5"},    {356, "tuplet-6"},
      {352, "tuplet-free-2"},                     {353, "tuplet-free-3"},                   {354, "tuplet-free-4"},
      {355, "tuplet-free-5"},                     {356, "tuplet-free-6"},
  };
  return sources;
}

const std::vector<int32_t>& SymbolReferenceStaffSpaces() {
  static const std::vector<int32_t> spaces = {14, 20, 28, 37};
  return spaces;
}

std::u16string SymbolGlyphFile(const std::u16string& folder, const char* name, int32_t staffSpace) {
  const std::string file = std::string("sym-") + name + "-" + std::to_string(staffSpace) + ".pbm";
  return folder + u"/" + std::u16string(file.begin(), file.end());
}

bool LoadSymbolGlyphs(const std::u16string& folder, const std::vector<int32_t>& staffSpaces,
                      std::vector<SymbolGlyphs>* out, std::string* error) {
  out->clear();
  for (const SymbolGlyphSource& source : SymbolGlyphSources()) {
    SymbolGlyphs set;
    set.type = source.type;
    set.name = source.name;
    for (int32_t s : staffSpaces) {
      GlyphImage image;
      if (!ReadGlyphImage(SymbolGlyphFile(folder, source.name, s), &image, error)) return false;
      set.staffSpaces.push_back(s);
      set.images.push_back(std::move(image));
    }
    out->push_back(std::move(set));
  }
  return true;
}

const std::vector<std::string>& JoinGlyphNames() {
  static const std::vector<std::string> names = {"join-140",     "join-160",     "join-180",     "join-200",
                                                 "join-220",     "join-wide-30", "join-wide-35", "join-wide-40",
                                                 "join-wide-45"};
  return names;
}

const std::vector<int32_t>& JoinReferenceStaffSpaces() {
  static const std::vector<int32_t> spaces = {14, 20, 28};
  return spaces;
}

bool LoadJoinGlyphs(const std::u16string& folder, SymbolGlyphs* out, std::string* error) {
  SymbolGlyphs set;
  set.type = 800;
  set.name = "join";
  for (const std::string& name : JoinGlyphNames())
    for (int32_t s : JoinReferenceStaffSpaces()) {
      GlyphImage image;
      if (!ReadGlyphImage(SymbolGlyphFile(folder, name.c_str(), s), &image, error)) return false;
      if (image.width >= kEdgeImageLimit || image.height >= kEdgeImageLimit) continue;
      set.staffSpaces.push_back(s);
      set.images.push_back(std::move(image));
    }
  *out = std::move(set);
  return true;
}

bool IsReferenceSymbolType(int32_t type) {
  static const int32_t kRanges[][2] = {
      {40, 46},   {50, 51},   {61, 64},   {71, 74},   {80, 82},   {90, 96},   {100, 110}, {120, 122},
      {130, 135}, {140, 140}, {150, 150}, {160, 162}, {170, 174}, {300, 316}, {352, 356}, {402, 407},
      {408, 409}, {412, 412}, {416, 416}, {490, 491}, {800, 800},
  };
  for (const auto& r : kRanges)
    if (type >= r[0] && type <= r[1]) return true;
  return false;
}

const std::vector<int32_t>& SearchedHeadClasses() {
  static const std::vector<int32_t> classes = {0, 1, 2, 4};
  return classes;
}

bool CheckReferenceSets(const std::vector<NoteheadReference>& heads, const std::vector<MusicReference>& symbols,
                        std::string* error) {
  for (int32_t headClass : SearchedHeadClasses()) {
    bool found = false;
    for (const NoteheadReference& r : heads) found = found || (r.headClass == headClass && r.variant == 0);
    if (!found) {
      *error = "no reference of head class " + std::to_string(headClass) + " (variant 0)";
      return false;
    }
  }
  for (const MusicReference& r : symbols)
    if (!IsReferenceSymbolType(r.type)) {
      *error = "symbol type " + std::to_string(r.type) + " is not one the classifier reports";
      return false;
    }
  return true;
}

void SymbolGlyphFeatures(const GlyphImage& glyph, int32_t staffSpace, const int32_t trim[4],
                         uint8_t features[kMusicFeatureCount]) {
  const int32_t width = std::max(1, glyph.width - trim[0] - trim[2]);
  const int32_t height = std::max(1, glyph.height - trim[1] - trim[3]);
  std::vector<uint8_t> patch(static_cast<size_t>(width) * height, 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) patch[static_cast<size_t>(y) * width + x] = glyph.Ink(y + trim[1], x + trim[0]);
  ClassifyMusicPatch(features, patch.data(), width, height, staffSpace * 1024);
}

namespace {
constexpr int32_t kStavePageMinimum = 1200;  // pixels
constexpr int32_t kJoinType = 800;  // LoadJoinGlyphs
}  // namespace

std::vector<int32_t> SymbolStaffSteps(int32_t type, int32_t count) {
  std::vector<int32_t> steps;
  // The join is cut between two staves; tuplet numerals and dynamics stand
  // above or below the stave, never on its lines.
  if (type == kJoinType || (type >= 352 && type <= 356) || type == 303 || type == 306) return steps;
  if (type == 80) steps = {6};  // the G clef curls round its line
  else if (type == 81) steps = {2};
  else if (type == 82) steps = {4, 2, 6};
  else if (type == 40 || type == 41) steps = {2, 4, 0};  // hung from a line
  else if (type >= 42 && type <= 46) steps = {4, 2, 6};
  else if (type >= 402 && type <= 409) steps = {4, 8};  // the digit's base on the middle or the bottom line
  else if (type == 150) steps = {3, 5, 1, 7};
  else if (IsFlagType(type)) steps = {4, 6, 2, 8, 0};
  else steps = {4, 3, 5, 2, 6, 1, 7, 0, 8};
  if (count < static_cast<int32_t>(steps.size())) steps.resize(static_cast<size_t>(std::max(0, count)));
  return steps;
}

namespace {

// The row of a step on a stave: its own line rows on the stave and half way
// between them in its spaces; beyond it, half staff spaces from its outer
// lines.
double StepRow(const EngravedStave& stave, int32_t step) {
  if (step < 0) return stave.rows[0] + step * stave.Space() / 2;
  if (step > 8) return stave.rows[4] + (step - 8) * stave.Space() / 2;
  if (step % 2 == 0) return stave.rows[step / 2];
  return (stave.rows[step / 2] + stave.rows[step / 2 + 1]) / 2;
}

int32_t RowOf(double row) { return static_cast<int32_t>(std::lround(row)); }

// A stand's window along a stave: its width, and the glyph's and the head's
// first columns in it; room pixels of paper (and the stave's lines) each side.
struct StandLayout {
  int32_t width = 0;
  int32_t glyphLeft = 0;
  int32_t headLeft = 0;
};

StandLayout LayOutStand(const GlyphImage& glyph, const GlyphImage* head, const SymbolStand& stand, double space,
                        int32_t room) {
  StandLayout l;
  l.glyphLeft = room;
  if (stand.head == SymbolStand::kHeadAfter) {
    l.headLeft = l.glyphLeft + glyph.width + AccidentalGap(space);
    l.width = l.headLeft + head->width + room;
  } else if (stand.head == SymbolStand::kHeadBefore) {
    l.headLeft = room;
    l.glyphLeft = l.headLeft + head->width + DotGap(space);
    l.width = l.glyphLeft + glyph.width + room;
  } else {
    l.width = glyph.width + 2 * room;
  }
  return l;
}

// The rows a stand's ink takes, from the stave's top line: first and one
// past the last.
std::array<double, 2> StandExtent(const EngravedStave& stave, const GlyphImage& glyph, const GlyphImage* head,
                                  const SymbolStand& stand) {
  const double row = StepRow(stave, stand.step) - stave.rows[0];
  std::array<double, 2> e = {row - glyph.originRow, row - glyph.originRow + glyph.height};
  if (stand.head != SymbolStand::kNoHead) {
    const double headRow = StepRow(stave, stand.headStep) - stave.rows[0];
    e[0] = std::min(e[0], headRow - head->originRow);
    e[1] = std::max(e[1], headRow - head->originRow + head->height);
  }
  return e;
}

// Draws the stand in its window (laid out as given) from column left, on a
// stave drawn on the canvas (its line rows there): the glyph, the head
// beside it and the ledger lines of a head beyond the stave, as thick as
// given. The glyph's box.
std::array<int32_t, 4> DrawStand(Canvas* canvas, const EngravedStave& stave, const GlyphImage& glyph,
                                 const GlyphImage* head, const SymbolStand& stand, const StandLayout& l, int32_t left,
                                 int32_t ledgerThickness) {
  const int32_t row = RowOf(StepRow(stave, stand.step));
  const int32_t x = left + l.glyphLeft;
  canvas->Stamp(glyph, row, x + glyph.originColumn);
  if (stand.head != SymbolStand::kNoHead) {
    const int32_t hx = left + l.headLeft;
    canvas->Stamp(*head, RowOf(StepRow(stave, stand.headStep)), hx + head->originColumn);
    const int32_t reach = LedgerReach(stave.Space());
    for (int32_t k : LedgerSteps(stand.headStep))
      canvas->Segment(StepRow(stave, k), ledgerThickness, hx - reach, hx + head->width + reach);
  }
  return {x, row - glyph.originRow, x + glyph.width, row - glyph.originRow + glyph.height};
}

}  // namespace

int32_t AccidentalGap(double staffSpace) { return std::max(1, static_cast<int32_t>(std::lround(staffSpace / 4.0))); }
int32_t DotGap(double staffSpace) { return std::max(1, static_cast<int32_t>(std::lround(staffSpace / 2.0))); }
int32_t LedgerReach(double staffSpace) { return static_cast<int32_t>(std::lround(staffSpace / 4.0)); }

std::vector<SymbolStand> SymbolStands(int32_t type, int32_t count, bool neighbours) {
  std::vector<SymbolStand> stands;
  for (int32_t step : SymbolStaffSteps(type, count)) stands.push_back({step, SymbolStand::kNoHead, step});
  if (!neighbours || !(IsAccidentalType(type) || type == kDotType)) return stands;
  const SymbolStand::Head head = type == kDotType ? SymbolStand::kHeadBefore : SymbolStand::kHeadAfter;
  for (int32_t step : SymbolStaffSteps(type, std::max(1, count))) stands.push_back({step, head, step});
  // Heads on the first ledger line above and below the stave: an accidental
  // at the head's step, a dot in the space above it (off the line).
  for (int32_t ledger : {-2, 10}) {
    const int32_t step = type == kDotType ? ledger - 1 : ledger;
    stands.push_back({step, head, ledger});
  }
  return stands;
}

bool ReadStavePatches(const Canvas& canvas, const std::vector<std::array<int32_t, 4>>& boxes,
                      int32_t staffSpace1024, std::vector<StavedSymbol>* out) {
  out->assign(boxes.size(), StavedSymbol());
  const int32_t width = canvas.width, height = canvas.height;
  const int32_t words = (width + 31) / 32;
  std::vector<uint32_t> bits(static_cast<size_t>(words) * height, 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (canvas.pixels[static_cast<size_t>(y) * width + x] != 0)
        bits[static_cast<size_t>(y) * words + x / 32] |= 1u << (x % 32);
  FreeEngine();
  if (LoadPageImage(bits.data(), width, height, 0) != kEngineOk ||
      RunStaffStage(1, nullptr, nullptr) != kStageCompleted || GetStaffCount() < 1) {
    FreeEngine();
    return false;
  }
  // The engine's order: the lines erased, then the page's components.
  EraseStaffLines();
  ResetConnectedComponents();
  FindConnectedComponents(1000, 900, 1600);
  // The components in order of their left column, so that each box looks
  // only at those that may reach it.
  std::vector<const ConnectedComponent*> parts;
  int32_t widest = 0;
  for (int32_t c = 0; c < GetComponentCount(); ++c) {
    const ConnectedComponent* part = GetComponentRecord(c);
    if (part == nullptr || part->bits == nullptr) continue;
    parts.push_back(part);
    widest = std::max(widest, part->columns);
  }
  std::stable_sort(parts.begin(), parts.end(),
                   [](const ConnectedComponent* a, const ConnectedComponent* b) { return a->left < b->left; });
  for (size_t i = 0; i < boxes.size(); ++i) {
    const std::array<int32_t, 4>& b = boxes[i];
    std::vector<const ConnectedComponent*> over;
    int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
    auto first = std::lower_bound(parts.begin(), parts.end(), b[0] - widest,
                                  [](const ConnectedComponent* p, int32_t x) { return p->left < x; });
    for (auto it = first; it != parts.end() && (*it)->left < b[2]; ++it) {
      const ConnectedComponent* part = *it;
      if (part->left >= b[2] || part->left + part->columns <= b[0] || part->top >= b[3] || part->top + part->rows <= b[1])
        continue;
      over.push_back(part);
      x0 = std::min(x0, part->left);
      y0 = std::min(y0, part->top);
      x1 = std::max(x1, part->left + part->columns);
      y1 = std::max(y1, part->top + part->rows);
    }
    if (over.empty() || x1 - x0 >= kEdgeImageLimit || y1 - y0 >= kEdgeImageLimit) continue;
    StavedSymbol& staved = (*out)[i];
    staved.width = x1 - x0;
    staved.height = y1 - y0;
    const int32_t staff = NearestStaff((y0 + y1) / 2, (x0 + x1) / 2);
    staved.staffSpace1024 = staff >= 0 ? GetStaffSpace(staff) : staffSpace1024;
    staved.patch.assign(static_cast<size_t>(staved.width) * staved.height, 0);
    for (const ConnectedComponent* part : over)
      for (int32_t r = 0; r < part->rows; ++r)
        for (int32_t c = 0; c < part->columns; ++c)
          if (GetBitMatrixBit(*part, r, c))
            staved.patch[static_cast<size_t>(part->top + r - y0) * staved.width + (part->left + c - x0)] = 1;
    ClassifyMusicPatch(staved.features, staved.patch.data(), staved.width, staved.height, staved.staffSpace1024);
  }
  FreeEngine();
  return true;
}

bool StandSymbolOnStave(const GlyphImage& glyph, const GlyphImage* head, int32_t staffSpace,
                        const std::vector<SymbolStand>& stands, std::vector<StavedSymbol>* out) {
  out->clear();
  std::vector<SymbolStand> kept;
  for (const SymbolStand& stand : stands)
    if (stand.head == SymbolStand::kNoHead || head != nullptr) kept.push_back(stand);
  if (kept.empty() || staffSpace < 4) return true;
  const int32_t s = staffSpace;
  const int32_t thickness = LineThicknessFor(s);
  const int32_t margin = 8 * s;
  EngravedStave stave;  // top line at row 0 until the page's top is known
  for (int32_t k = 0; k < 5; ++k) stave.rows[k] = k * s;
  int32_t along = 0;
  double above = 0, below = 0;
  for (const SymbolStand& stand : kept) {
    along += LayOutStand(glyph, head, stand, s, 2 * s).width;
    const std::array<double, 2> e = StandExtent(stave, glyph, head, stand);
    above = std::min(above, e[0]);
    below = std::max(below, e[1]);
  }
  // The staff finder wants a stave of some length on a page of some size.
  const int32_t width = std::max({kStavePageMinimum, 48 * s, 2 * margin + along});
  const int32_t top = std::max({glyph.height + 3 * s, kStavePageMinimum / 4,  // the stave's top line
                                2 * s - static_cast<int32_t>(std::floor(above))});
  const int32_t height = std::max({kStavePageMinimum / 2, top + 4 * s + glyph.height + 3 * s,
                                   top + static_cast<int32_t>(std::ceil(below)) + 2 * s});
  Canvas canvas(width, height);
  for (int32_t k = 0; k < 5; ++k) {
    stave.rows[k] += top;
    canvas.Segment(stave.rows[k], thickness, 2 * s, width - 2 * s);
  }
  std::vector<std::array<int32_t, 4>> boxes;  // each glyph as stamped
  int32_t left = margin;
  for (const SymbolStand& stand : kept) {
    const StandLayout layout = LayOutStand(glyph, head, stand, s, 2 * s);
    boxes.push_back(DrawStand(&canvas, stave, glyph, head, stand, layout, left, thickness));
    left += layout.width;
  }
  std::vector<StavedSymbol> patches;
  if (!ReadStavePatches(canvas, boxes, s * 1024, &patches)) return false;
  for (size_t i = 0; i < kept.size(); ++i) {
    if (patches[i].width == 0) continue;
    patches[i].step = kept[i].step;
    patches[i].head = kept[i].head;
    out->push_back(std::move(patches[i]));
  }
  return true;
}

bool StandSymbolsOnEngravedStave(const StavePage& page, const EngravedStave& stave, const std::vector<SymbolJob>& jobs,
                                 int32_t stretches, std::vector<StavedSymbol>* out) {
  out->clear();
  const double space = stave.Space();
  const int32_t s = static_cast<int32_t>(std::lround(space));
  // Each stand in a strip with a staff space of the stave either side.
  struct Placement {
    int32_t job;
    SymbolStand stand;
    StandLayout layout;
    std::array<double, 2> extent;
  };
  std::vector<Placement> placements;
  int32_t widest = 0;
  for (size_t j = 0; j < jobs.size(); ++j)
    for (const SymbolStand& stand : jobs[j].stands) {
      if (jobs[j].glyph == nullptr || (stand.head != SymbolStand::kNoHead && jobs[j].head == nullptr)) continue;
      const Placement placement = {static_cast<int32_t>(j), stand, LayOutStand(*jobs[j].glyph, jobs[j].head, stand, space, s),
                           StandExtent(stave, *jobs[j].glyph, jobs[j].head, stand)};
      widest = std::max(widest, placement.layout.width);
      placements.push_back(placement);
    }
  if (placements.empty()) return true;
  const std::vector<int32_t> columns = BlankStaveColumns(page.image, stave, widest, stretches);
  if (columns.empty()) return false;
  // The page's ink beyond half way to a neighbouring stave is not this
  // stave's and is left out.
  double inkTop = 0, inkBottom = page.image.height;
  for (const EngravedStave& other : page.staves) {
    if (other.rows[4] < stave.rows[0]) inkTop = std::max(inkTop, (other.rows[4] + stave.rows[0]) / 2);
    if (other.rows[0] > stave.rows[4]) inkBottom = std::min(inkBottom, (other.rows[0] + stave.rows[4]) / 2);
  }
  auto pageInk = [&](int32_t y, int32_t x) -> uint8_t {
    return y >= inkTop && y < inkBottom && y >= 0 && y < page.image.height && x >= 0 && x < page.image.width
               ? page.image.pixels[static_cast<size_t>(y) * page.image.width + x]
               : 0;
  };
  // The page of strips: staves of strips one under another, as wide as the
  // engraved page, each led in and out by the lines of a blank column. A
  // stave of strips takes the band of the page's rows its stands need, and a
  // staff space more each side.
  struct Strip {
    int32_t placement, column, left;
  };
  struct StripStave {
    std::vector<Strip> strips;
    int32_t bandTop = 0, bandHeight = 0;
  };
  const int32_t pageWidth = std::max({kStavePageMinimum, 48 * s, widest + 4 * s, page.image.width});
  std::vector<StripStave> rows(1);
  double above = 0, below = 4 * space;
  auto closeRow = [&]() {
    StripStave& row = rows.back();
    row.bandTop = static_cast<int32_t>(std::floor(stave.rows[0] + above)) - s;
    row.bandHeight = static_cast<int32_t>(std::ceil(stave.rows[0] + below)) + s - row.bandTop;
    above = 0;
    below = 4 * space;
  };
  int32_t left = 2 * s;
  for (size_t c = 0; c < columns.size(); ++c)
    for (size_t k = 0; k < placements.size(); ++k) {
      const int32_t w = placements[k].layout.width;
      if (left + w > pageWidth - 2 * s) {
        closeRow();
        rows.emplace_back();
        left = 2 * s;
      }
      rows.back().strips.push_back({static_cast<int32_t>(k), static_cast<int32_t>(c), left});
      above = std::min(above, placements[k].extent[0]);
      below = std::max(below, placements[k].extent[1]);
      left += w;
    }
  closeRow();
  const int32_t lineAbove = StaveLineThickness(page.image, stave.rows[0], columns[0], s);
  const int32_t lineBelow = StaveLineThickness(page.image, stave.rows[4], columns[0], s);
  const int32_t tallest = std::max(page.image.height, kStavePageMinimum);
  for (size_t first = 0; first < rows.size();) {
    // As many staves of strips as a page's height holds (at least one).
    size_t last = first;
    int32_t height = s + rows[first].bandHeight + s;
    while (last + 1 < rows.size() && height + rows[last + 1].bandHeight + s <= tallest)
      height += rows[++last].bandHeight + s;
    Canvas canvas(pageWidth, height);
    std::vector<std::array<int32_t, 4>> boxes;
    std::vector<const Strip*> drawn;
    int32_t rowTop = s;
    for (size_t r = first; r <= last; ++r) {
      const StripStave& row = rows[r];
      for (int32_t y = 0; y < row.bandHeight; ++y)
        if (pageInk(row.bandTop + y, columns[0]) != 0)
          canvas.FillRect(rowTop + y, 2 * s, rowTop + y + 1, pageWidth - 2 * s);
      EngravedStave here = stave;
      for (double& line : here.rows) line += rowTop - row.bandTop;
      for (const Strip& strip : row.strips) {
        const Placement& placement = placements[static_cast<size_t>(strip.placement)];
        const int32_t from = columns[static_cast<size_t>(strip.column)];
        for (int32_t y = 0; y < row.bandHeight; ++y)
          for (int32_t x = 0; x < placement.layout.width; ++x)
            canvas.pixels[static_cast<size_t>(rowTop + y) * canvas.width + strip.left + x] =
                pageInk(row.bandTop + y, from + x);
        const SymbolJob& job = jobs[static_cast<size_t>(placement.job)];
        boxes.push_back(DrawStand(&canvas, here, *job.glyph, job.head, placement.stand, placement.layout, strip.left,
                                  placement.stand.headStep < 0 ? lineAbove : lineBelow));
        drawn.push_back(&strip);
      }
      rowTop += row.bandHeight + s;
    }
    std::vector<StavedSymbol> patches;
    if (!ReadStavePatches(canvas, boxes, static_cast<int32_t>(std::lround(space * 1024)), &patches)) return false;
    for (size_t i = 0; i < drawn.size(); ++i) {
      if (patches[i].width == 0) continue;
      const Placement& placement = placements[static_cast<size_t>(drawn[i]->placement)];
      patches[i].step = placement.stand.step;
      patches[i].head = placement.stand.head;
      patches[i].job = placement.job;
      out->push_back(std::move(patches[i]));
    }
    first = last + 1;
  }
  return true;
}

bool DegradeGlyph(const GlyphImage& glyph, const Degradation& degradation, GlyphImage* out) {
  // Room for the skew (2 degrees of the longer side) and a pixel of growth.
  const int32_t pad = 3 + static_cast<int32_t>(std::max(glyph.width, glyph.height) * 0.035);
  Canvas canvas(glyph.width + 2 * pad, glyph.height + 2 * pad);
  canvas.Stamp(glyph, pad + glyph.originRow, pad + glyph.originColumn);
  DegradeCanvas(&canvas, degradation);
  int32_t x0 = canvas.width, y0 = canvas.height, x1 = -1, y1 = -1;
  for (int32_t y = 0; y < canvas.height; ++y)
    for (int32_t x = 0; x < canvas.width; ++x)
      if (canvas.pixels[static_cast<size_t>(y) * canvas.width + x] != 0) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return false;
  GlyphImage cut;
  cut.width = x1 - x0 + 1;
  cut.height = y1 - y0 + 1;
  cut.originRow = glyph.originRow + pad - y0;
  cut.originColumn = glyph.originColumn + pad - x0;
  cut.pixels.resize(static_cast<size_t>(cut.width) * cut.height);
  for (int32_t y = 0; y < cut.height; ++y)
    for (int32_t x = 0; x < cut.width; ++x)
      cut.pixels[static_cast<size_t>(y) * cut.width + x] =
          canvas.pixels[static_cast<size_t>(y + y0) * canvas.width + x + x0];
  *out = std::move(cut);
  return true;
}

namespace {

// The first trims of every symbol sample: the atom's box as drawn and a
// pixel off on each side.
constexpr size_t kAtomTrims = 5;

// One symbol sample: its features and its ink box in per cent of the
// staff space.
struct SymbolSample {
  uint8_t features[kMusicFeatureCount];
  double width;
  double height;
};

MusicReference SymbolReferenceOf(const SymbolGlyphs& set, const std::vector<const SymbolSample*>& members,
                                 const SymbolReferenceOptions& options) {
  ReferenceSamples samples(kMusicFeatureCount);
  double minW = 1e9, maxW = 0, minH = 1e9, maxH = 0;
  for (const SymbolSample* m : members) {
    samples.Add(m->features);
    minW = std::min(minW, m->width);
    maxW = std::max(maxW, m->width);
    minH = std::min(minH, m->height);
    maxH = std::max(maxH, m->height);
  }
  MusicReference r{};
  r.word0 = samples.count();
  r.word1 = static_cast<int32_t>(std::lround(options.spreadFloor * 100));
  std::memset(r.label, 0, sizeof r.label);
  std::memcpy(r.label, set.name.data(), std::min(set.name.size(), sizeof r.label - 1));
  r.type = set.type;
  uint8_t pairs[2 * kMusicFeatureCount];
  samples.Make(pairs, options.spreadFloor);
  std::memcpy(r.edgeRefs, pairs, sizeof r.edgeRefs);
  std::memcpy(r.extraRefs, pairs + sizeof r.edgeRefs, sizeof r.extraRefs);
  r.minWidth = static_cast<int32_t>(std::floor(minW * (1 - options.sizeMargin)));
  r.maxWidth = static_cast<int32_t>(std::ceil(maxW * (1 + options.sizeMargin)));
  r.minHeight = static_cast<int32_t>(std::floor(minH * (1 - options.sizeMargin)));
  r.maxHeight = static_cast<int32_t>(std::ceil(maxH * (1 + options.sizeMargin)));
  return r;
}

}  // namespace

std::vector<int32_t> FlagStemCuts(int32_t type, int32_t staffSpace) {
  std::vector<int32_t> cuts;
  if (!IsFlagType(type)) return cuts;
  for (int32_t percent : {5, 10, 15, 20}) {
    const int32_t cut = 1 + static_cast<int32_t>(std::lround(percent * staffSpace / 100.0));
    if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end()) cuts.push_back(cut);
  }
  return cuts;
}

namespace {

// The image of the staff space nearest the given one among a set's (its
// index), or -1 when the set has none.
int32_t NearestImage(const std::vector<int32_t>& staffSpaces, size_t images, double staffSpace) {
  int32_t nearest = -1;
  for (size_t i = 0; i < staffSpaces.size() && i < images; ++i)
    if (nearest < 0 || std::fabs(staffSpaces[i] - staffSpace) < std::fabs(staffSpaces[nearest] - staffSpace))
      nearest = static_cast<int32_t>(i);
  return nearest;
}

SymbolSample StavedSample(const StavedSymbol& placed, double staffSpace) {
  SymbolSample sample;
  std::memcpy(sample.features, placed.features, kMusicFeatureCount);
  sample.width = 100.0 * placed.width / staffSpace;
  sample.height = 100.0 * placed.height / staffSpace;
  return sample;
}

}  // namespace

std::vector<MusicReference> MakeSymbolReferences(const std::vector<SymbolGlyphs>& glyphs,
                                                 const SymbolReferenceOptions& options,
                                                 const std::vector<CutSample>* extra,
                                                 const std::vector<StavePage>* staves, const HeadGlyphs* heads) {
  std::vector<MusicReference> out;
  const int32_t copies = std::max(0, options.degradedCopies);
  // The black head beside a glyph of the staff space.
  auto headFor = [&](int32_t staffSpace) -> const GlyphImage* {
    if (!options.neighbourPlaces || heads == nullptr) return nullptr;
    const int32_t i = NearestImage(heads->staffSpaces, heads->images.size(), staffSpace);
    return i < 0 ? nullptr : &heads->images[static_cast<size_t>(i)];
  };
  // Whether a type's glyphs also stand on the engraved staves.
  auto standsOnEngraved = [&](int32_t type) {
    return options.engravedStaveColumns > 0 && (!options.engravedAccidentalsOnly || IsAccidentalType(type));
  };
  std::vector<std::vector<SymbolSample>> samplesOf(glyphs.size());
  // Each set's glyphs as drawn, clean and degraded, by staff space.
  std::vector<std::vector<std::vector<GlyphImage>>> drawn(glyphs.size());
  for (size_t n = 0; n < glyphs.size(); ++n) {
    const SymbolGlyphs& set = glyphs[n];
    // The glyph's extent: clean glyphs at every size for one reference, as
    // drawn (trims are the atom's box a pixel off, not another size).
    std::vector<SymbolSample>& samples = samplesOf[n];
    const std::vector<Degradation> spoils =
        MakeDegradations(SeedOf(set.type, 0), copies * static_cast<int32_t>(set.images.size()));
    const std::vector<SymbolStand> stands = SymbolStands(set.type, options.staffPlaces, options.neighbourPlaces);
    drawn[n].resize(set.images.size());
    for (size_t i = 0; i < set.images.size() && i < set.staffSpaces.size(); ++i) {
      const int32_t s = set.staffSpaces[i];
      for (int32_t copy = -1; copy < copies; ++copy) {
        GlyphImage spoilt;
        if (copy >= 0 && !DegradeGlyph(set.images[i], spoils[i * copies + copy], &spoilt)) continue;
        const GlyphImage& g = copy < 0 ? set.images[i] : spoilt;
        if (g.width >= kEdgeImageLimit || g.height >= kEdgeImageLimit) continue;
        std::vector<std::array<int32_t, 4>> trims = {
            {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        for (int32_t cut : FlagStemCuts(set.type, s)) trims.push_back({cut, 0, 0, 0});
        for (size_t t = 0; t < trims.size(); ++t) {
          const int32_t* trim = trims[t].data();
          if (g.width - trim[0] - trim[2] < 2 || g.height - trim[1] - trim[3] < 2) continue;
          SymbolSample sample;
          SymbolGlyphFeatures(g, s, trim, sample.features);
          // The size limits hold the drawn glyph's box (as before a sample
          // is trimmed a pixel off); a stem cut is what the engine's atom
          // keeps, so its box is the cut glyph's.
          sample.width = 100.0 * (t < kAtomTrims ? g.width : g.width - trim[0]) / s;
          sample.height = 100.0 * g.height / s;
          samples.push_back(sample);
        }
        // The glyph on a stave, as the engine's line removal leaves it.
        std::vector<StavedSymbol> staved;
        if (options.staffPlaces > 0 && StandSymbolOnStave(g, headFor(s), s, stands, &staved))
          for (const StavedSymbol& placed : staved) samples.push_back(StavedSample(placed, s));
        if (standsOnEngraved(set.type)) drawn[n][i].push_back(g);
      }
    }
  }
  // The same glyphs on the engraved staves, drawn at the staff space nearest
  // each stave's: every set's glyphs read on one page of strips a stave.
  const std::vector<StavePage> noStaves;
  for (const StavePage& page : options.engravedStaveColumns > 0 && staves != nullptr ? *staves : noStaves)
    for (const EngravedStave& stave : page.staves) {
      std::vector<SymbolJob> jobs;
      std::vector<size_t> setOf;
      for (size_t n = 0; n < glyphs.size(); ++n) {
        const SymbolGlyphs& set = glyphs[n];
        const int32_t i = NearestImage(set.staffSpaces, drawn[n].size(), stave.Space());
        const std::vector<SymbolStand> stands =
            SymbolStands(set.type, std::max(1, options.staffPlaces), options.neighbourPlaces);
        if (i < 0 || stands.empty() || !standsOnEngraved(set.type)) continue;
        for (const GlyphImage& g : drawn[n][static_cast<size_t>(i)]) {
          jobs.push_back({&g, headFor(set.staffSpaces[static_cast<size_t>(i)]), stands});
          setOf.push_back(n);
        }
      }
      std::vector<StavedSymbol> staved;
      if (!StandSymbolsOnEngravedStave(page, stave, jobs, options.engravedStaveColumns, &staved)) continue;
      for (const StavedSymbol& placed : staved)
        samplesOf[setOf[static_cast<size_t>(placed.job)]].push_back(StavedSample(placed, placed.staffSpace1024 / 1024.0));
    }
  for (size_t n = 0; n < glyphs.size(); ++n) {
    const SymbolGlyphs& set = glyphs[n];
    std::vector<SymbolSample>& samples = samplesOf[n];
    if (options.clusters > 0 && extra != nullptr)
      for (const CutSample& cut : *extra)
        if (!cut.head && cut.code == set.type && cut.features.size() == kMusicFeatureCount) {
          SymbolSample sample;
          std::memcpy(sample.features, cut.features.data(), kMusicFeatureCount);
          sample.width = cut.widthPercent;
          sample.height = cut.heightPercent;
          samples.push_back(sample);
        }
    if (samples.empty()) continue;
    if (options.clusters <= 0) {
      std::vector<const SymbolSample*> members;
      for (const SymbolSample& m : samples) members.push_back(&m);
      out.push_back(SymbolReferenceOf(set, members, options));
      continue;
    }
    std::vector<uint8_t> rows;
    for (const SymbolSample& m : samples) rows.insert(rows.end(), m.features, m.features + kMusicFeatureCount);
    for (const std::vector<int32_t>& group :
         ClusterRows(rows, kMusicFeatureCount, options.clusters, SeedOf(set.type, 99))) {
      std::vector<const SymbolSample*> members;
      for (int32_t i : group) members.push_back(&samples[static_cast<size_t>(i)]);
      out.push_back(SymbolReferenceOf(set, members, options));
    }
  }
  return out;
}

std::vector<uint8_t> NoteheadReferenceFileBytes(const std::vector<NoteheadReference>& records) {
  std::vector<uint8_t> out;
  PutInt32(out, static_cast<int32_t>(records.size()));
  for (const NoteheadReference& r : records) {
    PutInt32(out, r.headClass);
    PutInt32(out, r.word1);
    PutInt32(out, r.variant);
    for (int32_t w : r.words3to5) PutInt32(out, w);
    PutBytes(out, r.edgeRefs, sizeof r.edgeRefs);
  }
  return out;
}

std::vector<uint8_t> MusicReferenceFileBytes(const std::vector<MusicReference>& records) {
  std::vector<uint8_t> out;
  PutInt32(out, static_cast<int32_t>(records.size()));
  for (const MusicReference& r : records) {
    PutInt32(out, r.word0);
    PutInt32(out, r.word1);
    PutBytes(out, r.label, sizeof r.label);
    PutInt32(out, r.type);
    PutBytes(out, r.edgeRefs, sizeof r.edgeRefs);
    PutBytes(out, r.extraRefs, sizeof r.extraRefs);
    for (int32_t v : {r.minWidth, r.maxWidth, r.minHeight, r.maxHeight}) PutInt32(out, v);
  }
  return out;
}

std::string NoteheadReferenceJson(const std::vector<NoteheadReference>& records) {
  std::string out = "{\n \"records\": [";
  for (size_t i = 0; i < records.size(); ++i) {
    const NoteheadReference& r = records[i];
    out += i == 0 ? "\n" : ",\n";
    out += "  {\"headClass\": " + std::to_string(r.headClass) + ", \"word1\": " + std::to_string(r.word1) +
           ", \"variant\": " + std::to_string(r.variant) + ", \"words3to5\": [" + std::to_string(r.words3to5[0]) +
           ", " + std::to_string(r.words3to5[1]) + ", " + std::to_string(r.words3to5[2]) + "], \"edgeRefs\": \"" +
           Hex(r.edgeRefs, sizeof r.edgeRefs) + "\"}";
  }
  out += records.empty() ? "]\n}\n" : "\n ]\n}\n";
  return out;
}

std::string MusicReferenceJson(const std::vector<MusicReference>& records) {
  std::string out = "{\n \"records\": [";
  for (size_t i = 0; i < records.size(); ++i) {
    const MusicReference& r = records[i];
    out += i == 0 ? "\n" : ",\n";
    out += "  {\"word0\": " + std::to_string(r.word0) + ", \"word1\": " + std::to_string(r.word1) +
           ", \"label\": \"" + Hex(r.label, sizeof r.label) + "\", \"type\": " + std::to_string(r.type) +
           ", \"edgeRefs\": \"" + Hex(r.edgeRefs, sizeof r.edgeRefs) + "\", \"extraRefs\": \"" +
           Hex(r.extraRefs, sizeof r.extraRefs) + "\", \"minWidth\": " + std::to_string(r.minWidth) +
           ", \"maxWidth\": " + std::to_string(r.maxWidth) + ", \"minHeight\": " + std::to_string(r.minHeight) +
           ", \"maxHeight\": " + std::to_string(r.maxHeight) + "}";
  }
  out += records.empty() ? "]\n}\n" : "\n ]\n}\n";
  return out;
}

bool WriteFileBytes(const std::u16string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = platform::OpenStream(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

bool WriteReferenceFolder(const std::u16string& glyphs, const std::u16string& engineFolder, bool heads,
                          bool symbols, std::string* error) {
  const std::u16string learned = engineFolder + u"/Learned";
  platform::MakeDirectory(engineFolder.c_str());
  platform::MakeDirectory(learned.c_str());
  std::vector<NoteheadReference> headRefs;
  if (heads) {
    std::vector<HeadGlyphs> headGlyphs;
    if (!LoadHeadGlyphs(glyphs, &headGlyphs, error)) return false;
    headRefs = MakeHeadReferences(headGlyphs, HeadReferenceOptions());
  }
  std::vector<MusicReference> symbolRefs;
  if (symbols) {
    std::vector<SymbolGlyphs> symbolGlyphs;
    if (!LoadSymbolGlyphs(glyphs, SymbolReferenceStaffSpaces(), &symbolGlyphs, error)) return false;
    symbolRefs = MakeSymbolReferences(symbolGlyphs, SymbolReferenceOptions());
  }
  if (WriteFileBytes(learned + u"/nhOLD", NoteheadReferenceFileBytes(headRefs)) &&
      WriteFileBytes(learned + u"/fssOLD", MusicReferenceFileBytes(symbolRefs)))
    return true;
  *error = "the reference files cannot be written";
  return false;
}



std::string CutSampleLine(const CutSample& sample) {
  std::string line = sample.head ? "head " + std::to_string(sample.code)
                                 : "symbol " + std::to_string(sample.code) + " " +
                                       std::to_string(sample.widthPercent) + " " +
                                       std::to_string(sample.heightPercent);
  return line + " " + Hex(sample.features.data(), sample.features.size());
}

bool ReadCutSamples(const std::u16string& path, std::vector<CutSample>* out, std::string* error) {
  std::vector<CutSample> samples;
  const bool ok = ReadTextLines(path, "cut samples", error, true, [&](const std::string& text) -> std::string {
    char kind[16] = {};
    std::vector<char> hex(text.size() + 1, 0);
    CutSample sample;
    int code = 0, width = 0, height = 0;
    char extra[2] = {};
    bool good = false;
    if (std::sscanf(text.c_str(), " %15s", kind) != 1) return "";
    if (std::string(kind) == "head" && std::sscanf(text.c_str(), " %*s %d %s %1s", &code, hex.data(), extra) == 2) {
      const std::vector<int32_t>& searched = SearchedHeadClasses();
      good = std::find(searched.begin(), searched.end(), code) != searched.end();
      sample.features.resize(kEdgeFeatureCount);
    } else if (std::string(kind) == "symbol" &&
               std::sscanf(text.c_str(), " %*s %d %d %d %s %1s", &code, &width, &height, hex.data(), extra) == 4) {
      good = IsReferenceSymbolType(code) && width > 0 && height > 0;
      sample.head = false;
      sample.features.resize(kMusicFeatureCount);
    }
    const std::string digits(hex.data());
    good = good && digits.size() == 2 * sample.features.size() &&
           digits.find_first_not_of("0123456789abcdef") == std::string::npos;
    if (good) {
      for (size_t i = 0; i < sample.features.size(); ++i)
        sample.features[i] = static_cast<uint8_t>(std::stoi(digits.substr(2 * i, 2), nullptr, 16));
      sample.code = code;
      sample.widthPercent = width;
      sample.heightPercent = height;
      samples.push_back(std::move(sample));
      return "";
    }
    return "expected \"head CLASS FEATURES\" (class 0, 1, 2 or 4, 90 features) or \"symbol TYPE WIDTH "
           "HEIGHT FEATURES\" (a classified type, 94 features), features as lower-case hex";
  });
  if (!ok) return false;
  *out = std::move(samples);
  return true;
}

namespace {

// The classes of a "head-stem-classes CLASS..." line into classes (index:
// the class): one or more searched classes that carry a stem, nothing else.
bool StemClassList(const std::string& text, bool classes[5]) {
  bool listed[5] = {};
  int32_t count = 0;
  const char* at = text.c_str();
  int consumed = 0;
  if (std::sscanf(at, " %*s%n", &consumed) != 0 || consumed == 0) return false;
  at += consumed;
  const std::vector<int32_t>& searched = SearchedHeadClasses();
  for (;;) {
    char token[16] = {};
    consumed = 0;
    if (std::sscanf(at, " %15s%n", token, &consumed) != 1) break;
    at += consumed;
    char* end = nullptr;
    const long c = std::strtol(token, &end, 10);
    if (end == token || *end != '\0' || std::find(searched.begin(), searched.end(), c) == searched.end() ||
        !HeadClassStandsAt(static_cast<int32_t>(c), HeadPlace::kOnLineStemUp))
      return false;
    listed[c] = true;
    ++count;
  }
  if (count == 0) return false;
  std::copy(listed, listed + 5, classes);
  return true;
}

}  // namespace

bool ReadCalibration(const std::u16string& path, HeadReferenceOptions* heads, SymbolReferenceOptions* symbols,
                     std::string* error) {
  HeadReferenceOptions h = *heads;
  SymbolReferenceOptions s = *symbols;
  // The keys that take one whole number ("KEY N") and those that take one
  // for a searched head class ("KEY CLASS N"), each with its range.
  struct CountKey {
    const char* key;
    int32_t low, high;
    int32_t* target;
  };
  const CountKey counts[] = {
      {"head-engraved-staves", 0, 8, &h.engravedStaveColumns},
      {"head-degraded-copies", 0, 16, &h.degradedCopies},
      {"symbol-staff-places", 0, 9, &s.staffPlaces},
      {"symbol-engraved-staves", 0, 8, &s.engravedStaveColumns},
      {"symbol-clusters", 1, 8, &s.clusters},
      {"symbol-degraded-copies", 0, 16, &s.degradedCopies},
  };
  struct ClassCountKey {
    const char* key;
    int32_t low, high;
    int32_t (*target)[5];
  };
  const ClassCountKey classCounts[] = {
      {"head-clusters", 1, 16, &h.clusters},
      {"head-engraved-clusters", 1, 16, &h.engravedClusters},
  };
  std::string expected = "expected \"head-spread-floor CLASS FLOOR\" (class 0, 1, 2 or 4) or \"symbol-spread-floor "
                         "FLOOR\", FLOOR from 3 to 60";
  for (const ClassCountKey& k : classCounts)
    expected += ", \"" + std::string(k.key) + " CLASS K\" (" + std::to_string(k.low) + " to " +
                std::to_string(k.high) + ")";
  for (const CountKey& k : counts)
    expected += ", \"" + std::string(k.key) + " N\" (" + std::to_string(k.low) + " to " + std::to_string(k.high) + ")";
  expected += ", \"head-ledger-places 0|1\", \"head-stem-places 0|1|up|down\", \"head-stem-classes CLASS...\" "
              "(classes 0, 1, 4), \"symbol-engraved-types all|accidentals\" or \"symbol-neighbour-places 0|1\"";
  const bool ok = ReadTextLines(path, "calibration", error, false, [&](const std::string& text) -> std::string {
    char key[64] = {};
    char word[16] = {};
    char extra[2] = {};
    int headClass = -1;
    double value = 0;
    if (std::sscanf(text.c_str(), " %63s", key) != 1) return "";
    const std::string name(key);
    const std::vector<int32_t>& searched = SearchedHeadClasses();
    const bool searchedClass = std::sscanf(text.c_str(), " %*s %d", &headClass) == 1 &&
                               std::find(searched.begin(), searched.end(), headClass) != searched.end();
    int count = -1;
    const bool oneCount = std::sscanf(text.c_str(), " %*s %d %1s", &count, extra) == 1;
    int classValue = -1;
    const bool classCount = searchedClass && std::sscanf(text.c_str(), " %*s %*d %d %1s", &classValue, extra) == 1;
    for (const CountKey& k : counts)
      if (name == k.key) {
        if (!oneCount || count < k.low || count > k.high) return expected;
        *k.target = count;
        return "";
      }
    for (const ClassCountKey& k : classCounts)
      if (name == k.key) {
        if (!classCount || classValue < k.low || classValue > k.high) return expected;
        (*k.target)[headClass] = classValue;
        return "";
      }
    if (name == "head-spread-floor" && searchedClass &&
        std::sscanf(text.c_str(), " %*s %*d %lf %1s", &value, extra) == 1 && value >= 3 && value <= 60) {
      h.classSpreadFloor[headClass] = value;
    } else if (name == "symbol-spread-floor" && std::sscanf(text.c_str(), " %*s %lf %1s", &value, extra) == 1 &&
               value >= 3 && value <= 60) {
      s.spreadFloor = value;
    } else if (name == "head-ledger-places" && oneCount && (count == 0 || count == 1)) {
      for (int32_t p = kFirstLedgerPlace; p < kFirstStemPlace; ++p) h.places[p] = count == 1;
    } else if (name == "head-stem-places" && std::sscanf(text.c_str(), " %*s %15s %1s", word, extra) == 1 &&
               (std::string(word) == "0" || std::string(word) == "1" || std::string(word) == "up" ||
                std::string(word) == "down")) {
      const std::string sides(word);
      for (int32_t p = kFirstStemPlace; p < kHeadPlaceCount; ++p) {
        const int32_t stem = LayoutOfHeadPlace(static_cast<HeadPlace>(p)).stem;
        h.places[p] = sides == "1" || (sides == "up" && stem > 0) || (sides == "down" && stem < 0);
      }
    } else if (name == "head-stem-classes" && StemClassList(text, h.stemClasses)) {
      // the classes are set
    } else if (name == "symbol-engraved-types" && std::sscanf(text.c_str(), " %*s %15s %1s", word, extra) == 1 &&
               (std::string(word) == "all" || std::string(word) == "accidentals")) {
      s.engravedAccidentalsOnly = std::string(word) == "accidentals";
    } else if (name == "symbol-neighbour-places" && oneCount && (count == 0 || count == 1)) {
      s.neighbourPlaces = count == 1;
    } else {
      return expected;
    }
    return "";
  });
  if (!ok) return false;
  *heads = h;
  *symbols = s;
  return true;
}

}  // namespace refmaker
