// What only the native seam can arrange: registry failures, the operating
// system's version and counting registry calls.
#include <gtest/gtest.h>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/native/NativePlatform.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

using namespace platform::reg;

namespace {

class FoldersNative : public testing::Test {
 protected:
  void SetUp() override {
    regtest::CleanRegistry();
    saved_ = ResourceFolder();
    SetResourceFolder(u"/opt/korvalinde/");
  }
  void TearDown() override {
    regtest::CleanRegistry();
    SetResourceFolder(saved_.c_str());
  }
  std::u16string saved_;
};

TEST_F(FoldersNative, RegistryFailuresOfInitDataPathAreShownAndLeaveTheFolder) {
  struct Case {
    const char16_t* failing;
    uint32_t whenAccessHas;
    unsigned message;  // 0: no box
  } cases[] = {
      {u"SOFTWARE", 0, 10221},
      {u"SOFTWARE\\Velmorant", 0, 10222},
      {u"SOFTWARE\\Velmorant\\Korvalinde", 0, 10222},
      {u"SOFTWARE\\Velmorant\\Korvalinde\\Settings", 0, 10222},
      {u"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\DataPath", 0, 10222},
      // Refused write access: the keys are opened for reading instead.
      {u"SOFTWARE\\Velmorant\\Korvalinde\\Settings", 0x2, 0},
  };
  for (const Case& c : cases) {
    regtest::CleanRegistry();
    regtest::SetText(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", u"/srv/elsewhere/");
    platform::FailRegistryKeyForTest(kLocalMachine, c.failing, kAccessDenied, c.whenAccessHas);
    SetResourceFolder(u"/opt/korvalinde/");
    BoxRecorder boxes;
    InitDataPath();
    if (c.message) {
      ASSERT_EQ(boxes.Boxes().size(), 1u);
      EXPECT_EQ(boxes.Boxes()[0].text, UiText(c.message));
      EXPECT_EQ(boxes.Boxes()[0].caption, UiText(10408));
      EXPECT_EQ(std::u16string(ResourceFolder()), u"/opt/korvalinde/");
    } else {
      EXPECT_TRUE(boxes.Boxes().empty());
      EXPECT_EQ(std::u16string(ResourceFolder()), u"/srv/elsewhere/");
    }
    EXPECT_EQ(platform::OpenRegistryKeyCountForTest(), 0u);
  }
}

TEST_F(FoldersNative, FindR8AsksTheRegistryOnce) {
  ScratchFolder scratch;
  ASSERT_TRUE(regtest::PlaceProgramWithVersion62(scratch.File(u"R8.exe")));
  regtest::SetText(kLocalMachine, u"SOFTWARE\\Cadenzor Software\\R8\\ApplicationPath", nullptr, scratch.Path());
  uint64_t before = platform::RegistryCallCountForTest();
  EXPECT_EQ(FindR8(), 1);
  uint64_t afterFirst = platform::RegistryCallCountForTest();
  EXPECT_GT(afterFirst, before);
  EXPECT_EQ(FindR8(), 1);
  EXPECT_EQ(R8Version(), 6.0);
  EXPECT_EQ(platform::RegistryCallCountForTest(), afterFirst);
  EXPECT_EQ(platform::OpenRegistryKeyCountForTest(), 0u);
}

TEST_F(FoldersNative, WindowsXPOrLaterIsTheNtFamilyFrom51) {
  struct Case {
    uint32_t platformId, major, minor;
    bool xpOrLater;
  } cases[] = {
      {2, 5, 1, true}, {2, 5, 2, true}, {2, 6, 0, true}, {2, 5, 0, false},
      {2, 4, 0, false}, {1, 4, 90, false}, {1, 5, 1, false},
  };
  for (const Case& c : cases) {
    platform::SetOsVersionForTest(c.platformId, c.major, c.minor);
    EXPECT_EQ(IsWindowsXPOrLater(), c.xpOrLater) << c.platformId << " " << c.major << "." << c.minor;
  }
  platform::SetOsVersionFailsForTest();
  EXPECT_FALSE(IsWindowsXPOrLater());
}

TEST_F(FoldersNative, InitialResourceFolderIsTheFolderOfTheProgramFile) {
  platform::SetProgramFileNameForTest(u"/opt/kv/bin/Korvalinde.exe");
  EXPECT_EQ(InitialResourceFolder(), u"/opt/kv/bin/");
  platform::SetProgramFileNameForTest(u"C:\\Program Files\\Korvalinde\\Korvalinde.exe");
  EXPECT_EQ(InitialResourceFolder(), u"C:\\Program Files\\Korvalinde\\");
  platform::SetProgramFileNameForTest(nullptr);
}

}  // namespace
