// An opened page goes through the page preparation driver: the
// black-and-white warning, the progress display and the wait cursor, a
// companion page left unexamined, and a page rendered from a PDF file
// removed once it has been read in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "platform/Settings.h"
#include "reading/PageSprites.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparePage.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"
#include "tests/reading/OpenerFixture.h"
#include "tests/support/BoxRecorder.h"

namespace {

struct Watched {
  int warnings = 0;
  int opens = 0;
  int closes = 0;
  std::vector<bool> cursor;
} watched;

uint32_t Answer300(const char16_t*, uint32_t) { return 300; }

class OpenedPagePreparationTest : public OpenerTest {
 protected:
  void SetUp() override {
    OpenerTest::SetUp();
    watched = Watched{};
    Global() = GlobalSettings();
    General() = GeneralSettings();
    General().autoRotate = false;
    PreparationServices() = PreparationHooks();
    PreparationServices().showBlackAndWhiteWarning = [] { ++watched.warnings; };
    PreparationProgress() = PreparationProgressHooks();
    PreparationProgress().open = [](unsigned) { ++watched.opens; };
    PreparationProgress().close = [] { ++watched.closes; };
    PreparationProgress().waitCursor = [](bool on) { watched.cursor.push_back(on); };
    FileOpenerHooks hooks{};
    hooks.askPageResolution = Answer300;
    SetFileOpenerHooks(hooks);
  }
  void TearDown() override {
    FreeHandle(&SourceArea());
    PreparationServices() = PreparationHooks();
    PreparationProgress() = PreparationProgressHooks();
    Global() = GlobalSettings();
    General() = GeneralSettings();
    OpenerTest::TearDown();
  }
};

TEST_F(OpenedPagePreparationTest, TheBlackAndWhiteWarningComesForPlainOneBitPagesOnly) {
  struct Case {
    const char16_t* name;
    int bitsPerSample;
    bool companion;
    bool warningOn;
    int warnings;
  } const cases[] = {
      {u"bw.tif", 1, false, true, 1},
      {u"bwstaves.tif", 1, true, true, 0},
      {u"grey.tif", 8, false, true, 0},
      {u"quiet.tif", 1, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
    watched = Watched{};
    Global().showBwWarning = c.warningOn;
    std::u16string path = scratch_.File(c.name);
    OpenerPage page{400, 300, c.bitsPerSample};
    WriteOpenerTiff(path, {page});
    if (c.companion) WriteFileBytes(path + u".stv", CompanionBytes({{5, 0, 20, 30, 300, 40}}));
    BoxRecorder boxes;
    ASSERT_EQ(OpenTiffFile(path.c_str(), u".tif"), 1);
    EXPECT_EQ(watched.warnings, c.warnings);
    // The driver shows the wait cursor and ends it and the progress display.
    EXPECT_GT(watched.closes, 0);
    ASSERT_FALSE(watched.cursor.empty());
    EXPECT_TRUE(watched.cursor.front());
    EXPECT_FALSE(watched.cursor.back());
    // The view holds the prepared 1-bit page and the source was used up.
    EXPECT_EQ(SourceArea(), nullptr);
    EXPECT_EQ(SpriteImageView(viewPage.Area()).bitsPerPixel, 1);
    EXPECT_STREQ(viewPage.imageName, "scanned");
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  EXPECT_EQ(pageTable.pageCount, 4u);
}

// A grey page shows the progress texts of its steps.
TEST_F(OpenedPagePreparationTest, AGreyPageShowsItsSteps) {
  std::u16string path = scratch_.File(u"grey.tif");
  WriteOpenerTiff(path, {OpenerPage{400, 300, 8}});
  BoxRecorder boxes;
  ASSERT_EQ(OpenTiffFile(path.c_str(), u".tif"), 1);
  EXPECT_GT(watched.opens, 0);
  EXPECT_GT(watched.closes, 0);
}

TEST_F(OpenedPagePreparationTest, APageRenderedFromAPdfIsRemovedAfterLoading) {
  std::u16string pdf = scratch_.File(u"Suite.pdf");
  std::u16string page = pdf + u".bmp";
  BlankViewPage(64, 48, 300);
  ASSERT_EQ(SavePageImageBmp(page.c_str()), 1);
  FreeHandle(&viewPage.imageArea);
  BoxRecorder boxes;
  ASSERT_EQ(OpenTiffFile(page.c_str(), u".bmp"), 1);
  EXPECT_FALSE(FileExists(page.c_str()));
  EXPECT_EQ(std::u16string(CurrentImagePath()), pdf);
  EXPECT_EQ(watched.warnings, 1);
  EXPECT_EQ(pageTable.pageCount, 1u);
}

// A preparation that fails leaves no source image behind.
TEST_F(OpenedPagePreparationTest, AFailedPreparationLeavesNoSourceBehind) {
  BlankViewPage(64, 48, 0);  // no resolution: the driver refuses the page
  EXPECT_EQ(PrepareViewPage(2), 0);
  EXPECT_EQ(SourceArea(), nullptr);
  EXPECT_EQ(watched.closes, 1);
  EXPECT_EQ(PrepareViewPage(2), 0);  // nothing loaded: nothing to prepare
}

}  // namespace
