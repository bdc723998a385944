#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "score/FileOpener.h"
#include "shell/DroppedFiles.h"
#include "tests/shell/OpenFilesFixture.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

namespace {

using DroppedFiles = OpenFilesFixture;

TEST_F(DroppedFiles, OpensPagesPdfAndScoresInAnyCase) {
  struct Case {
    std::u16string name;
    std::string bytes;
    bool queued;
  };
  const Case cases[] = {
      {u"a.tif", "", true},          {u"b.TIFF", "", true},        {u"c.Bmp", "", true},
      {u"d.pdf", "", true},          {u"e.OPT", "", true},         {u"f.txt", "II*\0", false},
      {u"g.tif.txt", "", false},     {u"h", std::string("II*\0", 4), true},
      {u"i", "%PDF-1.4", true},      {u"j", "plain text", false},  {u"k.", "", false},
  };
  int expected = 0;
  for (const Case& c : cases) {
    const std::u16string path = folder.File(c.name);
    WriteTestFile(path, c.bytes);
    EXPECT_EQ(QueueDroppedFile(path.c_str()), c.queued) << U8(c.name);
    if (!c.queued) continue;
    ++expected;
    ASSERT_EQ(OpenFiles.count, expected);
    EXPECT_EQ(std::u16string(OpenFiles.paths[expected - 1]), path);
    EXPECT_EQ(std::u16string(OpenFiles.types[expected - 1]), u"");
  }
}

TEST_F(DroppedFiles, AFolderIsNeverQueuedWhateverItsName) {
  for (const std::u16string name : {u"Scans", u"Scans.tif", u"Score.opt"}) {
    const std::u16string path = folder.File(name);
    ASSERT_TRUE(platform::MakeDirectory(path.c_str()));
    EXPECT_FALSE(QueueDroppedFile(path.c_str())) << U8(name);
  }
  EXPECT_FALSE(QueueDroppedFile(u""));
  EXPECT_EQ(OpenFiles.count, 0);
}

TEST_F(DroppedFiles, AFullQueueTakesNoMore) {
  const std::u16string path = folder.File(u"a.tif");
  WriteTestFile(path, "");
  OpenFiles.count = kOpenFileQueueSlots;
  EXPECT_FALSE(QueueDroppedFile(path.c_str()));
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
}

}  // namespace
