// Reading whole rendered lines (fixtures/text) with the shipped data, bad
// lines read to the end (with references built from the rendered
// alphabets), leaning lines and the word-gap model the reader costs its
// lattices with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Textclas.h"
#include "tests/Code/Quorm/TextLineArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

class Readline : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartTextReading(folder, {"alphabet_serif", "capitals_serif"}, "Allegro ma non troppo sing a song of the morning rn tt\n"));
  }
  void TearDown() override { StopTextReading(); }

  std::string Read(const TextLineImage& image, int mode, LineReading* out = nullptr) {
    std::vector<uint32_t> block = BitmapBlockOf(image);
    LineReading result{};
    ReadTextLine(&result, block.data(), mode);
    if (out) *out = result;
    return TextOf(result);
  }
  EngineDataFolder folder;
};

TEST_F(Readline, BadLinesRunToTheEnd) {
  // A blank line, a blot, and 400 touching glyphs.
  EXPECT_EQ(Read(BlankLine(200, 40), 1), "");
  TextLineImage blot = BlankLine(300, 80);
  FillBox(blot, 10, 5, 290, 75);
  Read(blot, 1);
  TextLineImage rn;
  ASSERT_TRUE(LoadTextLine("rn_serif", &rn));
  const TextLineImage row = RepeatedLine(rn, 200, 8);
  // More pieces than the work lists hold: the line is cut to what fits.
  LineReading result{};
  Read(row, 1, &result);
  for (int32_t i = 0; i < result.wordCount; ++i) EXPECT_LE(result.words[i].x1, row.width);
  // More words than the segment ends list holds: the first 100 are kept.
  TextLineImage hq;
  ASSERT_TRUE(LoadTextLine("alphabet_serif", &hq));
  const GlyphTruth h = hq.glyphs[11];  // l: one piece
  const int32_t glyphWidth = h.lastColumn + 1 - h.firstColumn, pitch = glyphWidth + 40;
  TextLineImage many = BlankLine(150 * pitch + 10, hq.height);
  for (int32_t k = 0; k < 150; ++k)
    for (int32_t y = 0; y < hq.height; ++y)
      for (int32_t x = 0; x < glyphWidth; ++x)
        if (hq.Ink(h.firstColumn + x, y)) many.pixels[static_cast<size_t>(y) * many.width + 5 + k * pitch + x] = 1;
  Read(many, 1, &result);
  EXPECT_EQ(result.wordCount, 100);
  for (int32_t i = 0; i < result.wordCount; ++i) EXPECT_STREQ(result.words[i].text, "l");
  // Noise, a single pixel, a single row and letters too large to sample.
  TextLineImage noise = BlankLine(240, 60);
  uint32_t seed = 12345;
  for (uint8_t& pixel : noise.pixels) {
    seed = seed * 1103515245u + 12345u;
    pixel = (seed >> 16) % 100 < 30;
  }
  Read(noise, 0);
  TextLineImage dot = BlankLine(1, 1);
  FillBox(dot, 0, 0, 1, 1);
  Read(dot, 2);
  TextLineImage rule = BlankLine(1000, 1);
  FillBox(rule, 0, 0, 1000, 1);
  Read(rule, 3);
  TextLineImage large = BlankLine(600, 220);
  for (int32_t k = 0; k < 4; ++k) {
    FillBox(large, 10 + 140 * k, 10, 30 + 140 * k, 210);
    FillBox(large, 10 + 140 * k, 100, 120 + 140 * k, 120);
  }
  Read(large, 1);
  // A line read after them still reads.
  TextLineImage line;
  ASSERT_TRUE(LoadTextLine("words_serif", &line));
  EXPECT_EQ(Read(line, 1), line.text);
}

// The line with the white after glyph g (glyph truth, spaces left out) made
// `gap` columns wide: columns are put in or taken out right after its ink.
TextLineImage WithGapAfter(const TextLineImage& line, size_t g, int32_t gap) {
  const int32_t from = line.glyphs[g].lastColumn + 1;
  const int32_t old = line.glyphs[g + 1].firstColumn - from;
  const int32_t shift = gap - old;
  TextLineImage out = BlankLine(line.width + shift, line.height);
  for (int32_t y = 0; y < line.height; ++y)
    for (int32_t x = 0; x < line.width; ++x) {
      if (!line.Ink(x, y)) continue;
      const int32_t to = x < from ? x : x + shift;
      if (x >= from && x < from - shift) ADD_FAILURE() << "ink in the columns taken out";
      out.pixels[static_cast<size_t>(y) * out.width + to] = 1;
    }
  out.text = line.text;
  return out;
}

int32_t GapAfter(const TextLineImage& line, size_t g) {
  return line.glyphs[g + 1].firstColumn - line.glyphs[g].lastColumn - 1;
}

// Words are parted where the line's spacing parts them, read with
// everything shipped (references, language data, dictionary).
class ShippedLineWords : public Readline {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartShippedTextRecognition(folder));
  }
};

// Lines in the reference faces read right with everything shipped (the
// references, the language data and the dictionary a user has).
TEST_F(ShippedLineWords, ReadsRenderedWordsInTheReferenceFont) {
  const struct {
    const char* name;
    int mode;
  } cases[] = {{"words_serif", 1}, {"lyric_serif", 1}, {"hq_serif", 1},
               // Touching pairs: rn is not m, and ffi and tt come apart.
               {"rn_serif", 1}, {"ffi_serif", 1}, {"tt_serif", 1}};
  for (const auto& c : cases) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(c.name, &line));
    LineReading result{};
    const std::string text = Read(line, c.mode, &result);
    EXPECT_EQ(text, line.text) << c.name;
    // The reader's text height is the references' x-height within 10 per
    // cent (a lone pair of tall letters says less about it).
    const int32_t xHeight = MeasureReferenceLine("alphabet_serif").height;
    if (line.glyphs.size() > 3) {
      EXPECT_NEAR(result.textHeight, xHeight, xHeight / 10.0) << c.name;
    }
    for (int32_t i = 0; i < result.wordCount; ++i) {
      const ReadWordRecord& w = result.words[i];
      EXPECT_TRUE(w.x0 < w.x1 && w.y0 < w.y1 && w.x1 <= line.width && w.y1 <= line.height) << c.name;
    }
  }
}

TEST_F(ShippedLineWords, WordsArePartedAtTheLinesWordGaps) {
  const struct {
    const char* name;
    int mode;
  } cases[] = {{"words_serif", 1},      {"lyric_serif", 0},      {"lyric_liberation", 0},
               {"tempo_liberation_sans", 1}, {"lyric_sans", 0}, {"chords_serif", 2}};
  for (const auto& c : cases) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(c.name, &line));
    std::string expected;  // the text with its runs of spaces made one
    for (char ch : line.text)
      if (ch != ' ' || (!expected.empty() && expected.back() != ' ')) expected += ch;
    EXPECT_EQ(Read(line, c.mode), expected) << c.name;
  }
}

TEST_F(ShippedLineWords, GapsNarrowedOrWidenedPartTheWordsAnew) {
  // "sing a song of the morning": the space after "of" (glyph 10, f) made
  // as narrow as the white between its letters joins the two words.
  TextLineImage lyric;
  ASSERT_TRUE(LoadTextLine("lyric_serif", &lyric));
  const TextLineImage joined = WithGapAfter(lyric, 10, GapAfter(lyric, 9));
  EXPECT_EQ(Read(joined, 1), "sing a song ofthe morning");
  // "Allegro ma non troppo": the white after "All" (glyph 2) made as wide as
  // the space after "Allegro" (glyph 6) parts the word.
  TextLineImage words;
  ASSERT_TRUE(LoadTextLine("words_serif", &words));
  const TextLineImage parted = WithGapAfter(words, 2, GapAfter(words, 6));
  EXPECT_EQ(Read(parted, 1), "All egro ma non troppo");
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  for (char ch : text + " ") {
    if (ch != ' ') {
      word += ch;
    } else if (!word.empty()) {
      out.push_back(word);
      word.clear();
    }
  }
  return out;
}

bool SameLettersAnyCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Letters whose small and capital forms differ in size only (c o s v w x z)
// take the case their height tells: every word read with the right letters
// has them in the right case, small after capitals and capitals after small.
TEST_F(ShippedLineWords, SizeTellsTheCaseOfLettersAlikeInBothCases) {
  const struct {
    const char* name;
    int mode;
    size_t wordsRight;  // at least this many words read right, case and all
  } cases[] = {{"case_freeserif", 1, 6}, {"lyric_freeserif", 0, 7}};
  for (const auto& c : cases) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(c.name, &line));
    const std::vector<std::string> expected = SplitWords(line.text);
    std::set<std::string> wanted(expected.begin(), expected.end());
    size_t right = 0;
    for (const std::string& word : SplitWords(Read(line, c.mode))) {
      for (const std::string& e : expected)
        if (SameLettersAnyCase(word, e)) EXPECT_EQ(word, e) << c.name;
      right += wanted.count(word);
    }
    EXPECT_GE(right, c.wordsRight) << c.name;
  }
}

// The small pieces of a letter (an i's dot, the feet of a serif m or i) are
// read with the letter, never as marks of their own.
TEST_F(ShippedLineWords, DotsAndSerifFeetStayWithTheirLetters) {
  const struct {
    const char* name;
    std::vector<std::string> words;  // words the reading holds
  } cases[] = {{"dots_bookman", {"sempre", "con", "sempre"}},
               {"dots_nimbus_roman", {"Songs", "of", "the", "sea"}},
               {"dots_c059", {"sing", "in", "the", "morning"}}};
  for (const auto& c : cases) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(c.name, &line));
    std::vector<std::string> read = SplitWords(Read(line, 1));
    for (const std::string& w : c.words) {
      const auto at = std::find(read.begin(), read.end(), w);
      EXPECT_NE(at, read.end()) << c.name << ": " << w;
      if (at != read.end()) read.erase(at);
    }
  }
}

// A leaning line is read as it reads upright (the reader measures its slant
// and shears it back), and each word's box holds the word's leaning ink; an
// italic face reads right too.
TEST_F(ShippedLineWords, LeaningLinesReadAsTheyDoUpright) {
  const struct {
    const char* name;
    int mode;
  } cases[] = {{"words_serif", 1}, {"lyric_serif", 0}, {"tempo_liberation_sans", 1}};
  for (const auto& c : cases) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(c.name, &line));
    const std::string upright = Read(line, c.mode);
    EXPECT_EQ(upright, line.text) << c.name;
    for (int32_t slant : {192, 288}) {
      const TextLineImage leaning = LeaningLine(line, slant);
      LineReading result{};
      EXPECT_EQ(Read(leaning, c.mode, &result), upright) << c.name << " " << slant;
      // Every ink pixel lies in the box of one word.
      for (int32_t y = 0; y < leaning.height; ++y)
        for (int32_t x = 0; x < leaning.width; ++x) {
          if (!leaning.Ink(x, y)) continue;
          int32_t holders = 0;
          for (int32_t i = 0; i < result.wordCount; ++i) {
            const ReadWordRecord& w = result.words[i];
            holders += x >= w.x0 && x < w.x1 && y >= w.y0 && y < w.y1;
          }
          EXPECT_GE(holders, 1) << c.name << " " << slant << " at " << x << "," << y;
        }
      for (int32_t i = 0; i < result.wordCount; ++i) EXPECT_LE(result.words[i].x1, leaning.width);
    }
  }
  TextLineImage italic;
  ASSERT_TRUE(LoadTextLine("expression_liberation_italic", &italic));
  EXPECT_EQ(Read(italic, 1), italic.text);
}

// The reader costs its word lattice with the line's word-gap model: after a
// line, the lattice's gap cost is the second pass's table at the line's
// height estimate p (white between pieces only; pieces of one blob join at
// no cost), the re-reader's the first pass's, and the lattice's scales are
// those the line's characters give.
TEST_F(ShippedLineWords, TheLatticeIsCostedByTheLinesWordGapModel) {
  for (const char* name : {"words_serif", "tempo_liberation_sans"}) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(name, &line));
    const std::vector<uint32_t> block = BitmapBlockOf(line);
    LineReading result{};
    ReadTextLine(&result, block.data(), 1);
    ASSERT_EQ(TextOf(result), line.text) << name;
    const WordGapScales scales = CurrentWordGapScales();
    PrepareTextLine(block.data());
    CutResult cut{};
    ASSERT_GT(CutLinePieces(&cut), 0);
    const int32_t p = cut.height;
    for (int32_t gap = 1; gap <= 3 * p; ++gap) {
      EXPECT_EQ(LatticeGapCost(gap), SecondPassGapCost(gap, p)) << name << " " << gap;
      EXPECT_EQ(RereaderGapCost(gap), FirstPassGapCost(gap, p)) << name << " " << gap;
    }
    EXPECT_EQ(LatticeGapCost(0), 0);
    EXPECT_EQ(LatticeGapCost(-3), 0);
    // The scales from the characters read: within 2 per cent of those the
    // glyphs' ink boxes give (a cell may hold a pixel more or less).
    std::vector<int32_t> widths, heights;
    for (const GlyphTruth& g : line.glyphs) {
      const InkRows rows = GlyphInkRows(line, g);
      widths.push_back(g.lastColumn + 1 - g.firstColumn);
      heights.push_back(rows.bottom - rows.top);
    }
    SetLatticeGapScales(widths.data(), heights.data(), static_cast<int32_t>(widths.size()), p);
    EXPECT_NEAR(scales.a, CurrentWordGapScales().a, 2560 / 50) << name;
    EXPECT_NEAR(scales.b, CurrentWordGapScales().b, 1024 / 50) << name;
    EXPECT_TRUE(scales.a != 2560 || scales.b != 1024) << name << ": the line's scales are not the defaults";
    for (int32_t v : {1, 10, 40}) EXPECT_EQ(LatticeWidthCost(v), WidthCost(v, scales.a, p));
    for (int32_t v : {-5, 0, 10}) EXPECT_EQ(LatticeOverlapCost(v), OverlapCost(v, scales.b));
    FreeTextReadingWork();
  }
}

// In lyrics, whose words the trigram model prices about as it prices their
// parts, the dictionary tells whether neighbours are one word: "sing" with
// the white after its "n" made 4 columns narrower than the line's word gap
// stays one word, as a lyric; the same white read as text parts it into the
// words "sin" and "g" (both readings cheaper by their shapes apart).
TEST_F(ShippedLineWords, LyricWordsStayWholeWhereTheDictionaryKnowsThem) {
  TextLineImage lyric;
  ASSERT_TRUE(LoadTextLine("lyric_serif", &lyric));
  const TextLineImage wide = WithGapAfter(lyric, 2, GapAfter(lyric, 3) - 4);
  EXPECT_EQ(Read(wide, 0), "sing a song of the morning");
  EXPECT_EQ(Read(wide, 1), "sin g a song of the morning");
  // As wide as the word gap, the white parts the lyric too.
  EXPECT_EQ(Read(WithGapAfter(lyric, 2, GapAfter(lyric, 3)), 0), "sin g a song of the morning");
}

}  // namespace
