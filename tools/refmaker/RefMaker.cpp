#include "tools/refmaker/RefMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Findhead.h"
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

void Canvas::Line(double row, int32_t thickness) {
  const int32_t y0 = static_cast<int32_t>(std::lround(row - (thickness - 1) / 2.0));
  FillRect(y0, 0, y0 + thickness, width);
}

int32_t LineThicknessFor(int32_t staffSpace) { return std::max(1, static_cast<int32_t>(std::lround(staffSpace / 10.0))); }

bool HeadGlyphFeatures(const GlyphImage& glyph, int32_t headClass, HeadPlace place, int32_t staffSpace,
                       int32_t lineThickness, int32_t dLeft, int32_t dRight, int32_t dRow,
                       uint8_t features[kEdgeFeatureCount]) {
  const int32_t margin = 2 * staffSpace;
  Canvas canvas(glyph.width + 2 * margin, glyph.height + 2 * margin);
  const int32_t centre = margin + glyph.originRow;
  const int32_t left = margin;
  const double half = staffSpace / 2.0;
  bool above = false, below = false;
  switch (place) {
    case HeadPlace::kLineBelow: canvas.Line(centre + half, lineThickness); break;
    case HeadPlace::kLineAbove: canvas.Line(centre - half, lineThickness); break;
    case HeadPlace::kOnLine:
    case HeadPlace::kOnLineInChord:
    case HeadPlace::kOnLineHeadAbove:
    case HeadPlace::kOnLineHeadBelow:
      canvas.Line(centre, lineThickness);
      canvas.Line(centre - staffSpace, lineThickness);
      canvas.Line(centre + staffSpace, lineThickness);
      break;
    default:
      canvas.Line(centre - half, lineThickness);
      canvas.Line(centre + half, lineThickness);
      break;
  }
  switch (place) {
    case HeadPlace::kOnLineInChord:
    case HeadPlace::kInSpaceInChord: above = below = true; break;
    case HeadPlace::kOnLineHeadAbove:
    case HeadPlace::kInSpaceHeadAbove: above = true; break;
    case HeadPlace::kOnLineHeadBelow:
    case HeadPlace::kInSpaceHeadBelow: below = true; break;
    default: break;
  }
  canvas.Stamp(glyph, centre, left + glyph.originColumn);
  if (above) canvas.Stamp(glyph, centre - staffSpace, left + glyph.originColumn);
  if (below) canvas.Stamp(glyph, centre + staffSpace, left + glyph.originColumn);
  // The finder's edges: the first ink column and the first white one after.
  HeadPatchBox box;
  if (!NoteheadPatchBox(ModelOfHeadClass(headClass), staffSpace * 1024, (centre + dRow) * 1024, left + dLeft,
                        left + glyph.width + dRight, &box))
    return false;
  std::vector<uint8_t> patch(static_cast<size_t>(box.rows) * box.columns, 0);
  for (int32_t y = 0; y < box.rows; ++y)
    for (int32_t x = 0; x < box.columns; ++x) {
      const int32_t cy = box.top + y, cx = box.left + x;
      if (cy >= 0 && cy < canvas.height && cx >= 0 && cx < canvas.width)
        patch[static_cast<size_t>(y) * box.columns + x] = canvas.pixels[static_cast<size_t>(cy) * canvas.width + cx];
    }
  ComputeEdgeFeatures(features, patch.data(), box.columns, box.rows);
  return true;
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

std::vector<NoteheadReference> MakeHeadReferences(const std::vector<HeadGlyphs>& glyphs,
                                                  const HeadReferenceOptions& options) {
  std::vector<NoteheadReference> out;
  for (const HeadGlyphs& set : glyphs) {
    for (int32_t p = 0; p < kHeadPlaceCount; ++p) {
      if (!options.places[p]) continue;
      ReferenceSamples samples;
      for (size_t i = 0; i < set.images.size() && i < set.staffSpaces.size(); ++i) {
        const int32_t s = set.staffSpaces[i];
        const int32_t j = options.edgeJitter;
        const int32_t shifts[][3] = {{0, 0, 0}, {-j, 0, 0}, {j, 0, 0}, {0, -j, 0}, {0, j, 0}, {0, 0, -j}, {0, 0, j}};
        for (const auto& d : shifts) {
          uint8_t f[kEdgeFeatureCount];
          if (HeadGlyphFeatures(set.images[i], set.headClass, static_cast<HeadPlace>(p), s, LineThicknessFor(s), d[0],
                                d[1], d[2], f))
            samples.Add(f);
        }
      }
      if (samples.count() == 0) continue;
      NoteheadReference r{};
      r.headClass = set.headClass;
      r.word1 = p;
      r.variant = 0;
      r.words3to5[0] = samples.count();
      const double floor = options.FloorOf(set.headClass);
      r.words3to5[1] = static_cast<int32_t>(std::lround(floor * 100));
      r.words3to5[2] = 0;
      samples.Make(r.edgeRefs, floor);
      out.push_back(r);
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

std::u16string HeadGlyphFile(const std::u16string& folder, const char* name, int32_t staffSpace) {
  const std::string file = std::string("head-") + name + "-" + std::to_string(staffSpace) + ".pbm";
  return folder + u"/" + std::u16string(file.begin(), file.end());
}

bool LoadHeadGlyphs(const std::u16string& folder, std::vector<HeadGlyphs>* out, std::string* error) {
  out->clear();
  for (const HeadGlyphSource& source : HeadGlyphSources()) {
    HeadGlyphs set;
    set.headClass = source.headClass;
    for (int32_t s : HeadReferenceStaffSpaces()) {
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

std::vector<MusicReference> MakeSymbolReferences(const std::vector<SymbolGlyphs>& glyphs,
                                                 const SymbolReferenceOptions& options) {
  std::vector<MusicReference> out;
  for (const SymbolGlyphs& set : glyphs) {
    ReferenceSamples samples(kMusicFeatureCount);
    double minW = 1e9, maxW = 0, minH = 1e9, maxH = 0;
    for (size_t i = 0; i < set.images.size() && i < set.staffSpaces.size(); ++i) {
      const GlyphImage& g = set.images[i];
      const int32_t s = set.staffSpaces[i];
      const int32_t trims[][4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
      for (const auto& trim : trims) {
        if (g.width - trim[0] - trim[2] < 2 || g.height - trim[1] - trim[3] < 2) continue;
        uint8_t f[kMusicFeatureCount];
        SymbolGlyphFeatures(g, s, trim, f);
        samples.Add(f);
      }
      minW = std::min(minW, 100.0 * g.width / s);
      maxW = std::max(maxW, 100.0 * g.width / s);
      minH = std::min(minH, 100.0 * g.height / s);
      maxH = std::max(maxH, 100.0 * g.height / s);
    }
    if (samples.count() == 0) continue;
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
    out.push_back(r);
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



bool ReadCalibration(const std::u16string& path, HeadReferenceOptions* heads, SymbolReferenceOptions* symbols,
                     std::string* error) {
  const std::string name(path.begin(), path.end());
  std::FILE* f = platform::OpenStream(path.c_str(), "rb");
  if (f == nullptr) {
    if (error != nullptr) *error = "calibration " + name + ": cannot be opened";
    return false;
  }
  HeadReferenceOptions h = *heads;
  SymbolReferenceOptions s = *symbols;
  char buffer[256];
  int line = 0;
  bool ok = true;
  while (ok && std::fgets(buffer, sizeof buffer, f) != nullptr) {
    ++line;
    std::string text(buffer);
    if (text.find('#') != std::string::npos) text.erase(text.find('#'));
    char key[64] = {};
    char extra[2] = {};
    int headClass = -1;
    double value = 0;
    if (std::sscanf(text.c_str(), " %63s", key) != 1) continue;  // blank or a comment
    const std::vector<int32_t>& searched = SearchedHeadClasses();
    if (std::string(key) == "head-spread-floor" &&
        std::sscanf(text.c_str(), " %*s %d %lf %1s", &headClass, &value, extra) == 2 &&
        std::find(searched.begin(), searched.end(), headClass) != searched.end() && value >= 3 && value <= 60) {
      h.classSpreadFloor[headClass] = value;
    } else if (std::string(key) == "symbol-spread-floor" &&
               std::sscanf(text.c_str(), " %*s %lf %1s", &value, extra) == 1 && value >= 3 && value <= 60) {
      s.spreadFloor = value;
    } else {
      if (error != nullptr)
        *error = "calibration " + name + " line " + std::to_string(line) +
                 ": expected \"head-spread-floor CLASS FLOOR\" (class 0, 1, 2 or 4) or \"symbol-spread-floor "
                 "FLOOR\", FLOOR from 3 to 60";
      ok = false;
    }
  }
  std::fclose(f);
  if (!ok) return false;
  *heads = h;
  *symbols = s;
  return true;
}

}  // namespace refmaker
