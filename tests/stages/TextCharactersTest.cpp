#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileLayer.h"
#include "stages/TextCharacters.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"
#include "tests/stages/TextCharFixtures.h"

namespace {

// One record: the character and count components, each a paper blob seeded
// in the middle of the box.
std::vector<uint8_t> Record(char character, int components) {
  std::vector<uint8_t> r(kTextCharDefBytes, 0);
  r[0] = static_cast<uint8_t>(character);
  for (int k = 0; k < components && k < kTextCharComponentSlots; ++k) {
    uint8_t* c = &r[8 + kTextCharComponentBytes * k];
    c[0] = 6, c[1] = 10, c[2] = 6, c[3] = 10;  // seed
    c[5] = 16, c[7] = 16;                      // trace: the whole box
    c[21] = 17, c[23] = 17;                    // centre: anywhere
    for (int e = 0; e < 4; ++e) {
      c[24 + 12 * e + 1] = 100;
      c[24 + 12 * e + 3] = 100;
      c[24 + 12 * e + 5] = 255;
      c[24 + 12 * e + 7] = 255;
    }
  }
  r[769] = static_cast<uint8_t>(components);
  return r;
}

std::u16string WriteDefinitions(const ScratchFolder& folder, int32_t declared, const std::vector<std::vector<uint8_t>>& records,
                                size_t cut = 0) {
  std::vector<uint8_t> bytes = {uint8_t(declared), uint8_t(declared >> 8), uint8_t(declared >> 16),
                                uint8_t(uint32_t(declared) >> 24)};
  for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
  bytes.resize(bytes.size() - cut);
  const std::u16string path = folder.File(u"TextChrs");
  WriteTestFile(path, bytes);
  return path;
}

TEST(TextCharacters, LoadingCountsTheRecordsReadAndRefusesUnusableOnes) {
  struct Case {
    const char* name;
    int32_t declared;
    int records;
    size_t cut;
    int componentsOfSecond;
    int loaded;
    bool message;
  };
  const Case cases[] = {
      {"empty", 0, 0, 0, 1, 0, false},
      {"negative count", -1, 2, 0, 1, 0, false},
      {"truncated", 5, 3, 100, 1, 2, false},          // the third record is cut short
      {"count beyond the file", 9, 4, 0, 1, 4, false},
      {"exactly full", 220, 220, 0, 1, 220, false},
      {"one too many", 221, 221, 0, 1, 220, true},
      {"no components", 3, 3, 0, 0, 2, false},
      {"twelve components", 3, 3, 0, 12, 2, false},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < c.records; ++i) records.push_back(Record(i == 1 ? 'b' : 'a', i == 1 ? c.componentsOfSecond : 1));
    const std::u16string path = WriteDefinitions(folder, c.declared, records, c.cut);
    BoxRecorder boxes;
    EXPECT_EQ(LoadTextCharsFile(path.c_str()), c.loaded) << c.name;
    EXPECT_EQ(LoadedTextChars().count, c.loaded) << c.name;
    ASSERT_EQ(boxes.Boxes().size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(boxes.Boxes()[0].text, UiText(kTextTextDefinitionsFull));
    }
    for (int i = 0; i < LoadedTextChars().count; ++i) {
      const int components = LoadedTextChars().defs[i].componentCount;
      EXPECT_TRUE(components >= 1 && components <= kTextCharMaxComponents) << c.name;
    }
  }
}

TEST(TextCharacters, AMissingFileIsReportedAndLeavesNoDefinitions) {
  ScratchFolder folder;
  BoxRecorder boxes;
  EXPECT_EQ(LoadTextCharsFile(folder.File(u"TextChrs").c_str()), 0);
  EXPECT_EQ(LoadedTextChars().count, 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(u"TextChrs"), std::u16string::npos);

  // Matching with nothing loaded gives nothing.
  TextMatchScratch* scratch = NewTextMatchScratch();
  const uint8_t bits[4 * 8] = {};
  char result[2] = {'?', '?'};
  EXPECT_EQ(MatchTextChar(LoadedTextChars(), *scratch, TextImage{bits, 0, 8}, 0, 0, 8, 8, result, true, false), 0);
  EXPECT_EQ(result[0], 0);
  DeleteTextMatchScratch(scratch);
}

TEST(TextCharacters, TheShippedDefinitionsReadRenderedCharacters) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  TextMatchScratch* scratch = NewTextMatchScratch();
  const std::vector<std::string> strips = DigitStripNames();
  int read = 0, total = 0;
  for (const std::string& name : strips) {
    const GlyphStrip strip = LoadGlyphStrip(name);
    ASSERT_EQ(strip.glyphs.size(), name.rfind("lilypond", 0) == 0 ? 11u : 12u) << name;
    for (const GlyphStrip::Glyph& g : strip.glyphs) {
      char result[2];
      const int score = MatchTextChar(LoadedTextChars(), *scratch, strip.Image(), g.x0, g.y0, g.x1, g.y1, result,
                                      true, false);
      const bool one = (g.c == '1' || g.c == 'I') && (result[0] == '1' || result[0] == 'I');
      if (score >= 90 && (result[0] == g.c || one)) ++read;
      ++total;
      if (g.c == 'x') {
        char x[2];
        EXPECT_GE(MatchTextChar(LoadedTextChars(), *scratch, strip.Image(), g.x0, g.y0, g.x1, g.y1, x, true, true),
                  90) << name;
        EXPECT_EQ(x[0], 'x');
      }
    }
  }
  // The share read: a floor that tuning the definitions only raises.
  EXPECT_GE(read * 100 / total, 97) << read << " of " << total;
  DeleteTextMatchScratch(scratch);
}

TEST(TextCharacters, OnlyXAndAZeroHeightBoxAndAspectBoundsGiveNothingElse) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  TextMatchScratch* scratch = NewTextMatchScratch();
  const GlyphStrip strip = LoadGlyphStrip("dejavusans-7");
  const GlyphStrip::Glyph zero = strip.glyphs[0];
  ASSERT_EQ(zero.c, '0');
  char result[2];
  EXPECT_EQ(MatchTextChar(LoadedTextChars(), *scratch, strip.Image(), zero.x0, zero.y0, zero.x1, zero.y1, result, true,
                          false),
            100);
  EXPECT_EQ(result[0], '0');
  // Asking for "x" only never answers "0".
  MatchTextChar(LoadedTextChars(), *scratch, strip.Image(), zero.x0, zero.y0, zero.x1, zero.y1, result, true, true);
  EXPECT_NE(result[0], '0');
  // A box of no height, or of none wide, scores 0 for every definition.
  for (int i = 0; i < LoadedTextChars().count; ++i) {
    EXPECT_EQ(MatchTextCharDef(LoadedTextChars(), *scratch, strip.Image(), zero.x0, zero.y0, zero.x1, zero.y0, i, 0,
                               true),
              0);
    EXPECT_EQ(MatchTextCharDef(LoadedTextChars(), *scratch, strip.Image(), zero.x0, zero.y0, zero.x0, zero.y1, i, 0,
                               true),
              0);
  }
  // A box three times as wide as high is outside every digit's bounds.
  int zeroIndex = -1;
  for (int i = 0; i < LoadedTextChars().count; ++i)
    if (LoadedTextChars().defs[i].character == '0') zeroIndex = i;
  ASSERT_GE(zeroIndex, 0);
  const int h = zero.y1 - zero.y0;
  EXPECT_EQ(MatchTextCharDef(LoadedTextChars(), *scratch, strip.Image(), zero.x0, zero.y0, zero.x0 + 3 * h,
                             zero.y1, zeroIndex, 0, true),
            0);
  DeleteTextMatchScratch(scratch);
}

// A 32 x 32 image with a solid ink square in its middle (pixels 8..23).
struct SquareImage {
  uint8_t bits[32 * 4] = {};
  SquareImage() {
    for (int y = 8; y < 24; ++y)
      for (int x = 8; x < 24; ++x) bits[y * 4 + x / 8] |= uint8_t(1u << (x % 8));
  }
  TextImage Image() const { return TextImage{bits, 0, 32}; }
};

// A component slot of a record: ink or paper seeded in the middle.
void SetComponent(std::vector<uint8_t>& r, int k, bool ink, int policy) {
  uint8_t* c = &r[8 + kTextCharComponentBytes * k];
  c[72] = uint8_t((ink ? 1 : 0) | policy << 1);
}

TextCharTable TableOf(const std::vector<std::vector<uint8_t>>& records) {
  TextCharTable table;
  for (const auto& r : records) EXPECT_TRUE(ParseTextCharDef(r.data(), &table.defs[table.count++]));
  return table;
}

TEST(TextCharacters, ScoresFollowTheMissingPolicyAndCountAtMostThreeFailures) {
  SquareImage square;
  TextMatchScratch* scratch = NewTextMatchScratch();
  struct Case {
    const char* name;
    bool inkFirst;
    int policyFirst;
    int second;       // -1 none, else the policy of a paper component after it
    int bandFailures; // edges of the first component given an impossible closed band
    int score;
  };
  const Case cases[] = {
      {"ink found", true, 0, -1, 0, 100},
      {"paper missing, required", false, 0, -1, 0, 0},        // 200 div 2
      {"paper missing, optional", false, 2, -1, 0, 90},       // step 10
      {"paper missing, veto", false, 1, -1, 0, 0},
      {"ink and a missing optional paper", true, 0, 2, 0, 90},
      {"ink and a missing required paper", true, 0, 0, 0, 50},  // 200 div 4
      {"one failure", true, 0, -1, 1, 50},
      {"three failures", true, 0, -1, 3, -50},
      {"four failures count as three", true, 0, -1, 4, -50},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> r = Record('a', c.second >= 0 ? 2 : 1);
    SetComponent(r, 0, c.inkFirst, c.policyFirst);
    if (c.second >= 0) SetComponent(r, 1, false, c.second);
    for (int e = 0; e < c.bandFailures; ++e) r[8 + 24 + 12 * e + 0] = r[8 + 24 + 12 * e + 1] = 0;  // closed share 0..0
    const TextCharTable table = TableOf({r});
    EXPECT_EQ(MatchTextCharDef(table, *scratch, square.Image(), 0, 0, 32, 32, 0, -1000, true), c.score) << c.name;
  }
  // The tuning aid sees the blob the matcher traced: the square.
  std::vector<uint8_t> inkOnly = Record('i', 1);
  SetComponent(inkOnly, 0, true, 0);
  inkOnly[8 + 16] = 5;  // outermost edges of both scans
  TextComponentMeasure m;
  ASSERT_TRUE(MeasureTextCharComponent(TableOf({inkOnly}), *scratch, square.Image(), 0, 0, 32, 32, 0, 0, &m));
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.left, 8);
  EXPECT_EQ(m.right, 23);
  EXPECT_EQ(m.top, 8);
  EXPECT_EQ(m.bottom, 23);
  EXPECT_FALSE(MeasureTextCharComponent(TableOf({inkOnly}), *scratch, square.Image(), 0, 0, 32, 32, 0, 1, &m));
  // Outside the aspect bounds nothing is traced: 0.
  std::vector<uint8_t> wide = Record('w', 1);
  SetComponent(wide, 0, true, 0);
  wide[772] = 2, wide[773] = 1;  // at least twice as wide as high
  EXPECT_EQ(MatchTextCharDef(TableOf({wide}), *scratch, square.Image(), 0, 0, 32, 32, 0, 0, true), 0);
  DeleteTextMatchScratch(scratch);
}

TEST(TextCharacters, TheBestDefinitionWinsTiesByComponentsThenPriorityAndThePriorityPassComesFirst) {
  SquareImage square;
  TextMatchScratch* scratch = NewTextMatchScratch();
  auto ink = [](char ch, int components, int priority, int firstPass) {
    std::vector<uint8_t> r = Record(ch, components);
    for (int k = 0; k < components; ++k) SetComponent(r, k, true, k == 0 ? 0 : 2);
    r[768] = uint8_t(priority);
    r[776] = uint8_t(firstPass);
    return r;
  };
  // The second component repeats the first (the same blob cannot seed it): a
  // lower score for the two-component definitions.
  struct Case {
    const char* name;
    std::vector<std::vector<uint8_t>> records;
    bool priorityPass;
    char expected;
  };
  const Case cases[] = {
      {"equal score, higher priority later", {ink('a', 1, 1, 0), ink('b', 1, 2, 0)}, false, 'b'},
      {"equal score, lower priority later", {ink('a', 1, 2, 0), ink('b', 1, 1, 0)}, false, 'a'},
      {"first pass skipped without the priority pass", {ink('a', 1, 0, 1), ink('b', 1, 0, 0)}, false, 'b'},
      {"a full first-pass score ends the search", {ink('b', 1, 0, 0), ink('a', 1, 0, 1)}, true, 'a'},
  };
  for (const Case& c : cases) {
    const TextCharTable table = TableOf(c.records);
    char result[2];
    EXPECT_EQ(MatchTextChar(table, *scratch, square.Image(), 0, 0, 32, 32, result, c.priorityPass, false), 100)
        << c.name;
    EXPECT_EQ(result[0], c.expected) << c.name;
  }
  DeleteTextMatchScratch(scratch);
}

TEST(TextCharacters, NoLetterReadsAsACharacter) {
  ASSERT_GT(LoadShippedTextChars(), 0);
  TextMatchScratch* scratch = NewTextMatchScratch();
  for (const char* name : {"letters-dejavusans-5", "letters-liberationserif-5"}) {
    const GlyphStrip strip = LoadGlyphStrip(name);
    ASSERT_EQ(strip.glyphs.size(), 5u) << name;
    for (const GlyphStrip::Glyph& g : strip.glyphs) {
      char result[2];
      EXPECT_LT(MatchTextChar(LoadedTextChars(), *scratch, strip.Image(), g.x0, g.y0, g.x1, g.y1, result, true, false),
                90)
          << name << " " << g.c << " read as " << result[0];
    }
  }
  DeleteTextMatchScratch(scratch);
}

TEST(TextCharacters, MeanSlopeOfARun) {
  const TracePoint flat[] = {{0, 5, 0}, {4, 5, 0}, {8, 5, 0}};
  const TracePoint down[] = {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}};
  double angle = -1;
  EXPECT_EQ(MeanSlopeAngle(flat, 3, &angle), 1);
  EXPECT_DOUBLE_EQ(angle, 0.0);
  EXPECT_EQ(MeanSlopeAngle(down, 3, &angle), 1);
  EXPECT_NEAR(angle, 45.0, 1e-6);
  EXPECT_EQ(MeanSlopeAngle(down, 1, &angle), 0);
  EXPECT_DOUBLE_EQ(angle, 0.0);
}

}  // namespace
