#include "benchmarks/ReadingBenchPages.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "tests/Code/Quorm/CurveArt.h"
#include "tools/refmaker/RefMaker.h"

namespace {

class GlyphBox {
 public:
  GlyphBox(const std::string& folder, int staffSpace) : folder_(folder), space_(staffSpace) {}

  // The glyph "sym-NAME-S" or "head-NAME-S"; null with error set when it cannot be read.
  const refmaker::GlyphImage* Get(const std::string& file, std::string* error) {
    auto it = glyphs_.find(file);
    if (it != glyphs_.end()) return &it->second;
    refmaker::GlyphImage image;
    const std::string path = folder_ + "/" + file + "-" + std::to_string(space_) + ".pbm";
    if (!refmaker::ReadGlyphImage(std::u16string(path.begin(), path.end()), &image, error)) return nullptr;
    return &(glyphs_[file] = std::move(image));
  }

 private:
  std::string folder_;
  int space_;
  std::map<std::string, refmaker::GlyphImage> glyphs_;
};

// Stamps the glyph with its origin at (y, x); the column past its ink.
int Stamp(SynthPage& page, const refmaker::GlyphImage& g, double y, int x) {
  const int top = static_cast<int>(std::lround(y)) - g.originRow;
  const int left = x - g.originColumn;
  for (int r = 0; r < g.height; ++r)
    for (int c = 0; c < g.width; ++c)
      if (g.Ink(r, c)) page.Set(top + r, left + c);
  return left + g.width;
}

// Key-signature steps below the top line of a treble stave (a bass stave's
// are two steps lower).
constexpr int kSharpSteps[] = {0, 3, -1, 2, 5, 1, 4};
constexpr int kFlatSteps[] = {4, 1, 5, 2, 6, 3, 7};

struct Drawer {
  SynthPage& page;
  StaffPainter& painter;
  GlyphBox& glyphs;
  int staff;
  int sp;
  std::string* error;
  bool ok = true;

  int Symbol(const std::string& name, int step, int x) {
    const refmaker::GlyphImage* g = glyphs.Get("sym-" + name, error);
    if (!g) {
      ok = false;
      return x;
    }
    return Stamp(page, *g, painter.StepY(staff, step, x), x);
  }
};

}  // namespace

bool DrawSynthesisedScore(const std::string& glyphFolder, const SynthesisedScore& score, SynthPage* page,
                          StaveLabels* truth, std::string* error) {
  const int sp = score.staffSpace;
  const int width = score.resolution * 827 / 100;    // A4: 8.27 x 11.69 inches
  const int height = score.resolution * 1169 / 100;
  *page = SynthPage(width, height);
  truth->clear();
  GlyphBox glyphs(glyphFolder, sp);
  StaffPainter painter(*page);
  std::mt19937 random(score.seed);
  const int margin = width / 12;
  const int staves = 9;
  const int thickness = std::max(2, sp / 9);
  for (int s = 0; s < staves; ++s) {
    SynthStaff staff;
    staff.top = height / 14 + s * (height * 11 / 12) / staves;
    staff.left = margin;
    staff.right = width - margin;
    staff.spacing = sp;
    staff.thickness = thickness;
    painter.AddStaff(staff);
    Drawer d{*page, painter, glyphs, s, sp, error};
    std::vector<std::string> labels;
    const bool bass = s % 3 == 2;
    const int shift = bass ? 2 : 0;

    int x = margin + sp;
    x = d.Symbol(bass ? "clef-F" : "clef-G", bass ? 2 : 6, x) + sp;
    labels.push_back(bass ? "clef-F" : "clef-G");
    const bool sharps = random() % 2 == 0;
    const int keyCount = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < keyCount; ++k)
      x = d.Symbol(sharps ? "sharp" : "flat", (sharps ? kSharpSteps[k] : kFlatSteps[k]) + shift, x) + sp / 4;
    labels.push_back(std::string(sharps ? "key-sharp-" : "key-flat-") + std::to_string(keyCount));
    x += sp;
    if (random() % 3 == 0) {
      x = d.Symbol("time-common", 4, x) + 2 * sp;
      labels.push_back("time-C");
    } else {
      static const int kUpper[] = {2, 3, 4, 6};
      static const int kLower[] = {4, 8};
      const int upper = kUpper[random() % 4];
      const int lower = kLower[random() % 2];
      const int a = d.Symbol("time-" + std::to_string(upper), 4, x);
      const int b = d.Symbol("time-" + std::to_string(lower), 8, x);
      x = std::max(a, b) + 2 * sp;
      labels.push_back("time-" + std::to_string(upper));
      labels.push_back("time-" + std::to_string(lower));
    }

    // Five bars of four places, each place four staff spaces wide.
    const int barWidth = 17 * sp;
    const int bars = std::min(5, (width - margin - x) / barWidth);
    for (int bar = 0; bar < bars; ++bar) {
      int slurFrom = -1;  // a slur over places 1 and 2 of some bars
      const bool slur = random() % 3 == 0;
      std::vector<std::pair<int, int>> heads;  // (x, step) of the heads
      for (int place = 0; place < 4; ++place) {
        const int px = x + sp + place * 4 * sp;
        const int what = static_cast<int>(random() % 10);
        if (what == 0 && !(slur && (place == 1 || place == 2))) {
          static const char* const kRests[] = {"rest-quarter", "rest-half", "rest-8", "rest-whole"};
          static const char* const kLabels[] = {"rest-4", "rest-2", "rest-8", "rest-1"};
          const int r = static_cast<int>(random() % 4);
          d.Symbol(kRests[r], r == 3 ? 2 : 4, px + sp);
          labels.push_back(kLabels[r]);
          continue;
        }
        const int step = 1 + static_cast<int>(random() % 7);  // inside the stave
        int hx = px + sp + sp / 2;
        if (what == 1 || what == 2 || what == 3) {
          static const char* const kAccidentals[] = {"sharp", "flat", "natural"};
          d.Symbol(kAccidentals[what - 1], step, px);
          labels.push_back(std::string("acc-") + kAccidentals[what - 1]);
        }
        const refmaker::GlyphImage* head = glyphs.Get("head-black", error);
        if (!head) return false;
        const double y = painter.StepY(s, step, hx);
        const int right = Stamp(*page, *head, y, hx);
        // Stems down on the left, so that slurs above the heads stay clear.
        page->FillRect(static_cast<int>(y), hx, static_cast<int>(y + 3.5 * sp), hx + thickness + 1);
        if (what == 4) {
          const int dotStep = step % 2 == 0 ? step - 1 : step;  // a head on a line: the space above
          d.Symbol("dot", dotStep, right + sp / 2);
          labels.push_back("dot");
        }
        heads.push_back({(hx + right) / 2, step});
        if (slur && place == 1) slurFrom = static_cast<int>(heads.size()) - 1;
      }
      if (slur && slurFrom >= 0 && slurFrom + 1 < static_cast<int>(heads.size())) {
        const auto a = heads[slurFrom];
        const auto b = heads[slurFrom + 1];
        SynthSlur curve;
        curve.x0 = a.first;
        curve.x1 = b.first;
        curve.y0 = painter.StepY(s, std::min(a.second, 0) - 2, a.first);
        curve.y1 = painter.StepY(s, std::min(b.second, 0) - 2, b.first);
        curve.y0 = curve.y1 = std::min(curve.y0, curve.y1);
        curve.bulge = -0.8 * sp;
        curve.endThickness = std::max(1.0, thickness * 0.6);
        curve.middleThickness = thickness * 1.6;
        DrawSlur(*page, curve);
        labels.push_back("slur");
      }
      x += barWidth;
      painter.BarLine(s, s, x, thickness + 1);
      labels.push_back("bar");
    }
    // The stave ends at its last bar line.
    for (int line = 0; line < staff.lines; ++line) painter.BreakLine(s, line, x + thickness + 2, staff.right);
    if (!d.ok) return false;
    truth->push_back(labels);
  }
  return true;
}
