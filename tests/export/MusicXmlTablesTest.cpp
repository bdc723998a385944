// The words of the MusicXML tables checked against the values the MusicXML
// 1.0 DTD allows. The DTD lists most allowed values in the comment above an
// element, some in a content model or an attribute enumeration; the test
// reads them from the DTD files beside the source tree.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "export/ItemDecoders.h"
#include "export/MusicXmlTables.h"
#include "platform/FileLayer.h"
#include "score/ScoreItem.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

std::string LoadDtd(const char* name) {
  std::vector<char> buffer(256 * 1024);
  size_t size = 0;
  std::u16string path = SourcePath(std::string("../shared/musicxml-1.0/") + name);
  if (FileLoad(path.c_str(), buffer.data(), buffer.size(), &size) != nullptr) return std::string();
  return std::string(buffer.data(), size);
}

// The comment just above a declaration.
std::string CommentAbove(const std::string& dtd, const std::string& declaration) {
  size_t at = dtd.find(declaration);
  if (at == std::string::npos) return std::string();
  size_t end = dtd.rfind("-->", at);
  size_t begin = dtd.rfind("<!--", at);
  if (end == std::string::npos || begin == std::string::npos || begin > end) return std::string();
  return dtd.substr(begin + 4, end - begin - 4);
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + " ") {
    if (IsWordChar(c)) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

// "Sign values include G, F, C, percussion, TAB, and none." -> the words
// from the marker to the full stop, without "and" and "or".
std::set<std::string> ListAfter(const std::string& comment, const std::string& marker) {
  std::set<std::string> values;
  size_t at = comment.find(marker);
  if (at == std::string::npos) return values;
  size_t stop = comment.find('.', at + marker.size());
  for (const std::string& w : Words(comment.substr(at + marker.size(), stop - at - marker.size()))) {
    if (w != "and" && w != "or") values.insert(w);
  }
  return values;
}

// The names between the brackets of a declaration: a content model or an
// attribute's enumeration.
std::set<std::string> Choices(const std::string& dtd, const std::string& declaration) {
  std::set<std::string> values;
  size_t at = dtd.find(declaration);
  if (at == std::string::npos) return values;
  size_t open = dtd.find('(', at);
  int level = 0;
  size_t close = open;
  for (; close < dtd.size(); ++close) {
    if (dtd[close] == '(') ++level;
    if (dtd[close] == ')' && --level == 0) break;
  }
  for (const std::string& w : Words(dtd.substr(open, close - open))) values.insert(w);
  return values;
}

// The kind comment lists one value per indented line: "    major (major third ...".
std::set<std::string> KindValues(const std::string& direction) {
  std::set<std::string> values;
  std::string comment = CommentAbove(direction, "<!ELEMENT kind ");
  size_t pos = 0;
  while (pos < comment.size()) {
    size_t eol = comment.find('\n', pos);
    std::string line = comment.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? comment.size() : eol + 1;
    if (line.find("    ") == std::string::npos) continue;  // headings are indented by one tab only
    std::vector<std::string> words = Words(line);
    if (!words.empty() && line.find(':') == std::string::npos && std::islower(static_cast<unsigned char>(words[0][0])))
      values.insert(words[0]);
  }
  values.insert("none");
  values.insert("other");
  return values;
}

std::string Bare(const char* word) {
  std::string w = word;
  if (!w.empty() && w.back() == '/') w.pop_back();
  return w;
}

class DtdTables : public ::testing::Test {
 protected:
  void SetUp() override {
    attributes = LoadDtd("attributes.dtd");
    note = LoadDtd("note.dtd");
    direction = LoadDtd("direction.dtd");
    barline = LoadDtd("barline.dtd");
    common = LoadDtd("common.dtd");
    ASSERT_FALSE(attributes.empty() || note.empty() || direction.empty() || barline.empty() || common.empty())
        << "the MusicXML 1.0 DTD is expected in ../shared/musicxml-1.0 beside the source tree";
  }
  std::string attributes, note, direction, barline, common;
};

TEST_F(DtdTables, ClefSignsAreTheDtdsSigns) {
  std::set<std::string> signs = ListAfter(CommentAbove(attributes, "<!ELEMENT clef "), "Sign values include");
  ASSERT_TRUE(signs.count("G") && signs.count("percussion"));
  for (int code = 0; code <= 15; ++code) {
    XmlClef clef = ClefWords(code, kOctaveNone);
    EXPECT_TRUE(signs.count(clef.sign)) << "clef code " << code << " gives " << clef.sign;
  }
  EXPECT_STREQ("percussion", ClefWords(kClefPercussion, 0).sign);
  EXPECT_STREQ("percussion", ClefWords(kClefPercussion2, 0).sign);
  EXPECT_STREQ("TAB", ClefWords(kClefTablature, 0).sign);
  EXPECT_EQ(0, ClefWords(kClefPercussion, 0).line);
}

TEST_F(DtdTables, AccidentalsAreTheDtdsAccidentals) {
  std::set<std::string> allowed = ListAfter(CommentAbove(note, "<!ELEMENT accidental "), "Valid values include");
  ASSERT_TRUE(allowed.count("flat-flat"));
  for (int code = kAccidentalNatural; code <= kAccidentalNaturalFlat; ++code) {
    XmlAccidental accidental = AccidentalWord(code);
    EXPECT_TRUE(allowed.count(accidental.word)) << "accidental code " << code << " gives " << accidental.word;
  }
  EXPECT_STREQ("", AccidentalWord(kAccidentalNone).word);
}

TEST_F(DtdTables, NoteTypesAreTheDtdsTypes) {
  std::set<std::string> allowed = ListAfter(CommentAbove(note, "<!ELEMENT type "), "shortest to longest) are");
  ASSERT_TRUE(allowed.count("quarter"));
  for (int code = 0; code <= 8; ++code) EXPECT_TRUE(allowed.count(NoteTypeWord(code))) << code;
  for (uint32_t d = 1; d <= 128; d *= 2) EXPECT_TRUE(allowed.count(PowerOfTwoTypeWord(d))) << d;
  EXPECT_STREQ("", NoteTypeWord(9));
  EXPECT_STREQ("", PowerOfTwoTypeWord(3));
}

TEST_F(DtdTables, ChordKindsAndDegreeTypesAreTheDtds) {
  std::set<std::string> kinds = KindValues(direction);
  ASSERT_TRUE(kinds.count("half-diminished") && kinds.count("suspended-fourth"));
  std::set<std::string> degreeTypes = ListAfter(CommentAbove(direction, "<!ELEMENT degree "), "degree-type element can be");
  ASSERT_EQ((std::set<std::string>{"add", "alter", "subtract"}), degreeTypes);
  for (int row = 0; row < kChordKindRowCount; ++row) {
    const ChordKindRow& r = ChordKindRowAt(row);
    EXPECT_TRUE(kinds.count(r.kind)) << "row " << row << " kind " << r.kind;
    for (int d = 0; d < r.degreeCount; ++d) EXPECT_TRUE(degreeTypes.count(r.degrees[d].type)) << row;
  }
}

TEST_F(DtdTables, MarkWordsAreElementsOfTheirGroups) {
  std::set<std::string> articulations = Choices(note, "<!ELEMENT articulations");
  std::set<std::string> technical = Choices(note, "<!ELEMENT technical");
  std::set<std::string> ornaments = Choices(note, "<!ELEMENT ornaments");
  for (int code = 1; code <= 12; ++code) {
    XmlArticulation a = ArticulationWord(code);
    switch (a.group) {
      case ArticulationGroup::kArticulations: EXPECT_TRUE(articulations.count(Bare(a.word))) << code; break;
      case ArticulationGroup::kTechnical: EXPECT_TRUE(technical.count(Bare(a.word))) << code; break;
      case ArticulationGroup::kNotations: EXPECT_EQ("fermata", Bare(a.word)); break;
      case ArticulationGroup::kNone: EXPECT_STREQ("", a.word) << code; break;
    }
  }
  for (int code = 1; code <= 7; ++code) {
    if (*OrnamentWord(code)) EXPECT_TRUE(ornaments.count(Bare(OrnamentWord(code)))) << code;
  }
}

TEST_F(DtdTables, DynamicsWordsOutsideTheDtdGoToOtherDynamics) {
  std::set<std::string> dynamics = Choices(common, "<!ELEMENT dynamics");
  ASSERT_TRUE(dynamics.count("other-dynamics"));
  for (int i = 0; i < kDynamicsWordCount; ++i) {
    bool element = dynamics.count(Bare(DynamicsWord(i))) != 0;
    EXPECT_NE(element, IsOtherDynamicsWord(i)) << DynamicsWord(i);
  }
}

TEST_F(DtdTables, BarStylesWedgesAndRepeatsAreTheDtds) {
  std::set<std::string> styles = ListAfter(CommentAbove(barline, "<!ELEMENT bar-style "), "Choices are");
  ASSERT_TRUE(styles.count("light-heavy"));
  std::set<std::string> directions = Choices(barline, "<!ATTLIST repeat");
  for (int style = 0; style < 16; ++style) {
    std::string word = BarStyleWord(static_cast<uint8_t>(style));
    if (!word.empty()) EXPECT_TRUE(styles.count(word)) << style;
    std::string direction = RepeatDirectionWord(static_cast<uint8_t>(style));
    if (!direction.empty()) EXPECT_TRUE(directions.count(direction)) << style;
  }
}

// The chord rows named by their intervals: each must add up to the chord it names.
TEST(ChordKindTable, RowsAreTheChordsTheirNamesSay) {
  struct Case {
    const char16_t* suffix;
    const char* kind;
    std::vector<std::pair<int, int>> degrees;  // value, alter
  };
  const Case cases[] = {
      {u"7b5", "dominant", {{5, -1}}},
      {u"aug7b9", "augmented", {{7, 0}, {9, -1}}},
      {u"aug7#9", "augmented", {{7, 0}, {9, 1}}},
      {u"+7b9", "augmented", {{7, 0}, {9, -1}}},
      {u"m7b5", "half-diminished", {}},
      {u"7sus4", "suspended-fourth", {{7, 0}}},
      {u"7b5#9", "dominant", {{5, -1}, {9, 1}}},
      {u"13", "dominant-13th", {{5, 0}, {11, 0}}},
  };
  for (const Case& c : cases) {
    int row = FindChordKindRow(c.suffix);
    ASSERT_GT(row, 0) << U8(c.suffix);
    const ChordKindRow& r = ChordKindRowAt(row);
    EXPECT_STREQ(c.kind, r.kind) << U8(c.suffix);
    ASSERT_EQ(static_cast<int>(c.degrees.size()), r.degreeCount) << U8(c.suffix);
    for (int d = 0; d < r.degreeCount; ++d) {
      EXPECT_EQ(c.degrees[d].first, r.degrees[d].value) << U8(c.suffix);
      EXPECT_EQ(c.degrees[d].second, r.degrees[d].alter) << U8(c.suffix);
    }
  }
  EXPECT_EQ(19, FindChordKindRow(u"m7b5"));
  EXPECT_EQ(12, FindChordKindRow(u"7sus4"));
  EXPECT_EQ(-1, FindChordKindRow(u"xyz"));
  EXPECT_STREQ("major", ChordKindRowAt(0).kind);
}

TEST(ClefTable, OctaveClefsCarryTheirOctaveChange) {
  EXPECT_EQ(-1, ClefWords(kClefTreble, kOctaveDown).octaveChange);
  EXPECT_EQ(1, ClefWords(kClefTreble, kOctaveUp).octaveChange);
  EXPECT_EQ(-2, ClefWords(kClefBass, kOctaveDownTwo).octaveChange);
  EXPECT_EQ(2, ClefWords(kClefAlto, kOctaveUpTwo).octaveChange);
  EXPECT_EQ(0, ClefWords(kClefTreble, kOctaveNone).octaveChange);
  EXPECT_EQ(0, ClefWords(kClefPercussion, kOctaveDown).octaveChange);
  EXPECT_STREQ("C", ClefWords(12, 0).sign);
  EXPECT_EQ(0, ClefWords(12, 0).line);
}

TEST(SmallTables, DrumNamesTuningsAndBeatTypes) {
  EXPECT_STREQ("Acoustic Bass Drum", DrumSoundName(35));
  EXPECT_STREQ("Open Triangle", DrumSoundName(81));
  EXPECT_EQ(nullptr, DrumSoundName(34));
  EXPECT_EQ(nullptr, DrumSoundName(82));
  StaffTuning t{};
  ASSERT_TRUE(TablatureTuning(6, 1, &t));
  EXPECT_EQ('E', t.step);
  EXPECT_EQ(2, t.octave);
  ASSERT_TRUE(TablatureTuning(6, 6, &t));
  EXPECT_EQ(4, t.octave);
  ASSERT_TRUE(TablatureTuning(4, 4, &t));
  EXPECT_EQ('G', t.step);
  EXPECT_EQ(2, t.octave);
  EXPECT_FALSE(TablatureTuning(5, 1, &t));
  EXPECT_EQ(128, BeatTypeOfCode(0));
  EXPECT_EQ(4, BeatTypeOfCode(5));
  EXPECT_EQ(0, BeatTypeOfCode(8));
}

}  // namespace
