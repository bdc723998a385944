// The MusicXML export as the shell calls it: what it reports, when it fails,
// and scores with errors or damaged streams that still export in full.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExportEntries.h"
#include "score/ScoreStreams.h"
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

TEST_F(MusicXmlExport, AScoreWithoutPartsIsRefused) {
  SetPart(0, PageText(kTextTitle, u"Sonata"));
  const std::u16string path = folder_.File(u"score.xml");
  EXPECT_EQ(ExportMusicXml(path.c_str()), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, UiText(10291));
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
