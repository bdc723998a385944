// The shipped music font against the glyph table: every code has a glyph,
// the names are the program's own, the metrics cover the ink and the glyphs
// sit where the painters draw them (one world unit is 1/90 em).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/GlyphTable.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace {

struct Box {
  int xMin, yMin, xMax, yMax;
};

class Font {
 public:
  // Bytes too short for their table directory give a font with no tables.
  explicit Font(std::vector<uint8_t> bytes) : d_(std::move(bytes)) {
    const int count = d_.size() >= 12 ? U16(4) : 0;
    if (d_.size() < 12 + 16 * size_t(count)) return;
    for (int i = 0; i < count; ++i) {
      const size_t e = 12 + 16 * size_t(i);
      tables_[std::string(reinterpret_cast<const char*>(&d_[e]), 4)] = U32(e + 8);
    }
  }
  bool Has(const char* tag) const { return tables_.count(tag) != 0; }
  size_t Table(const char* tag) const { return tables_.at(tag); }
  int U16(size_t at) const { return (d_[at] << 8) | d_[at + 1]; }
  int S16(size_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(size_t at) const { return (uint32_t(U16(at)) << 16) | uint32_t(U16(at + 2)); }

  int Em() const { return U16(Table("head") + 18); }
  int FsType() const { return U16(Table("OS/2") + 8); }
  int WinAscent() const { return U16(Table("OS/2") + 74); }
  int WinDescent() const { return U16(Table("OS/2") + 76); }
  int AdvanceWidthMax() const { return U16(Table("hhea") + 10); }
  int LargestAdvance() const {
    const int metrics = U16(Table("hhea") + 34);
    int largest = 0;
    for (int i = 0; i < metrics; ++i) largest = std::max(largest, U16(Table("hmtx") + 4 * size_t(i)));
    return largest;
  }

  // Glyph index of a character through the (3,1) format 4 subtable; -1 when
  // there is no such subtable.
  int GlyphOf(int c) const {
    const size_t cmap = Table("cmap");
    const int n = U16(cmap + 2);
    for (int i = 0; i < n; ++i) {
      const size_t rec = cmap + 4 + 8 * size_t(i);
      if (U16(rec) != 3 || U16(rec + 2) != 1) continue;
      const size_t sub = cmap + U32(rec + 4);
      if (U16(sub) != 4) return -1;
      const int segs = U16(sub + 6) / 2;
      const size_t ends = sub + 14, starts = ends + 2 * segs + 2, deltas = starts + 2 * segs,
                   offsets = deltas + 2 * segs;
      for (int s = 0; s < segs; ++s) {
        if (c > U16(ends + 2 * s) || c < U16(starts + 2 * s)) continue;
        const int ro = U16(offsets + 2 * s);
        if (ro == 0) return (c + U16(deltas + 2 * s)) & 0xFFFF;
        const int g = U16(offsets + 2 * s + ro + 2 * (c - U16(starts + 2 * s)));
        return g ? (g + U16(deltas + 2 * s)) & 0xFFFF : 0;
      }
      return 0;
    }
    return -1;
  }
  // The glyph's box; false for an empty glyph.
  bool GlyphBox(int glyph, Box& box) const {
    const bool longOffsets = S16(Table("head") + 50) != 0;
    const size_t loca = Table("loca");
    const size_t from = longOffsets ? U32(loca + 4 * size_t(glyph)) : 2u * U16(loca + 2 * size_t(glyph));
    const size_t to = longOffsets ? U32(loca + 4 * size_t(glyph) + 4) : 2u * U16(loca + 2 * size_t(glyph) + 2);
    if (to <= from) return false;
    const size_t g = Table("glyf") + from;
    box = {S16(g + 2), S16(g + 4), S16(g + 6), S16(g + 8)};
    return S16(g) != 0;
  }
  std::vector<std::u16string> Names(int id) const {
    std::vector<std::u16string> out;
    const size_t name = Table("name");
    const int count = U16(name + 2);
    const size_t strings = name + U16(name + 4);
    for (int i = 0; i < count; ++i) {
      const size_t r = name + 6 + 12 * size_t(i);
      if (U16(r + 6) != id && id >= 0) continue;
      const int length = U16(r + 8);
      const size_t at = strings + U16(r + 10);
      std::u16string s;
      if (U16(r) == 3) {
        for (int k = 0; k + 1 < length; k += 2) s += char16_t(U16(at + k));
      } else {
        for (int k = 0; k < length; ++k) s += char16_t(d_[at + k]);
      }
      out.push_back(s);
    }
    return out;
  }

 private:
  std::vector<uint8_t> d_;
  std::map<std::string, size_t> tables_;
};

class MusicFontContractTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { BuildGlyphTable(); }
  MusicFontContractTest() : font(ReadBytes(SourcePath("resources/fonts/KORVLN__.TTF"))) {}
  // A font that cannot be read fails every test here instead of reading
  // past its bytes.
  void SetUp() override {
    for (const char* tag : {"head", "OS/2", "hhea", "hmtx", "cmap", "name", "glyf", "loca"})
      ASSERT_TRUE(font.Has(tag)) << "no \"" << tag << "\" table in the music font; is KV_SOURCE_DIR the source tree?";
  }
  Box BoxOf(const char* name) {
    Box b{};
    const GlyphRow* row = FindGlyph(name);
    EXPECT_NE(row, nullptr) << name;
    if (row) EXPECT_TRUE(font.GlyphBox(font.GlyphOf(row->code), b)) << name;
    return b;
  }
  double Units(int fontUnits) const { return fontUnits * 90.0 / font.Em(); }
  Font font;
};

TEST_F(MusicFontContractTest, EveryTableCodeHasAGlyphWithInk) {
  ASSERT_TRUE(font.Has("glyf"));
  ASSERT_EQ(GlyphTableCount(), 87);
  for (int i = 0; i < GlyphTableCount(); ++i) {
    const GlyphRow* row = GlyphTableRow(i);
    EXPECT_GE(row->code, 0x23) << row->name;
    EXPECT_LE(row->code, 0xB1) << row->name;
    const int glyph = font.GlyphOf(row->code);
    ASSERT_GT(glyph, 0) << row->name;
    Box b{};
    EXPECT_TRUE(font.GlyphBox(glyph, b)) << row->name;
  }
}

TEST_F(MusicFontContractTest, NamesAreTheProgramsOwn) {
  for (int id : {1, 4}) {
    const std::vector<std::u16string> names = font.Names(id);
    ASSERT_FALSE(names.empty());
    for (const std::u16string& n : names) EXPECT_EQ(n, u"Korvalinde Extra") << "name " << id;
  }
  for (const std::u16string& n : font.Names(-1)) {
    EXPECT_EQ(n.find(u"Emmentaler"), std::u16string::npos);
    EXPECT_EQ(n.find(u"Feta"), std::u16string::npos);
  }
  EXPECT_EQ(font.FsType(), 0);
}

TEST_F(MusicFontContractTest, StatedMaximumAdvanceHolds) {
  EXPECT_EQ(font.AdvanceWidthMax(), font.LargestAdvance());
}

TEST_F(MusicFontContractTest, WindowsMetricsCoverAllInk) {
  for (int i = 0; i < GlyphTableCount(); ++i) {
    Box b{};
    if (!font.GlyphBox(font.GlyphOf(GlyphTableRow(i)->code), b)) continue;
    EXPECT_LE(b.yMax, font.WinAscent()) << GlyphTableRow(i)->name;
    EXPECT_LE(-b.yMin, font.WinDescent()) << GlyphTableRow(i)->name;
  }
}

TEST_F(MusicFontContractTest, GlyphsSitWhereThePaintersDrawThem) {
  // The em is 15 staff spaces: 90 units, a staff space 6.
  for (const char* head : {"chead", "mhead", "xhead", "sbhead", "bhead"}) {
    const Box b = BoxOf(head);
    EXPECT_NEAR(Units(b.yMax), -Units(b.yMin), 0.2) << head;  // centred on the baseline
    if (std::string(head) != "bhead") EXPECT_NEAR(Units(b.yMax - b.yMin), 6.5, 1.2) << head;  // a staff space
  }
  // Heads with stems fill the column x .. x + 8; the others are centred on it.
  for (const char* head : {"chead", "mhead", "xhead"}) {
    const Box b = BoxOf(head);
    EXPECT_GE(Units(b.xMin), -0.1) << head;
    EXPECT_LE(Units(b.xMax), 8.05) << head;
  }
  for (const char* head : {"sbhead", "bhead"}) EXPECT_NEAR(Units(BoxOf(head).xMin + BoxOf(head).xMax), 8.0, 0.1);
  for (const char* accidental : {"sharp", "flat", "natural", "dsharp", "dflat", "natsharp", "natflat"})
    EXPECT_NEAR(Units(BoxOf(accidental).xMax), 7.0, 0.1) << accidental;
  for (const char* flag : {"flagu1", "flagu3", "flagu5"}) EXPECT_NEAR(Units(BoxOf(flag).yMax), -19.0, 0.1) << flag;
  EXPECT_NEAR(BoxOf("flagd1").yMin, 0, 2);
  const Box brace = BoxOf("bracket1");
  EXPECT_NEAR(brace.yMax / double(font.Em()), 0.181, 0.002);
  EXPECT_NEAR(brace.yMin / double(font.Em()), -0.181, 0.002);
}

}  // namespace
