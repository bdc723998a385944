// Opening a TIFF reads its page count, each page's facts and pixels through
// one handle: the file is opened once however many pages it holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/PageTable.h"
#include "platform/native/NativePlatform.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"
#include "tests/reading/OpenerFixture.h"
#include "tests/support/BoxRecorder.h"

namespace {

TEST_F(OpenerTest, ATiffIsOpenedOnceForAllItsPages) {
  struct Case {
    const char16_t* name;
    std::vector<OpenerPage> pages;
  };
  const Case cases[] = {
      {u"One.tif", {OpenerPage{}}},
      {u"Three.tiff", {OpenerPage{}, OpenerPage{80, 40}, OpenerPage{96, 64, 8}}},
  };
  for (const Case& c : cases) {
    const std::u16string path = scratch_.File(c.name);
    WriteOpenerTiff(path, c.pages);
    const uint32_t before = pageTable.pageCount;
    const size_t opens = platform::StreamOpenCountForTest(path.c_str());
    BoxRecorder boxes;
    ASSERT_TRUE(QueueFileToOpen(path.c_str(), u""));
    OpenFileByType();
    EXPECT_EQ(pageTable.pageCount - before, c.pages.size()) << boxes.Boxes().size();
    EXPECT_EQ(platform::StreamOpenCountForTest(path.c_str()) - opens, 1u);
  }
}

// The handle is given up with the file: opening it again opens it again,
// and the page view's routines open it themselves.
TEST_F(OpenerTest, TheHandleIsGivenUpWhenTheFileIsOpened) {
  const std::u16string path = scratch_.File(u"Again.tif");
  WriteOpenerTiff(path, {OpenerPage{}, OpenerPage{80, 40}});
  BoxRecorder boxes;
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".tif"), 2);
  const size_t opens = platform::StreamOpenCountForTest(path.c_str());
  EXPECT_EQ(OpenTiffFile(path.c_str(), u".tif"), 2);
  EXPECT_EQ(platform::StreamOpenCountForTest(path.c_str()) - opens, 1u);
  EXPECT_EQ(OpenPageImageForReading(path.c_str()), 1);
  EXPECT_EQ(platform::StreamOpenCountForTest(path.c_str()) - opens, 3u);  // its facts, then its pixels
  EXPECT_EQ(pageTable.pageCount, 4u);
}

}  // namespace
