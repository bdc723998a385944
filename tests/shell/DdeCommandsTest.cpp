#include <gtest/gtest.h>

#include <string>

#include "reading/FileOpener.h"
#include "shell/DdeCommands.h"
#include "tests/support/TestText.h"

namespace {

DdeCommand Parse(const std::u16string& text, std::u16string* path = nullptr) {
  char16_t out[kOpenPathUnits];
  DdeCommand command = ParseSystemCommand(text.c_str(), text.size(), out, kOpenPathUnits);
  if (path) *path = out;
  return command;
}

TEST(DdeCommands, ReadsOpenCommandsStrictly) {
  struct Case {
    std::u16string text;
    DdeCommand command;
    std::u16string path;
  };
  const Case cases[] = {
      {u"[open(\"C:\\Scans\\page 1.tif\")]", DdeCommand::Open, u"C:\\Scans\\page 1.tif"},
      {u"[open(\"a\")]", DdeCommand::Open, u"a"},
      {u"[open(\"C:\\Noten\\\u00dcbung.opt\")]", DdeCommand::Open, u"C:\\Noten\\\u00dcbung.opt"},
      {u"[print(\"C:\\a.opt\")]", DdeCommand::Print, u""},
      {u"[print(", DdeCommand::Print, u""},
      {u"[open(\"\")]", DdeCommand::Refused, u""},              // no path
      {u"[open(C:\\a.tif)]", DdeCommand::Refused, u""},         // no quotes
      {u"[open(\"C:\\a.tif)]", DdeCommand::Refused, u""},       // closing quote missing
      {u"[open(\"C:\\a.tif\")", DdeCommand::Refused, u""},      // no closing bracket
      {u"[open(\"C:\\a.tif\")] ", DdeCommand::Refused, u""},    // trailing text
      {u"[open(\"C:\\a.tif\")][open(\"b\")]", DdeCommand::Refused, u""},  // quote in the path
      {u"[open(\"", DdeCommand::Refused, u""},
      {u"[open(\"\")", DdeCommand::Refused, u""},
      {u"[OPEN(\"C:\\a.tif\")]", DdeCommand::Refused, u""},
      {u" [open(\"C:\\a.tif\")]", DdeCommand::Refused, u""},
      {u"[open(\"C:\\a\tb.tif\")]", DdeCommand::Refused, u""},  // control character
      {u"Activate", DdeCommand::Refused, u""},
      {u"", DdeCommand::Refused, u""},
  };
  for (const Case& c : cases) {
    std::u16string path;
    EXPECT_EQ(Parse(c.text, &path), c.command) << U8(c.text);
    EXPECT_EQ(path, c.path) << U8(c.text);
  }
}

TEST(DdeCommands, TheTextEndsAtItsNulOrItsLength) {
  const std::u16string withNul = std::u16string(u"[open(\"C:\\a.tif\")]") + u'\0' + u"junk";
  std::u16string path;
  EXPECT_EQ(Parse(withNul, &path), DdeCommand::Open);
  EXPECT_EQ(path, u"C:\\a.tif");
  const std::u16string text = u"[open(\"C:\\a.tif\")]";
  char16_t out[kOpenPathUnits];
  EXPECT_EQ(ParseSystemCommand(text.c_str(), text.size() - 1, out, kOpenPathUnits), DdeCommand::Refused);
}

TEST(DdeCommands, APathThatDoesNotFitIsRefused) {
  const std::u16string longest(kOpenPathUnits - 1, u'x');
  EXPECT_EQ(Parse(u"[open(\"" + longest + u"\")]"), DdeCommand::Open);
  const std::u16string tooLong(kOpenPathUnits, u'x');
  std::u16string path = u"unchanged";
  EXPECT_EQ(Parse(u"[open(\"" + tooLong + u"\")]", &path), DdeCommand::Refused);
  EXPECT_EQ(path, u"");
  const std::u16string huge(5000, u'y');
  EXPECT_EQ(Parse(u"[open(\"" + huge + u"\")]"), DdeCommand::Refused);
  // A small output refuses what does not fit in it.
  char16_t small[4];
  const std::u16string text = u"[open(\"abcd\")]";
  EXPECT_EQ(ParseSystemCommand(text.c_str(), text.size(), small, 4), DdeCommand::Refused);
  EXPECT_EQ(small[0], 0);
}

TEST(DdeCommands, ActivateIsExactlyThatWord) {
  const std::u16string cases[] = {u"activate", u"Activate ", u"[open(\"a\")]", u"Activ", u""};
  EXPECT_EQ(ParseActivateCommand(u"Activate", 8), DdeCommand::Activate);
  EXPECT_EQ(ParseActivateCommand(u"Activate", 20), DdeCommand::Activate);  // ends at its NUL
  for (const std::u16string& text : cases)
    EXPECT_EQ(ParseActivateCommand(text.c_str(), text.size()), DdeCommand::Refused) << U8(text);
}

TEST(DdeCommands, TheTypeHintIsTheExtensionAtTheEnd) {
  struct Case {
    const char16_t* path;
    const char16_t* type;
  };
  const Case cases[] = {{u"C:\\a.tif", u".tif"}, {u"C:\\a.PDF", u".PDF"}, {u"C:\\a.tiff", u""},
                        {u"C:\\scan", u""},      {u"a", u""},             {u".opt", u".opt"}};
  for (const Case& c : cases) {
    char16_t type[8];
    DdePathType(c.path, type);
    EXPECT_EQ(std::u16string(type), c.type) << U8(c.path);
  }
}

class DdeQueue : public testing::Test {
 protected:
  void SetUp() override { OpenFiles.count = 0; }
  void TearDown() override { OpenFiles.count = 0; }
};

TEST_F(DdeQueue, AnOpenCommandQueuesThePathWithItsType) {
  const std::u16string text = u"[open(\"C:\\Scans\\p.tif\")]";
  EXPECT_EQ(QueueSystemCommand(text.c_str(), text.size()), DdeCommand::Open);
  ASSERT_EQ(OpenFiles.count, 1);
  EXPECT_EQ(std::u16string(OpenFiles.paths[0]), u"C:\\Scans\\p.tif");
  EXPECT_EQ(std::u16string(OpenFiles.types[0]), u".tif");
}

TEST_F(DdeQueue, OtherCommandsQueueNothing) {
  const std::u16string cases[] = {u"[print(\"C:\\a.opt\")]", u"[open(C:\\a.tif)]", u"Activate"};
  const DdeCommand expected[] = {DdeCommand::Print, DdeCommand::Refused, DdeCommand::Refused};
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(QueueSystemCommand(cases[i].c_str(), cases[i].size()), expected[i]);
  EXPECT_EQ(OpenFiles.count, 0);
}

TEST_F(DdeQueue, AFullQueueRefusesCleanly) {
  const std::u16string text = u"[open(\"C:\\x.tif\")]";
  for (int i = 0; i < kOpenFileQueueSlots; ++i)
    ASSERT_EQ(QueueSystemCommand(text.c_str(), text.size()), DdeCommand::Open);
  const std::u16string last = u"[open(\"C:\\last.tif\")]";
  EXPECT_EQ(QueueSystemCommand(last.c_str(), last.size()), DdeCommand::Refused);
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
  EXPECT_EQ(std::u16string(OpenFiles.paths[kOpenFileQueueSlots - 1]), u"C:\\x.tif");
}

}  // namespace
