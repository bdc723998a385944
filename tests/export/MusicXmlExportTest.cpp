// The MusicXML export as the shell calls it: what it reports, when it fails,
// and scores with errors or damaged streams that still export in full.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExportEntries.h"
#include "platform/FileLayer.h"
#include "score/ScoreStream.h"
#include "tests/export/MusicXmlScores.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestText.h"

namespace {

constexpr uint8_t C5 = 17;

StreamBytesList Opening() { return JoinItems({ClefItem(kClefTreble), KeyItem(0), TimeItem(4, 5)}); }
StreamBytesList Quarter(uint8_t position = C5) { return Notes(kDurationQuarter, {position}); }

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The text of a UI string up to its first argument.
std::u16string TextBeforeArgument(unsigned id) {
  const std::u16string text = UiText(id);
  return text.substr(0, text.find(u"%"));
}

class MusicXmlExport : public ScoreStreamTest {
 protected:
  // Exports part 1 (and slot 0 empty); the document written, "" when none.
  std::string Export(const StreamBytesList& part, int expected = 1) {
    SetPart(0, {});
    SetPart(1, part);
    const std::u16string path = folder_.File(u"score.xml");
    EXPECT_EQ(ExportMusicXml(path.c_str()), expected);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }
  // The document closes every element it opens.
  void ExpectComplete(const std::string& xml) {
    EXPECT_EQ(Count(xml, "<measure "), Count(xml, "</measure>"));
    EXPECT_EQ(Count(xml, "<note>"), Count(xml, "</note>"));
    EXPECT_EQ(Count(xml, "<part id"), Count(xml, "</part>"));
    EXPECT_NE(xml.find("</score-partwise>\r\n"), std::string::npos);
  }
  ScratchFolder folder_;
  BoxRecorder boxes_;
};

TEST_F(MusicXmlExport, AScoreWithoutErrorsShowsNoMessage) {
  ExpectComplete(Export(JoinItems({Opening(), Quarter(), Quarter(), Quarter(), Quarter(), Bar(), EndMark()})));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

// Ordinary errors of a recognised score: what can be written is written and
// the bars concerned are named in one message.
struct ProblemCase {
  const char* name;
  StreamBytesList bar2;  // the second bar, between two good ones
};

class MusicXmlProblemBars : public MusicXmlExport, public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(MusicXmlProblemBars, AreNamedOnceAndTheRestIsWritten) {
  const StreamBytesList good = JoinItems({Quarter(), Quarter(), Quarter(), Quarter(), Bar()});
  const std::string xml = Export(JoinItems({Opening(), good, GetParam().bar2, Bar(), good, EndMark()}));
  ExpectComplete(xml);
  EXPECT_EQ(Count(xml, "<measure "), 3u);
  // The notes after the problem in the same bar are written.
  EXPECT_GE(Count(xml, "<step>F</step>"), 1u);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  const std::u16string& text = boxes_.Boxes()[0].text;
  EXPECT_EQ(text.rfind(TextBeforeArgument(10293), 0), 0u) << U8(text);
  EXPECT_NE(text.find(u"1: 2"), std::u16string::npos) << U8(text);
  EXPECT_EQ(text.find(u"1: 1"), std::u16string::npos) << U8(text);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, MusicXmlProblemBars,
    ::testing::Values(
        ProblemCase{"overfull", JoinItems({Quarter(), Quarter(), Quarter(), Quarter(), Quarter(20)})},
        ProblemCase{"unknownchordsuffix", JoinItems({Quarter(), ChordSymbol(0, 60, 0), Quarter(20)})},
        ProblemCase{"unreadableornament", JoinItems({OrnamentMark(9), Quarter(), Quarter(20)})},
        ProblemCase{"twoproblems",
                    JoinItems({ChordSymbol(0, 60, 0), Quarter(), Quarter(), Quarter(), Quarter(), Quarter(20)})}),
    [](const ::testing::TestParamInfo<ProblemCase>& info) { return std::string(info.param.name); });

TEST_F(MusicXmlExport, ATablatureNoteWithoutAPlaceIsLeftOutAndNamed) {
  PartTablatureFlags[1] = PartTablature{1, 6};
  const StreamBytesList bar = JoinItems({Notes(kDurationHalf, {uint8_t(7 << 5 | 3)}), Notes(kDurationHalf, {3})});
  const std::string xml = Export(JoinItems({ClefItem(kClefTablature), TimeItem(4, 5), bar, Bar(), EndMark()}));
  ExpectComplete(xml);
  EXPECT_EQ(Count(xml, "<fret>3</fret>"), 1u);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_NE(boxes_.Boxes()[0].text.find(u"1: 1"), std::u16string::npos);
}

TEST_F(MusicXmlExport, AStreamWithoutItsEndMarkClosesEveryElement) {
  const std::string xml = Export(JoinItems({Opening(), Quarter(), Quarter(), Bar(), Quarter()}));
  ExpectComplete(xml);
  EXPECT_EQ(Count(xml, "<measure "), 2u);
}

// An item that claims more bytes than the stream holds: the walk ends there,
// the document is complete and the bar is named.
TEST_F(MusicXmlExport, AnItemOverrunningTheStreamEndsTheWalkCleanly) {
  StreamBytesList chord = Quarter();
  chord[0] = uint8_t(kItemChord | 9 << 3);  // nine notes, one present
  const std::string xml = Export(JoinItems({Opening(), Quarter(), Bar(), Quarter(), chord}));
  ExpectComplete(xml);
  EXPECT_EQ(Count(xml, "<measure "), 2u);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_NE(boxes_.Boxes()[0].text.find(u"1: 2"), std::u16string::npos);
}

TEST_F(MusicXmlExport, ATextOverrunningTheStreamEndsTheWalkCleanly) {
  StreamBytesList text = StaffText(kTextStaff, u"dolce");
  text[1] = 0xFF;  // a payload far beyond the stream
  ExpectComplete(Export(JoinItems({Opening(), Quarter(), text, Quarter()})));
}

// Page texts alone make no document: the message says so (not the one about
// timing errors) and no file is made.
TEST_F(MusicXmlExport, AScoreWithoutPartsIsRefusedWithItsOwnMessage) {
  SetPart(0, PageText(kTextTitle, u"Sonata"));
  ASSERT_EQ(PartCount, 1);
  const std::u16string path = folder_.File(u"score.xml");
  EXPECT_EQ(ExportMusicXml(path.c_str()), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, UiText(10297));
  EXPECT_NE(UiText(10297), UiText(10291));
  EXPECT_FALSE(FileExists(path.c_str()));
}

TEST_F(MusicXmlExport, AFileThatCannotBeOpenedFailsWithTheFileMessage) {
  SetPart(0, {});
  SetPart(1, JoinItems({Opening(), Quarter(), EndMark()}));
  const std::u16string path = folder_.File(u"no such folder") + u"/score.xml";
  EXPECT_EQ(ExportMusicXml(path.c_str()), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text.rfind(UiText(10229), 0), 0u) << U8(boxes_.Boxes()[0].text);
}

}  // namespace

namespace {

TEST_F(MusicXmlExport, AnEmptyPartGetsAsManyMeasuresAsTheLongestPart) {
  SetPart(0, {});
  SetPart(1, JoinItems({Opening(), Quarter(), Bar(), Quarter(), Bar(), Quarter(), Bar(), EndMark()}));
  SetPart(2, {});
  const std::u16string path = folder_.File(u"score.xml");
  ASSERT_EQ(ExportMusicXml(path.c_str()), 1);
  const std::vector<uint8_t> bytes = ReadBytes(path);
  const std::string xml(bytes.begin(), bytes.end());
  const size_t second = xml.find("<part id=\"P2\">");
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(Count(xml.substr(second), "<measure "), 3u);
  EXPECT_EQ(Count(xml.substr(second), "<type>whole</type>"), 3u);
  ExpectComplete(xml);
}

}  // namespace

namespace {

// Where each direction and chord symbol of the document stands: "measure
// @ time in divisions: what", the time counted as a reader counts it (notes
// other than chord and grace notes advance it, <backup> and <forward> move it).
std::string IntAfter(const std::string& text, const std::string& tag) {
  const size_t at = text.find(tag);
  if (at == std::string::npos) return "";
  const size_t from = at + tag.size();
  return text.substr(from, text.find('<', from) - from);
}

std::vector<std::string> DirectionTimes(const std::string& xml) {
  std::vector<std::string> found;
  int measure = 0, time = 0;
  for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    auto starts = [&](const char* tag) { return xml.compare(at, std::char_traits<char>::length(tag), tag) == 0; };
    auto body = [&](const char* end) {
      const size_t close = xml.find(end, at);
      return xml.substr(at, close - at);
    };
    const std::string where = std::to_string(measure) + " @ " + std::to_string(time) + ": ";
    if (starts("<measure ")) {
      ++measure;
      time = 0;
    } else if (starts("<note>")) {
      const std::string note = body("</note>");
      if (note.find("<chord/>") == std::string::npos && note.find("<grace/>") == std::string::npos)
        time += std::stoi(IntAfter(note, "<duration>"));
    } else if (starts("<backup>")) {
      time -= std::stoi(IntAfter(body("</backup>"), "<duration>"));
    } else if (starts("<forward>")) {
      time += std::stoi(IntAfter(body("</forward>"), "<duration>"));
    } else if (starts("<harmony")) {
      found.push_back(where + "harmony " + IntAfter(body("</harmony>"), "<root-step>"));
    } else if (starts("<direction ")) {
      const std::string direction = body("</direction>");
      std::string what;
      const size_t words = direction.find("<words");
      const size_t dynamics = direction.find("<dynamics");
      const size_t wedge = direction.find("<wedge type=\"");
      if (words != std::string::npos) {
        const size_t from = direction.find('>', words) + 1;
        what = direction.substr(from, direction.find('<', from) - from);
      } else if (dynamics != std::string::npos) {
        const size_t from = direction.find('<', direction.find('>', dynamics)) + 1;
        what = direction.substr(from, direction.find_first_of("/>", from) - from);
      } else if (wedge != std::string::npos) {
        const size_t from = wedge + 13;
        what = "wedge " + direction.substr(from, direction.find('"', from) - from);
      }
      found.push_back(where + what);
    }
  }
  return found;
}

StreamBytesList Half(uint8_t position, uint8_t voice, bool inColumn = false) {
  StreamBytesList chord = Notes(kDurationHalf, {position}, voice);
  if (inColumn) chord[1] |= 0x01;
  return chord;
}
StreamBytesList Whole(uint8_t position, uint8_t voice, bool inColumn = false) {
  StreamBytesList chord = Notes(kDurationWhole, {position}, voice);
  if (inColumn) chord[1] |= 0x01;
  return chord;
}

struct DirectionTimeCase {
  const char* name;
  StreamBytesList bar;  // one 4/4 bar (quarter = 1 division)
  std::vector<std::string> expected;
};

class MusicXmlDirectionTimes : public MusicXmlExport, public ::testing::WithParamInterface<DirectionTimeCase> {};

TEST_P(MusicXmlDirectionTimes, StandAtTheirNotesTime) {
  const std::string xml = Export(JoinItems({Opening(), GetParam().bar, Bar(kBarFinal), EndMark()}));
  ExpectComplete(xml);
  EXPECT_EQ(DirectionTimes(xml), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Voices, MusicXmlDirectionTimes,
    ::testing::Values(
        DirectionTimeCase{"firstvoice",
                          JoinItems({Half(C5, 0), StaffText(kTextDynamic, u"mf"), Half(C5, 0),
                                     StaffText(kTextStaff, u"dolce")}),
                          {"1 @ 0: mf", "1 @ 2: dolce"}},
        DirectionTimeCase{"secondvoiceatone",
                          JoinItems({Half(C5, 0), Whole(12, 1, true), StaffText(kTextDynamic, u"mf"), Half(C5, 0)}),
                          {"1 @ 0: mf"}},
        DirectionTimeCase{"thirdvoiceatone",
                          JoinItems({Half(C5, 0), Whole(12, 1, true), Whole(14, 2, true), StaffText(kTextStaff, u"espr."),
                                     ChordSymbol(0, 19, 0), Half(C5, 0)}),
                          {"1 @ 0: espr.", "1 @ 0: harmony C"}},
        DirectionTimeCase{"secondvoiceatthree",
                          JoinItems({Whole(C5, 0), Half(12, 1, true), Half(12, 1), StaffText(kTextDynamic, u"p")}),
                          {"1 @ 2: p"}},
        DirectionTimeCase{"wedgeonsecondvoice",
                          JoinItems({Half(C5, 0), Hairpin(kTextHairpin18), Whole(12, 1, true), Half(C5, 0)}),
                          {"1 @ 0: wedge crescendo", "1 @ 2: wedge stop"}},
        DirectionTimeCase{"backtofirstvoice",
                          JoinItems({Half(C5, 0), Whole(12, 1, true), Half(C5, 0), StaffText(kTextStaff, u"rit.")}),
                          {"1 @ 2: rit."}}),
    [](const ::testing::TestParamInfo<DirectionTimeCase>& info) { return std::string(info.param.name); });

}  // namespace
