#include <gtest/gtest.h>

#include <string>

#include "platform/Settings.h"
#include "score/RecentFiles.h"

namespace {

class RecentFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { Global() = GlobalSettings{}; }
  void TearDown() override { Global() = GlobalSettings{}; }
  std::u16string Entry(int i) const { return Global().recentFiles[i]; }
};

TEST_F(RecentFilesTest, NewestFirstAtMostFive) {
  for (const char16_t* p : {u"a.opt", u"b.opt", u"c.opt", u"d.opt", u"e.opt", u"f.opt"}) AddRecentFile(p);
  EXPECT_EQ(Global().recentFileCount, 5u);
  EXPECT_EQ(Entry(0), u"f.opt");
  EXPECT_EQ(Entry(4), u"b.opt");
}

TEST_F(RecentFilesTest, AKnownPathMovesToTheTop) {
  for (const char16_t* p : {u"a.opt", u"b.opt", u"c.opt"}) AddRecentFile(p);
  AddRecentFile(u"A.OPT");
  EXPECT_EQ(Global().recentFileCount, 3u);
  EXPECT_EQ(Entry(0), u"A.OPT");
  EXPECT_EQ(Entry(1), u"c.opt");
  EXPECT_EQ(Entry(2), u"b.opt");
}

TEST_F(RecentFilesTest, MenuTextNumbersTheFileName) {
  AddRecentFile(u"C:\\Music\\Sonata.opt");
  char16_t text[300] = u"junk";
  FormatRecentFileItem(0, text, 300);
  EXPECT_EQ(std::u16string(text), u"1 Sonata.opt");
  FormatRecentFileItem(1, text, 300);
  EXPECT_EQ(std::u16string(text), u"");
}

}  // namespace
