// The text finder on synthesised pages (staves from the page synthesiser,
// text from the rendered lines of fixtures/text) with text references built
// from the rendered alphabets; its rules as tables; the text items in the
// object graph and in the page description.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Codepage.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Slurtext.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/GraphLinks.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"
#include "tests/Code/Quorm/TextPageArt.h"
#include "tests/Code/Quorm/TextReferences.h"

namespace {

const char kDictionary[] = "Song of the Morning Andante sing ing a song the morn\n";
const std::vector<std::string> kReferenceLines = {"alphabet_serif", "capitals_serif", "marks_serif"};
const std::vector<std::string> kLyricItems = {"sing", "-", "ing", "a", "song", "of", "the", "morn", "-", "ing"};
const std::vector<std::string> kLyricWords = {"sing-", "ing", "a", "song", "of", "the", "morn-", "ing"};
constexpr int32_t kCrotchetRestType = 43;

std::vector<std::string> LyricTexts(int32_t line) {
  std::vector<std::string> texts;
  for (int32_t w = 0; w < GetLyricLineWordCount(line); ++w) texts.push_back(GetLyricWordText(MakeTextItemRef(line, w)));
  return texts;
}

std::string BlockText(int32_t block) {
  std::string text;
  for (int32_t i = 0; i < GetTextBlockItemCount(block); ++i) {
    if (i) text += ' ';
    text += GetTextBlockItemText(MakeTextItemRef(block, i));
  }
  return text;
}

std::string Describe() {
  std::ostringstream out;
  for (int32_t l = 0; l < GetLyricLineCount(); ++l) {
    out << "lyric line " << l << ":";
    for (const std::string& t : LyricTexts(l)) out << " [" << t << "]";
    out << "\n";
  }
  for (int32_t b = 0; b < GetTextBlockCount(); ++b)
    out << "block " << b << " kind " << GetTextBlockAttribute6(b) << ": " << BlockText(b) << "\n";
  return out.str();
}

// The ink box of the glyphs first..last of a rendered line, at (x, y) on a
// level page.
EngineBox GlyphsBox(const TextLineImage& line, size_t first, size_t last, int x, int y) {
  EngineBox box{line.glyphs[first].firstColumn, line.height, line.glyphs[last].lastColumn + 1, 0};
  for (int32_t r = 0; r < line.height; ++r)
    for (int32_t c = box.x0; c < box.x1; ++c)
      if (line.Ink(c, r)) {
        box.y0 = std::min(box.y0, r);
        box.y1 = std::max(box.y1, r + 1);
      }
  return EngineBox{box.x0 + x, box.y0 + y, box.x1 + x, box.y1 + y};
}

// Where a point of the level page lies on the page turned by the skew.
EnginePoint Turned(int32_t y, int32_t x, double skew) {
  return EnginePoint{static_cast<int32_t>(std::lround(y + skew * (x - SongPage::kStaffLeft))),
                     static_cast<int32_t>(std::lround(x - skew * y))};
}

const MscriptStave& StaveOf(int32_t staff) {
  return *GetSystemStave(0, GetStaffSystem(staff), GetStaffIndexInSystem(staff));
}

class TextFinder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(EngineDataBuilt()); }
  void TearDown() override {
    FreeEngine();
    StopTextReading();
  }

  // The staff stage on the page, text recognition set up, then the steps of
  // page reading that the text finder needs before it.
  bool LoadAndPrepare(const SynthPage& page) {
    if (RunStaffStageOn(page) != 0) return false;
    if (!StartTextReading(folder, kReferenceLines, kDictionary)) return false;
    MeasurePageSkew();
    CleanSmallComponents();
    return true;
  }
  bool FindTextOn(const SynthPage& page) {
    if (!LoadAndPrepare(page)) return false;
    FindText(1, 1);
    return true;
  }

  // The song page's findings, level or turned by the skew.
  void ExpectSongPage(double skew) {
    ASSERT_EQ(GetStaffCount(), 2);
    ASSERT_EQ(GetLyricLineCount(), 1) << Describe();
    EXPECT_EQ(LyricTexts(0), kLyricItems) << Describe();
    EXPECT_EQ(GetLyricLineAttribute(0), 0);
    // The line lies under the first staff and the words where they were drawn.
    TextLineImage lyrics;
    ASSERT_TRUE(LoadTextLine("lyrics_serif", &lyrics));
    size_t glyph = 0;
    for (int32_t w = 0; w < GetLyricLineWordCount(0) && w < static_cast<int32_t>(kLyricItems.size()); ++w) {
      const size_t first = glyph, last = glyph + kLyricItems[w].size() - 1;
      glyph = last + 1;
      const EngineBox drawn = GlyphsBox(lyrics, first, last, SongPage::kLyricsX, SongPage::kLyricsY);
      const EnginePoint corner = Turned(drawn.y0, drawn.x0, skew);
      const EngineBox found = GetLyricWordBox(MakeTextItemRef(0, w));
      EXPECT_NEAR(found.x0, corner.x, 3) << kLyricItems[w];
      EXPECT_NEAR(found.y0, corner.y, 3) << kLyricItems[w];
      EXPECT_NEAR(found.x1 - found.x0, drawn.x1 - drawn.x0, 3) << kLyricItems[w];
      EXPECT_NEAR(found.y1 - found.y0, drawn.y1 - drawn.y0, 3) << kLyricItems[w];
    }
    const EnginePoint first = GetLyricLineFirstCorner(0);
    EXPECT_EQ(StaffAtPoint(first.y, first.x), 0);
    EXPECT_EQ(FindStaffAbove(first.y, first.x), 0);

    // Chord symbols one block each (kind 1), the title and the tempo word
    // as plain blocks.
    std::vector<std::string> chords, plain;
    for (int32_t b = 0; b < GetTextBlockCount(); ++b) {
      EXPECT_EQ(GetTextBlockAttribute5(b), 0);
      (GetTextBlockAttribute6(b) == kTextReadAsText ? chords : plain).push_back(BlockText(b));
    }
    EXPECT_EQ(chords, (std::vector<std::string>{"C", "Am", "F", "G"})) << Describe();
    EXPECT_EQ(plain, (std::vector<std::string>{"Song of the Morning", "Andante"})) << Describe();
  }

  EngineDataFolder folder;
};

TEST_F(TextFinder, ReadsTheSongPage) {
  SongPage song;
  ASSERT_TRUE(song.complete);
  ASSERT_TRUE(FindTextOn(song.page));
  ExpectSongPage(0);
  // Every lyric line reports one size: the reader's height times 1741.
  EXPECT_EQ(GetLyricLineTextSize(0) % kTextSizeFactor, 0);
  EXPECT_GT(GetLyricLineTextSize(0), 0);
  for (int32_t b = 0; b < GetTextBlockCount(); ++b) EXPECT_EQ(GetTextBlockTextSize(b) % kTextSizeFactor, 0);
}

TEST_F(TextFinder, ASkewedCopyReadsTheSame) {
  for (double skew : {0.012, -0.015}) {
    SongPage song(skew);
    ASSERT_TRUE(song.complete);
    ASSERT_TRUE(FindTextOn(song.page));
    EXPECT_NE(GetPageSkew(), 0);
    ExpectSongPage(skew);
    FreeEngine();
    StopTextReading();
  }
}

TEST_F(TextFinder, PutsTheTextIntoThePageDescription) {
  SongPage song;
  ASSERT_TRUE(FindTextOn(song.page));
  ResetPageDescription("song");
  AddPageDescription("song");
  AddTextLinesToDescription();
  AddTextItemsToDescription();
  // The lyric line on the first staff; a syllable and its hyphen make one
  // word that the description writes with the hyphen.
  const MscriptStave& first = StaveOf(0);
  ASSERT_EQ(first.textLineCount, 1);
  ASSERT_EQ(first.textLines[0].wordCount, static_cast<int32_t>(kLyricWords.size()));
  for (size_t w = 0; w < kLyricWords.size(); ++w) EXPECT_STREQ(first.textLines[0].words[w].text, kLyricWords[w].c_str());
  // "sing" and its hyphen: one box over both.
  EXPECT_EQ(first.textLines[0].words[0].box.x0, GetLyricWordBox(MakeTextItemRef(0, 0)).x0);
  EXPECT_EQ(first.textLines[0].words[0].box.x1, GetLyricWordBox(MakeTextItemRef(0, 1)).x1);
  // The blocks above the first staff are its text items; nothing on the second.
  std::vector<std::string> items;
  for (int32_t i = 0; i < first.textItemCount; ++i) items.push_back(first.textItems[i].text);
  EXPECT_EQ(items, (std::vector<std::string>{"C", "Am", "F", "G", "Song of the Morning", "Andante"}));
  EXPECT_EQ(StaveOf(1).textLineCount, 0);
  EXPECT_EQ(StaveOf(1).textItemCount, 0);
}

TEST_F(TextFinder, ReleasedWordsLeaveTheDescription) {
  SongPage song;
  ASSERT_TRUE(FindTextOn(song.page));
  InitialiseObjectPoints();
  AddTextNodesToGraph();
  InstallGraphReleaseFunctions();
  EXPECT_EQ(CountLiveGraphNodes(), GetLyricLineWordCount(0) + GetTextBlockCount() + 3);  // the title has four words
  // The centre of a word is the centre of its box.
  const EngineBox box = GetLyricWordBox(MakeTextItemRef(0, 4));
  const EnginePoint c = GetObjectCentre(kObjectLyricWord, MakeTextItemRef(0, 4));
  EXPECT_EQ(c.y, (box.y0 + box.y1) / 2);
  EXPECT_EQ(c.x, GetLyricWordCentreX(MakeTextItemRef(0, 4)));
  // Releasing "song" and the title's "of" empties their texts.
  ReleaseGraphNode(kObjectLyricWord, MakeTextItemRef(0, 4), 1);
  int32_t title = -1;
  for (int32_t b = 0; b < GetTextBlockCount(); ++b)
    if (GetTextBlockItemCount(b) == 4) title = b;
  ASSERT_GE(title, 0);
  ReleaseGraphNode(kObjectTextBlockItem, MakeTextItemRef(title, 1), 1);
  EXPECT_STREQ(GetLyricWordText(MakeTextItemRef(0, 4)), "");
  ResetPageDescription("song");
  AddPageDescription("song");
  AddTextLinesToDescription();
  AddTextItemsToDescription();
  const MscriptStave& first = StaveOf(0);
  ASSERT_EQ(first.textLineCount, 1);
  EXPECT_EQ(first.textLines[0].wordCount, static_cast<int32_t>(kLyricWords.size()) - 1);
  bool titleFound = false;
  for (int32_t i = 0; i < first.textItemCount; ++i) titleFound |= std::string(first.textItems[i].text) == "Song the Morning";
  EXPECT_TRUE(titleFound);
}

// A word overlapping a rest by exactly the limit (a quarter of the larger
// box, at most three quarters of the smaller) is no conflict; one pixel more
// is.
TEST_F(TextFinder, WordsConflictWithRestsBeyondTheLimits) {
  SongPage song;
  ASSERT_TRUE(FindTextOn(song.page));
  InitialiseObjectPoints();
  AddTextNodesToGraph();
  const int32_t word = MakeTextItemRef(0, 4);  // "song"
  const EngineBox w = GetLyricWordBox(word);
  // A rest of the word's height and 4d columns (at least the word's width),
  // reaching d columns into the word: the overlap is a quarter of the rest
  // and less than three quarters of the word. The second reaches one more.
  const int32_t d = (w.x1 - w.x0 + 3) / 4;
  for (int32_t reach : {d, d + 1}) {
    const int32_t rest = AddFixedSymbol(w.x1 - reach, w.y0, w.x1 - reach + 4 * d, w.y1, kCrotchetRestType, 200, w.y1);
    AddGraphNode(kCrotchetRestType, rest);
  }
  ConnectFixedSymbols();
  EXPECT_FALSE(Conflicting(kObjectLyricWord, word, kCrotchetRestType, 0));
  EXPECT_TRUE(Conflicting(kObjectLyricWord, word, kCrotchetRestType, 1));
  // A rest clear of the text conflicts with nothing.
  EXPECT_FALSE(Conflicting(kObjectLyricWord, MakeTextItemRef(0, 0), kCrotchetRestType, 1));
}

TEST_F(TextFinder, WordsConflictWithHeadsTheyCover) {
  SongPage song;
  ASSERT_TRUE(FindTextOn(song.page));
  InitialiseObjectPoints();
  AddTextNodesToGraph();
  // A head in the middle of "song" (its row inside the word's box), and one
  // under the staff far from any word.
  const int32_t word = MakeTextItemRef(0, 4);
  const EngineBox w = GetLyricWordBox(word);
  const int32_t middle = (w.x0 + w.x1) / 2;
  for (EnginePoint at : {EnginePoint{(w.y0 + w.y1) / 2, middle}, EnginePoint{w.y1 + 40, 1200}}) {
    FoundNotehead h{};
    h.leftX = at.x - 14;
    h.rightX = at.x + 14;
    h.centreY = at.y;
    h.staff = 0;
    const int32_t i = AddFoundNotehead(h);
    AddObjectPoint(kPointHeadLeft, i, h.centreY, h.leftX);
    AddObjectPoint(kPointHeadRight, i, h.centreY, h.rightX);
  }
  BuildObjectGraph();
  EXPECT_TRUE(Conflicting(kObjectLyricWord, word, kObjectNotehead, 0));
  EXPECT_FALSE(Conflicting(kObjectLyricWord, word, kObjectNotehead, 1));
  EXPECT_FALSE(Conflicting(kObjectLyricWord, MakeTextItemRef(0, 0), kObjectNotehead, 0));
}

TEST_F(TextFinder, LyricLinesShareOneSize) {
  // A second, shorter lyric line under the second staff: the last staff's
  // line is taken since the page has lyrics above it, and both lines report
  // their mean size weighted by words.
  SongPage song;
  TextLineImage second;
  ASSERT_TRUE(LoadTextLine("lyric_serif", &second));
  PasteTextLine(song.page, second, 150, SongPage::kSecondStaffTop + 4 * SongPage::kSpacing + 45, 0, 100);
  ASSERT_TRUE(FindTextOn(song.page));
  ASSERT_EQ(GetLyricLineCount(), 2) << Describe();
  EXPECT_EQ(LyricTexts(1), (std::vector<std::string>{"sing", "a", "song", "of", "the", "morning"}));
  EXPECT_EQ(GetLyricLineTextSize(0), GetLyricLineTextSize(1));
  const EnginePoint corner = GetLyricLineFirstCorner(1);
  EXPECT_EQ(FindStaffAbove(corner.y, corner.x), 1);

  // Alone under the last staff a line is more likely a footer: no lyric line.
  FreeEngine();
  StopTextReading();
  SynthPage page = TwoStaffPage(SongPage::kWidth, SongPage::kHeight);
  PasteTextLine(page, second, 150, SongPage::kSecondStaffTop + 4 * SongPage::kSpacing + 45, 0, 100);
  ASSERT_TRUE(FindTextOn(page));
  EXPECT_EQ(GetLyricLineCount(), 0) << Describe();
  EXPECT_GT(GetTextBlockCount(), 0);
}

TEST_F(TextFinder, BadPagesReadToTheEnd) {
  // A page with staves and no text, a line that is one blot, a row of 400
  // glyphs touching in pairs, and noise: nothing found, no failed check.
  TextLineImage tt;
  ASSERT_TRUE(LoadTextLine("tt_serif", &tt));
  const int32_t pairWidth = tt.width - 8 + 12;
  struct Case {
    const char* name;
    SynthPage page;
  };
  std::vector<Case> cases;
  cases.push_back({"no text", TwoStaffPage(1400, 800)});
  cases.push_back({"blot", TwoStaffPage(1400, 800)});
  cases.back().page.FillRect(400, 300, 440, 420);
  cases.push_back({"400 glyphs", TwoStaffPage(200 * pairWidth + 300, 800)});
  for (int32_t k = 0; k < 200; ++k) PasteTextLine(cases.back().page, tt, 150 + k * pairWidth, 385, 0, 100);
  cases.push_back({"noise", TwoStaffPage(1400, 800)});
  cases.back().page.Speckle(3000, 3);
  cases.back().page.Blots(20, 6, 5);
  for (Case& c : cases) {
    ASSERT_TRUE(LoadAndPrepare(c.page)) << c.name;
    EXPECT_NO_THROW(FindText(1, 1)) << c.name;
    if (std::string(c.name) == "no text" || std::string(c.name) == "blot") {
      EXPECT_EQ(GetLyricLineCount(), 0) << c.name << "\n" << Describe();
    }
    FreeEngine();
    StopTextReading();
  }
  // A page without staves has no scale to read text by.
  SongPage song;
  SynthPage bare(SongPage::kWidth, SongPage::kHeight);
  TextLineImage words;
  ASSERT_TRUE(LoadTextLine("words_serif", &words));
  PasteTextLine(bare, words, 100, 100, 0, 100);
  FreeEngine();
  ASSERT_EQ(LoadPageImage(bare.bits(), bare.width(), bare.height(), 0), kEngineOk);
  ASSERT_TRUE(StartTextReading(folder, kReferenceLines, kDictionary));
  CleanSmallComponents();
  FindText(1, 1);
  EXPECT_EQ(GetLyricLineCount() + GetTextBlockCount(), 0);
  FreeEngine();
  StopTextReading();
  // The song page still reads after them.
  ASSERT_TRUE(FindTextOn(song.page));
  EXPECT_EQ(GetLyricLineCount(), 1);
}

TEST_F(TextFinder, PageReadingCarriesTheTextThrough) {
  // The whole page stage: text lines and words, text nodes, the text
  // conflicts and the page description.
  SongPage song;
  ASSERT_EQ(RunStaffStageOn(song.page), 0);
  ASSERT_TRUE(StartTextReading(folder, kReferenceLines, kDictionary));
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
  EXPECT_EQ(LastEngineFailure(), nullptr);
  ASSERT_EQ(GetLyricLineCount(), 1) << Describe();
  EXPECT_TRUE(HasGraphNode(kObjectLyricWord, MakeTextItemRef(0, 0)));
  EXPECT_TRUE(HasGraphNode(kObjectTextBlockItem, MakeTextItemRef(0, 0)));
  ASSERT_GE(GetStaveTextLineCount(0, GetStaffSystem(0), GetStaffIndexInSystem(0)), 1);
  const MscriptWord word = GetTextLineWord(0, GetStaffSystem(0), GetStaffIndexInSystem(0), 0, 0);
  EXPECT_STREQ(word.text, "sing-");
}

TEST_F(TextFinder, RunsOncePerPageAndChecksItsReferences) {
  SongPage song;
  ASSERT_TRUE(LoadAndPrepare(song.page));
  // Both switches off: nothing, and the finder may still run.
  FindText(0, 0);
  EXPECT_EQ(GetLyricLineCount() + GetTextBlockCount(), 0);
  // Lyrics only: no text blocks.
  FindText(1, 0);
  EXPECT_EQ(GetLyricLineCount(), 1);
  EXPECT_EQ(GetTextBlockCount(), 0);
  // A second run over held results is a failed check.
  EXPECT_THROW(FindText(1, 1), EngineFailure);
  const int32_t n = GetLyricLineWordCount(0);
  EXPECT_THROW(GetLyricWordText(MakeTextItemRef(0, n)), EngineFailure);
  EXPECT_THROW(GetLyricWordBox(MakeTextItemRef(1, 0)), EngineFailure);
  EXPECT_THROW(GetLyricWordScore(-1), EngineFailure);
  EXPECT_THROW(GetTextBlockItemText(0), EngineFailure);
  EXPECT_THROW(GetLyricLineFirstCorner(1), EngineFailure);
  EXPECT_EQ(TextRefLine(MakeTextItemRef(3, 999)), 3);
  // The clean-up lets the next page run.
  FreeTextFinder();
  EXPECT_EQ(GetLyricLineCount(), 0);
  FindText(0, 1);
  EXPECT_EQ(GetLyricLineCount(), 0);
  // Without the lyric pass's reading the lyric line is read as free text.
  ASSERT_GT(GetTextBlockCount(), 6) << Describe();
  std::vector<std::string> texts;
  for (int32_t b = 0; b < 6; ++b) texts.push_back(BlockText(b));
  EXPECT_EQ(texts, (std::vector<std::string>{"C", "Am", "F", "G", "Song of the Morning", "Andante"}));
}

// ---- The rules ----

TEST(TextFinderRules, ComponentSizes) {
  SetPageStaffSpace(20 * 1024);  // S(15) = 3, S(50) = 10, S(400) = 80, S(600) = 120
  const struct {
    int32_t w, h;
    bool text;
  } cases[] = {{3, 3, true},     {2, 3, false},  {3, 2, false},  {119, 79, true}, {120, 40, false},
               {40, 80, false},  {19, 3, true},  {20, 3, false}, {40, 10, true},  {41, 10, false}};
  for (const auto& c : cases) EXPECT_EQ(IsTextSizedComponent(c.w, c.h), c.text) << c.w << "x" << c.h;
  FreePageScale();
}

TEST(TextFinderRules, PlainTextOfThePrivateCodePage) {
  const struct {
    const char* read;
    const char* plain;
  } cases[] = {{"C\x87m7", "C#m7"},
               {"B\x88", "Bb"},
               {"\x90tis\x91", "'tis'"},
               {"\x94yes\x95", "\"yes\""},
               {"\x9Ele\x9F", "filefl"},
               {"a\x8F" "b", "ab"},
               {"a\x96" "b", "a\x96" "b"},
               {"abcdefghijklmnopqrstuvwxyz01234\x9E", "abcdefghijklmnopqrstuvwxyz01234"}};
  for (const auto& c : cases) {
    char out[kTextItemTextBytes];
    WritePlainText(out, sizeof out, c.read);
    EXPECT_STREQ(out, c.plain);
  }
  char small[3];
  EXPECT_EQ(WritePlainText(small, sizeof small, "x\x9E"), 1);  // "fi" does not fit after "x"
}

class TextFinderShapes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
    ASSERT_TRUE(StartTextReading(folder, {"alphabet_serif"}, ""));
  }
  void TearDown() override { StopTextReading(); }
  static LineReading Reading(const std::vector<std::string>& words) {
    static std::vector<ReadWordRecord> records;
    records.assign(words.size(), ReadWordRecord{});
    for (size_t i = 0; i < words.size(); ++i) std::strncpy(records[i].text, words[i].c_str(), kReadWordTextBytes - 1);
    return LineReading{0, 0, 20, static_cast<int32_t>(words.size()), records.data()};
  }
  EngineDataFolder folder;
};

TEST_F(TextFinderShapes, LyricsAndChords) {
  const struct {
    std::vector<std::string> words;
    bool lyrics;
    int32_t chords;
  } cases[] = {
      {{"sing", "-", "ing"}, true, 0},
      {{"sing"}, false, 0},                       // one lyric word is not enough
      {{"la", "-", "-", "-", "la"}, true, 0},     // hyphens count for nothing
      {{"a", "b", "c", "de", "fg"}, true, 0},     // 2 of 5 words: more than a quarter
      {{"a", "b", "c", "d", "e", "f", "g", "h", "ij", "kl"}, false, 0},
      {{"x1", "22", "333"}, false, 0},            // digits are not letters
      {{"C", "Am", "F", "G7"}, false, 4},
      {{"Bbmaj7", "C#m7", "D"}, false, 3},
      {{"", "", "lo", "la"}, true, 0},            // empty words are not counted
  };
  for (const auto& c : cases) {
    const LineReading r = Reading(c.words);
    std::string all;
    for (const std::string& w : c.words) all += "[" + w + "]";
    EXPECT_EQ(LooksLikeLyrics(r), c.lyrics) << all;
    EXPECT_EQ(CountChordWords(r), c.chords) << all;
  }
}

TEST_F(TextFinderShapes, ItemScores) {
  // The cost times n^-0.3 over the letters and digits, times 2 without any.
  EXPECT_EQ(TextItemScore(1000, "a"), 1000);
  EXPECT_EQ(TextItemScore(1000, "song"), static_cast<int32_t>(1000 * std::pow(4.0, -0.3)));
  EXPECT_EQ(TextItemScore(1000, "G7,"), static_cast<int32_t>(1000 * std::pow(2.0, -0.3)));
  EXPECT_EQ(TextItemScore(1000, "-"), 2000);
  EXPECT_EQ(TextItemScore(0, "song"), 0);
}

}  // namespace
