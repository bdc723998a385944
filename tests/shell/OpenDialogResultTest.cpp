#include <gtest/gtest.h>

#include <string>

#include "reading/FileOpener.h"
#include "shell/OpenDialogResult.h"
#include "tests/support/TestText.h"

namespace {

// A dialog result from its NUL-separated parts, closed by the extra NUL.
std::u16string Result(std::initializer_list<std::u16string> parts) {
  std::u16string text;
  for (const std::u16string& part : parts) {
    text += part;
    text.push_back(u'\0');
  }
  text.push_back(u'\0');
  return text;
}

class OpenQueue : public ::testing::Test {
 protected:
  void SetUp() override { OpenFiles.count = 0; }
  void TearDown() override { OpenFiles.count = 0; }
};

TEST(OpenDialogResult, OneFileKeepsItsFolder) {
  std::u16string buffer = Result({u"C:\\Scores\\Page one.tif"});
  OpenDialogSelection s = SplitOpenDialogResult(buffer.data(), buffer.size());
  EXPECT_EQ(s.folder, u"C:\\Scores\\");
  ASSERT_EQ(s.paths.size(), 1u);
  EXPECT_EQ(s.paths[0], u"C:\\Scores\\Page one.tif");
}

TEST(OpenDialogResult, SeveralFilesFromADottedFolder) {
  std::u16string buffer = Result({u"C:\\Music.2009\\Scans.v2", u"a.tif", u"b.pdf"});
  OpenDialogSelection s = SplitOpenDialogResult(buffer.data(), buffer.size());
  EXPECT_EQ(s.folder, u"C:\\Music.2009\\Scans.v2");
  ASSERT_EQ(s.paths.size(), 2u);
  EXPECT_EQ(s.paths[0], u"C:\\Music.2009\\Scans.v2\\a.tif");
  EXPECT_EQ(s.paths[1], u"C:\\Music.2009\\Scans.v2\\b.pdf");
}

TEST(OpenDialogResult, RootFolderGetsNoSecondSeparator) {
  std::u16string buffer = Result({u"D:\\", u"x.bmp", u"y.bmp"});
  OpenDialogSelection s = SplitOpenDialogResult(buffer.data(), buffer.size());
  ASSERT_EQ(s.paths.size(), 2u);
  EXPECT_EQ(s.paths[0], u"D:\\x.bmp");
}

TEST(OpenDialogResult, EmptyOrUnendedBuffer) {
  std::u16string empty = Result({});
  EXPECT_TRUE(SplitOpenDialogResult(empty.data(), empty.size()).paths.empty());
  EXPECT_TRUE(SplitOpenDialogResult(nullptr, 10).paths.empty());
  // No NUL inside the capacity: nothing past it is read.
  std::u16string unended = u"C:\\a.tif";
  OpenDialogSelection s = SplitOpenDialogResult(unended.data(), unended.size());
  ASSERT_EQ(s.paths.size(), 1u);
  EXPECT_EQ(s.paths[0], u"C:\\a.tif");
}

TEST_F(OpenQueue, FiveHundredNamesQueueFourHundred) {
  std::u16string buffer = u"C:\\Many.files";
  buffer.push_back(u'\0');
  for (int i = 0; i < 500; ++i) {
    buffer += u"p" + U16(std::to_string(i)) + u".tif";
    buffer.push_back(u'\0');
  }
  buffer.push_back(u'\0');
  OpenDialogSelection s = SplitOpenDialogResult(buffer.data(), buffer.size());
  ASSERT_EQ(s.paths.size(), 500u);
  EXPECT_EQ(QueueOpenDialogSelection(s), kOpenFileQueueSlots);
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
  EXPECT_EQ(std::u16string(OpenFiles.paths[0]), u"C:\\Many.files\\p0.tif");
  EXPECT_EQ(std::u16string(OpenFiles.paths[399]), u"C:\\Many.files\\p399.tif");
  EXPECT_EQ(OpenFiles.types[0][0], 0);
}

TEST_F(OpenQueue, TooLongPathIsSkipped) {
  OpenDialogSelection s;
  s.paths = {std::u16string(300, u'a'), u"C:\\ok.tif"};
  EXPECT_EQ(QueueOpenDialogSelection(s), 1);
  EXPECT_EQ(std::u16string(OpenFiles.paths[0]), u"C:\\ok.tif");
}

}  // namespace
