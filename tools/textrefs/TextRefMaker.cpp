#include "tools/textrefs/TextRefMaker.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Findcuts.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Textslnt.h"
#include "Code/Quorm/Wordlatt.h"
#include "Code/Quorm/options.h"
#include "tools/refmaker/RefMaker.h"

namespace textrefs {

namespace {

constexpr int32_t kDpi = 300;
// Clusters: main patterns per class, then main patterns per fast pattern
// and fast patterns per very-fast pattern (about).
constexpr int32_t kMainPerClass = 10;
constexpr int32_t kMainPerFast = 4;
constexpr int32_t kFastPerVeryFast = 8;
constexpr int32_t kLloydRounds = 4;
constexpr double kFeatureSpreadFloor = 8.0;
// Spreads of the class statistics: at least this (x1024), the distance
// spreads three times the vote spreads.
constexpr int32_t kStatisticSpreadFloor = 30;
constexpr int32_t kFitSpreadFactor = 3;

}  // namespace

const std::vector<ReferenceFont>& ReferenceFonts() {
  static const std::vector<ReferenceFont> fonts = {
      {"truetype/dejavu/DejaVuSerif.ttf", kStyleRegularWeight | kStyleUpright | kStyleSerif},
      {"truetype/dejavu/DejaVuSerif-Italic.ttf", kStyleRegularWeight | kStyleItalic | kStyleSerif},
      {"truetype/dejavu/DejaVuSerif-Bold.ttf", kStyleBold | kStyleUpright | kStyleSerif},
      {"truetype/dejavu/DejaVuSans.ttf", kStyleRegularWeight | kStyleUpright | kStyleSans},
      {"truetype/dejavu/DejaVuSans-Oblique.ttf", kStyleRegularWeight | kStyleItalic | kStyleSans},
      {"truetype/dejavu/DejaVuSans-Bold.ttf", kStyleBold | kStyleUpright | kStyleSans},
      {"truetype/liberation2/LiberationSerif-Regular.ttf", kStyleRegularWeight | kStyleUpright | kStyleSerif},
      {"truetype/liberation2/LiberationSerif-Italic.ttf", kStyleRegularWeight | kStyleItalic | kStyleSerif},
      {"truetype/liberation2/LiberationSerif-Bold.ttf", kStyleBold | kStyleUpright | kStyleSerif},
      {"truetype/liberation2/LiberationSans-Regular.ttf", kStyleRegularWeight | kStyleUpright | kStyleSans},
      {"truetype/liberation2/LiberationSans-Italic.ttf", kStyleRegularWeight | kStyleItalic | kStyleSans},
      {"truetype/liberation2/LiberationSans-Bold.ttf", kStyleBold | kStyleUpright | kStyleSans},
      // Faces of other designs, so that the classes hold more than two
      // families' shapes: Caladea and Carlito (fonts-crosextra-caladea,
      // fonts-crosextra-carlito), Linux Libertine and Biolinum
      // (fonts-linuxlibertine), EB Garamond (fonts-ebgaramond).
      {"truetype/crosextra/Caladea-Regular.ttf", kStyleRegularWeight | kStyleUpright | kStyleSerif},
      {"truetype/crosextra/Caladea-Italic.ttf", kStyleRegularWeight | kStyleItalic | kStyleSerif},
      {"truetype/crosextra/Carlito-Regular.ttf", kStyleRegularWeight | kStyleUpright | kStyleSans},
      {"truetype/crosextra/Carlito-Italic.ttf", kStyleRegularWeight | kStyleItalic | kStyleSans},
      {"opentype/linux-libertine/LinLibertine_R.otf", kStyleRegularWeight | kStyleUpright | kStyleSerif},
      {"opentype/linux-libertine/LinLibertine_RI.otf", kStyleRegularWeight | kStyleItalic | kStyleSerif},
      {"opentype/linux-libertine/LinBiolinum_R.otf", kStyleRegularWeight | kStyleUpright | kStyleSans},
      {"opentype/ebgaramond/EBGaramond12-Regular.otf", kStyleRegularWeight | kStyleUpright | kStyleSerif},
      {"opentype/ebgaramond/EBGaramond12-Italic.otf", kStyleRegularWeight | kStyleItalic | kStyleSerif},
  };
  return fonts;
}

const std::vector<int32_t>& ReferencePointSizes() {
  static const std::vector<int32_t> sizes = {9, 11, 12, 14};
  return sizes;
}

const std::vector<std::string>& ReferenceLines() {
  // Words of scores (tempo, expression, navigation, lyrics), a pangram in
  // both cases, figures and marks, chord symbols with the sharp and flat
  // bytes, quotes, the dash and the two ligatures.
  static const std::vector<std::string> lines = {
      "Allegro ma non troppo Andante cantabile dolce espressivo",
      "sing a song of the morning when the birds wake",
      "Quick brown fox jumps over the lazy dog",
      "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG",
      "D.C. al Fine; D.S. al Coda: Fine! poco rit. a tempo? (cresc.) [dim.] {Vers 2}",
      "1234567890 1. 2. 3: 4; #5 $6 &7 *8 +9 -0 /1 =2 @3 _4 |5 ~6 `7",
      "C\x87m7 B\x88maj7 G/B F\x87 E\x88 A7 Dm9 \x90sempre\x91 \x94legato\x95 \x96 \x9E" "er \x9F" "ute",
      "Lento, Vivace, Presto; Ritardando. Sehr langsam, Fine",
      "quasi una fantasia, 'Tis the \"last\" rose; do\\re\\mi, equal quaver",
  };
  return lines;
}

uint32_t RenderedCharacter(unsigned char c) {
  switch (c) {
    case 0x87: return 0x266F;  // sharp
    case 0x88: return 0x266D;  // flat
    case 0x90: return 0x2018;
    case 0x91: return 0x2019;
    case 0x94: return 0x201C;
    case 0x95: return 0x201D;
    case 0x96: return 0x2013;
    case 0x9E: return 0xFB01;
    case 0x9F: return 0xFB02;
    default: return c >= 0x20 && c < 0x7F ? c : 0;
  }
}

namespace {

// A FreeType face at a size; closed with the object.
class Face {
 public:
  Face(const std::string& path, int32_t points, std::string* error) {
    if (FT_Init_FreeType(&library_) != 0) {
      *error = "FreeType does not start";
      library_ = nullptr;
      return;
    }
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
      *error = "cannot open the font " + path;
      face_ = nullptr;
      return;
    }
    FT_Set_Char_Size(face_, 0, points * 64, kDpi, kDpi);
  }
  ~Face() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  bool ok() const { return face_ != nullptr; }
  FT_Face get() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// The glyph's bitmap top (rows above the baseline), or 0.
int32_t GlyphTop(FT_Face face, uint32_t u) {
  if (FT_Load_Char(face, u, FT_LOAD_RENDER) != 0) return 0;
  return face->glyph->bitmap_top;
}

}  // namespace

bool RenderLine(const std::string& fontPath, int32_t points, const std::string& text, RenderedLine* out,
                std::string* error, int32_t slant) {
  Face face(fontPath, points, error);
  if (!face.ok()) return false;
  FT_Face f = face.get();
  if (slant != 0) {
    // FreeType's rows grow upward: x' = x - slant y moves the tops left.
    FT_Matrix shear{0x10000, -static_cast<FT_Fixed>(slant) * 0x10000 / kSlantUnit, 0, 0x10000};
    FT_Set_Transform(f, &shear, nullptr);
  }
  const int32_t ppem = points * kDpi / 72;
  const int32_t margin = 6;
  RenderedLine line;
  line.height = 2 * ppem + 2 * margin;
  line.baseline = margin + ppem + ppem / 5;
  // Room on the left for the tops a shear moves left.
  const int32_t shearRoom = static_cast<int32_t>(static_cast<int64_t>(slant) * line.baseline / kSlantUnit);
  line.width = static_cast<int32_t>(text.size()) * ppem * 3 / 2 + 2 * margin + shearRoom;
  std::vector<int32_t> grey(static_cast<size_t>(line.width) * line.height, 0);
  line.xline = line.baseline - GlyphTop(f, 'x');
  line.capline = line.baseline - GlyphTop(f, 'H');
  int64_t pen = static_cast<int64_t>(margin + shearRoom) * 64;
  FT_UInt previous = 0;
  for (unsigned char c : text) {
    const uint32_t u = RenderedCharacter(c);
    const FT_UInt index = u ? FT_Get_Char_Index(f, u) : 0;
    if (index == 0) continue;
    if (previous != 0 && FT_HAS_KERNING(f)) {
      FT_Vector kern;
      if (FT_Get_Kerning(f, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x;
    }
    previous = index;
    if (FT_Load_Glyph(f, index, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = f->glyph;
    const int32_t x0 = static_cast<int32_t>((pen + 32) >> 6) + g->bitmap_left;
    const int32_t y0 = line.baseline - g->bitmap_top;
    RenderedGlyph glyph{c, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
    for (uint32_t y = 0; y < g->bitmap.rows; ++y)
      for (uint32_t x = 0; x < g->bitmap.width; ++x) {
        const int32_t value = g->bitmap.buffer[static_cast<size_t>(y) * std::abs(g->bitmap.pitch) + x];
        const int32_t px = x0 + static_cast<int32_t>(x), py = y0 + static_cast<int32_t>(y);
        if (value == 0 || px < 0 || py < 0 || px >= line.width || py >= line.height) continue;
        int32_t& cell = grey[static_cast<size_t>(py) * line.width + px];
        cell = std::min(255, cell + value);
        if (value >= 128) {
          glyph.left = std::min(glyph.left, px);
          glyph.right = std::max(glyph.right, px + 1);
          glyph.top = std::min(glyph.top, py);
          glyph.bottom = std::max(glyph.bottom, py + 1);
        }
      }
    pen += g->advance.x;
    if (IsCharacterEnabled(c) && glyph.left < glyph.right) line.glyphs.push_back(glyph);
  }
  line.pixels.resize(grey.size());
  // Thresholded at half: as a page scanned at 300 dpi and binarised.
  for (size_t i = 0; i < grey.size(); ++i) line.pixels[i] = grey[i] >= 128;
  *out = std::move(line);
  return true;
}

namespace {

std::vector<uint32_t> BitmapBlock(const RenderedLine& line) {
  const size_t bytes = BitmapBlockSize(line.width, line.height);
  std::vector<uint32_t> block((bytes + 3) / 4, 0);
  InitialiseBitmapHeader(block.data(), line.width, line.height, "textref");
  for (int32_t y = 0; y < line.height; ++y) {
    uint32_t* row = BitmapRow(block.data(), y);
    for (int32_t x = 0; x < line.width; ++x)
      if (line.pixels[static_cast<size_t>(y) * line.width + x]) row[x / 32] |= 1u << (x % 32);
  }
  return block;
}

}  // namespace

int32_t MeasuredSlant(const RenderedLine& line) {
  const std::vector<uint32_t> block = BitmapBlock(line);
  return MeasureLineSlant(block.data());
}

int32_t SampleLine(const RenderedLine& line, int32_t style, std::vector<TextSample>* out) {
  if (line.glyphs.empty()) return 0;
  // The line's height H (the x-height) and pitch Q (the mean glyph width of
  // its small letters, of all its glyphs when it has none).
  const int32_t textHeight = std::max(1, line.baseline - line.xline);
  int64_t widths = 0, smallWidths = 0;
  int32_t smalls = 0;
  for (const RenderedGlyph& g : line.glyphs) {
    widths += g.right - g.left;
    if (g.code >= 'a' && g.code <= 'z') {
      smallWidths += g.right - g.left;
      ++smalls;
    }
  }
  const int32_t pitch = std::max<int32_t>(
      1, static_cast<int32_t>(smalls > 0 ? smallWidths / smalls : widths / static_cast<int64_t>(line.glyphs.size())));
  const int32_t rows[3] = {line.baseline, line.xline, line.capline};

  const std::vector<uint32_t> block = BitmapBlock(line);
  PrepareTextLine(block.data());
  CutResult cut{};
  const int32_t count = CutLinePieces(&cut);
  int32_t pieceCount = 0;
  const TextPiece* pieces = GetLinePieces(&pieceCount);
  int32_t missed = 0;
  std::vector<uint8_t> pixels(static_cast<size_t>(kMaxSampleWidth) * kMaxSampleHeight);
  for (const RenderedGlyph& g : line.glyphs) {
    int32_t first = -1, end = -1;
    bool own = true;
    for (int32_t i = 0; i < count && own; ++i) {
      const int32_t middle = (pieces[i].left + pieces[i].right) / 2;
      if (middle < g.left || middle >= g.right) continue;
      if (first < 0) first = i;
      else if (end != i) own = false;
      end = i + 1;
    }
    int32_t width = 0, height = 0, box[4];
    own = own && first >= 0 && CharacterSample(first, end, pixels.data(), &width, &height, box);
    // The pieces must be the glyph's ink, within a pixel on every side.
    own = own && std::abs(box[0] - g.left) <= 1 && std::abs(box[2] - g.right) <= 1 && std::abs(box[1] - g.top) <= 1 &&
          std::abs(box[3] - g.bottom) <= 1;
    if (!own) {
      ++missed;
      continue;
    }
    TextSample s{};
    s.code = g.code;
    s.style = style;
    s.width = width;
    s.height = height;
    PositionMeasures(box[1], box[3], width, textHeight, pitch, rows, s.measures);
    s.ratios[0] = static_cast<int32_t>(static_cast<int64_t>(box[3] - rows[0]) * 1024 / height);
    s.ratios[1] = static_cast<int32_t>(static_cast<int64_t>(box[1] - rows[1]) * 1024 / height);
    s.ratios[2] = static_cast<int32_t>(static_cast<int64_t>(box[1] - rows[2]) * 1024 / height);
    s.ratios[3] = static_cast<int32_t>(static_cast<int64_t>(height) * 1024 / textHeight);
    s.ratios[4] = static_cast<int32_t>(static_cast<int64_t>(width) * 1024 / pitch);
    s.ink = SampleInkMeasure(pixels.data(), width, height);
    TextSampleFeatures(pixels.data(), width, height, s.main, s.fast, s.veryFast);
    out->push_back(s);
  }
  FreeLineReading();
  FreeTextReadingWork();
  return missed;
}

bool CollectSamples(const std::string& fontFolder, std::vector<TextSample>* out, std::string* error,
                    int32_t* missed) {
  *missed = 0;
  for (const ReferenceFont& font : ReferenceFonts())
    for (int32_t points : ReferencePointSizes())
      for (const std::string& text : ReferenceLines()) {
        RenderedLine line;
        if (!RenderLine(fontFolder + "/" + font.file, points, text, &line, error)) return false;
        const int32_t slant = MeasuredSlant(line);
        if (slant != 0 && !RenderLine(fontFolder + "/" + font.file, points, text, &line, error, slant)) return false;
        *missed += SampleLine(line, font.style, out);
      }
  return true;
}

namespace {

// ---- Clustering ----

using Vector = std::vector<int32_t>;

int64_t L1(const Vector& a, const Vector& b) {
  int64_t d = 0;
  for (size_t k = 0; k < a.size(); ++k) d += std::abs(a[k] - b[k]);
  return d;
}

// k-means with L1 assignment, seeded farthest-first from the member nearest
// the mean; deterministic (ties go to the lower index). Returns each
// point's cluster, clusters numbered in order of their first member.
std::vector<int32_t> Cluster(const std::vector<Vector>& points, int32_t k) {
  const size_t n = points.size();
  std::vector<int32_t> of(n, 0);
  if (n == 0) return of;
  k = std::max<int32_t>(1, std::min<int32_t>(k, static_cast<int32_t>(n)));
  const size_t dims = points[0].size();
  Vector mean(dims, 0);
  for (const Vector& p : points)
    for (size_t d = 0; d < dims; ++d) mean[d] += p[d];
  for (int32_t& v : mean) v = static_cast<int32_t>(v / static_cast<int64_t>(n));
  std::vector<Vector> centres;
  size_t seed = 0;
  for (size_t i = 1; i < n; ++i)
    if (L1(points[i], mean) < L1(points[seed], mean)) seed = i;
  centres.push_back(points[seed]);
  std::vector<int64_t> nearest(n);
  for (size_t i = 0; i < n; ++i) nearest[i] = L1(points[i], centres[0]);
  while (static_cast<int32_t>(centres.size()) < k) {
    size_t far = 0;
    for (size_t i = 1; i < n; ++i)
      if (nearest[i] > nearest[far]) far = i;
    if (nearest[far] == 0) break;
    centres.push_back(points[far]);
    for (size_t i = 0; i < n; ++i) nearest[i] = std::min(nearest[i], L1(points[i], centres.back()));
  }
  for (int32_t round = 0; round <= kLloydRounds; ++round) {
    for (size_t i = 0; i < n; ++i) {
      int64_t best = INT64_MAX;
      for (size_t c = 0; c < centres.size(); ++c) {
        const int64_t d = L1(points[i], centres[c]);
        if (d < best) {
          best = d;
          of[i] = static_cast<int32_t>(c);
        }
      }
    }
    if (round == kLloydRounds) break;
    std::vector<std::vector<int64_t>> sums(centres.size(), std::vector<int64_t>(dims, 0));
    std::vector<int64_t> counts(centres.size(), 0);
    for (size_t i = 0; i < n; ++i) {
      ++counts[of[i]];
      for (size_t d = 0; d < dims; ++d) sums[of[i]][d] += points[i][d];
    }
    for (size_t c = 0; c < centres.size(); ++c)
      if (counts[c] > 0)
        for (size_t d = 0; d < dims; ++d)
          centres[c][d] = static_cast<int32_t>((sums[c][d] + counts[c] / 2) / counts[c]);
  }
  // Renumber by first member; empty clusters vanish.
  std::map<int32_t, int32_t> renumber;
  for (int32_t& c : of) {
    auto it = renumber.find(c);
    if (it == renumber.end()) it = renumber.emplace(c, static_cast<int32_t>(renumber.size())).first;
    c = it->second;
  }
  return of;
}

Vector ToVector(const uint8_t* bytes, int32_t n) { return Vector(bytes, bytes + n); }

// Mean and spread of values, the spread raised to the floor.
void MeanSpread(const std::vector<int32_t>& values, int32_t floor, int32_t* mean, int32_t* spread) {
  if (values.empty()) {
    *mean = 0;
    *spread = floor;
    return;
  }
  double sum = 0, squares = 0;
  for (int32_t v : values) {
    sum += v;
    squares += static_cast<double>(v) * v;
  }
  const double m = sum / values.size();
  const double variance = std::max(0.0, squares / values.size() - m * m);
  *mean = static_cast<int32_t>(std::lround(m));
  *spread = std::max<int32_t>(floor, static_cast<int32_t>(std::lround(std::sqrt(variance))));
}

std::string Hex(const uint8_t* data, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

std::string Ints(const int32_t* v, int32_t n) {
  std::string out = "[";
  for (int32_t i = 0; i < n; ++i) out += (i ? ", " : "") + std::to_string(v[i]);
  return out + "]";
}

struct MainPattern {
  unsigned char code;
  std::vector<size_t> members;  // sample indices
  uint8_t pairs[2 * kMainFeatureCount];
  int32_t typical;
  int32_t flags;
  Vector fastMean, veryFastMean;
};

struct RangePattern {
  std::vector<size_t> members;  // indices of the level below
  int32_t limit;
  std::vector<uint8_t> pairs;
};

// A pattern (value, weight-row pairs) of a set of feature vectors.
template <int N>
void MakePairs(const std::vector<const uint8_t*>& vectors, uint8_t* pairs) {
  refmaker::ReferenceSamples samples(N);
  for (const uint8_t* v : vectors) samples.Add(v);
  samples.Make(pairs, kFeatureSpreadFloor);
}

// The limit of a range pattern: its farthest member sample, with a quarter
// more room.
int32_t LimitOf(const std::vector<const uint8_t*>& vectors, const uint8_t* pairs, int32_t n) {
  int32_t far = 0;
  for (const uint8_t* v : vectors) far = std::max(far, WeightedFeatureDistance(v, pairs, n));
  return far + far / 4 + 50;
}

}  // namespace

std::string MakeTextReferenceJson(const std::vector<TextSample>& samples) {
  // Classes in character order.
  std::map<unsigned char, std::vector<size_t>> byClass;
  for (size_t i = 0; i < samples.size(); ++i) byClass[samples[i].code].push_back(i);

  std::string classes;
  std::vector<MainPattern> mains;
  for (const auto& [code, members] : byClass) {
    // Class statistics.
    std::vector<int32_t> values[12];
    for (size_t i : members) {
      const TextSample& s = samples[i];
      for (int k = 0; k < 5; ++k) {
        values[2 * k].push_back(s.ratios[k]);
        values[2 * k + 1].push_back(s.measures[2 * k]);
      }
      values[(s.style & kStyleBold) ? 11 : 10].push_back(s.ink);
    }
    int32_t words[27] = {};
    for (int k = 0; k < 12; ++k) {
      int32_t mean, spread;
      MeanSpread(values[k].empty() ? values[10 + (k == 10)] : values[k], kStatisticSpreadFloor, &mean, &spread);
      // Votes (even k below 10) take the spread; distances three times it.
      const bool vote = k < 10 && k % 2 == 0;
      words[2 * k] = mean;
      words[2 * k + 1] = vote ? spread : kFitSpreadFactor * spread;
    }
    classes += std::string(classes.empty() ? "\n" : ",\n") + "  {\"character\": " + std::to_string(code) +
               ", \"data\": " + Ints(words, 27) + "}";
    // Main patterns: the class's samples clustered.
    std::vector<Vector> points;
    for (size_t i : members) points.push_back(ToVector(samples[i].main, kMainFeatureCount));
    const std::vector<int32_t> of = Cluster(points, kMainPerClass);
    const int32_t clusters = *std::max_element(of.begin(), of.end()) + 1;
    for (int32_t c = 0; c < clusters; ++c) {
      MainPattern m{};
      m.code = code;
      for (size_t j = 0; j < members.size(); ++j)
        if (of[j] == c) m.members.push_back(members[j]);
      std::vector<const uint8_t*> vectors;
      Vector fast(40, 0), veryFast(12, 0);
      for (size_t i : m.members) {
        vectors.push_back(samples[i].main);
        m.flags |= samples[i].style;
        for (int k = 0; k < 40; ++k) fast[k] += samples[i].fast[k];
        for (int k = 0; k < 12; ++k) veryFast[k] += samples[i].veryFast[k];
      }
      const int32_t n = static_cast<int32_t>(m.members.size());
      for (int32_t& v : fast) v /= n;
      for (int32_t& v : veryFast) v /= n;
      m.fastMean = fast;
      m.veryFastMean = veryFast;
      MakePairs<kMainFeatureCount>(vectors, m.pairs);
      int64_t sum = 0;
      for (const uint8_t* v : vectors) sum += WeightedFeatureDistance(v, m.pairs, kMainFeatureCount);
      m.typical = static_cast<int32_t>(sum / n);
      mains.push_back(std::move(m));
    }
  }

  // Fast patterns over the main patterns, very-fast over the fast ones.
  std::vector<Vector> mainPoints;
  for (const MainPattern& m : mains) mainPoints.push_back(m.fastMean);
  const int32_t fastWanted = static_cast<int32_t>((mains.size() + kMainPerFast - 1) / kMainPerFast);
  const std::vector<int32_t> fastOf = Cluster(mainPoints, fastWanted);
  const int32_t fastCount = mains.empty() ? 0 : *std::max_element(fastOf.begin(), fastOf.end()) + 1;
  std::vector<RangePattern> fasts(fastCount);
  std::vector<Vector> fastPoints(fastCount, Vector(12, 0));
  for (int32_t f = 0; f < fastCount; ++f) {
    RangePattern& p = fasts[f];
    std::vector<const uint8_t*> vectors;
    Vector veryFast(12, 0);
    for (size_t m = 0; m < mains.size(); ++m) {
      if (fastOf[m] != f) continue;
      p.members.push_back(m);
      for (size_t i : mains[m].members) {
        vectors.push_back(samples[i].fast);
        for (int k = 0; k < 12; ++k) veryFast[k] += samples[i].veryFast[k];
      }
    }
    for (int32_t& v : veryFast) v /= static_cast<int32_t>(vectors.size());
    fastPoints[f] = veryFast;
    p.pairs.resize(80);
    MakePairs<40>(vectors, p.pairs.data());
    p.limit = LimitOf(vectors, p.pairs.data(), 40);
  }
  const int32_t veryFastWanted = (fastCount + kFastPerVeryFast - 1) / kFastPerVeryFast;
  const std::vector<int32_t> veryFastOf = Cluster(fastPoints, veryFastWanted);
  const int32_t veryFastCount = fasts.empty() ? 0 : *std::max_element(veryFastOf.begin(), veryFastOf.end()) + 1;

  // Lay the levels out so that every range is contiguous: very-fast
  // pattern by pattern, its fast patterns in order, their main patterns in
  // order.
  std::string mainText, fastText, veryFastText;
  int32_t mainAt = 0, fastAt = 0;
  for (int32_t v = 0; v < veryFastCount; ++v) {
    const int32_t fastFirst = fastAt;
    std::vector<const uint8_t*> vfVectors;
    for (int32_t f = 0; f < fastCount; ++f) {
      if (veryFastOf[f] != v) continue;
      const int32_t mainFirst = mainAt;
      for (size_t m : fasts[f].members) {
        const MainPattern& p = mains[m];
        for (size_t i : p.members) vfVectors.push_back(samples[i].veryFast);
        const int32_t words[11] = {0, 0, 0, 0, p.typical, p.flags, 0, 0, 0, 0, 0};
        mainText += std::string(mainText.empty() ? "\n" : ",\n") + "  {\"words\": " + Ints(words, 11) +
                    ", \"character\": " + std::to_string(p.code) + ", \"features\": \"" +
                    Hex(p.pairs, sizeof p.pairs) + "\", \"on\": 1}";
        ++mainAt;
      }
      const int32_t words[5] = {mainFirst, mainAt, fasts[f].limit, 0, 0};
      fastText += std::string(fastText.empty() ? "\n" : ",\n") + "  {\"words\": " + Ints(words, 5) +
                  ", \"features\": \"" + Hex(fasts[f].pairs.data(), 80) + "\", \"on\": 1}";
      ++fastAt;
    }
    uint8_t pairs[24];
    MakePairs<12>(vfVectors, pairs);
    const int32_t words[5] = {fastFirst, fastAt, LimitOf(vfVectors, pairs, 12), 0, 0};
    veryFastText += std::string(veryFastText.empty() ? "\n" : ",\n") + "  {\"words\": " + Ints(words, 5) +
                    ", \"features\": \"" + Hex(pairs, 24) + "\", \"on\": 1}";
  }
  auto list = [](const std::string& items) { return items.empty() ? std::string("[]") : "[" + items + "\n ]"; };
  return "{\n \"header\": {\"word0\": 0, \"word2\": 0, \"unused\": \"" + std::string(160, '0') +
         "\"},\n \"classes\": " + list(classes) + ",\n \"main\": " + list(mainText) + ",\n \"fast\": " +
         list(fastText) + ",\n \"veryFast\": " + list(veryFastText) + "\n}\n";
}

}  // namespace textrefs
