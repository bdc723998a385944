// The MusicXML export to a device that takes no bytes fails with one message.
#include <gtest/gtest.h>

#include "export/ExportEntries.h"
#include "tests/export/MusicXmlScores.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

class MusicXmlFullDisc : public ScoreStreamTest {};

TEST_F(MusicXmlFullDisc, AFailedWriteFailsTheExportWithOneMessage) {
  SetPart(0, {});
  SetPart(1, JoinItems({ClefItem(kClefTreble), Notes(kDurationWhole, {17}), Bar(kBarFinal), EndMark()}));
  BoxRecorder boxes;
  EXPECT_EQ(ExportMusicXml(u"/dev/full"), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10291));
}
