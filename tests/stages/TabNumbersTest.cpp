#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ShellFlags.h"
#include "reading/StaveGeometry.h"
#include "stages/TabNumbers.h"
#include "tests/reading/StavePageTables.h"
#include "tests/stages/DebugBoxHost.h"
#include "tests/stages/TextCharFixtures.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace {

// A page with one six-line tablature stave whose lines lie where the stave
// geometry puts them without a line table; characters from the rendered
// strips are set centred on a line, the line cleared behind them as
// engravers do.
struct TabFixture {
  static constexpr int kWidth = 480, kHeight = 200;
  std::vector<uint8_t> bits = std::vector<uint8_t>(size_t(kWidth / 8) * kHeight, 0);
  StaveRow rows[1];
  StavePage geometry;
  TabPage page;

  TabFixture() {
    StaveRow& r = rows[0];
    r.left = 20, r.right = 460, r.top = 40, r.bottom = 160, r.lineCount = 6, r.lineThickness = 1;
    r.kind = kTablatureStaveKind, r.number = 1;
    geometry.resolution = 300;
    for (int l = 0; l < 6; ++l)
      for (int x = r.left; x <= r.right; ++x) Set(x, LineY(l));
    page.bits = bits.data();
    page.strideWords = kWidth / 32;
    page.width = kWidth;
    page.height = kHeight;
    page.geometry = &geometry;
  }
  int LineY(int l) { return rows[0].top + StaveLineY(rows, 0, l, rows[0].left, geometry); }
  void Set(int x, int y, bool ink = true) {
    uint8_t& b = bits[size_t(y) * (kWidth / 8) + x / 8];
    b = ink ? uint8_t(b | 1u << (x % 8)) : uint8_t(b & ~(1u << (x % 8)));
  }
  // Sets text (characters of the strip, side by side two pixels apart)
  // centred on line l from column x.
  void Write(const GlyphStrip& strip, const std::string& text, int l, int x) {
    const int y = LineY(l);
    for (char c : text) {
      const GlyphStrip::Glyph* g = strip.Find(c);
      ASSERT_NE(g, nullptr) << c;
      const int w = g->x1 - g->x0, h = g->y1 - g->y0, top = y - h / 2;
      for (int dx = -2; dx < w + 2; ++dx) Set(x + dx, y, false);
      for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < w; ++dx)
          if (strip.Ink(g->x0 + dx, g->y0 + dy)) Set(x + dx, top + dy);
      x += w + 2;
    }
  }
  // (fret, step) of every record read, in order of step then x.
  std::vector<std::pair<int, int>> Read(std::vector<NoteRecord>* out = nullptr) {
    std::vector<NoteRecord> notes(kNoteListCapacity);
    uint32_t count = 0;
    EXPECT_EQ(ReadTabNumbers(page, LoadedTextChars(), rows, 1, 0, notes.data(), count, 0), 1);
    std::vector<std::pair<int, int>> frets;
    for (uint32_t i = 0; i < count; ++i) {
      EXPECT_EQ(notes[i].kind, kNoteTabNumber);
      frets.push_back({notes[i].fret, notes[i].step});
    }
    if (out) out->assign(notes.begin(), notes.begin() + count);
    return frets;
  }
};

TEST(TabNumbers, RenderedFretsGiveTheirNumbersAndStrings) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  Flags().abort = 0;
  struct Placement {
    std::string text;
    int line, x;
  };
  struct Case {
    const char* name;
    std::vector<Placement> placements;
    std::vector<std::pair<int, int>> frets;  // (fret, string counted from the lowest line 0)
  };
  const Case cases[] = {
      {"0", {{"0", 2, 100}}, {{0, 3}}},
      {"3", {{"3", 0, 200}}, {{3, 5}}},
      {"12", {{"12", 4, 150}}, {{12, 1}}},
      {"x", {{"x", 1, 100}}, {}},
      {"a 5/7 chord", {{"5", 1, 120}, {"7", 3, 120}}, {{5, 4}, {7, 2}}},
      {"a letter", {{"A", 2, 100}}, {}},
      {"32", {{"32", 2, 100}}, {}},
      {"1 then x", {{"1x", 3, 300}}, {{1, 2}}},
      {"a row", {{"2", 5, 60}, {"9", 5, 160}, {"10", 5, 260}}, {{2, 0}, {9, 0}, {10, 0}}},
  };
  // DejaVu, Liberation and the face LilyPond sets tablature numbers in.
  for (const char* face : {"dejavusans-5", "liberationsans-5", "c059bold-5"}) {
    const GlyphStrip digits = LoadGlyphStrip(face);
    const GlyphStrip letters = LoadGlyphStrip(std::string("letters-") + (face[0] == 'd' ? "dejavusans-5" : "liberationserif-5"));
    for (const Case& c : cases) {
      TabFixture fixture;
      for (const Placement& p : c.placements)
        fixture.Write(p.text == "A" ? letters : digits, p.text, p.line, p.x);
      std::vector<NoteRecord> notes;
      auto frets = fixture.Read(&notes);
      std::vector<std::pair<int, int>> expected = c.frets;
      std::sort(frets.begin(), frets.end());
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(frets, expected) << face << ": " << c.name;
      for (const NoteRecord& n : notes) {
        EXPECT_EQ(n.confidence, 100);
        EXPECT_EQ(n.origin, 6);
        EXPECT_EQ(n.aux, 2);
        EXPECT_EQ(n.space, 24);
        EXPECT_LT(n.left, n.right);
      }
    }
  }
}

// With the debug drawing on, each fret number read is outlined on the pages
// pane in the colour of its confidence; off, nothing is drawn.
TEST(TabNumbers, FretsReadAreOutlinedWhileDebugDrawingIsOn) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  Flags().abort = 0;
  const GlyphStrip digits = LoadGlyphStrip("dejavusans-5");
  for (bool on : {false, true}) {
    SCOPED_TRACE(on ? "on" : "off");
    DebugBoxHost host(on);
    TabFixture fixture;
    fixture.Write(digits, "12", 4, 150);
    fixture.Write(digits, "5", 1, 300);
    std::vector<NoteRecord> notes;
    ASSERT_EQ(fixture.Read(&notes).size(), 2u);
    if (!on) {
      EXPECT_TRUE(host.drawn.empty());
      EXPECT_EQ(host.locks, 0);
      continue;
    }
    ASSERT_EQ(host.drawn.size(), notes.size());
    EXPECT_EQ(host.locks, 2);
    for (size_t i = 0; i < notes.size(); ++i) {
      const DebugBoxHost::Drawn& d = host.drawn[i];
      EXPECT_EQ(d.surface, DebugSurface::kPagesPane);
      EXPECT_TRUE(d.locked);
      EXPECT_EQ(d.box.x0, notes[i].left);
      EXPECT_EQ(d.box.y0, notes[i].top);
      EXPECT_EQ(d.box.x1, notes[i].right);
      EXPECT_EQ(d.box.y1, notes[i].bottom);
      EXPECT_EQ(d.box.colour, 7);  // confidence 100
    }
  }
}

TEST(TabNumbers, TheSingleCharacterFormOnlyLooksForAnX) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  const GlyphStrip digits = LoadGlyphStrip("dejavusans-5");
  std::unique_ptr<TextMatchScratch, void (*)(TextMatchScratch*)> scratch(NewTextMatchScratch(), DeleteTextMatchScratch);
  struct Case {
    const char* text;
    bool singleChar;
    int result;
  };
  const Case cases[] = {{"x", true, kTabCross}, {"5", true, 0}, {"12", true, 0}, {"5", false, 5}, {"12", false, 12}};
  for (const Case& c : cases) {
    TabFixture fixture;
    fixture.Write(digits, c.text, 2, 100);
    const int y = fixture.LineY(2);
    TabDigits read;
    EXPECT_EQ(ReadTabDigits(fixture.page, LoadedTextChars(), *scratch, 99, y - 12, y + 12, y - 1, y + 1, 12.0, 2,
                            c.singleChar, &read),
              c.result)
        << c.text << " " << c.singleChar;
    EXPECT_EQ(read.confidence, c.result || !c.singleChar ? 100 : 0) << c.text;
  }
}

TEST(TabNumbers, TheUsersStopEndsTheStage) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  TabFixture fixture;
  fixture.Write(LoadGlyphStrip("dejavusans-5"), "5", 2, 100);
  std::vector<NoteRecord> notes(8);
  uint32_t count = 0;
  Flags().abort = 1;
  EXPECT_EQ(ReadTabNumbers(fixture.page, LoadedTextChars(), fixture.rows, 1, 0, notes.data(), count, 0), 0);
  Flags().abort = 0;
  EXPECT_EQ(count, 0u);
}

// A notation stave above a tablature stave, one group.
struct GroupFixture {
  StaveRow rows[2];
  std::vector<NoteRecord> notes;
  std::vector<SymbolRecord> symbols = std::vector<SymbolRecord>(kSymbolListCapacity);
  uint32_t symbolCount = 0;
  GroupFixture() {
    rows[0].left = 20, rows[0].right = 900, rows[0].top = 100, rows[0].bottom = 180, rows[0].lineCount = 5;
    rows[0].number = 1;
    rows[1].left = 20, rows[1].right = 900, rows[1].top = 240, rows[1].bottom = 360, rows[1].lineCount = 6;
    rows[1].number = 2, rows[1].kind = kTablatureStaveKind;
  }
  NoteRecord& Note(int stave, int left, uint32_t kind) {
    NoteRecord n{};
    n.stave = int16_t(stave), n.left = int16_t(left), n.right = int16_t(left + 20), n.kind = kind;
    notes.push_back(n);
    return notes.back();
  }
};

TEST(TabNumbers, TabNotesTakeTheValuesOfTheNoteAboveOrStayCrotchetsWithNone) {
  GroupFixture g;
  NoteRecord& above = g.Note(0, 100, kNoteMinim);
  above.dots = 1, above.beamed = 1, above.stemRight = 1;
  g.Note(1, 105, kNoteTabNumber);  // under the minim
  g.Note(1, 400, kNoteTabNumber);  // under nothing
  g.notes[2].countRight = 0;
  CopyNoteValuesToTabNotes(g.rows, 2, g.notes.data(), uint32_t(g.notes.size()), 0);
  EXPECT_EQ(g.notes[1].kind, kNoteMinim);
  EXPECT_EQ(g.notes[1].dots, 1);
  EXPECT_EQ(g.notes[1].beamed, 1u);
  EXPECT_EQ(g.notes[1].stemRight, 1u);
  EXPECT_EQ(g.notes[1].stemDown, 0u);
  EXPECT_EQ(g.notes[2].kind, kNoteQuaver);
  EXPECT_EQ(g.notes[2].countRight, 1u);
  EXPECT_EQ(g.notes[0].kind, kNoteMinim);  // the notation note is left alone
}

TEST(TabNumbers, ATabStaveWithoutRhythmGetsTheRestsAboveAndOneSymbolPerFreeNote) {
  GroupFixture g;
  SymbolRecord rest{};
  rest.type = kSymbolRestBase + kNoteCrotchet, rest.stave = 0, rest.left = 300, rest.right = 320;
  g.symbols[g.symbolCount++] = rest;
  g.Note(0, 100, kNoteCrotchet).dots = 1;  // over nothing on the tablature stave
  g.Note(0, 600, kNoteCrotchet);           // over a fret
  g.Note(1, 605, kNoteCrotchet);
  CopySymbolsToTabStaves(g.rows, 2, g.notes.data(), uint32_t(g.notes.size()), g.symbols.data(), g.symbolCount, 0, 300);
  ASSERT_EQ(g.symbolCount, 3u);
  // Sorted by stave and x: the rest above, then the tablature stave's two.
  EXPECT_EQ(g.symbols[0].stave, 0);
  EXPECT_EQ(g.symbols[1].stave, 1);
  EXPECT_EQ(g.symbols[1].type, kSymbolRestBase + kNoteCrotchet);
  EXPECT_EQ(g.symbols[1].left, 100);
  EXPECT_EQ(g.symbols[1].count, 1u);
  EXPECT_EQ(g.symbols[1].quality, -5);
  EXPECT_EQ(g.symbols[2].left, 300);  // the copied rest
  EXPECT_EQ(g.symbols[2].stave, 1);

  // A second call adds nothing: the stave has rhythm symbols now.
  CopySymbolsToTabStaves(g.rows, 2, g.notes.data(), uint32_t(g.notes.size()), g.symbols.data(), g.symbolCount, 0, 300);
  EXPECT_EQ(g.symbolCount, 3u);
}

}  // namespace

namespace {

// A bar and a half of guitar tablature engraved by LilyPond
// (tools/textchars/engrave_tab.py): its frets, bar lines and all.
TEST(TabNumbers, AnEngravedTablatureStaveGivesItsFrets) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  Flags().abort = 0;
  const GlyphStrip image = LoadGlyphStrip("../tab/tab");
  ASSERT_GT(image.width, 0);
  const std::vector<uint8_t> text = ReadBytes(SourcePath("tests/stages/fixtures/tab/tab.txt"));
  const std::string lines(text.begin(), text.end());
  int left = 0, top = 0, right = 0, bottom = 0, used = 0;
  ASSERT_EQ(std::sscanf(lines.c_str(), "stave %d %d %d %d%n", &left, &top, &right, &bottom, &used), 4);
  std::vector<std::pair<int, int>> expected;
  int fret, string, more;
  for (size_t at = size_t(used); std::sscanf(lines.c_str() + at, " fret %d %d%n", &fret, &string, &more) == 2;
       at += size_t(more))
    expected.push_back({fret, string});
  ASSERT_EQ(expected.size(), 11u);

  StaveRow rows[1];
  rows[0].left = int16_t(left), rows[0].right = int16_t(right), rows[0].top = int16_t(top);
  rows[0].bottom = int16_t(bottom), rows[0].lineCount = 6, rows[0].lineThickness = 2, rows[0].number = 1;
  rows[0].kind = kTablatureStaveKind, rows[0].midX = int16_t((left + right) / 2), rows[0].midTop = int16_t(top);
  rows[0].rightTop = int16_t(top);
  StavePageTables tables;
  std::vector<uint8_t> bits = image.bits;
  StavePage geometry = tables.Over(OneBitImage(bits.data(), image.width, image.height, size_t(image.rowBytes)));
  const StaveLookupState before = StaveLookup();
  StaveLookup() = StaveLookupState{true, false};
  ASSERT_TRUE(CalculateStavePositions(rows[0], 0, geometry));
  TabPage page;
  page.bits = bits.data();
  page.strideWords = image.rowBytes / 4;
  page.width = image.width;
  page.height = image.height;
  page.geometry = &geometry;
  std::vector<NoteRecord> notes(kNoteListCapacity);
  uint32_t count = 0;
  EXPECT_EQ(ReadTabNumbers(page, LoadedTextChars(), rows, 1, 0, notes.data(), count, 0), 1);
  StaveLookup() = before;
  std::vector<std::pair<int, int>> frets;
  for (uint32_t i = 0; i < count; ++i) frets.push_back({notes[i].fret, notes[i].step});
  std::sort(frets.begin(), frets.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(frets, expected);
}

}  // namespace
