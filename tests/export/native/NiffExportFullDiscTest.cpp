// A NIFF file written to a device that takes no bytes: the export learns
// that the file was not written, says so once and leaves no storage behind.
#include <gtest/gtest.h>

#include "export/ExportEntries.h"
#include "export/niffio/NiffStorage.h"
#include "tests/export/ReaderDoubles.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

class NiffFullDiscTest : public ScoreStreamTest {};

TEST_F(NiffFullDiscTest, AFailedWriteFailsTheExportWithOneMessage) {
  SetPart(0, {});
  StreamBytesList bars;
  // Enough bars to pass the stream's buffer, so that some write itself fails.
  for (int i = 0; i < 400; ++i) bars = JoinItems({bars, Notes(kDurationWhole, {14}), Bar()});
  SetPart(1, JoinItems({bars, SystemMark(), EndMark()}));
  BoxRecorder boxes;
  EXPECT_EQ(ExportNiff(u"/dev/full"), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text.substr(0, 20), UiText(10292).substr(0, 20));
  EXPECT_EQ(NIFFIOStorageGetCurrent(), nullptr);
}

TEST_F(NiffFullDiscTest, AFailedCloseFailsTheExport) {
  SetPart(0, {});
  SetPart(1, JoinItems({Notes(kDurationWhole, {14}), Bar(), SystemMark(), EndMark()}));
  BoxRecorder boxes;
  EXPECT_EQ(ExportNiff(u"/dev/full"), 0);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

}  // namespace
