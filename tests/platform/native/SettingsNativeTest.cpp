// The orders in which the sections are written and the failures of the
// settings keys, which only the in-memory registry can show.
#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "platform/native/NativePlatform.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/platform/SettingsFixture.h"
#include "tests/platform/SettingsTables.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

using namespace platform::reg;

namespace {

class SettingsNative : public FreshSettingsTest {
 protected:
  void SetUp() override {
    FreshSettingsTest::SetUp();
    platform::TakeRegistryWriteLogForTest();
  }
};

TEST_F(SettingsNative, AFirstRunWritesTheDefaultsInTheTablesOrder) {
  LoadGeneralSettings();
  EXPECT_EQ(platform::TakeRegistryWriteLogForTest(), settingstables::GeneralReadOrder());
  LoadGlobalSettings();
  EXPECT_EQ(platform::TakeRegistryWriteLogForTest(), settingstables::GlobalReadOrder(0));
  EXPECT_EQ(platform::OpenRegistryKeyCountForTest(), 0u);
}

TEST_F(SettingsNative, TheSaversWriteInTheirOwnOrder) {
  Global().recentFileCount = 3;
  SaveGeneralSettings();
  EXPECT_EQ(platform::TakeRegistryWriteLogForTest(), settingstables::GeneralSaveOrder());
  SaveGlobalSettings();
  EXPECT_EQ(platform::TakeRegistryWriteLogForTest(), settingstables::GlobalSaveOrder(3));
  EXPECT_EQ(platform::OpenRegistryKeyCountForTest(), 0u);
}

TEST_F(SettingsNative, ALoadOfStoredValuesWritesNothing) {
  SaveGeneralSettings();
  SaveGlobalSettings();
  platform::TakeRegistryWriteLogForTest();
  LoadGeneralSettings();
  LoadGlobalSettings();
  EXPECT_TRUE(platform::TakeRegistryWriteLogForTest().empty());
}

TEST_F(SettingsNative, AnUnopenableSectionAbortsStartUpAndTouchesNoSetting) {
  struct Case {
    const char16_t* failing;
    std::u16string text;
    unsigned caption;
  } cases[] = {
      {u"SOFTWARE", UiText(10221) + u" - Err 5", 10110},
      {u"SOFTWARE\\Velmorant", UiText(10222) + u" - Err 5", 10110},
      {u"SOFTWARE\\Velmorant\\Korvalinde", UiText(10222), 10408},
      {u"SOFTWARE\\Velmorant\\Korvalinde\\Settings", UiText(10222), 10408},
      {u"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\General settings", UiText(10222), 10408},
  };
  for (const Case& c : cases) {
    regtest::CleanRegistry();
    platform::FailRegistryKeyForTest(kCurrentUser, c.failing, kAccessDenied);
    Flags().startupAbort = 0;
    General().autoSavePeriod = -9;
    Unsaved().readText = true;
    SharedReadingLevel() = 9;
    BoxRecorder boxes;
    LoadGeneralSettings();
    EXPECT_EQ(Flags().startupAbort.load(), 1u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, c.text);
    EXPECT_EQ(boxes.Boxes()[0].caption, UiText(c.caption));
    EXPECT_EQ(General().autoSavePeriod, -9);
    EXPECT_TRUE(Unsaved().readText);
    EXPECT_EQ(SharedReadingLevel(), 9u);
    EXPECT_EQ(platform::OpenRegistryKeyCountForTest(), 0u);

    Flags().startupAbort = 0;
    SaveGeneralSettings();
    EXPECT_EQ(Flags().startupAbort.load(), 1u);
    EXPECT_TRUE(platform::TakeRegistryWriteLogForTest().empty());
  }
}

TEST_F(SettingsNative, TheSectionIsOpenedForReadingWhenWritingIsRefused) {
  regtest::SetDword(kCurrentUser, regtest::kGlobalPath, u"Detail width", 77);
  platform::FailRegistryKeyForTest(kCurrentUser, u"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\Global settings",
                                   kAccessDenied, 0x2);
  BoxRecorder boxes;
  LoadGlobalSettings();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(Flags().startupAbort.load(), 0u);
  EXPECT_EQ(Global().detailWidth, 77);
}

TEST_F(SettingsNative, WithoutMyDocumentsEmptyFoldersStayEmpty) {
  platform::SetSpecialFolderForTest(platform::SpecialFolder::MyDocuments, u"");
  LoadGlobalSettings();
  EXPECT_EQ(Global().openDirectory[0], 0);
  EXPECT_EQ(Global().saveDirectory[0], 0);
}

}  // namespace
