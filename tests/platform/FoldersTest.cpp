#include "platform/Folders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"
#include "tests/platform/RegistryTestSupport.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

using namespace platform::reg;

namespace {

bool Exists(const std::u16string& path) { return FileExists(path.c_str()); }

bool FolderExists(const std::u16string& path) {
  std::u16string probe = path + u"\\probe";
  std::FILE* file = platform::OpenStream(probe.c_str(), "wb");
  if (!file) return false;
  std::fclose(file);
  platform::RemoveFile(probe.c_str());
  return true;
}

// Keeps the process-wide folders and restores them afterwards; the registry
// keys that the tests touch are removed before and after.
class FoldersTest : public testing::Test {
 protected:
  void SetUp() override {
    savedResource_ = ResourceFolder();
    savedData_ = DataFolder();
    regtest::CleanRegistry();
    resources_ = scratch_.File(u"program") + u"\\";
    data_ = scratch_.File(u"data");
    platform::MakeDirectory(scratch_.File(u"program").c_str());
    SetResourceFolder(resources_.c_str());
    SetDataFolder(data_.c_str());
  }
  void TearDown() override {
    regtest::CleanRegistry();
    SetResourceFolder(savedResource_.c_str());
    SetDataFolder(savedData_.c_str());
  }

  std::u16string Store(const std::u16string& name = u"") const {
    return data_ + u"\\RuzazEvova_d5" + (name.empty() ? u"" : u"\\" + name);
  }
  void MakeDefaultPages(const std::string& marker) {
    platform::MakeDirectory((resources_ + u"Resources").c_str());
    platform::MakeDirectory((resources_ + u"Resources\\Default MusicPages").c_str());
    WriteTestFile(resources_ + u"Resources\\Default MusicPages\\!Index", "default index");
    WriteTestFile(resources_ + u"Resources\\Default MusicPages\\" + U16(marker), "page");
  }

  ScratchFolder scratch_;
  std::u16string resources_;
  std::u16string data_;
  std::u16string savedResource_;
  std::u16string savedData_;
};

// ---- Base folders and paths ----

TEST_F(FoldersTest, PathsAreBuiltUnderTheBaseFolders) {
  SetResourceFolder(u"C:\\Program Files\\Korvalinde\\");
  SetDataFolder(u"C:\\Data\\Velmorant");
  char16_t out[260];
  ASSERT_TRUE(MakeResourcePath(out, u"Tips.pdf"));
  EXPECT_EQ(std::u16string(out), u"C:\\Program Files\\Korvalinde\\Tips.pdf");
  ASSERT_TRUE(MakeResourcesSubPath(out, u"General MIDI.txt"));
  EXPECT_EQ(std::u16string(out), u"C:\\Program Files\\Korvalinde\\Resources\\General MIDI.txt");
  ASSERT_TRUE(MakeMusicPagesPath(out, u"!Index"));
  EXPECT_EQ(std::u16string(out), u"C:\\Data\\Velmorant\\RuzazEvova_d5\\!Index");
  EXPECT_STREQ(ResourceFolderAnsi(), "C:\\Program Files\\Korvalinde\\");
}

TEST_F(FoldersTest, APathThatDoesNotFitIsRefusedWhole) {
  SetResourceFolder(u"C:\\Korvalinde\\");
  char16_t small[24] = u"old";
  EXPECT_FALSE(MakeResourcePath(small, u"a name that is too long"));  // 14 + 23 characters
  EXPECT_EQ(small[0], 0);
  EXPECT_TRUE(MakeResourcePath(small, u"fits.txt"));  // 14 + 8 and the NUL
}

TEST_F(FoldersTest, TheResourceFolderAlwaysEndsWithASeparatorAndTheDataFolderNever) {
  SetResourceFolder(u"D:\\Kv");
  EXPECT_EQ(std::u16string(ResourceFolder()), u"D:\\Kv\\");
  SetDataFolder(u"D:\\Data\\");
  EXPECT_EQ(std::u16string(DataFolder()), u"D:\\Data");
}

TEST_F(FoldersTest, InitialResourceFolderIsTheProgramsFolderNotTheCurrentOne) {
  char16_t program[1024];
  ASSERT_TRUE(platform::GetProgramFileName(program, 1024));
  std::u16string folder = InitialResourceFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == u'\\' || folder.back() == u'/');
  EXPECT_EQ(std::u16string(program).substr(0, folder.size()), folder);
  std::u16string rest = std::u16string(program).substr(folder.size());
  EXPECT_EQ(rest.find_first_of(u"\\/"), std::u16string::npos);  // only the file name is left
}

// ---- Setting up the page store ----

TEST_F(FoldersTest, AFirstStartCopiesTheDefaultPages) {
  MakeDefaultPages("page1");
  SetupMusicPages();
  EXPECT_TRUE(Exists(Store(u"!Index")));
  EXPECT_TRUE(Exists(Store(u"page1")));
  for (const char16_t* sub : {u"Saved", u"PDF", u"Transfers"}) EXPECT_TRUE(FolderExists(Store(sub))) << U8(sub);
}

TEST_F(FoldersTest, ASecondStartCopiesNothing) {
  MakeDefaultPages("page1");
  SetupMusicPages();
  WriteTestFile(resources_ + u"Resources\\Default MusicPages\\page2", "page");
  SetupMusicPages();
  EXPECT_FALSE(Exists(Store(u"page2")));
}

TEST_F(FoldersTest, OldPagesInTheProgramFolderMoveIntoTheStore) {
  MakeDefaultPages("default page");
  platform::MakeDirectory((resources_ + u"MusicPages").c_str());
  WriteTestFile(resources_ + u"MusicPages\\!Index", "old index");
  WriteTestFile(resources_ + u"MusicPages\\old page", "page");
  SetupMusicPages();
  EXPECT_TRUE(Exists(Store(u"old page")));
  EXPECT_FALSE(Exists(Store(u"default page")));
  EXPECT_FALSE(Exists(resources_ + u"MusicPages\\!Index"));
  EXPECT_FALSE(FolderExists(resources_ + u"MusicPages"));
}

TEST_F(FoldersTest, OldPagesInTheDataFolderAreCopiedAndLeftInPlace) {
  MakeDefaultPages("default page");
  platform::MakeDirectory(data_.c_str());
  platform::MakeDirectory((data_ + u"\\MusicPages").c_str());
  WriteTestFile(data_ + u"\\MusicPages\\!Index", "old index");
  WriteTestFile(data_ + u"\\MusicPages\\old page", "page");
  SetupMusicPages();
  EXPECT_TRUE(Exists(Store(u"old page")));
  EXPECT_TRUE(Exists(data_ + u"\\MusicPages\\old page"));
}

TEST_F(FoldersTest, OldPagesStayWhenTheirCopyFails) {
  platform::MakeDirectory((resources_ + u"MusicPages").c_str());
  WriteTestFile(resources_ + u"MusicPages\\!Index", "old index");
  WriteTestFile(resources_ + u"MusicPages\\old page", "page");
  platform::MakeDirectory(data_.c_str());
  WriteTestFile(Store(), "a file where the store's folder belongs");
  SetupMusicPages();
  EXPECT_TRUE(Exists(resources_ + u"MusicPages\\!Index"));
  EXPECT_TRUE(Exists(resources_ + u"MusicPages\\old page"));
}

// ---- The machine-wide resource path ----

class InitDataPathTest : public FoldersTest {
 protected:
  std::u16string StoredPath() { return regtest::GetText(kLocalMachine, regtest::kDataPathPath, u"ResourcePath"); }
};

TEST_F(InitDataPathTest, ANewKeyGetsTheStartUpFolderWithItsNul) {
  BoxRecorder boxes;
  InitDataPath();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(std::u16string(ResourceFolder()), resources_);
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(regtest::GetRaw(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", &type, &bytes));
  EXPECT_EQ(type, static_cast<uint32_t>(kTypeSz));
  EXPECT_EQ(bytes.size(), 2 * (resources_.size() + 1));
  EXPECT_EQ(StoredPath(), resources_);
}

TEST_F(InitDataPathTest, AStoredPathReplacesTheResourceFolder) {
  struct Case {
    std::u16string stored;
    std::u16string folder;
  } cases[] = {
      {u"C:\\Elsewhere\\", u"C:\\Elsewhere\\"},
      {u"C:\\No Backslash", u"C:\\No Backslash\\"},  // the separator is added
  };
  for (const Case& c : cases) {
    SetResourceFolder(resources_.c_str());
    regtest::SetText(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", c.stored);
    InitDataPath();
    EXPECT_EQ(std::u16string(ResourceFolder()), c.folder);
    EXPECT_EQ(StoredPath(), c.stored);
  }
}

TEST_F(InitDataPathTest, APathStoredWithoutItsNulReadsWhole) {
  const std::u16string stored = u"C:\\Exact\\";
  regtest::SetRaw(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", kTypeSz, stored.data(),
                  static_cast<uint32_t>(2 * stored.size()));
  InitDataPath();
  EXPECT_EQ(std::u16string(ResourceFolder()), stored);
}

TEST_F(InitDataPathTest, AnEmptyOrMissingPathIsRewritten) {
  regtest::SetText(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", u"");
  InitDataPath();
  EXPECT_EQ(StoredPath(), resources_);
  EXPECT_EQ(std::u16string(ResourceFolder()), resources_);

  regtest::SetText(kLocalMachine, regtest::kDataPathPath, u"Other", u"x");
  Key key = 0;
  ASSERT_EQ(OpenKey(kLocalMachine, regtest::kDataPathPath, kAccessAll, &key), kOk);
  DeleteValue(key, u"ResourcePath");
  CloseKey(key);
  BoxRecorder boxes;
  InitDataPath();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(StoredPath(), resources_);
}

TEST_F(InitDataPathTest, AnUnreadablePathIsReportedAndChangesNothing) {
  const std::u16string tooLong(300, u'x');  // 602 bytes: more than the 512 read
  regtest::SetText(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", tooLong);
  BoxRecorder boxes;
  InitDataPath();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10224));
  EXPECT_EQ(std::u16string(ResourceFolder()), resources_);
  EXPECT_EQ(StoredPath(), tooLong);

  boxes.Clear();
  regtest::SetDword(kLocalMachine, regtest::kDataPathPath, u"ResourcePath", 5);
  InitDataPath();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10224));
  EXPECT_EQ(std::u16string(ResourceFolder()), resources_);
}

TEST_F(InitDataPathTest, On9xThePathIsWrittenAndReadAsAnsi) {
  SetResourceFolder(u"C:\\M\u00FCsik\\");
  {
    regtest::RunAs9x win9x;
    InitDataPath();
    Key key = 0;
    ASSERT_EQ(OpenKey(kLocalMachine, regtest::kDataPathPath, kAccessRead, &key), kOk);
    char bytes[32] = {};
    uint32_t type = 0, size = sizeof bytes;
    ASSERT_EQ(QueryValue(key, u"ResourcePath", &type, bytes, &size), kOk);
    CloseKey(key);
    EXPECT_EQ(size, 10u);  // nine characters of code page 1252 and the NUL
    EXPECT_STREQ(bytes, "C:\\M\xFCsik\\");

    SetResourceFolder(u"C:\\Other\\");
    InitDataPath();
    EXPECT_EQ(std::u16string(ResourceFolder()), u"C:\\M\u00FCsik\\");
  }
  EXPECT_EQ(StoredPath(), u"C:\\M\u00FCsik\\");  // the same text seen by the NT family
}

// ---- Outside programs ----

class OutsideProgramsTest : public FoldersTest {
 protected:
  // Registers a program under HKLM\SOFTWARE\Cadenzor Software\<key>.
  void Register(const char16_t* key, const std::u16string& folder) {
    regtest::SetText(kLocalMachine, std::u16string(regtest::kVendorPath) + u"\\" + key + u"\\ApplicationPath",
                     nullptr, folder);
  }
  std::u16string Installed(const char16_t* name, const char16_t* fileName) {
    std::u16string folder = scratch_.File(name);
    platform::MakeDirectory(folder.c_str());
    EXPECT_TRUE(regtest::PlaceProgramWithVersion62(folder + u"\\" + fileName));
    return folder;
  }
};

TEST_F(OutsideProgramsTest, NothingRegisteredMeansNotInstalled) {
  EXPECT_EQ(FindCadenzor(), 0);
  EXPECT_EQ(FindR8(), 0);
  EXPECT_EQ(CadenzorVersion(), 0.0);
}

TEST_F(OutsideProgramsTest, TheNewestRegisteredCadenzorIsUsed) {
  Register(u"Cadenzor 6", Installed(u"c6", u"cadenzor.exe"));
  std::u16string five = scratch_.File(u"c5");
  platform::MakeDirectory(five.c_str());  // no program file: its version would read 0
  Register(u"Cadenzor 5", five);
  EXPECT_EQ(FindCadenzor(), 1);
  EXPECT_EQ(CadenzorVersion(), 6.0);
}

TEST_F(OutsideProgramsTest, AProgramKeyWithoutApplicationPathIsNotInstalled) {
  regtest::SetText(kLocalMachine, std::u16string(regtest::kVendorPath) + u"\\Cadenzor 4", u"Other", u"x");
  EXPECT_EQ(FindCadenzor(), 0);
}

TEST_F(OutsideProgramsTest, AnApplicationPathWithATrailingBackslashFindsTheFile) {
  Register(u"R8", Installed(u"r8", u"R8.exe") + u"\\");
  EXPECT_EQ(FindR8(), 1);
  EXPECT_EQ(R8Version(), 6.0);
}

TEST_F(OutsideProgramsTest, TheAnswerIsKeptForTheRun) {
  Register(u"R8", Installed(u"r8", u"R8.exe"));
  EXPECT_EQ(FindR8(), 1);
  DeleteKeyTree(kLocalMachine, (std::u16string(regtest::kVendorPath) + u"\\R8").c_str());
  EXPECT_EQ(FindR8(), 1);
  EXPECT_EQ(R8Version(), 6.0);
  ForgetOutsidePrograms();
  EXPECT_EQ(FindR8(), 0);
}

TEST_F(OutsideProgramsTest, GetFileVersionGivesTheFourParts) {
  std::u16string folder = Installed(u"v", u"program.exe");
  uint16_t parts[4] = {9, 9, 9, 9};
  GetFileVersion((folder + u"\\program.exe").c_str(), &parts[0], &parts[1], &parts[2], &parts[3]);
  EXPECT_EQ(parts[0], 6);
  EXPECT_EQ(parts[1], 2);
  EXPECT_EQ(parts[2], 0);
  EXPECT_EQ(parts[3], 0);
  GetFileVersion((folder + u"\\missing.exe").c_str(), &parts[0], &parts[1], &parts[2], &parts[3]);
  EXPECT_EQ(parts[0] | parts[1] | parts[2] | parts[3], 0);
}

}  // namespace
