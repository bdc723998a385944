#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/EngineHost.h"
#include "platform/Platform.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace {

std::string ReadAll(const std::u16string& path) {
  std::string text;
  if (std::FILE* f = platform::OpenStream(path.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(f);
  }
  return text;
}

TEST(EngineErrors, NumbersOfTheTable) {
  struct Case {
    const char* name;
    int number;
  };
  const Case cases[] = {
      {"Xftlinterr", 1101}, {"Xheapmem", 1103}, {"Xsheapmem", 1104}, {"Xreaddat", 1305},
      {"Xrdocrdat", 1311},  {"Xnewldocr", 1312}, {"Xrdomrdat", 1321}, {"Xspllinit", 1331},
      {"Xmemudic", 1334},   {"Xudicinit", 1335}, {"Xmem1bpp", 1403},  {"Xloadbmpplanes", 1416},
      {"Xnovsegs", 1601},   {"Xnostaves", 1604}, {"Xbigstaves", 1605}, {"Xputcmidi", 1744},
      {"Xudicfile", 1999},  {"", 1999},          {"xnostaves", 1999},  {"Xnostavesx", 1999},
      {"Xloadbmpplanes-and-more", 1999},
  };
  for (const Case& c : cases) EXPECT_EQ(EngineErrorNumber(c.name), c.number) << c.name;
  EXPECT_EQ(EngineErrorNumber(nullptr), 1999);
}

TEST(EngineErrors, TableKeepsItsOrderAndRanges) {
  EXPECT_EQ(EngineErrorTable[0].number, 1101);
  EXPECT_EQ(EngineErrorTable[kEngineErrorCount - 1].number, 1999);
  EXPECT_STREQ(EngineErrorTable[kEngineErrorCount - 1].name, "");
  for (int i = 1; i < kEngineErrorCount; ++i) {
    EXPECT_LT(EngineErrorTable[i - 1].number, EngineErrorTable[i].number);
    EXPECT_LT(std::string(EngineErrorTable[i - 1].name).size(), 16u);
  }
}

TEST(EngineErrors, DefaultReportShowsPostsAndWritesNothing) {
  RecordingEngineHost host;
  ReportEngineError("Xnostaves");
  EXPECT_TRUE(host.FramePosts().empty());
  EXPECT_TRUE(host.ErrorPosts().empty());
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(EngineErrors, OutletsWhenSwitchedOn) {
  RecordingEngineHost host;
  ReportEngineErrorThrough({1, 1, nullptr}, "Xbigstaves");
  ASSERT_EQ(host.ErrorPosts().size(), 1u);
  EXPECT_EQ(host.ErrorPosts()[0].wParam, 2u);
  EXPECT_EQ(host.ErrorPosts()[0].lParam, 1605);
  ASSERT_EQ(host.Boxes().size(), 1u);
  EXPECT_EQ(host.Boxes()[0].text, "error number 1605\n\n");
  EXPECT_EQ(host.Boxes()[0].caption, "Error from Quorm");
  EXPECT_EQ(host.Boxes()[0].flags, 0x2040u);
  EXPECT_TRUE(host.FramePosts().empty());
}

TEST(EngineErrors, LogAppendsOnlyWithAPathLongerThanOneCharacter) {
  ScratchFolder folder;
  std::u16string log = folder.File(u"quorm.log");
  std::string ansi = U8(log);
  ReportEngineErrorThrough({0, 0, "x"}, "Xnostaves");
  ReportEngineErrorThrough({0, 0, ansi.c_str()}, "Xnostaves");
  ReportEngineErrorThrough({0, 0, ansi.c_str()}, "Xwhatever");
  EXPECT_EQ(ReadAll(log), "error number 1604\n\nerror number 1999\n\n");
  // An unopenable log is skipped.
  std::string bad = U8(folder.File(u"no-such-folder/quorm.log"));
  ReportEngineErrorThrough({0, 0, bad.c_str()}, "Xnostaves");
}

TEST(EngineErrors, FailedCheckUnwindsTellsTheFrameAndClearsTheReadingFlags) {
  RecordingEngineHost host;
  ReadingFlags().readingInProgress = 1;
  ReadingFlags().pageReadingRun = 1;
  try {
    ENGINE_CHECK_INDEX(5, 5);
    FAIL() << "the check did not unwind";
  } catch (const EngineFailure& failure) {
    EXPECT_STREQ(failure.code(), "Xftlinterr");
    EXPECT_TRUE(failure.failedCheck());
  }
  EXPECT_EQ(ReadingFlags().readingInProgress.load(), 0u);
  EXPECT_EQ(ReadingFlags().pageReadingRun.load(), 0u);
  ASSERT_EQ(host.FramePosts().size(), 1u);
  EXPECT_EQ(host.FramePosts()[0].message, 0x800Du);
  EXPECT_EQ(host.FramePosts()[0].wParam, 0u);
  EXPECT_EQ(host.FramePosts()[0].lParam, 0);
}

TEST(EngineErrors, PassingChecksDoNothing) {
  RecordingEngineHost host;
  int table[3] = {};
  ENGINE_CHECK_INDEX(0, 3);
  ENGINE_CHECK_INDEX(2, 3);
  ENGINE_CHECK_POINTER(table);
  EXPECT_THROW(ENGINE_CHECK_INDEX(-1, 3), EngineFailure);
  EXPECT_THROW(ENGINE_CHECK_POINTER(static_cast<int*>(nullptr)), EngineFailure);
  EXPECT_EQ(host.FailurePosts(), 2u);
}

TEST(EngineErrors, DefaultHostOnlyClearsTheFlags) {
  ReadingFlags().readingInProgress = 1;
  EXPECT_THROW(EngineAssertFail("file", 1), EngineFailure);
  EXPECT_EQ(ReadingFlags().readingInProgress.load(), 0u);
}

}  // namespace
