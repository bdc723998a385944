// Music after a part's last system mark is exported like every other bar,
// with or without the end mark; parts that closed their last system are
// padded to the same measures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExportEntries.h"
#include "tests/export/ReaderDoubles.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestFiles.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The text of the n-th <part> element.
std::string PartText(const std::string& xml, int n) {
  size_t at = 0;
  for (int i = 0; i <= n; ++i) at = xml.find("<part id", at + 1);
  if (at == std::string::npos) return "";
  return xml.substr(at, xml.find("</part>", at) - at);
}

class MusicXmlLastSystem : public ScoreStreamTest {
 protected:
  std::string Export() {
    const std::u16string path = folder_.File(u"score.xml");
    EXPECT_EQ(ExportMusicXml(path.c_str()), 1);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }
  ScratchFolder folder_;
  BoxRecorder boxes_;
};

TEST_F(MusicXmlLastSystem, EveryNoteAfterTheLastSystemMarkIsExported) {
  const StreamBytesList opening = JoinItems({ClefItem(kClefTreble), KeyItem(0), TimeItem(4, 5)});
  const StreamBytesList tails[] = {
      JoinItems({Notes(kDurationWhole, {19}), Bar(), EndMark()}),
      JoinItems({Notes(kDurationWhole, {19}), Bar()}),
      Notes(kDurationWhole, {19}),
      JoinItems({PageMarkItem(), Notes(kDurationWhole, {19}), Bar()}),
  };
  for (const StreamBytesList& tail : tails) {
    SCOPED_TRACE(testing::PrintToString(tail));
    SetPart(0, {});
    SetPart(1, JoinItems({opening, Notes(kDurationWhole, {17}), Bar(), SystemMark(), tail}));
    SetPart(2, JoinItems({opening, Notes(kDurationWhole, {15}), Bar(), SystemMark(), EndMark()}));
    const std::string xml = Export();
    EXPECT_TRUE(boxes_.Boxes().empty());
    const std::string first = PartText(xml, 0);
    const std::string second = PartText(xml, 1);
    EXPECT_EQ(Count(first, "<pitch>"), 2u);
    EXPECT_EQ(Count(first, "<measure "), 2u);
    EXPECT_NE(first.find("<step>E</step>"), std::string::npos) << first;  // position 19: E5
    EXPECT_EQ(Count(second, "<pitch>"), 1u);
    EXPECT_EQ(Count(second, "<measure "), 2u);
    boxes_.Clear();
  }
}

}  // namespace
