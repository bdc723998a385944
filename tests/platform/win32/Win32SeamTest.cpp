// The Win32 side of the platform seam under Wine.
#include <windows.h>
#include <commctrl.h>
#undef RemoveDirectory  // <windows.h> names the wide call so; the seam has its own

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Code/Unicode/Utils/WinVersion.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/win32/AppWindows.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempText.h"
#include "tests/support/TestText.h"

namespace {

const char16_t kGreeting[] = u"Gr\u00FC\u00DFe";

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

struct Entry {
  std::u16string name;
  uint32_t attributes;
  uint64_t size;
};

std::vector<Entry> List(const std::u16string& pattern) {
  std::vector<Entry> entries;
  platform::FindRecord record;
  platform::FindHandle find = platform::FindFirst(pattern.c_str(), &record);
  if (find == platform::kNoFind) return entries;
  do {
    std::u16string name = record.name;
    if (name != u"." && name != u"..") entries.push_back({name, record.attributes, record.size});
  } while (platform::FindNext(find, &record));
  platform::FindClose(find);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

TEST(Win32Seam, FindsFilesAndFolders) {
  ScratchFolder folder;
  WriteTestFile(folder.File(u"a.txt"), "x");
  WriteTestFile(folder.File(kGreeting), "Largo");
  ASSERT_TRUE(platform::MakeDirectory(folder.File(u"Ordner").c_str()));
  std::vector<Entry> entries = List(folder.File(u"*"));
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ(kGreeting, entries[0].name);
  EXPECT_EQ(5u, entries[0].size);
  EXPECT_EQ(u"Ordner", entries[1].name);
  EXPECT_NE(0u, entries[1].attributes & platform::kAttributeDirectory);
  EXPECT_EQ(u"a.txt", entries[2].name);
  EXPECT_EQ(0u, entries[2].attributes & platform::kAttributeDirectory);
  EXPECT_TRUE(List(folder.File(u"*.none")).empty());
}

TEST(Win32Seam, FilesAndFolders) {
  ScratchFolder folder;
  std::u16string file = folder.File(u"Satz.txt");
  std::FILE* writing = platform::OpenStream(file.c_str(), "wb");
  ASSERT_NE(nullptr, writing);
  std::FILE* reading = platform::OpenStream(file.c_str(), "rb");  // shared access
  EXPECT_NE(nullptr, reading);
  if (reading) std::fclose(reading);
  std::fclose(writing);

  std::u16string copy = folder.File(u"Kopie.txt");
  EXPECT_TRUE(platform::CopyOneFile(file.c_str(), copy.c_str(), true));
  EXPECT_FALSE(platform::CopyOneFile(file.c_str(), copy.c_str(), true));
  EXPECT_TRUE(platform::CopyOneFile(file.c_str(), copy.c_str(), false));
  EXPECT_TRUE(platform::RemoveFile(copy.c_str()));
  EXPECT_FALSE(platform::RemoveFile(copy.c_str()));

  std::u16string sub = folder.File(u"Unter");
  EXPECT_TRUE(platform::MakeDirectory(sub.c_str()));
  EXPECT_FALSE(platform::MakeDirectory(sub.c_str()));
  EXPECT_TRUE(platform::RemoveDirectory(sub.c_str()));
  EXPECT_FALSE(Exists(sub));
}

DWORD WINAPI CloseAfterAMoment(LPVOID handle) {
  Sleep(150);
  CloseHandle(static_cast<HANDLE>(handle));
  return 0;
}

// An "Index" holding "old" that a reader holds open (without leave to
// delete it), and an "Index.new" holding "new" to replace it.
struct HeldTarget {
  HeldTarget() {
    WriteTestFile(target, "old");
    WriteTestFile(fresh, "new");
    held = CreateFileW(reinterpret_cast<const wchar_t*>(target.c_str()), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ScratchFolder folder;
  const std::u16string target = folder.File(u"Index");
  const std::u16string fresh = folder.File(u"Index.new");
  HANDLE held = INVALID_HANDLE_VALUE;
};

// A reader that holds the target open for a moment (without leave to delete
// it) delays a replacing rename; it does not make it fail.
TEST(Win32Seam, ARenameWaitsForAMomentaryReaderOfItsTarget) {
  HeldTarget files;
  const std::u16string& target = files.target;
  const std::u16string& fresh = files.fresh;
  HANDLE held = files.held;
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  HANDLE closer = CreateThread(nullptr, 0, CloseAfterAMoment, held, 0, nullptr);
  ASSERT_NE(nullptr, closer);
  EXPECT_TRUE(platform::RenameFile(fresh.c_str(), target.c_str(), true));
  WaitForSingleObject(closer, INFINITE);
  CloseHandle(closer);
  std::FILE* stream = platform::OpenStream(target.c_str(), "rb");
  ASSERT_NE(nullptr, stream);
  char text[8] = {};
  EXPECT_EQ(3u, std::fread(text, 1, sizeof text - 1, stream));
  std::fclose(stream);
  EXPECT_STREQ("new", text);
  EXPECT_FALSE(Exists(fresh));
}

// A reader that never lets go makes the rename fail after its retries, and
// both files stay as they were.
TEST(Win32Seam, ARenameGivesUpOnATargetHeldOpen) {
  HeldTarget files;
  const std::u16string& target = files.target;
  const std::u16string& fresh = files.fresh;
  HANDLE held = files.held;
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_FALSE(platform::RenameFile(fresh.c_str(), target.c_str(), true));
  CloseHandle(held);
  EXPECT_TRUE(Exists(fresh));
  EXPECT_TRUE(Exists(target));
}

TEST(Win32Seam, CopiesFilesMatchingAPatternIntoANewFolder) {
  ScratchFolder folder;
  std::u16string source = folder.File(u"Quelle");
  ASSERT_TRUE(platform::MakeDirectory(source.c_str()));
  WriteTestFile(source + u"\\!Index", "index");
  WriteTestFile(source + u"\\" + kGreeting, "page");
  std::u16string target = folder.File(u"Ziel");
  EXPECT_TRUE(platform::CopyFilesMatching((source + u"\\*.*").c_str(), target.c_str()));
  std::vector<Entry> copied = List(target + u"\\*");
  ASSERT_EQ(2u, copied.size());
  EXPECT_EQ(u"!Index", copied[0].name);
  EXPECT_EQ(kGreeting, copied[1].name);
}

TEST(Win32Seam, SpecialFoldersAndTheProgramFile) {
  char16_t path[MAX_PATH] = {};
  for (platform::SpecialFolder which : {platform::SpecialFolder::MyDocuments, platform::SpecialFolder::AppData}) {
    ASSERT_TRUE(platform::GetSpecialFolder(which, path, MAX_PATH));
    EXPECT_GT(std::char_traits<char16_t>::length(path), 3u);
    char16_t tiny[4];
    EXPECT_FALSE(platform::GetSpecialFolder(which, tiny, 4));
  }
  ASSERT_TRUE(platform::GetProgramFileName(path, MAX_PATH));
  std::u16string program(path);
  EXPECT_EQ(u"platform_tests.exe", program.substr(program.rfind(u'\\') + 1));
  char16_t tiny[5];
  EXPECT_FALSE(platform::GetProgramFileName(tiny, 5));
  EXPECT_EQ(u'\0', tiny[0]);
}

TEST(Win32Seam, FileVersionOfASystemLibrary) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::u16string kernel = std::u16string(reinterpret_cast<char16_t*>(system)) + u"\\kernel32.dll";
  uint16_t parts[4] = {};
  ASSERT_TRUE(platform::GetFileVersion(kernel.c_str(), parts));
  EXPECT_GT(parts[0], 0);
  uint16_t none[4] = {9, 9, 9, 9};
  EXPECT_FALSE(platform::GetFileVersion(u"C:\\no\\such\\file.dll", none));
  EXPECT_EQ(0, none[0] | none[1] | none[2] | none[3]);
}

TEST(Win32Seam, SpaceMemoryHeapAndVersion) {
  ScratchFolder folder;
  EXPECT_GT(platform::FreeDiscSpace(folder.Path().c_str()), 0u);
  EXPECT_EQ(0u, platform::FreeDiscSpace(u"Q:\\no\\such\\drive"));
  EXPECT_GT(platform::FreeMemory(), 0u);
  EXPECT_TRUE(platform::IsHeapValid());
  platform::OsVersion os{};
  ASSERT_TRUE(platform::QueryOsVersion(&os));
  EXPECT_EQ(2u, os.platformId);
  EXPECT_GE(os.major, 5u);
}

TEST(Win32Seam, CodePagesAndComparison) {
  char bytes[16] = {};
  EXPECT_EQ(5, platform::WideToMultiByte(1252, kGreeting, 5, bytes, 16));
  EXPECT_EQ(std::string("Gr\xFC\xDF" "e"), std::string(bytes, 5));
  EXPECT_EQ(4, platform::WideToMultiByte(932, u"\u65E5\u672C", 2, nullptr, 0));
  EXPECT_EQ(0, platform::WideToMultiByte(1252, kGreeting, 5, bytes, 2)) << "too small";
  char16_t wide[8] = {};
  EXPECT_EQ(5, platform::MultiByteToWide(platform::kAnsiCodePage, "Gr\xFC\xDF" "e", 5, wide, 8));
  EXPECT_EQ(kGreeting, std::u16string(wide, 5));

  EXPECT_LT(platform::CompareUserLocale(u"apple", u"Banana", true), 0);
  EXPECT_GT(platform::CompareUserLocale(u"Banana", u"apple", true), 0);
  EXPECT_EQ(0, platform::CompareUserLocale(u"Gr\u00DC\u00DFE", kGreeting, true));
  EXPECT_NE(0, platform::CompareUserLocale(u"Gr\u00DC\u00DFE", kGreeting, false));
}

TEST(Win32Seam, UiStringsFromTheProgramsTable) {
  char16_t text[64] = u"old";
  EXPECT_EQ(33, platform::LoadUiString(10110, text, 64));
  EXPECT_EQ(u"Message from Velmorant Korvalinde", std::u16string(text));
  EXPECT_EQ(0, platform::LoadUiString(3, text, 64));  // 3 has no string
  EXPECT_EQ(u"", std::u16string(text));
}

class Win32Registry : public testing::Test {
 protected:
  void SetUp() override {
    path_ = u"Software\\Velmorant\\KorvalindeTests\\Seam" + U16(std::to_string(GetCurrentProcessId())) + u"-" +
            U16(std::to_string(GetTickCount()));
  }
  void TearDown() override { platform::reg::DeleteKeyTree(platform::reg::kCurrentUser, path_.c_str()); }
  std::u16string path_;
};

TEST_F(Win32Registry, ValuesOfAllThreeTypesComeBackAsStored) {
  using namespace platform::reg;
  Key key = 0;
  bool created = false;
  ASSERT_EQ(kOk, CreateKey(kCurrentUser, path_.c_str(), kAccessAll, &key, &created));
  EXPECT_TRUE(created);
  const char16_t text[] = u"Gr\u00FC\u00DFe";
  const uint32_t number = 0xA1B2C3D4;
  const uint8_t rectangle[16] = {1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0};
  EXPECT_EQ(kOk, SetValue(key, u"Text", kTypeSz, text, sizeof(text)));
  EXPECT_EQ(kOk, SetValue(key, u"Number", kTypeDword, &number, sizeof(number)));
  EXPECT_EQ(kOk, SetValue(key, u"Area", kTypeBinary, rectangle, sizeof(rectangle)));
  EXPECT_EQ(kOk, CloseKey(key));

  ASSERT_EQ(kOk, OpenKey(kCurrentUser, path_.c_str(), kAccessRead, &key));
  uint8_t data[64] = {};
  uint32_t type = 0, size = sizeof(data);
  ASSERT_EQ(kOk, QueryValue(key, u"Text", &type, data, &size));
  EXPECT_EQ(kTypeSz, type);
  ASSERT_EQ(sizeof(text), size);
  EXPECT_EQ(0, std::memcmp(text, data, size));
  size = sizeof(data);
  ASSERT_EQ(kOk, QueryValue(key, u"Number", &type, data, &size));
  EXPECT_EQ(kTypeDword, type);
  uint32_t back = 0;
  std::memcpy(&back, data, sizeof(back));
  EXPECT_EQ(number, back);
  size = sizeof(data);
  ASSERT_EQ(kOk, QueryValue(key, u"Area", &type, data, &size));
  EXPECT_EQ(kTypeBinary, type);
  ASSERT_EQ(sizeof(rectangle), size);
  EXPECT_EQ(0, std::memcmp(rectangle, data, size));

  size = 4;
  EXPECT_EQ(kMoreData, QueryValue(key, u"Area", &type, data, &size));
  size = 0;
  EXPECT_EQ(kOk, QueryValue(key, u"Area", nullptr, nullptr, &size));
  EXPECT_EQ(sizeof(rectangle), size);
  EXPECT_EQ(kNotFound, QueryValue(key, u"Missing", &type, data, &size));
  EXPECT_EQ(kOk, CloseKey(key));

  // The ANSI calls see the text in the ANSI code page.
  std::string ansiPath(path_.begin(), path_.end());
  ASSERT_EQ(kOk, OpenKeyAnsi(kCurrentUser, ansiPath.c_str(), kAccessQuery, &key));
  char ansi[32] = {};
  size = sizeof(ansi);
  ASSERT_EQ(kOk, QueryValueAnsi(key, "Text", &type, ansi, &size));
  EXPECT_STREQ("Gr\xFC\xDF" "e", ansi);
  EXPECT_EQ(kOk, CloseKey(key));

  ASSERT_EQ(kOk, OpenKey(kCurrentUser, path_.c_str(), kAccessAll, &key));
  EXPECT_EQ(kOk, DeleteValue(key, u"Number"));
  EXPECT_EQ(kNotFound, QueryValue(key, u"Number", &type, data, &size));
  EXPECT_EQ(kOk, CloseKey(key));
  EXPECT_EQ(kOk, DeleteKeyTree(kCurrentUser, path_.c_str()));
  EXPECT_EQ(kNotFound, OpenKey(kCurrentUser, path_.c_str(), kAccessRead, &key));
}

TEST_F(Win32Registry, TheUnnamedValue) {
  using namespace platform::reg;
  Key key = 0;
  ASSERT_EQ(kOk, CreateKey(kCurrentUser, (path_ + u"\\Sub\\Key").c_str(), kAccessAll, &key, nullptr));
  const char16_t text[] = u"Adagio";
  EXPECT_EQ(kOk, SetValue(key, nullptr, kTypeSz, text, sizeof(text)));
  char16_t back[16] = {};
  uint32_t size = sizeof(back);
  EXPECT_EQ(kOk, QueryValue(key, u"", nullptr, back, &size));
  EXPECT_EQ(u"Adagio", std::u16string(back));
  CloseKey(key);
}

class StatusWindow : public testing::Test {
 protected:
  void TearDown() override {
    Windows().status = nullptr;
    if (frame_) DestroyWindow(frame_);
    ResetWindowsVersionForTest();
  }
  HWND Make() {
    frame_ = UniCreateWindow(u"STATIC", u"", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
    HWND status = UniCreateStatusWindow(WS_CHILD, u"", frame_, 1);
    int edges[3] = {50, 100, -1};
    SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    return status;
  }
  HWND frame_ = nullptr;
};

TEST_F(StatusWindow, FieldsGetTheirText) {
  platform::SetStatusField(2, u"nowhere");  // no status window yet: nothing happens
  Windows().status = Make();
  ASSERT_NE(nullptr, Windows().status);
  platform::SetStatusField(2, kGreeting);
  platform::SetStatusField(0, u"00:01");
  wchar_t text[32] = {};
  SendMessageW(Windows().status, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(kGreeting, std::u16string(reinterpret_cast<char16_t*>(text)));
  SendMessageW(Windows().status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(u"00:01", std::u16string(reinterpret_cast<char16_t*>(text)));
}

TEST(Win32Seam, ReleasingTheMouseClearsTheTrackingFlags) {
  Windows().mouseTracking[0] = 1;
  Windows().mouseTracking[1] = 1;
  platform::ReleaseMouseForBox();
  EXPECT_EQ(0u, Windows().mouseTracking[0]);
  EXPECT_EQ(0u, Windows().mouseTracking[1]);
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_FALSE(platform::IsEscapePressed());
}

}  // namespace
