// The native side of the platform seam: files, searches, copies, folders,
// versions and the test-controlled user interface.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/FileLayer.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "platform/native/NativePlatform.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

namespace {

std::string ReadBytes(const std::u16string& path) {
  std::FILE* f = platform::OpenStream(path.c_str(), "rb");
  if (!f) return "<missing>";
  std::string bytes;
  for (int c; (c = std::fgetc(f)) != EOF;) bytes += static_cast<char>(c);
  std::fclose(f);
  return bytes;
}

std::set<std::string> Find(const std::u16string& pattern) {
  std::set<std::string> names;
  platform::FindRecord record;
  platform::FindHandle h = platform::FindFirst(pattern.c_str(), &record);
  if (h == platform::kNoFind) return names;
  do {
    names.insert(U8(record.name) + ((record.attributes & platform::kAttributeDirectory) ? "/" : ""));
  } while (platform::FindNext(h, &record));
  platform::FindClose(h);
  return names;
}

class NativeFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::MakeDirectory(scratch.File(u"sub").c_str()));
    WriteTestFile(scratch.File(u"a.txt"), "12345");
    WriteTestFile(scratch.File(u"b.TIF"), "");
    WriteTestFile(scratch.File(u"noext"), "");
    WriteTestFile(scratch.File(u"Page [1].tif"), "");
  }
  ScratchFolder scratch;
};

TEST_F(NativeFiles, SearchPatternsMatchAsOnWindows) {
  struct Case {
    const char16_t* pattern;
    std::set<std::string> names;
  } cases[] = {
      {u"*.*", {"./", "../", "a.txt", "b.TIF", "noext", "Page [1].tif", "sub/"}},
      {u"*", {"./", "../", "a.txt", "b.TIF", "noext", "Page [1].tif", "sub/"}},
      {u"*.tif", {"b.TIF", "Page [1].tif"}},
      {u"?.txt", {"a.txt"}},
      {u"Page [1].tif", {"Page [1].tif"}},
      {u"sub", {"sub/"}},
      {u"missing*", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.pattern));
    EXPECT_EQ(Find(scratch.File(c.pattern)), c.names);
  }
  EXPECT_TRUE(Find(scratch.File(u"nowhere") + u"/*").empty());
}

TEST_F(NativeFiles, SearchGivesSizesAndTakesBackslashes) {
  std::u16string pattern = scratch.File(u"a.txt");
  std::replace(pattern.begin(), pattern.end(), u'/', u'\\');
  platform::FindRecord record;
  platform::FindHandle h = platform::FindFirst(pattern.c_str(), &record);
  ASSERT_NE(h, platform::kNoFind);
  EXPECT_EQ(record.size, 5u);
  EXPECT_EQ(record.attributes & platform::kAttributeDirectory, 0u);
  EXPECT_FALSE(platform::FindNext(h, &record));
  platform::FindClose(h);
  EXPECT_EQ(ReadBytes(pattern), "12345");
}

// A link to a folder elsewhere is removed as a link; what it points to stays.
TEST_F(NativeFiles, DeleteTreeDoesNotFollowLinks) {
  ScratchFolder outside;
  WriteTestFile(outside.File(u"precious"), "p");
  std::u16string tree = scratch.File(u"tree-with-a-link-inside");
  ASSERT_TRUE(platform::MakeDirectory(tree.c_str()));
  ASSERT_EQ(symlink(U8(outside.Path()).c_str(), U8(tree + u"/link").c_str()), 0);
  DeleteTree(tree.c_str());
  EXPECT_EQ(ReadBytes(outside.File(u"precious")), "p");
  struct stat info;
  EXPECT_NE(lstat(U8(tree).c_str(), &info), 0);
}

TEST_F(NativeFiles, CopyOneFile) {
  std::u16string a = scratch.File(u"a.txt");
  std::u16string target = scratch.File(u"copy");
  EXPECT_TRUE(platform::CopyOneFile(a.c_str(), target.c_str(), true));
  EXPECT_EQ(ReadBytes(target), "12345");
  WriteTestFile(target, "other");
  EXPECT_FALSE(platform::CopyOneFile(a.c_str(), target.c_str(), true));
  EXPECT_EQ(ReadBytes(target), "other");
  EXPECT_TRUE(platform::CopyOneFile(a.c_str(), target.c_str(), false));
  EXPECT_EQ(ReadBytes(target), "12345");
  // Onto itself: refused, and the file keeps its bytes.
  EXPECT_FALSE(platform::CopyOneFile(a.c_str(), a.c_str(), false));
  EXPECT_EQ(ReadBytes(a), "12345");
  EXPECT_FALSE(platform::CopyOneFile(scratch.File(u"missing").c_str(), target.c_str(), false));
}

TEST_F(NativeFiles, CopyFilesMatchingMakesTheTargetAndCopiesFolders) {
  WriteTestFile(scratch.File(u"sub/inner"), "i");
  ScratchFolder other;
  std::u16string target = other.File(u"new/deeper");
  std::u16string pattern = scratch.Path() + u"\\*.*";
  ASSERT_TRUE(platform::CopyFilesMatching(pattern.c_str(), target.c_str()));
  const std::set<std::string> all{"./", "../", "a.txt", "b.TIF", "noext", "Page [1].tif", "sub/"};
  EXPECT_EQ(Find(target + u"/*"), all);
  EXPECT_EQ(ReadBytes(target + u"/a.txt"), "12345");
  EXPECT_EQ(ReadBytes(target + u"/sub/inner"), "i");
  EXPECT_FALSE(platform::CopyFilesMatching(scratch.File(u"nowhere/*.*").c_str(), target.c_str()));

  // Into a folder of the source: everything but the folder that holds the target.
  std::u16string inside = scratch.File(u"sub/copy");
  EXPECT_FALSE(platform::CopyFilesMatching(pattern.c_str(), inside.c_str()));
  EXPECT_EQ(ReadBytes(inside + u"/a.txt"), "12345");
  EXPECT_EQ(ReadBytes(inside + u"/sub/inner"), "<missing>");
}

TEST_F(NativeFiles, FileVersionFromTheFixedVersionBlock) {
  const std::string block("\xBD\x04\xEF\xFE\x00\x00\x01\x00\x03\x00\x02\x00\x05\x00\x04\x00", 16);
  struct Case {
    std::string bytes;
    bool found;
    uint16_t parts[4];
  } cases[] = {
      {"MZ" + std::string(100, 'x') + block + "tail", true, {2, 3, 4, 5}},
      {std::string(65536 - 7, 'x') + block, true, {2, 3, 4, 5}},  // across a read boundary
      {std::string("\xBD\x04\xEF\xFE\x00\x00\x02\x00", 8) + block, true, {2, 3, 4, 5}},
      {"no version here", false, {0, 0, 0, 0}},
      {block.substr(0, 12), false, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    WriteTestFile(scratch.File(u"program.exe"), c.bytes);
    uint16_t parts[4] = {9, 9, 9, 9};
    EXPECT_EQ(platform::GetFileVersion(scratch.File(u"program.exe").c_str(), parts), c.found);
    EXPECT_EQ(std::vector<uint16_t>(parts, parts + 4), std::vector<uint16_t>(c.parts, c.parts + 4));
  }
  uint16_t parts[4];
  EXPECT_FALSE(platform::GetFileVersion(scratch.File(u"missing").c_str(), parts));
}

TEST_F(NativeFiles, FreeSpaceAndMemory) {
  EXPECT_GT(platform::FreeDiscSpace(scratch.Path().c_str()), 0u);
  EXPECT_EQ(platform::FreeDiscSpace(scratch.File(u"nowhere").c_str()), 0u);
  EXPECT_GT(platform::FreeMemory(), 0u);
}

// /dev/full takes no byte: the writers and the close report it.
TEST(NativeFileErrors, WritesToAFullDevice) {
  std::FILE* f = FileOpen(u"/dev/full", kFileWrite, false);
  if (!f) GTEST_SKIP() << "no /dev/full";
  std::setvbuf(f, nullptr, _IONBF, 0);
  const std::u16string stored = u"Bytes were not stored properly";
  FileError* error = FileWriteByte(f, 1);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(std::u16string(error->message), stored);
  ASSERT_NE(FileWriteU32LE(f, 1), nullptr);
  ASSERT_NE(FileWriteU32BE(f, 1), nullptr);
  ASSERT_NE(WriteWideString(f, u"x"), nullptr);
  EXPECT_FALSE(PutU16LE(1, f));
  FileClose(f);

  f = FileOpen(u"/dev/full", kFileWrite, false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileWriteByte(f, 1), nullptr);  // still in the stream's buffer
  error = FileClose(f);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(std::u16string(error->message), u"File could not be closed");
}

TEST(NativeFolders, SpecialFoldersAndProgramName) {
  char16_t out[260];
  platform::SetSpecialFolderForTest(platform::SpecialFolder::AppData, u"/data/app");
  EXPECT_TRUE(platform::GetSpecialFolder(platform::SpecialFolder::AppData, out, 260));
  EXPECT_EQ(std::u16string(out), u"/data/app");
  EXPECT_FALSE(platform::GetSpecialFolder(platform::SpecialFolder::AppData, out, 5));  // does not fit
  platform::SetSpecialFolderForTest(platform::SpecialFolder::AppData, u"");
  EXPECT_FALSE(platform::GetSpecialFolder(platform::SpecialFolder::AppData, out, 260));
  platform::SetSpecialFolderForTest(platform::SpecialFolder::AppData, nullptr);

  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_TRUE(platform::GetSpecialFolder(platform::SpecialFolder::MyDocuments, out, 260));
    EXPECT_EQ(U8(out), std::string(home) + "/Documents");
    EXPECT_TRUE(platform::GetSpecialFolder(platform::SpecialFolder::AppData, out, 260));
    EXPECT_EQ(U8(out), std::string(home) + "/.local/share");
  }

  ASSERT_TRUE(platform::GetProgramFileName(out, 260));
  std::string program = U8(out);
  EXPECT_EQ(program.substr(program.rfind('/') + 1), "platform_tests");
  platform::SetProgramFileNameForTest(u"/opt/Korvalinde.exe");
  ASSERT_TRUE(platform::GetProgramFileName(out, 260));
  EXPECT_EQ(std::u16string(out), u"/opt/Korvalinde.exe");
  platform::SetProgramFileNameForTest(nullptr);
}

}  // namespace
