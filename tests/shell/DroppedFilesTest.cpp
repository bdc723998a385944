#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pages/SpriteStrings.h"
#include "platform/Platform.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerStrings.h"
#include "reading/UnopenedFiles.h"
#include "shell/DroppedFiles.h"
#include "tests/shell/OpenFilesFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

namespace {

using DroppedFiles = OpenFilesFixture;

TEST_F(DroppedFiles, OpensPagesPdfAndScoresInAnyCaseAndNamesTheOthers) {
  struct Case {
    std::u16string name;
    std::string bytes;
    unsigned skipReason;  // 0: queued
  };
  const Case cases[] = {
      {u"a.tif", "", 0},
      {u"b.TIFF", "", 0},
      {u"c.Bmp", "", 0},
      {u"d.pdf", "", 0},
      {u"e.OPT", "", 0},
      {u"f.txt", "II*\0", kStrNotAnOpenedType},
      {u"g.tif.txt", "", kStrNotAnOpenedType},
      {u"h", std::string("II*\0", 4), 0},
      {u"i", "%PDF-1.4", 0},
      {u"j", "plain text", kStrNotAnOpenedType},
      {u"k.", "", kStrNotAnOpenedType},
      {u"l", "", kStrFileEmpty},
      {u"m.png", "\x89PNG\r\n", kStrNotAnOpenedType},
  };
  int expected = 0;
  for (const Case& c : cases) {
    const std::u16string path = folder.File(c.name);
    WriteTestFile(path, c.bytes);
    BoxRecorder boxes;
    UnopenedFiles unopened;
    EXPECT_EQ(QueueDroppedFile(path.c_str(), &unopened), c.skipReason == 0) << U8(c.name);
    EXPECT_TRUE(boxes.Boxes().empty()) << "told once the drop is taken";
    unopened.Report();
    if (c.skipReason) {
      ASSERT_EQ(boxes.Boxes().size(), 1u) << U8(c.name);
      EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {UiText(kStrFileDidNotOpen), path, UiText(c.skipReason)}))
          << U8(boxes.Boxes()[0].text);
      continue;
    }
    EXPECT_TRUE(boxes.Boxes().empty()) << U8(c.name);
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
    BoxRecorder boxes;
    UnopenedFiles unopened;
    EXPECT_FALSE(QueueDroppedFile(path.c_str(), &unopened)) << U8(name);
    unopened.Report();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {path, UiText(kStrIsAFolder)}));
  }
  UnopenedFiles unopened;
  EXPECT_FALSE(QueueDroppedFile(u"", &unopened));
  EXPECT_EQ(OpenFiles.count, 0);
}

TEST_F(DroppedFiles, AFullQueueTakesNoMore) {
  const std::u16string path = folder.File(u"a.tif");
  WriteTestFile(path, "");
  OpenFiles.count = kOpenFileQueueSlots;
  UnopenedFiles unopened;
  EXPECT_FALSE(QueueDroppedFile(path.c_str(), &unopened));
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
}

}  // namespace
