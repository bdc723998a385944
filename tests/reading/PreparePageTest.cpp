#include "reading/PreparePage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pages/PageStoreHooks.h"
#include "pages/SpriteArea.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "reading/PageSprites.h"
#include "tests/reading/SyntheticPages.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace {

SyntheticPage SmallPage() { return SizedPage(803, 1000); }

std::u16string g_path;
int g_namesMade = 0;

class PreparePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    General() = GeneralSettings();
    Global() = GlobalSettings();
    General().autoRotate = false;
    PreparationServices() = PreparationHooks();
    viewPage.resolution = 300;
    g_path.clear();
    g_namesMade = 0;
  }
  void TearDown() override {
    FreeHandle(&SourceArea());
    FreeHandle(&viewPage.imageArea);
    PreparationServices() = PreparationHooks();
    General() = GeneralSettings();
    Global() = GlobalSettings();
  }
  static void UsePath(const std::u16string& path) {
    g_path = path;
    PreparationServices().currentImagePath = [] { return g_path.c_str(); };
    PreparationServices().setCurrentImagePath = [](const char16_t* p) { g_path = p; };
    PreparationServices().makeDefaultPageName = [](const char16_t*) { ++g_namesMade; };
  }
  static void Touch(const std::u16string& path) {
    std::FILE* f = platform::OpenStream(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
};

long Differences(const PageImage& a, const PageImage& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  long n = 0;
  for (int y = 2; y < a.height - 2; ++y)
    for (int x = 2; x < a.width - 2; ++x) n += a.Ink(x, y) != b.Ink(x, y);
  return n;
}

TEST_F(PreparePageTest, TheSourceImageBecomesTheViewsPreparedPage) {
  SourceArea() = MakePageSpriteArea(MakeGreyPage(SmallPage()), kPageSpriteName);
  ASSERT_NE(SourceArea(), nullptr);
  ASSERT_EQ(PreparePage(256, 0), 1);
  EXPECT_EQ(SourceArea(), nullptr);
  PageImage view = SpriteImageView(viewPage.Area());
  ASSERT_EQ(view.bitsPerPixel, 1);
  EXPECT_EQ(viewPage.width, 803u);
  EXPECT_EQ(viewPage.height, 1000u);
  EXPECT_STREQ(viewPage.imageName, "scanned");
  EXPECT_EQ(Differences(view, MakeOneBitPage(SmallPage())), 0);
}

TEST_F(PreparePageTest, RefusesOtherLevelCounts) {
  BoxRecorder boxes;
  SourceArea() = MakePageSpriteArea(MakeGreyPage(SmallPage()), kPageSpriteName);
  EXPECT_EQ(PreparePage(300, 0), 0);
  EXPECT_EQ(PreparePage(1, 0), 0);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].text, U16("Sorry, only black & white and 4,16 or 256 gray-scale scans can be read."));
  EXPECT_NE(SourceArea(), nullptr);
}

TEST_F(PreparePageTest, APageWithACompanionFileIsNotExamined) {
  ScratchFolder folder;
  UsePath(folder.File(u"page.tif"));
  Touch(folder.File(u"page.tif.stv"));
  SyntheticPage negative = SmallPage();
  negative.negative = true;
  SourceArea() = MakePageSpriteArea(MakeGreyPage(negative), kPageSpriteName);
  ASSERT_EQ(PreparePage(256, 0), 1);
  EXPECT_EQ(g_namesMade, 1);
  // Not inverted: the paper of the negative is ink.
  PageImage view = SpriteImageView(viewPage.Area());
  EXPECT_TRUE(view.Ink(20, 20));
}

TEST_F(PreparePageTest, APdfPageBitmapIsDeletedAndThePathCutBack) {
  ScratchFolder folder;
  std::u16string bitmap = folder.File(u"score.pdf.bmp");
  Touch(bitmap);
  UsePath(bitmap);
  SourceArea() = MakePageSpriteArea(MakeGreyPage(SmallPage()), kPageSpriteName);
  ASSERT_EQ(PreparePage(256, 0), 1);
  EXPECT_FALSE(FileExists(bitmap.c_str()));
  EXPECT_EQ(g_path, folder.File(u"score.pdf"));
}

TEST_F(PreparePageTest, TheWarningForBlackAndWhitePagesFollowsItsSetting) {
  static int warnings;
  warnings = 0;
  PreparationServices().showBlackAndWhiteWarning = [] { ++warnings; };
  for (bool show : {true, false}) {
    Global().showBwWarning = show;
    SourceArea() = MakePageSpriteArea(MakeOneBitPage(SmallPage()), kPageSpriteName);
    ASSERT_EQ(PreparePage(2, 0), 1);
  }
  EXPECT_EQ(warnings, 1);
}

TEST_F(PreparePageTest, CommandsTurnTheViewsPage) {
  SourceArea() = MakePageSpriteArea(MakeOneBitPage(SmallPage()), kPageSpriteName);
  ASSERT_EQ(PreparePage(2, 0), 1);
  OwnedPageImage before = CopySpriteImage(viewPage.Area());
  ASSERT_EQ(TurnPageOnSideClockwise(), 1);
  EXPECT_EQ(viewPage.width, 1000u);
  EXPECT_EQ(viewPage.height, 803u);
  ASSERT_EQ(TurnPageOnSideAnticlockwise(), 1);
  ASSERT_EQ(TurnPageUpsideDown(), 1);
  ASSERT_EQ(TurnPageUpsideDown(), 1);
  EXPECT_EQ(Differences(SpriteImageView(viewPage.Area()), before), 0);
  ASSERT_EQ(AutoCropPage(), 1);
  EXPECT_LT(viewPage.width, 803u);
}

TEST_F(PreparePageTest, ThePageStoreClearsFramesThroughThisLibrary) {
  ResetPageStoreHooks();
  ConnectPageStoreToPreparation();
  OwnedPageImage black(20, 10, 1);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) black.View().SetInk(x, y);
  PageData* page = &viewPage;
  page->imageArea = MakePageSpriteArea(black, kPageSpriteName);
  CurrentPageStoreHooks().clearPageBorder(page);
  PageImage view = SpriteImageView(page->Area());
  EXPECT_EQ(CountInk(view, 0, 0, 20, 10), 16 * 6);
  ResetPageStoreHooks();
}

}  // namespace
