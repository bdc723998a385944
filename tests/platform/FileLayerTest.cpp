#include "platform/FileLayer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

#ifdef _WIN32
#include <direct.h>
#define KV_CHDIR _chdir
#define KV_GETCWD _getcwd
static const char16_t kSep = u'\\';
#else
#include <unistd.h>
#define KV_CHDIR chdir
#define KV_GETCWD getcwd
static const char16_t kSep = u'/';
#endif

namespace {

std::string ReadFileBytes(const std::u16string& path) {
  std::string bytes;
  std::FILE* f = platform::OpenStream(path.c_str(), "rb");
  if (!f) return "<missing>";
  for (int c; (c = std::fgetc(f)) != EOF;) bytes += static_cast<char>(c);
  std::fclose(f);
  return bytes;
}

std::u16string MessageOf(const FileError* error) { return error ? std::u16string(error->message) : u"<none>"; }

class FileLayer : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  std::u16string Path(const char16_t* name) { return scratch.File(name); }
};

TEST_F(FileLayer, ReadNearTheEndReturnsTheBytesNotRead) {
  WriteTestFile(Path(u"ten"), "0123456789");
  std::FILE* f = FileOpen(Path(u"ten").c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileSeek(f, 6), nullptr);
  char buffer[10] = {};
  EXPECT_EQ(FileRead(f, buffer, 10), 6u);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(FileClose(f), nullptr);
}

TEST_F(FileLayer, OpenModes) {
  std::u16string path = Path(u"modes");
  WriteTestFile(path, "old");
  std::FILE* f = FileOpen(path.c_str(), kFileWrite, false);  // empties
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileWriteBytes(f, "ab", 2), nullptr);
  EXPECT_EQ(FileClose(f), nullptr);
  f = FileOpen(path.c_str(), kFileReadAppend, false);  // appends, reads
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileWriteByte(f, 'c'), nullptr);
  EXPECT_EQ(FileSeek(f, 0), nullptr);
  EXPECT_EQ(FileReadByte(f), 'a');
  EXPECT_EQ(FileClose(f), nullptr);
  EXPECT_EQ(ReadFileBytes(path), "abc");
  EXPECT_TRUE(FileExists(path.c_str()));
  EXPECT_FALSE(FileExists(Path(u"missing").c_str()));
  EXPECT_FALSE(FileExists(scratch.Path().c_str()));  // a folder is no file
}

TEST_F(FileLayer, OpenOfAMissingFileWithReportShowsTheErrorBox) {
  BoxRecorder boxes;
  std::u16string path = Path(u"missing.opt");
  EXPECT_EQ(FileOpen(path.c_str(), kFileRead, true), nullptr);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Cannot open " + path);
  EXPECT_EQ(boxes.Boxes()[0].caption, u"Message from Velmorant Korvalinde");
  EXPECT_EQ(boxes.Boxes()[0].style & platform::kBoxIconError, platform::kBoxIconError);

  EXPECT_EQ(FileOpen(path.c_str(), kFileRead, false), nullptr);  // no report
  EXPECT_EQ(FileOpen(Path(u"any").c_str(), 1, true), nullptr);   // not a mode
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(FileLayer, SizeAndTellKeepThePosition) {
  WriteTestFile(Path(u"f"), "12345");
  std::FILE* f = FileOpen(Path(u"f").c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileSeek(f, 2), nullptr);
  EXPECT_EQ(FileSize(f), 5);
  EXPECT_EQ(FileTell(f), 2);
  FileError* error = FileSeek(f, -1);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(MessageOf(error), u"File could not be seeked");
  EXPECT_EQ(error->code, 0u);
  EXPECT_EQ(LastFileError(), error);
  EXPECT_EQ(FileClose(f), nullptr);
  EXPECT_EQ(MessageOf(FileClose(nullptr)), u"File could not be closed");
}

TEST_F(FileLayer, ByteOrderReadersAndWriters) {
  std::u16string path = Path(u"numbers");
  std::FILE* f = FileOpen(path.c_str(), kFileWrite, false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileWriteU32LE(f, 0x01020304), nullptr);
  EXPECT_EQ(FileWriteU32BE(f, 0x01020304), nullptr);
  EXPECT_TRUE(PutU32LE(0xA1B2C3D4, f));
  EXPECT_TRUE(PutU16LE(0xBEEF, f));
  EXPECT_EQ(FileWriteByte(f, 0xFF), nullptr);
  EXPECT_EQ(FileClose(f), nullptr);
  EXPECT_EQ(ReadFileBytes(path), std::string("\x04\x03\x02\x01\x01\x02\x03\x04\xD4\xC3\xB2\xA1\xEF\xBE\xFF", 15));

  f = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  uint32_t u32 = 0;
  uint16_t u16 = 0;
  EXPECT_TRUE(ReadU32LE(f, &u32));
  EXPECT_EQ(u32, 0x01020304u);
  EXPECT_TRUE(ReadU16BE(f, &u16));
  EXPECT_EQ(u16, 0x0102);
  EXPECT_TRUE(ReadU16LE(f, &u16));
  EXPECT_EQ(u16, 0x0403);
  EXPECT_TRUE(ReadU24LE(f, &u32));
  EXPECT_EQ(u32, 0xB2C3D4u);
  EXPECT_TRUE(ReadU24LE(f, &u32));
  EXPECT_EQ(u32, 0xBEEFA1u);
  // One byte (0xFF) is left: every reader reports the end instead of a sum with -1.
  EXPECT_FALSE(ReadU16LE(f, &u16));
  EXPECT_EQ(u16, 0x0403);
  EXPECT_EQ(FileClose(f), nullptr);
}

TEST_F(FileLayer, ShortReadsAreReported) {
  struct Case {
    const char* bytes;
    size_t length;
  } cases[] = {{"", 0}, {"\xFF", 1}, {"\xFF\xFF", 2}, {"\xFF\xFF\xFF", 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    WriteTestFile(Path(u"short"), std::string(c.bytes, c.length));
    std::FILE* f = FileOpen(Path(u"short").c_str(), kFileRead, false);
    ASSERT_NE(f, nullptr);
    uint16_t u16;
    uint32_t u32;
    EXPECT_EQ(ReadU16LE(f, &u16), c.length >= 2);
    EXPECT_EQ(FileSeek(f, 0), nullptr);
    EXPECT_EQ(ReadU16BE(f, &u16), c.length >= 2);
    EXPECT_EQ(FileSeek(f, 0), nullptr);
    EXPECT_EQ(ReadU24LE(f, &u32), c.length >= 3);
    EXPECT_EQ(FileSeek(f, 0), nullptr);
    EXPECT_FALSE(ReadU32LE(f, &u32));
    EXPECT_EQ(FileClose(f), nullptr);
  }
}

TEST_F(FileLayer, WritersReportAFailedWrite) {
  std::u16string path = Path(u"read-only-stream");
  WriteTestFile(path, "x");
  std::FILE* f = FileOpen(path.c_str(), kFileRead, false);  // a stream that cannot be written
  ASSERT_NE(f, nullptr);
  const std::u16string stored = u"Bytes were not stored properly";
  EXPECT_EQ(MessageOf(FileWriteByte(f, 1)), stored);
  EXPECT_EQ(MessageOf(FileWriteU32LE(f, 1)), stored);
  EXPECT_EQ(MessageOf(FileWriteU32BE(f, 1)), stored);
  EXPECT_EQ(MessageOf(FileWriteBytes(f, "abc", 3)), stored);
  EXPECT_EQ(MessageOf(WriteWideString(f, u"abc")), stored);
  EXPECT_FALSE(PutU32LE(1, f));
  EXPECT_FALSE(PutU16LE(1, f));
  FileClose(f);
  EXPECT_EQ(ReadFileBytes(path), "x");
}

TEST_F(FileLayer, EmptyWideStringIsTwoZeroBytes) {
  std::u16string path = Path(u"empty-wide");
  std::FILE* f = FileOpen(path.c_str(), kFileWrite, false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(WriteWideString(f, u""), nullptr);
  EXPECT_EQ(FileClose(f), nullptr);
  EXPECT_EQ(ReadFileBytes(path), std::string(2, '\0'));

  f = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  char16_t buffer[8] = {u'x', u'x'};
  EXPECT_TRUE(ReadWideString(f, buffer, 8));
  EXPECT_EQ(std::u16string(buffer), u"");
  EXPECT_FALSE(ReadWideString(f, buffer, 8));  // the end of the file
  EXPECT_EQ(FileClose(f), nullptr);
}

// Characters with a byte 0xFF in them are text, not the end of the file.
TEST_F(FileLayer, WideStringsRoundTrip) {
  const std::u16string texts[] = {u"Allegro", u"\u00FF", u"\uFF01\uFF5E", u"a\u00FFb\uFFFDc", u"\u01FF\uFF00",
                                  u"Gr\u00FC\u00DF \U0001D11E"};
  std::u16string path = Path(u"wide");
  std::FILE* f = FileOpen(path.c_str(), kFileWrite, false);
  ASSERT_NE(f, nullptr);
  for (const std::u16string& text : texts) EXPECT_EQ(WriteWideString(f, text.c_str()), nullptr);
  EXPECT_EQ(FileClose(f), nullptr);

  f = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  for (const std::u16string& text : texts) {
    char16_t buffer[32];
    EXPECT_TRUE(ReadWideString(f, buffer, 32));
    EXPECT_EQ(std::u16string(buffer), text);
  }
  EXPECT_EQ(FileClose(f), nullptr);
}

TEST_F(FileLayer, WideStringStopsAtTheCapacityAndAtTheEnd) {
  std::u16string path = Path(u"wide-cut");
  // "abcdef" NUL, "gh" NUL, then "ij" and one odd byte without an end.
  WriteTestFile(path, std::string("a\0b\0c\0d\0e\0f\0\0\0g\0h\0\0\0i\0j\0k", 25));
  std::FILE* f = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  std::vector<char16_t> small(4, u'#');
  EXPECT_FALSE(ReadWideString(f, small.data(), small.size()));
  EXPECT_EQ(std::u16string(small.data()), u"abc");
  char16_t buffer[16];
  EXPECT_TRUE(ReadWideString(f, buffer, 16));  // the stream stands at the next string
  EXPECT_EQ(std::u16string(buffer), u"gh");
  EXPECT_FALSE(ReadWideString(f, buffer, 16));
  EXPECT_EQ(std::u16string(buffer), u"ij");
  EXPECT_EQ(FileClose(f), nullptr);
}

TEST_F(FileLayer, CStringStopsAtZeroCapacityAndEnd) {
  std::u16string path = Path(u"cstrings");
  WriteTestFile(path, std::string("Title\0\0abcdefgh\0tail", 20));
  std::FILE* f = FileOpen(path.c_str(), kFileRead, false);
  ASSERT_NE(f, nullptr);
  char buffer[16];
  EXPECT_TRUE(ReadCString(f, buffer, 16));
  EXPECT_STREQ(buffer, "Title");
  EXPECT_TRUE(ReadCString(f, buffer, 16));
  EXPECT_STREQ(buffer, "");
  std::vector<char> small(4, '#');
  EXPECT_FALSE(ReadCString(f, small.data(), small.size()));
  EXPECT_STREQ(small.data(), "abc");
  EXPECT_FALSE(ReadCString(f, buffer, 16));
  EXPECT_STREQ(buffer, "tail");
  EXPECT_EQ(FileClose(f), nullptr);
}

TEST_F(FileLayer, LoadWholeFiles) {
  WriteTestFile(Path(u"empty"), "");
  size_t size = 99;
  EXPECT_EQ(FileLoad(Path(u"empty").c_str(), nullptr, 0, &size), nullptr);
  EXPECT_EQ(size, 0u);

  WriteTestFile(Path(u"eight"), "12345678");
  std::vector<char> exact(8);
  EXPECT_EQ(FileLoad(Path(u"eight").c_str(), exact.data(), exact.size(), &size), nullptr);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::string(exact.data(), 8), "12345678");
  EXPECT_EQ(FileLoad(Path(u"eight").c_str(), exact.data(), exact.size(), nullptr), nullptr);

  // A file larger than the buffer is refused and nothing is read.
  std::vector<char> small(7, '#');
  size = 99;
  EXPECT_EQ(MessageOf(FileLoad(Path(u"eight").c_str(), small.data(), small.size(), &size)), u"File could not be loaded");
  EXPECT_EQ(std::string(small.data(), 7), "#######");
  EXPECT_EQ(size, 99u);

  EXPECT_EQ(MessageOf(FileLoad(Path(u"missing").c_str(), exact.data(), exact.size(), &size)), u"File could not be opened");
}

TEST_F(FileLayer, CopyDeleteAndMakeDir) {
  WriteTestFile(Path(u"source"), "new");
  WriteTestFile(Path(u"target"), "old and longer");
  EXPECT_EQ(FileCopy(Path(u"source").c_str(), Path(u"target").c_str()), nullptr);
  EXPECT_EQ(ReadFileBytes(Path(u"target")), "new");
  EXPECT_EQ(MessageOf(FileCopy(Path(u"missing").c_str(), Path(u"other").c_str())), u"File was not copied properly");

  EXPECT_EQ(FileDelete(Path(u"target").c_str()), nullptr);
  EXPECT_FALSE(FileExists(Path(u"target").c_str()));
  EXPECT_EQ(MessageOf(FileDelete(Path(u"target").c_str())), u"File could not be deleted");

  EXPECT_EQ(FileMakeDir(Path(u"folder").c_str()), nullptr);
  WriteTestFile(Path(u"folder") + kSep + u"inside", "x");
  // No text of its own: the record keeps the previous failure's message.
  FileError* error = FileMakeDir(Path(u"folder").c_str());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(MessageOf(error), u"File could not be deleted");
}

class DeleteTreeTest : public FileLayer {
 protected:
  // scratch/<tree>/{a.txt, .hidden, sub/{b.txt, deeper/c.txt}} and scratch/keep.txt
  void SetUp() override {
    tree = Path(u"tree-to-be-deleted");
    ASSERT_TRUE(platform::MakeDirectory(tree.c_str()));
    ASSERT_TRUE(platform::MakeDirectory((tree + kSep + u"sub").c_str()));
    ASSERT_TRUE(platform::MakeDirectory((tree + kSep + u"sub" + kSep + u"deeper").c_str()));
    WriteTestFile(tree + kSep + u"a.txt", "a");
    WriteTestFile(tree + kSep + u".hidden", "h");
    WriteTestFile(tree + kSep + u"sub" + kSep + u"b.txt", "b");
    WriteTestFile(tree + kSep + u"sub" + kSep + u"deeper" + kSep + u"c.txt", "c");
    WriteTestFile(Path(u"keep.txt"), "k");
  }
  bool Exists(const std::u16string& relative) { return FileExists((tree + kSep + relative).c_str()); }
  std::u16string tree;
};

TEST_F(DeleteTreeTest, DeletesTheContentsOfAFolderWithSubFolders) {
  ASSERT_GE((tree + kSep + u"*").size(), 20u);
  EXPECT_EQ(DeleteTree((tree + kSep + u"*").c_str()), 0);
  EXPECT_FALSE(Exists(u"a.txt"));
  EXPECT_FALSE(platform::RemoveDirectory((tree + kSep + u"sub").c_str()));  // gone already
  EXPECT_TRUE(Exists(u".hidden"));  // names starting with "." are passed over
  EXPECT_TRUE(FileExists(Path(u"keep.txt").c_str()));
}

TEST_F(DeleteTreeTest, DeletesOneNamedFolder) {
  FileDelete((tree + kSep + u".hidden").c_str());
  DeleteTree(tree.c_str());
  EXPECT_FALSE(platform::RemoveDirectory(tree.c_str()));  // gone already
  EXPECT_TRUE(FileExists(Path(u"keep.txt").c_str()));
}

TEST_F(DeleteTreeTest, RefusesShortAndEmptyPatterns) {
  char old[4096];
  ASSERT_NE(KV_GETCWD(old, sizeof old), nullptr);
  ASSERT_EQ(KV_CHDIR(U8(tree).c_str()), 0);
  const char16_t* refused[] = {nullptr, u"", u"*", u"a.txt", u"sub", u"*.txt and more than twenty characters"};
  for (const char16_t* pattern : refused) EXPECT_EQ(DeleteTree(pattern), 0);
  bool kept = Exists(u"a.txt") && Exists(u"sub" + std::u16string(1, kSep) + u"b.txt");
  ASSERT_EQ(KV_CHDIR(old), 0);
  EXPECT_TRUE(kept);
}

}  // namespace
