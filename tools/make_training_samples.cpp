// Makes the shape classifier's training samples (or the separate measuring
// set) from Emmentaler glyph outlines: every symbol is drawn on a synthetic
// stave at staff spaces of 8 to 40 pixels, degraded (blur, threshold,
// noise, rotation, scale jitter, broken stave lines), and cut with the
// stages' own window rules (reading/ShapeWindows.h). Writes the sample
// bitmaps (Symb8x16/, Symb8x8/) and the sample lines of "XxX.txt" and
// "NotesXxX.txt"; the type lists and the context lists are written by hand.
//
//   make_training_samples <outlines> <folder> [--measuring] [--engraved <folder>]
//   make_training_samples --pages <manifest> <folder>
//
// The second form cuts the same windows from engraved pages, whose symbols
// a manifest lists (tools/engrave_measuring_pages.py writes it): lines
// "page <bitmap>", "stave <top line y> <space>", "big <type> <left> <top>
// <bottom> [digit]", "acc <type> <left> <y of its note>" and "head <type>
// <left> <y> <1 space | 2 line>", in page pixels. --engraved takes in the
// 8 x 8 samples such a cut left in a folder (tools/engrave_pages.py), as
// "<type>.e<n>".
//
// Everything is drawn from fixed seeds: the same call writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pages/ImageFiles.h"
#include "pages/SpriteArea.h"
#include "reading/ShapeWindows.h"

namespace {

struct Point {
  double x, y;
};
using Contour = std::vector<Point>;
struct Glyph {
  double advance = 0;
  std::vector<Contour> contours;
};
constexpr double kFontSpace = 250.0;  // font units per staff space

std::map<std::string, Glyph> LoadOutlines(const char* path) {
  std::map<std::string, Glyph> glyphs;
  std::ifstream in(path);
  std::string line, current;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string word;
    s >> word;
    if (word == "glyph") {
      s >> current >> glyphs[current].advance;
    } else if (word == "contour") {
      Contour c;
      Point p;
      while (s >> p.x >> p.y) c.push_back(p);
      glyphs[current].contours.push_back(c);
    }
  }
  return glyphs;
}

// A fixed-seed generator, the same on every machine.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() % 100000) / 100000.0; }
  bool Chance(double p) { return (Next() % 1000000) < p * 1000000; }

 private:
  uint32_t state_;
};

// Coverage canvas, 4 x 4 samples per pixel.
class Canvas {
 public:
  Canvas(int w, int h) : width(w), height(h), cover(static_cast<size_t>(w) * h, 0.0) {}
  int width, height;
  std::vector<double> cover;

  void Fill(const std::vector<Contour>& shape) {
    constexpr int kSub = 4;
    std::vector<std::pair<double, int>> crossings;
    for (int sy = 0; sy < height * kSub; ++sy) {
      const double y = (sy + 0.5) / kSub;
      crossings.clear();
      for (const Contour& c : shape) {
        for (size_t i = 0; i < c.size(); ++i) {
          const Point& a = c[i];
          const Point& b = c[(i + 1) % c.size()];
          if ((a.y <= y) == (b.y <= y)) continue;
          const double x = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
          crossings.emplace_back(x, b.y > a.y ? 1 : -1);
        }
      }
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].second;
        if (winding == 0) continue;
        const int from = std::max(0, static_cast<int>(std::ceil(crossings[i].first * kSub - 0.5)));
        const int to = std::min(width * kSub - 1, static_cast<int>(std::floor(crossings[i + 1].first * kSub - 0.5)));
        for (int sx = from; sx <= to; ++sx) cover[static_cast<size_t>(sy / kSub) * width + sx / kSub] += 1.0 / 16;
      }
    }
  }
  void Rect(double x0, double y0, double x1, double y1) {
    Fill({{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}});
  }
};

struct Degradation {
  double blur = 0, threshold = 0.5, noise = 0, rotation = 0, scale = 1, breaks = 0;
};

Degradation MakeDegradation(int variant, Random& r, bool measuring) {
  Degradation d;
  switch (variant) {
    case 0:
      d.threshold = r.Uniform(0.45, 0.55);
      break;
    case 1:
      d.blur = r.Uniform(0.3, 0.6);
      d.threshold = r.Uniform(0.4, 0.6);
      d.noise = 0.005;
      break;
    default:
      d.blur = r.Uniform(0.0, 0.5);
      d.threshold = r.Uniform(0.4, 0.6);
      d.noise = 0.01;
      d.rotation = r.Uniform(-1.5, 1.5);
      d.scale = r.Uniform(0.94, 1.06);
      d.breaks = 0.15;
      break;
  }
  if (measuring) {
    // Degradations training never sees: heavier noise and thresholds.
    d.noise += 0.01;
    d.threshold += r.Uniform(-0.08, 0.08);
    d.blur = std::max(d.blur, r.Uniform(0.2, 0.8));
  }
  return d;
}

// One drawn stave: 5 lines, the top line at y = 4S; symbols from x = 2S.
struct Stave {
  double space;
  int thickness;
  double top;
  int StepY(double step) const { return static_cast<int>(std::floor(top + (step - 4) * space / 2 + 0.5)); }
};

// What one sample is drawn with: a random stream of its own (the next draw
// of the walk's), the variant's degradation, a five-line stave at space
// (lines a tenth of a space thick, at least one pixel; top line five spaces
// down), a picture widthSpaces x heightSpaces spaces and the glyph's origin
// two spaces in and a little further.
struct SampleScene {
  Random r;
  Degradation d;
  Stave st;
  int width, height;
  double originX;
};

SampleScene StartSample(Random& random, int variant, bool measuring, double space, int widthSpaces,
                        int heightSpaces) {
  Random r(random.Next());
  const Degradation d = MakeDegradation(variant, r, measuring);
  const Stave st{space, std::max(1, static_cast<int>(std::lround(space / 10))), 5 * space};
  const int width = static_cast<int>(widthSpaces * space), height = static_cast<int>(heightSpaces * space);
  const double originX = 2 * space + r.Uniform(0, 1);
  return SampleScene{r, d, st, width, height, originX};
}

struct Bits {
  int width = 0, height = 0;
  std::vector<uint8_t> on;  // one byte per pixel
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && on[y * width + x]; }
};

// A further glyph drawn beside the sampled one (the head an accidental
// stands before, the next accidental of a key signature).
struct Neighbour {
  const Glyph* glyph;
  double step, x;
};

Bits Render(const Glyph& glyph, const Stave& st, double originStep, double originX, const Degradation& d, Random& r,
            int width, int height, const std::vector<Neighbour>& neighbours = {}) {
  Canvas canvas(width, height);
  const double scale = st.space / kFontSpace * d.scale;
  const double c = std::cos(d.rotation * M_PI / 180), s = std::sin(d.rotation * M_PI / 180);
  std::vector<Contour> shape;
  std::vector<Neighbour> all = {{&glyph, originStep, originX}};
  all.insert(all.end(), neighbours.begin(), neighbours.end());
  for (const Neighbour& n : all) {
    const double oy = st.top + (n.step - 4) * st.space / 2;
    for (const Contour& contour : n.glyph->contours) {
      Contour placed;
      for (const Point& p : contour) {
        const double x = p.x * scale, y = -p.y * scale;
        placed.push_back({n.x + x * c - y * s, oy + x * s + y * c});
      }
      shape.push_back(placed);
    }
  }
  canvas.Fill(shape);
  for (int k = 0; k < 5; ++k) {
    const double y = st.top + k * st.space - st.thickness / 2.0;
    double x = 0;
    while (x < width) {
      const double run = d.breaks > 0 && r.Chance(d.breaks) ? r.Uniform(1, 3) : r.Uniform(st.space, 4 * st.space);
      if (d.breaks > 0 && run < 3.5) {
        x += run;  // a gap in the line
        continue;
      }
      canvas.Rect(x, y, std::min<double>(x + run, width), y + st.thickness);
      x += run;
    }
  }
  std::vector<double> v = canvas.cover;
  if (d.blur > 0) {
    std::vector<double> b(v.size());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        double sum = 0, w = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx, yy = y + dy;
            if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
            const double k = (dx == 0 && dy == 0) ? 1.0 : d.blur / 2;
            sum += k * std::min(1.0, v[yy * width + xx]);
            w += k;
          }
        b[y * width + x] = sum / w;
      }
    v = b;
  }
  Bits bits;
  bits.width = width;
  bits.height = height;
  bits.on.resize(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    bool ink = std::min(1.0, v[i]) >= d.threshold;
    if (d.noise > 0 && r.Chance(d.noise)) ink = !ink;
    bits.on[i] = ink;
  }
  return bits;
}

// The glyph's ink extent in pixels (before degradation).
struct Extent {
  double left, right, top, bottom;
};
Extent InkExtent(const Glyph& g, const Stave& st, double originStep, double originX, double jitter) {
  Extent e{1e9, -1e9, 1e9, -1e9};
  const double scale = st.space / kFontSpace * jitter;
  const double oy = st.top + (originStep - 4) * st.space / 2;
  for (const Contour& c : g.contours)
    for (const Point& p : c) {
      e.left = std::min(e.left, originX + p.x * scale);
      e.right = std::max(e.right, originX + p.x * scale);
      e.top = std::min(e.top, oy - p.y * scale);
      e.bottom = std::max(e.bottom, oy - p.y * scale);
    }
  return e;
}

bool SaveWindow(const Bits& bits, const ShapeWindow& w, const std::string& path) {
  if (w.width < 1 || w.height < 1 || w.width > 255 || w.height > 255) return false;
  const uint64_t rows = PaddedRowBytes(w.width, 1) * w.height;
  std::vector<uint8_t> area(SpriteAreaBytes(rows), 0);
  InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
  if (CreateSprite(area.data(), kPageSpriteName, w.width, w.height, kSpriteMode1Bit)) return false;
  uint8_t* out = SpriteRows(area.data());
  const size_t rowBytes = PaddedRowBytes(w.width, 1);
  for (int y = 0; y < w.height; ++y)
    for (int x = 0; x < w.width; ++x)
      if (bits.At(w.x + x, w.y + y)) out[y * rowBytes + x / 8] |= static_cast<uint8_t>(1 << (x % 8));
  const std::u16string wide(path.begin(), path.end());
  return SaveSpriteBmp(area.data(), wide.c_str(), 0) == nullptr;
}

// ---- What is drawn ----

struct BigSymbol {
  const char* name;   // the 8 x 16 type list's name
  const char* glyph;
  double step;        // the glyph's reference line, in stave steps
  bool timeDigit;     // matched in bands 4 and 8 alike
  bool context = false;  // has rows of its own in the context lists
};
const BigSymbol kBigSymbols[] = {
    {"TrebleClef", "clefs.G", 10, false, true}, {"BassClef", "clefs.F", 6, false, true},
    {"TrebleClefChange", "clefs.G_change", 10, false}, {"BassClefChange", "clefs.F_change", 6, false},
    {"Digit0", "zero", 8, true, true},  {"Digit1", "one", 8, true, true},     {"Digit2", "two", 8, true, true},
    {"Digit3", "three", 8, true, true}, {"Digit4", "four", 8, true, true},    {"Digit5", "five", 8, true, true},
    {"Digit6", "six", 8, true, true},   {"Digit7", "seven", 8, true, true},   {"Digit8", "eight", 8, true, true},
    {"Digit9", "nine", 8, true, true},
    {"CommonTime", "timesig.C44", 8, false},  {"CutTime", "timesig.C22", 8, false},
    {"Rest128", "rests.7", 8, false},         {"Rest64", "rests.6", 8, false},
    {"Rest32", "rests.5", 8, false},          {"Rest16", "rests.4", 8, false},
    {"Rest8", "rests.3", 8, false},           {"Rest4", "rests.2", 8, false},
    {"Rest2", "rests.1", 8, false},           {"Rest1", "rests.0", 6, false},
    {"BreveRest", "rests.M1", 8, false},
};

struct Accidental {
  const char* name;  // the 8 x 8 type list's name
  const char* glyph;
  bool key;          // of a key signature
};
const Accidental kAccidentals[] = {
    {"Natural", "accidentals.natural", false}, {"Sharp", "accidentals.sharp", false},
    {"Flat", "accidentals.flat", false},       {"KeyFlat", "accidentals.flat", true},
    {"KeySharp", "accidentals.sharp", true},
};

struct NotationShape {
  const char* name;  // the notation type list's name (8 x 8 list)
  const char* glyph;
  bool head;         // parts by place: 1 space, 2 line
};
const NotationShape kNotationShapes[] = {
    {"SolidHead", "noteheads.s2", true}, {"HollowHead", "noteheads.s1", true},
    {"WholeHead", "noteheads.s0", false}, {"SharpPart", "accidentals.sharp", false},
    {"NaturalPart", "accidentals.natural", false}, {"FlatPart", "accidentals.flat", false},
    {"RestPart", "rests.2", false},
};

int StaveUnitOf(double space) {
  const int h = static_cast<int>(4 * space);
  int q = 4 * h / 50;
  if (q & 1) ++q;
  return std::max(1, q / 2);
}
int SmallStaveUnitOf(double space) {
  const int h = static_cast<int>(4 * space);
  int q = 4 * h / 100;
  if (q & 1) ++q;
  return std::max(1, q / 2);
}


// The 8 x 8 sample lines of an engraved folder's "XxX.txt", their bitmaps
// copied into folder under the names "<type>.e<n>".
bool TakeEngraved(const std::string& engraved, const std::string& folder, std::ostringstream* lines) {
  std::ifstream text(engraved + "/XxX.txt");
  if (!text) return false;
  std::string line;
  bool inside = false;
  while (std::getline(text, line)) {
    if (line.empty() || line[0] == '-') continue;
    if (line[0] == '>') {
      inside = line.find("8x8") != std::string::npos;
      continue;
    }
    if (!inside || line[0] == '|' || line[0] == 'X') continue;
    const std::string name = line.substr(0, line.find(' '));
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return false;
    const std::string renamed = name.substr(0, dot) + ".e" + name.substr(dot + 1);
    std::ifstream from(engraved + "/Symb8x8/" + name + ".bmp", std::ios::binary);
    std::ofstream to(folder + "/Symb8x8/" + renamed + ".bmp", std::ios::binary);
    if (!from || !(to << from.rdbuf())) return false;
    *lines << renamed << line.substr(name.size()) << "\n";
  }
  return true;
}

// ---- Engraved pages ----

bool LoadPage(const std::string& path, Bits* page) {
  const std::u16string wide(path.begin(), path.end());
  uint32_t imageBytes = 0, width = 0, height = 0, depth = 0, dpi = 0;
  if (ReadImageFileInfo(wide.c_str(), &imageBytes, &width, &height, &depth, &dpi, true) || depth != 1) return false;
  const size_t rowBytes = PaddedRowBytes(width, 1);
  std::vector<uint8_t> area(SpriteAreaBytes(rowBytes * height));
  InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
  ImagePageIndex() = 0;
  if (LoadTiffPage(area.data(), wide.c_str())) return false;
  page->width = static_cast<int>(width);
  page->height = static_cast<int>(height);
  page->on.assign(static_cast<size_t>(width) * height, 0);
  const uint8_t* rows = SpriteRows(area.data());
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) page->on[y * width + x] = (rows[y * rowBytes + x / 8] >> (x % 8)) & 1;
  return true;
}

int PagesMain(const char* manifestPath, const std::string& folder) {
  std::ifstream manifest(manifestPath);
  std::ostringstream big, small, notes;
  Bits page;
  Stave st{20, 2, 0};
  int count = 0;
  int bands[kMaxBigSymbolBands];
  const int bandCount = BigSymbolBands(0, 5, bands);
  std::string line;
  while (std::getline(manifest, line)) {
    std::istringstream in(line);
    std::string kind, name;
    in >> kind;
    if (kind == "page") {
      std::string path;
      in >> path;
      if (!LoadPage(path, &page)) return std::fprintf(stderr, "cannot load %s\n", path.c_str()), 1;
      continue;
    }
    if (kind == "stave") {
      in >> st.top >> st.space;
      continue;
    }
    double left = 0;
    in >> name >> left;
    const std::string sample = name + "." + std::to_string(++count);
    const int x = static_cast<int>(std::floor(left));
    auto step = [&](double y) { return 4 + 2 * (y - st.top) / st.space; };
    if (kind == "big") {
      double top = 0, bottom = 0;
      std::string digit;
      in >> top >> bottom >> digit;
      const BigSymbolSizes sizes = BigSymbolWindowSizes(st.space, StaveUnitOf(st.space));
      std::vector<int> pieces;
      if (digit == "digit") {
        pieces = {step((top + bottom) / 2) < 8 ? 4 : 8};
      } else {
        int p[kMaxSymbolPieces];
        pieces.assign(p, p + BigSymbolPieces(step(top), step(bottom), bands, bandCount, p));
      }
      for (size_t k = 0; k < pieces.size(); ++k) {
        const std::string piece = k == 0 ? sample : name + "." + std::to_string(++count);
        const ShapeWindow w{x, BigSymbolWindowTop(st.StepY(pieces[k]), st.space), sizes.width, sizes.height};
        if (!SaveWindow(page, w, folder + "/Symb8x16/" + piece + ".bmp")) continue;
        big << piece << " YPOS:" << (digit == "digit" ? 14 : pieces[k]);
        if (pieces.size() > 1) big << " PART:" << k + 1 << "-" << pieces.size();
        big << "\n";
      }
    } else if (kind == "acc") {
      double y = 0;
      in >> y;
      const int side = AccidentalBoxSide(static_cast<int>(std::lround(st.space)), false);
      if (SaveWindow(page, AccidentalBox(x, static_cast<int>(std::lround(y)), side),
                     folder + "/Symb8x8/" + sample + ".bmp"))
        small << sample << "\n";
    } else if (kind == "head") {
      double y = 0;
      int place = 1;
      in >> y >> place;
      const double half = 0.55 * st.space;
      const int width = NoteheadWindowWidth(st.space, SmallStaveUnitOf(st.space), 1.3 * st.space);
      const ShapeWindow w = NoteheadWindow(x, static_cast<int>(std::floor(y - half)),
                                           static_cast<int>(std::ceil(y + half)), width);
      if (SaveWindow(page, w, folder + "/Symb8x8/" + sample + ".bmp"))
        notes << sample << (name == "SolidHead" ? (place == 2 ? " PART:2-1" : " PART:1-1") : "") << "\n";
    }
  }
  std::ofstream xxx(folder + "/XxX.txt"), notesFile(folder + "/NotesXxX.txt");
  xxx << "- Windows cut from engraved pages\n> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\n" << big.str() << "|\n> 8x8\n"
      << small.str() << "|\n";
  notesFile << "- Windows cut from engraved pages\n> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\n" << notes.str()
            << "|\n";
  return xxx && notesFile ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--pages") return PagesMain(argv[2], argv[3]);
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_training_samples <outlines> <folder> [--measuring] [--engraved <folder>]\n");
    return 2;
  }
  bool measuring = false;
  std::string engraved;
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--measuring") measuring = true;
    else if (arg == "--engraved" && i + 1 < argc) engraved = argv[++i];
    else return std::fprintf(stderr, "make_training_samples: unknown argument %s\n", argv[i]), 2;
  }
  const std::map<std::string, Glyph> glyphs = LoadOutlines(argv[1]);
  const std::string folder = argv[2];
  for (const BigSymbol& b : kBigSymbols)
    if (!glyphs.count(b.glyph)) return std::fprintf(stderr, "no glyph %s\n", b.glyph), 1;
  const std::vector<double> spaces =
      measuring ? std::vector<double>{9, 13, 18, 23, 31, 38} : std::vector<double>{8, 11, 15, 20, 27, 36};
  const int variants = 3;
  Random random(measuring ? 777 : 1);

  std::ostringstream big, small, notes;
  int count = 0;
  {
    // The 8 x 16 walk of the big-symbol step starts at the second group: the
    // first is a blank placeholder, and the treble clef comes next, so that
    // the third group is a treble clef (missing clefs are made from it).
    Bits blank;
    blank.width = blank.height = 16;
    blank.on.assign(256, 0);
    if (!SaveWindow(blank, ShapeWindow{0, 0, 16, 16}, folder + "/Symb8x16/Placeholder.bmp")) return 1;
    big << "Placeholder\n";
  }
  for (const BigSymbol& b : kBigSymbols) {
    const Glyph& g = glyphs.at(b.glyph);
    for (double space : spaces) {
      for (int v = 0; v < variants; ++v) {
        auto [r, d, st, width, height, originX] = StartSample(random, v, measuring, space, 8, 14);
        const Bits bits = Render(g, st, b.step, originX, d, r, width, height);
        const Extent e = InkExtent(g, st, b.step, originX, d.scale);
        int bands[kMaxBigSymbolBands];
        const int bandCount = BigSymbolBands(0, 5, bands);
        std::vector<int> pieces;
        if (b.timeDigit) {
          // The upper digit's window (band 4); the same digit as a lower one
          // is drawn two spaces lower and cut in band 8.
          pieces = {4};
        } else {
          int p[kMaxSymbolPieces];
          const int n = BigSymbolPieces(2 * (e.top - st.top) / space + 4, 2 * (e.bottom - st.top) / space + 4, bands,
                                        bandCount, p);
          pieces.assign(p, p + n);
        }
        const BigSymbolSizes sizes = BigSymbolWindowSizes(space, StaveUnitOf(space));
        for (size_t k = 0; k < pieces.size(); ++k) {
          ShapeWindow w;
          w.x = static_cast<int>(std::floor(e.left));
          w.y = BigSymbolWindowTop(st.StepY(pieces[k]), space);
          w.width = v == 1 ? sizes.wideWidth : sizes.width;
          w.height = v == 2 ? sizes.tallHeight : sizes.height;
          const std::string name = std::string(b.name) + "." + std::to_string(++count);
          if (!SaveWindow(bits, w, folder + "/Symb8x16/" + name + ".bmp")) return 1;
          big << name << " YPOS:" << (b.timeDigit ? 14 : pieces[k]);
          if (pieces.size() > 1) big << " PART:" << k + 1 << "-" << pieces.size();
          if (b.context) big << " BLSM:" << b.name;
          big << "\n";
        }
        if (b.timeDigit) {
          const Bits lower = Render(g, st, 12, originX, d, r, width, height);
          ShapeWindow w{static_cast<int>(std::floor(e.left)), BigSymbolWindowTop(st.StepY(8), space),
                        sizes.width, sizes.height};
          const std::string name = std::string(b.name) + "." + std::to_string(++count);
          if (!SaveWindow(lower, w, folder + "/Symb8x16/" + name + ".bmp")) return 1;
          big << name << " YPOS:14 BLSM:" << b.name << "\n";
        }
      }
    }
  }
  for (const Accidental& a : kAccidentals) {
    const Glyph& g = glyphs.at(a.glyph);
    for (double space : spaces) {
      for (int v = 0; v < variants; ++v) {
        for (int step : {7, 8}) {
          auto [r, d, st, width, height, originX] = StartSample(random, v, measuring, space, 6, 12);
          // What stands right of it: the note's head a little further on,
          // or in a key signature the next accidental, a third or so away.
          const Extent own = InkExtent(g, st, step, originX, d.scale);
          std::vector<Neighbour> next;
          if (a.key)
            next.push_back({&g, step + (r.Chance(0.5) ? 3.0 : -4.0), own.right + r.Uniform(0.1, 0.3) * space});
          else
            next.push_back({&glyphs.at("noteheads.s2"), static_cast<double>(step),
                            own.right + r.Uniform(0.15, 0.35) * space});
          const Bits bits = Render(g, st, step, originX, d, r, width, height, next);
          const Extent e = own;
          const int side = AccidentalBoxSide(static_cast<int>(std::lround(space)), false);
          const ShapeWindow w = AccidentalBox(static_cast<int>(std::floor(e.left)), st.StepY(step), side);
          const std::string name = std::string(a.name) + "." + std::to_string(++count);
          if (!SaveWindow(bits, w, folder + "/Symb8x8/" + name + ".bmp")) return 1;
          small << name << "\n";
        }
      }
    }
  }
  for (const NotationShape& s : kNotationShapes) {
    const Glyph& g = glyphs.at(s.glyph);
    for (int step : {7, 8}) {
      for (double space : spaces) {
        for (int v = 0; v < variants; ++v) {
          auto [r, d, st, width, height, originX] = StartSample(random, v, measuring, space, 6, 12);
          const Bits bits = Render(g, st, step, originX, d, r, width, height);
          const Extent e = InkExtent(g, st, step, originX, d.scale);
          // The head window over the rows of a head at this place.
          const double half = 0.55 * space;
          const int y = st.StepY(step);
          const int wWidth = NoteheadWindowWidth(space, SmallStaveUnitOf(space), 1.3 * space);
          const ShapeWindow w = NoteheadWindow(static_cast<int>(std::floor(e.left)),
                                               static_cast<int>(std::floor(y - half)),
                                               static_cast<int>(std::ceil(y + half)), wWidth);
          const std::string name = std::string(s.name) + "." + std::to_string(++count);
          if (!SaveWindow(bits, w, folder + "/Symb8x8/" + name + ".bmp")) return 1;
          notes << name;
          if (s.head) notes << " PART:" << (step % 2 == 1 ? 1 : 2) << "-1";
          notes << "\n";
        }
      }
      if (!s.head) break;  // one place for the others
    }
  }
  if (!engraved.empty() && !TakeEngraved(engraved, folder, &small))
    return std::fprintf(stderr, "make_training_samples: cannot take the samples of %s\n", engraved.c_str()), 1;
  std::ofstream xxx(folder + "/XxX.txt"), notesFile(folder + "/NotesXxX.txt");
  xxx << "- Shape samples, made by tools/make_training_samples.cpp\n"
      << "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\n"
      << big.str() << "|\n> 8x8\n" << small.str() << "|\n";
  notesFile << "- Notation samples, made by tools/make_training_samples.cpp\n"
            << "> 16x32\nX\n> 8x32\nX\n> 16x16\nX\n> 8x16\nX\n> 8x8\n" << notes.str() << "|\n";
  return xxx && notesFile ? 0 : 1;
}
