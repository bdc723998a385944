#include "Code/Unicode/Utils/WinVersion.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "tests/Code/Unicode/Utils/VersionOption.h"
#include "tests/support/TestText.h"

namespace {

using utiltest::DiagnosticsOption;
using utiltest::ForcedVersion;

struct SystemCase {
  const char* system;
  uint32_t platformId, major, minor;
  bool nt;
  uint32_t version;
};

TEST(MapOsVersion, GivesTheFamilyAndVersionOfEachSystem) {
  const SystemCase cases[] = {
      {"Windows 95", 1, 4, 0, false, 400},    {"Windows 98", 1, 4, 10, false, 410},
      {"Windows ME", 1, 4, 90, false, 490},   {"NT 3.51", 2, 3, 51, true, 351},
      {"NT 4", 2, 4, 0, true, 400},           {"Windows 2000", 2, 5, 0, true, 500},
      {"Windows XP", 2, 5, 1, true, 510},     {"Server 2003", 2, 5, 2, true, 510},
      {"Vista", 2, 6, 0, true, 510},          {"Windows 10", 2, 10, 0, true, 510},
      {"Win32s", 0, 3, 10, false, 400},       {"CE", 3, 4, 0, false, 400},
  };
  for (const SystemCase& c : cases) {
    DetectedVersion found = MapOsVersion(c.platformId, c.major, c.minor);
    EXPECT_EQ(c.nt, found.nt) << c.system;
    EXPECT_EQ(c.version, found.version) << c.system;
  }
}

DetectedVersion SystemAnswer() {
  platform::OsVersion os{};
  if (!platform::QueryOsVersion(&os)) return {false, 400};
  return MapOsVersion(os.platformId, os.major, os.minor);
}

class Detection : public testing::Test {
 protected:
  void TearDown() override { ResetWindowsVersionForTest(); }
};

TEST_F(Detection, WithoutTheOptionTheSystemAnswers) {
  ResetWindowsVersionForTest();
  DetectedVersion expected = SystemAnswer();
  EXPECT_EQ(expected.nt, IsWindowsNT());
  EXPECT_EQ(!expected.nt, IsWindows9x());
  EXPECT_EQ(expected.version, WindowsVersion());
}

struct ForcedCase {
  const char* value;
  bool nt;
  uint32_t version;
  size_t boxes;
};

TEST_F(Detection, TheVersionOptionForcesTheFamily) {
  const ForcedCase cases[] = {
      {"Win9X", false, 400, 1},
      {"WinNT", true, 500, 0},
      {"Bogus", false, 400, 0},
      {"win9x", false, 400, 0},  // the names are compared case-sensitively
      {"WINNT", false, 400, 0},
      {"default", false, 400, 0},
  };
  for (const ForcedCase& c : cases) {
    ForcedVersion forced(U16(c.value).c_str());
    EXPECT_EQ(c.nt, IsWindowsNT()) << c.value;
    EXPECT_EQ(c.version, WindowsVersion()) << c.value;
    EXPECT_EQ(c.boxes, forced.Boxes().Boxes().size()) << c.value;
  }
}

TEST_F(Detection, Win9XSaysSoInATaskModalBox) {
  ForcedVersion forced(u"Win9X");
  ASSERT_EQ(1u, forced.Boxes().Boxes().size());
  const RecordedBox& box = forced.Boxes().Boxes()[0];
  EXPECT_EQ(u"Running as a Windows 95 (Win9x) Application", box.text);
  EXPECT_EQ(u"Message", box.caption);
  EXPECT_EQ(platform::kBoxIconInformation | platform::kBoxTaskModal, box.style);
}

TEST_F(Detection, EmptyOrDefaultAsksTheSystem) {
  DetectedVersion expected = SystemAnswer();
  for (const char16_t* value : {u"", u"Default"}) {
    ForcedVersion forced(value);
    EXPECT_EQ(expected.nt, IsWindowsNT()) << U8(value);
    EXPECT_EQ(expected.version, WindowsVersion()) << U8(value);
    EXPECT_TRUE(forced.Boxes().Boxes().empty());
  }
}

TEST_F(Detection, RunsOnceAndHoldsUntilReset) {
  DiagnosticsOption option(u"Unicode", u"Version");
  ResetWindowsVersionForTest();
  DetectedVersion system = SystemAnswer();
  EXPECT_EQ(system.version, WindowsVersion());
  option.SetText(u"WinNT");
  option.SetText(u"Bogus");
  EXPECT_EQ(system.version, WindowsVersion());  // the first answer holds
  ResetWindowsVersionForTest();
  EXPECT_FALSE(IsWindowsNT());
  EXPECT_EQ(400u, WindowsVersion());
}

class DiagnosticsOptions : public testing::Test {
 protected:
  void TearDown() override { ResetWindowsVersionForTest(); }
};

TEST_F(DiagnosticsOptions, AMissingOptionIsEmpty) {
  EXPECT_TRUE(ReadDiagnosticsOption(kDiagUnicode, CStr(u"NoSuchOptionHere")).IsEmpty());
  EXPECT_TRUE(ReadDiagnosticsOption(kDiagStartupLog, CStr(u"NoSuchOptionHere")).IsEmpty());
}

TEST_F(DiagnosticsOptions, ReadsTheUnnamedValueUnderTheCategory) {
  DiagnosticsOption option(u"FontHandling", u"KorvalindeTestOption");
  option.SetText(u"Sm\u00F6rg\u00E5s");
  EXPECT_EQ(u"Sm\u00F6rg\u00E5s", std::u16string(ReadDiagnosticsOption(kDiagFontHandling, CStr(u"KorvalindeTestOption")).Text()));
  EXPECT_TRUE(ReadDiagnosticsOption(kDiagRichEdit, CStr(u"KorvalindeTestOption")).IsEmpty());
}

TEST_F(DiagnosticsOptions, OnlyTextOfAtMost260BytesCounts) {
  DiagnosticsOption option(u"Miscellaneous", u"KorvalindeTestOption");
  uint32_t number = 7;
  option.Set(platform::reg::kTypeDword, &number, sizeof(number));
  EXPECT_TRUE(ReadDiagnosticsOption(kDiagMiscellaneous, CStr(u"KorvalindeTestOption")).IsEmpty());

  std::u16string longText(300, u'x');
  option.SetText(longText.c_str());
  EXPECT_TRUE(ReadDiagnosticsOption(kDiagMiscellaneous, CStr(u"KorvalindeTestOption")).IsEmpty());

  std::u16string fits(259, u'y');
  option.SetText(fits.c_str());
  EXPECT_EQ(fits, std::u16string(ReadDiagnosticsOption(kDiagMiscellaneous, CStr(u"KorvalindeTestOption")).Text()));
}

TEST_F(DiagnosticsOptions, AnUnknownCategoryIsEmpty) {
  EXPECT_TRUE(ReadDiagnosticsOption(-1, CStr(u"Version")).IsEmpty());
  EXPECT_TRUE(ReadDiagnosticsOption(7, CStr(u"Version")).IsEmpty());
}

}  // namespace
