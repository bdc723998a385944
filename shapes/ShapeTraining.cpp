#include "shapes/ShapeTraining.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pages/ImageFiles.h"
#include "pages/SpriteArea.h"
#include "pages/StoreFileBytes.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"
#include "shapes/FeatureMatch.h"
#include "shapes/NotationGroups.h"
#include "shapes/RunDescription.h"
#include "shapes/TemplateRefinement.h"
#include "shapes/ZoneFeatureRecordHeader.h"

namespace {

enum : unsigned {
  kTextSyntaxError = 11672,     // keyword, first, second, field, line
  kTextMalformedLine = 11673,   // file, line
  kTextNoClosingLine = 11674,   // file
  kTextSampleTooLarge = 11675,  // sample
  kTextGroupTooLarge = 11676,   // sample
  kTextSampleUnusable = 11677,  // sample, reason
  kTextNotOneBit = 11678,
};

constexpr size_t kTrainingTextLimit = 8u << 20;
constexpr int kTrainingDpi = 200;

const char16_t* Wide(const std::string& s) { return AnsiToWide(s.c_str()); }

// Line by line over a text, each line without its end; bounded.
class LineReader {
 public:
  explicit LineReader(const std::string& text) : text_(text) {}
  // False at the end of the text.
  bool Next(std::string* line) {
    if (at_ >= text_.size()) return false;
    size_t end = text_.find('\n', at_);
    if (end == std::string::npos) end = text_.size();
    size_t stop = end;
    if (stop > at_ && text_[stop - 1] == '\r') --stop;
    line->assign(text_, at_, stop - at_);
    at_ = end + 1;
    return true;
  }
  size_t Mark() const { return at_; }
  void Reset(size_t mark) { at_ = mark; }

 private:
  const std::string& text_;
  size_t at_ = 0;
};

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
int Hex2(const char* p) {
  const int h = HexDigit(p[0]), l = HexDigit(p[1]);
  return h < 0 || l < 0 ? -1 : h * 16 + l;
}

// A whole decimal number 0..65535, else -1.
int Decimal(const char* s) {
  if (!*s) return -1;
  long v = 0;
  for (; *s; ++s) {
    if (*s < '0' || *s > '9') return -1;
    v = v * 10 + (*s - '0');
    if (v > 65535) return -1;
  }
  return static_cast<int>(v);
}

// Reports the line and gives false.
bool ReportMalformed(const char16_t* file, const std::string& line) {
  char16_t copy[512];
  FormatWide(copy, 512, u"%s", Wide(line.substr(0, 400)));
  MessageById(nullptr, kTextMalformedLine, file, copy);
  return false;
}

// Reports a list that is malformed (badLine) or not closed (badLine empty).
bool ReportList(const char16_t* file, const std::string& badLine) {
  if (!badLine.empty()) return ReportMalformed(file, badLine);
  MessageById(nullptr, kTextNoClosingLine, file);
  return false;
}

// ---- Sections of "XxX.txt" and "NotesXxX.txt" ----

struct SectionGrid {
  const char* name;
  ZoneGrid grid;
  const char16_t* folder;
};
constexpr SectionGrid kSectionGrids[] = {
    {"16x32", ZoneGrid::k16x32, u"Symb16x32"}, {"8x32", ZoneGrid::k8x32, u"Symb8x32"},
    {"16x16", ZoneGrid::k16x16, u"Symb16x16"}, {"8x16", ZoneGrid::k8x16, u"Symb8x16"},
    {"8x8", ZoneGrid::k8x8, u"Symb8x8"},
};
constexpr int kSections = 5;

struct Section {
  const SectionGrid* grid = nullptr;
  std::vector<std::string> samples;  // the sample lines, comments left out
};

// The five sections; false (reported) on a malformed file.
bool ReadSections(const std::string& text, const char16_t* file, std::vector<Section>* sections) {
  LineReader reader(text);
  std::string line;
  sections->clear();
  for (int s = 0; s < kSections; ++s) {
    bool found = false;
    while (reader.Next(&line)) {
      if (line.size() > kTrainingLineMax) return ReportList(file, line);
      if (!line.empty() && line[0] == '>') {
        found = true;
        break;
      }
    }
    if (!found) return ReportList(file, std::string());
    Section section;
    for (const SectionGrid& g : kSectionGrids) {
      if (line.find(g.name) != std::string::npos) {
        section.grid = &g;
        break;
      }
    }
    if (!section.grid) return ReportList(file, line);
    bool closed = false;
    bool first = true;
    while (reader.Next(&line)) {
      if (line.size() > kTrainingLineMax) return ReportList(file, line);
      // Blank lines carry no sample and change nothing around them.
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      if (first && line[0] == 'X') {
        closed = true;
        break;
      }
      first = false;
      if (line[0] == '|') {
        closed = true;
        break;
      }
      if (line[0] == '-') continue;
      section.samples.push_back(line);
    }
    if (!closed) return ReportList(file, std::string());
    sections->push_back(std::move(section));
  }
  return true;
}

// The header of one sample line; syntax errors are reported and skipped.
// False (reported) when the line itself is malformed.
bool ReadSampleLine(const std::string& line, const char16_t* file, const SectionGrid& grid, const TypeList& types8,
                    const TypeList& types16, bool notation, std::string* name, SampleHeader* header) {
  char field[kFieldMax + 1];
  int at = NextLineField(line.c_str(), 0, field, sizeof field);
  if (at < 0) return ReportMalformed(file, line);
  *name = field;
  *header = SampleHeader{};
  if (grid.grid == ZoneGrid::k8x8 || grid.grid == ZoneGrid::k8x16) {
    const TypeList& list = grid.grid == ZoneGrid::k8x8 ? types8 : types16;
    // The whole name, else the part before its first '.': many samples of
    // one type ("TrebleClef.1", "TrebleClef.2" ...) share one list entry.
    int code = list.Find(field);
    if (char* dot = std::strchr(field, '.'); code < 0 && dot) {
      *dot = 0;
      code = list.Find(field);
    }
    if (code >= 0) header->bytes[0] = static_cast<uint8_t>(code);
  }
  for (;;) {
    at = NextLineField(line.c_str(), at, field, sizeof field);
    if (at == -1) break;
    if (at == -2) return ReportMalformed(file, line);
    if (ApplySampleKeyword(field, types16, notation, header)) continue;
    char keyword[kFieldMax + 1] = "", first[kFieldMax + 1] = "", second[kFieldMax + 1] = "";
    ParseKeywordField(field, keyword, sizeof keyword, first, sizeof first, second, sizeof second);
    char16_t k[300], f[300], s[300], fl[300], ln[600];
    FormatWide(k, 300, u"%s", Wide(keyword));
    FormatWide(f, 300, u"%s", Wide(first));
    FormatWide(s, 300, u"%s", Wide(second));
    FormatWide(fl, 300, u"%s", Wide(field));
    FormatWide(ln, 600, u"%s", Wide(line.substr(0, 500)));
    MessageById(nullptr, kTextSyntaxError, k, f, s, fl, ln);
  }
  return true;
}

// Resolution held at the training value for one run.
class TrainingResolution {
 public:
  TrainingResolution() : saved_(TrainingImageResolution()) { TrainingImageResolution() = kTrainingDpi; }
  ~TrainingResolution() { TrainingImageResolution() = saved_; }

 private:
  int saved_;
};

struct TypeLists {
  TypeList types8, types16;
};

bool ReadTypeLists(TrainingInputs& inputs, TypeLists* lists) {
  std::string text, bad;
  if (!inputs.ReadText(u"8x8Types.txt", &text)) return false;
  if (!ParseTypeList(text, &lists->types8, &bad)) return ReportList(u"8x8Types.txt", bad);
  if (!inputs.ReadText(u"8x16Types.txt", &text)) return false;
  if (!ParseTypeList(text, &lists->types16, &bad)) return ReportList(u"8x16Types.txt", bad);
  return true;
}

bool LoadUsableSample(TrainingInputs& inputs, const SectionGrid& grid, const std::string& name, SampleBitmap* bitmap) {
  if (!inputs.LoadSample(grid.folder, name, bitmap)) return false;
  if (bitmap->width < 1 || bitmap->height < 1 || bitmap->width > kZoneMaxSize || bitmap->height > kZoneMaxSize) {
    MessageById(nullptr, kTextSampleTooLarge, Wide(name));
    return false;
  }
  return true;
}

void PutU16(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  (*out)[at] = static_cast<uint8_t>(v);
  (*out)[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PushU32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

int TypeList::Find(const char* name) const {
  for (const auto& e : entries)
    if (EqualNoCase(e.second.c_str(), name)) return e.first;
  return -1;
}

int NextLineField(const char* line, int position, char* field, size_t capacity) {
  if (position < 0 || capacity == 0) return -1;
  int at = position;
  while (line[at] == ' ' || line[at] == '\t') ++at;
  if (!line[at]) return -1;
  size_t n = 0;
  const int start = at;
  while (line[at] && line[at] != ' ' && line[at] != '\t') ++at, ++n;
  if (n >= capacity) return -2;
  std::memcpy(field, line + start, n);
  field[n] = 0;
  return at;
}

int ParseKeywordField(const char* field, char* keyword, size_t keywordCapacity, char* first, size_t firstCapacity,
                      char* second, size_t secondCapacity) {
  auto copy = [](const char* from, size_t n, char* to, size_t capacity) {
    if (n >= capacity) return false;
    std::memcpy(to, from, n);
    to[n] = 0;
    return true;
  };
  size_t k = 0;
  while (field[k] && field[k] != ':' && field[k] != ' ') ++k;
  if (!copy(field, k, keyword, keywordCapacity)) return -1;
  if (firstCapacity) first[0] = 0;
  if (secondCapacity) second[0] = 0;
  if (field[k] != ':') return 0;
  const char* p = field + k + 1;
  size_t a = 0;
  while (p[a] && p[a] != '-' && p[a] != '/' && p[a] != ' ') ++a;
  if (!copy(p, a, first, firstCapacity)) return -1;
  if (p[a] != '-' && p[a] != '/') return 1;
  const char* q = p + a + 1;
  size_t b = 0;
  while (q[b] && q[b] != ' ') ++b;
  if (!copy(q, b, second, secondCapacity)) return -1;
  return 2;
}

bool ApplySampleKeyword(const char* field, const TypeList& types16, bool notation, SampleHeader* header) {
  char keyword[kFieldMax + 1], a[kFieldMax + 1], b[kFieldMax + 1];
  const int values = ParseKeywordField(field, keyword, sizeof keyword, a, sizeof a, b, sizeof b);
  if (values < 0) return false;
  uint8_t* h = header->bytes;
  auto is = [&](const char* name, int want) { return EqualNoCase(keyword, name) && values == want; };
  auto add = [&](int byte, int v) { h[byte] = static_cast<uint8_t>(h[byte] + v); };
  // Context rows: the 8 x 16 code of the named type; one row serves both lists.
  if (is("BLSM", 1) || is("BRSM", 1)) {
    const int code = types16.Find(a);
    if (code < 0 || code > 255) return false;
    if (h[7] != 0 && h[7] != code) return false;  // the two lists name one row
    SetZoneHeaderContextRow(h, code);
    return true;
  }
  if (is("NDST", 0)) return add(3, 8), true;
  if (is("WHAB", 0)) return add(3, 1), true;
  if (is("MSTN", 0)) return add(3, 2), true;
  if (is("XINC", 0)) return add(3, 4), true;
  if (is("RMOV", 0)) return add(3, 16), true;
  if (is("OVDC", 0)) return add(3, 32), true;
  if (is("DBLW", 0)) return add(5, 1), true;
  if (notation && is("SEMB", 0)) return add(5, 128), true;
  const int p = Decimal(a), q = Decimal(b);
  if (values >= 1 && p < 0) return false;
  if (values == 2 && q < 0) return false;
  if (is("YPOS", 1)) return p <= 15 ? (add(1, p), true) : false;
  if (is("PART", 2)) {
    // Piece p of q: bits 4-5 the piece, bits 6-7 the last piece's number.
    if (p < 1 || p > 4 || q < 1 || q > 4) return false;
    add(1, (4 * q + p - 5) * 16);
    header->part = p - 1;
    return true;
  }
  if (is("LBNA", 1)) return add(2, p), true;
  if (is("RBNA", 1)) return add(2, 4 * p), true;
  if (is("LBNB", 1)) return add(2, 8 * p), true;
  if (is("RBNB", 1)) return add(2, p), true;
  if (is("PCRM", 1)) return add(2, 16 * p), true;
  if (is("ERBN", 1)) return p <= 3 ? (add(3, 64 * p), true) : false;
  if (is("YDSP", 2)) return p <= 15 && q <= 15 ? (add(4, 16 * q + p), true) : false;
  if (is("OVPR", 1)) return p <= 7 ? (add(5, 2 * p), true) : false;
  if (is("CONF", 1)) return p <= 7 ? (add(5, 16 * p), true) : false;
  // Match tuning (byte 6): the weight reduction, and the columns an 8 x 16
  // comparison leaves out (first column flag, last columns).
  if (is("WRED", 1)) {
    return SetZoneHeaderMatchTuning(h, p, ZoneHeaderExcludesFirstColumn(h), ZoneHeaderExcludedLastColumns(h));
  }
  if (is("XCOL", 2)) {
    if (p > 1) return false;
    return SetZoneHeaderMatchTuning(h, 100 - ZoneHeaderWeight(h), p == 1, q);
  }
  if (notation && is("TYPF", 1)) return p <= 255 ? (header->typf = p, true) : false;
  if (notation && is("BLCK", 1)) return p <= 100 ? (header->darkness = p, true) : false;
  return false;
}

bool ParseTypeList(const std::string& text, TypeList* list, std::string* badLine) {
  LineReader reader(text);
  std::string line;
  TypeList out;
  badLine->clear();
  while (reader.Next(&line)) {
    if (line.size() > kTypeListLineMax) return *badLine = line, false;
    if (!line.empty() && line[0] == '<') {
      *list = std::move(out);
      return true;
    }
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    const int code = line.size() >= 3 ? Hex2(line.c_str()) : -1;
    std::string name = line.size() > 3 ? line.substr(3) : std::string();
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    if (code < 0 || name.empty() || name.size() > static_cast<size_t>(kTypeNameMax) ||
        static_cast<int>(out.entries.size()) >= kTypeListMax)
      return *badLine = line, false;
    out.entries.emplace_back(code, name);
  }
  return false;
}

bool ParseContextLists(const std::string& text, std::vector<ContextRow>* left, std::vector<ContextRow>* right,
                       std::string* badLine) {
  LineReader reader(text);
  std::string line;
  badLine->clear();
  bool started = false;
  while (reader.Next(&line)) {
    if (!line.empty() && line[0] == '>') {
      started = true;
      break;
    }
  }
  if (!started) return false;
  std::vector<ContextRow> lists[2];
  for (int list = 0; list < 2; ++list) {
    bool closed = false;
    while (reader.Next(&line)) {
      if (line.size() > kTrainingLineMax) return *badLine = line, false;
      if (!line.empty() && line[0] == '>') {
        closed = true;
        break;
      }
      if (static_cast<int>(lists[list].size()) >= kContextMaxRows) return *badLine = line, false;
      ContextRow row{};
      // A blank line is an empty row: the rows after it keep their numbers.
      if (line.find_first_not_of(" \t") == std::string::npos) {
        lists[list].push_back(row);
        continue;
      }
      size_t at = 4;
      int entries = 0;
      for (;;) {
        if (at >= line.size()) return *badLine = line, false;  // a row ends with '<'
        if (line[at] == '<') break;
        if (entries >= kContextRowEntries || line.size() < at + 9) return *badLine = line, false;
        const int type = Hex2(&line[at]), reach = Hex2(&line[at + 3]), bonus = Hex2(&line[at + 6]);
        if (type < 0 || reach < 0 || bonus < 0) return *badLine = line, false;
        row[entries++] = {static_cast<uint16_t>(type), static_cast<uint16_t>(reach), static_cast<uint16_t>(bonus)};
        at += 9;
      }
      lists[list].push_back(row);
    }
    if (!closed) return false;
  }
  *left = std::move(lists[0]);
  *right = std::move(lists[1]);
  return true;
}

bool ComputeTrainingRecords(const uint8_t* bits, int width, int height, int stride, const ZoneGridParameters& p,
                            uint8_t* records) {
  if (width < 1 || height < 1 || width > kZoneMaxSize || height > kZoneMaxSize || stride < 0) return false;
  const ZoneStepTable& table = GetZoneStepTable();
  const size_t rowBytes = (static_cast<size_t>(stride) + 1) * 4;
  const int recordBytes = ZoneFeatureRecordBytes(p);
  struct Offset {
    int dx, dy;
    bool white;
  };
  const Offset offsets[kSampleGroupRecords] = {
      {0, 0, false},
      {-(width / 16), height / 16, false},
      {-(width / 16), -(height / 16), false},
      {0, height / 8, false},
      {0, -(height / 8), false},
      {0, -(height / 8), false},
      {0, -(height / 8), false},
      {0, -(height / 8), true},
  };
  for (int r = 0; r < kSampleGroupRecords; ++r) {
    uint8_t* record = records + r * recordBytes;
    if (r > 0) std::memcpy(record, records, kZoneHeaderBytes);
    uint8_t* cells = record + kZoneHeaderBytes;
    std::memset(cells, 0, PackedCellBytes(p));
    const Offset& o = offsets[r];
    for (int row = 0; row < p.rows; ++row) {
      for (int col = 0; col < p.cols; ++col) {
        int count = 0;
        for (int s = row * p.cellHeight; s < (row + 1) * p.cellHeight; s += p.rowStep) {
          const int y = table.a[height][s] + o.dy;
          if (y < 0 || y >= height) continue;
          const uint8_t* line = bits + static_cast<size_t>(y) * rowBytes;
          for (int t = col * p.cellWidth; t < (col + 1) * p.cellWidth; t += p.columnStep) {
            const int x = table.a[width][t] + o.dx;
            if (x < 0 || x >= width) continue;
            const bool black = (line[x >> 3] >> (x & 7)) & 1;
            count += black != o.white;
          }
        }
        if (count > 15) count = 15;
        const int k = row * p.cols + col;
        cells[k / 2] = static_cast<uint8_t>(cells[k / 2] | (k % 2 ? count << 4 : count));
      }
    }
  }
  return true;
}

int& TrainingImageResolution() {
  static int dpi = 300;
  return dpi;
}

// ---- Inputs from the developer folder ----

namespace {

std::u16string InFolder(const char16_t* a, const char16_t* b = nullptr) {
  std::u16string path = DeveloperDataFolder();
  const char16_t sep = path.find(u'\\') != std::u16string::npos ? u'\\' : u'/';
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += sep;
  path += a;
  if (b) {
    path += sep;
    path += b;
  }
  return path;
}

}  // namespace

bool FolderTrainingInputs::ReadText(const char16_t* name, std::string* text) {
  const std::u16string path = InFolder(name);
  StoreBytes bytes;
  // A file that cannot be opened is reported by the file layer.
  if (LoadStoreFile(path.c_str(), kTrainingTextLimit, true, &bytes) != StoreLoad::kLoaded) return false;
  text->assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return true;
}

bool FolderTrainingInputs::LoadSample(const char16_t* folder, const std::string& name, SampleBitmap* out) {
  std::u16string file = AnsiToWide(name.c_str());
  file += u".bmp";
  const std::u16string path = InFolder(folder, file.c_str());
  uint32_t imageBytes = 0, width = 0, height = 0, depth = 0, dpi = 0;
  SpriteError* error = ReadImageFileInfo(path.c_str(), &imageBytes, &width, &height, &depth, &dpi, true);
  if (!error && depth != 1) error = FailSprite(kTextNotOneBit);
  if (!error && (width > kZoneMaxSize || height > kZoneMaxSize || width == 0 || height == 0)) {
    MessageById(nullptr, kTextSampleTooLarge, path.c_str());
    return false;
  }
  std::unique_ptr<uint8_t[]> area;
  if (!error) {
    // Sized from the image itself, not from the file.
    const uint64_t rows = PaddedRowBytes(width, 1) * height;
    const uint64_t size = SpriteAreaBytes(rows);
    area.reset(new (std::nothrow) uint8_t[size]);
    if (!area) {
      MessageById(nullptr, 10021);
      return false;
    }
    InitSpriteArea(area.get(), static_cast<uint32_t>(size));
    ImagePageIndex() = 0;
    error = LoadTiffPage(area.get(), path.c_str());
  }
  SpriteInfo info{};
  uint8_t* header = nullptr;
  if (!error) error = GetSpriteInfo(area.get(), kPageSpriteName, &info);
  if (!error) error = FindSprite(area.get(), kPageSpriteName, &header);
  if (!error && (info.width != width || info.height != height || SpriteBitsPerPixel(info.mode) != 1))
    error = FailSprite(kTextNotOneBit);
  if (error) {
    MessageById(nullptr, kTextSampleUnusable, path.c_str(), error->errorText);
    return false;
  }
  const size_t rowBytes = PaddedRowBytes(width, 1);
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->stride = static_cast<int>(rowBytes / 4 - 1);
  out->bits.assign(SpriteRows(area.get()), SpriteRows(area.get()) + rowBytes * height);
  return true;
}

// ---- "XxXData" ----

bool TrainShapeDatabase(TrainingInputs& inputs, ShapeDatabase* out) {
  TrainingResolution resolution;
  TypeLists lists;
  if (!ReadTypeLists(inputs, &lists)) return false;
  std::string text;
  if (!inputs.ReadText(u"XxX.txt", &text)) return false;
  std::vector<Section> sections;
  if (!ReadSections(text, u"XxX.txt", &sections)) return false;
  ShapeDatabase db;
  for (const Section& section : sections) {
    const ZoneGridParameters& p = GridParameters(section.grid->grid);
    const int g = static_cast<int>(section.grid->grid);
    const size_t groupBytes = static_cast<size_t>(ZoneFeatureRecordBytes(p)) * kSampleGroupRecords;
    for (const std::string& line : section.samples) {
      std::string name;
      SampleHeader header;
      if (!ReadSampleLine(line, u"XxX.txt", *section.grid, lists.types8, lists.types16, false, &name, &header))
        return false;
      SampleBitmap bitmap;
      if (!LoadUsableSample(inputs, *section.grid, name, &bitmap)) return false;
      if (section.grid->grid == ZoneGrid::k8x16 && header.bytes[0] < 128) {
        // A type's part count is the most pieces any of its samples was cut
        // into: a sample that happened to fit one window does not make the
        // others' pieces whole symbols. (Keeping the last sample's count
        // instead was measured end to end: a page of clef changes at 400 dpi
        // then read 86% of its notes right instead of all of them.)
        uint16_t& parts = db.ShapeTypePartTable[header.bytes[0]];
        parts = std::max<uint16_t>(parts, static_cast<uint16_t>(header.bytes[1] >> 6));
        db.ShapeTypeFlagTable[header.bytes[0]] = header.bytes[5] & 1u;
      }
      const size_t at = db.records[g].size();
      db.records[g].resize(at + groupBytes);
      std::memcpy(db.records[g].data() + at, header.bytes, kZoneHeaderBytes);
      if (!ComputeTrainingRecords(bitmap.bits.data(), bitmap.width, bitmap.height, bitmap.stride, p,
                                  db.records[g].data() + at))
        return false;
    }
  }
  if (!inputs.ReadText(u"LRSymLists.txt", &text)) return false;
  std::string bad;
  if (!ParseContextLists(text, &db.LeftContextList, &db.RightContextList, &bad)) return ReportList(u"LRSymLists.txt", bad);
  *out = std::move(db);
  return true;
}

// ---- "Notation" ----

bool TrainNotationGroups(TrainingInputs& inputs, NotationDatabase* out) {
  TrainingResolution resolution;
  TypeLists lists;
  if (!ReadTypeLists(inputs, &lists)) return false;
  std::string text;
  if (!inputs.ReadText(u"NotesXxX.txt", &text)) return false;
  std::vector<Section> sections;
  if (!ReadSections(text, u"NotesXxX.txt", &sections)) return false;
  NotationDatabase db;
  const ZoneGridParameters& p8 = GridParameters(ZoneGrid::k8x8);
  int groupType = -1, groupPart = -1;
  size_t groupStart = 0;
  uint32_t groupCount = 0;
  auto closeGroup = [&]() {
    if (groupType >= 0) PutU16(&db.groups, groupStart, static_cast<uint32_t>(db.groups.size() - groupStart));
  };
  for (const Section& section : sections) {
    for (const std::string& line : section.samples) {
      std::string name;
      SampleHeader header;
      if (!ReadSampleLine(line, u"NotesXxX.txt", *section.grid, lists.types8, lists.types16, true, &name, &header))
        return false;
      SampleBitmap bitmap;
      if (!LoadUsableSample(inputs, *section.grid, name, &bitmap)) return false;
      const int type = header.bytes[0];
      if (type != groupType || header.part != groupPart) {
        closeGroup();
        groupType = type;
        groupPart = header.part;
        groupStart = db.groups.size();
        groupCount = 0;
        const uint8_t head[] = {0, 0, static_cast<uint8_t>(header.typf), static_cast<uint8_t>(type),
                                kChunkHeader, static_cast<uint8_t>(kChunkHeaderLength)};
        db.groups.insert(db.groups.end(), head, head + sizeof head);
        db.groups.insert(db.groups.end(), header.bytes, header.bytes + kZoneHeaderBytes);
        const uint8_t tail[] = {0, 0, kChunkEnd, static_cast<uint8_t>(kChunkEndLength), 0, 0};
        db.groups.insert(db.groups.end(), tail, tail + sizeof tail);
        PushU32(&db.groups, 0);
        ++db.groupCount;
      }
      if (groupCount >= kMaxGroupDescriptions) {
        MessageById(nullptr, kTextGroupTooLarge, Wide(name));
        return false;
      }
      uint8_t grid[8 * 8];
      ComputeZoneDensityGrid(bitmap.bits.data(), bitmap.stride, 0, 0, bitmap.width, bitmap.height, 8, 8, grid);
      const size_t at = db.descriptions.size();
      db.descriptions.resize(at + ShapeRunDescriptionMaxBytes(p8.cols, p8.rows));
      BuildShapeRunDescription(grid, 8, 8, header.darkness, db.descriptions.data() + at);
      const uint32_t length = db.descriptions[at] | db.descriptions[at + 1] << 8 |
                              static_cast<uint32_t>(db.descriptions[at + 2]) << 16 |
                              static_cast<uint32_t>(db.descriptions[at + 3]) << 24;
      db.descriptions.resize(at + length);
      ++db.descriptionCount;
      PushU32(&db.groups, static_cast<uint32_t>(at));
      ++groupCount;
      // The count sits right before the offsets.
      const size_t countAt = db.groups.size() - 4 * (groupCount + 1);
      for (int i = 0; i < 4; ++i) db.groups[countAt + i] = static_cast<uint8_t>(groupCount >> (8 * i));
      db.NotationDarknessTable[type] = header.darkness;
    }
  }
  closeGroup();
  *out = std::move(db);
  return true;
}

bool TrainNotationDatabase(TrainingInputs& inputs, NotationDatabase* out) {
  NotationDatabase groups;
  if (!TrainNotationGroups(inputs, &groups)) return false;
  NotationDatabase refined;
  if (!ReportClassifierPerformance(groups, &refined, nullptr)) return false;
  *out = std::move(refined);
  return true;
}
