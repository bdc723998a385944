// Start-up with a damaged recognition database: the program says which file
// it cannot load and ends after start-up, with exit code 0 and no crash.
#include <windows.h>

#include <shellapi.h>

#include "tests/e2e/ProgramCase.h"

namespace {

constexpr unsigned kDatabaseDamagedText = 11670;

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// The program's own folder, which holds its "Resources" folder.
std::u16string ProgramFolder() {
  const std::u16string exe = WindowsPath(KV_PROGRAM_EXE);
  return exe.substr(0, exe.find_last_of(u'\\'));
}

bool CopyFolder(const std::u16string& from, const std::u16string& to) {
  std::u16string source = from + u"\\*";
  source.push_back(u'\0');
  std::u16string target = to;
  target.push_back(u'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_COPY;
  operation.pFrom = Wide(source);
  operation.pTo = Wide(target);
  operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR;
  return SHFileOperationW(&operation) == 0;
}

// The first 100 bytes of the file only.
bool CutShort(const std::u16string& path) {
  HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool cut = SetFilePointer(file, 100, nullptr, FILE_BEGIN) == 100 && SetEndOfFile(file);
  CloseHandle(file);
  return cut;
}

// The machine-wide resource folder the program takes at start-up.
bool PointResourcesAt(const std::u16string& folder) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Velmorant\\Korvalinde\\Settings\\DataPath", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const bool set = RegSetValueExW(key, L"ResourcePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(Wide(folder)),
                                  static_cast<DWORD>((folder.size() + 1) * 2)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

}  // namespace

TEST_F(ProgramCase, DamagedShapeDatabaseEndsStartUpWithItsMessage) {
  // A copy of the shipped resources whose "XxXData" is cut short.
  const std::u16string copy = ProgramUnderTest::DataFolder() + u"\\ResourceCopy";
  CreateDirectoryW(Wide(ProgramUnderTest::DataFolder()), nullptr);
  CreateDirectoryW(Wide(copy), nullptr);
  ASSERT_TRUE(CopyFolder(ProgramFolder() + u"\\Resources", copy + u"\\Resources"));
  ASSERT_TRUE(CutShort(copy + u"\\Resources\\XxXData"));
  ASSERT_TRUE(PointResourcesAt(copy + u"\\"));

  ASSERT_TRUE(program.Start());
  // The message names the file: the text after the file's place holder.
  std::u16string tail = ProgramText(kDatabaseDamagedText);
  tail = tail.substr(tail.find(u"%s") + 2);
  HWND box = nullptr;
  const DWORD start = GetTickCount();
  while (!box && GetTickCount() - start < kStartTimeoutMs) {
    for (const ProgramBox& seen : program.Boxes()) {
      ASSERT_NE(seen.text.find(tail), std::u16string::npos) << "unexpected box: " << Narrow(seen.text);
      EXPECT_NE(seen.text.find(u"XxXData"), std::u16string::npos) << Narrow(seen.text);
      box = seen.window;
    }
    ASSERT_TRUE(box || program.IsRunning()) << "the program ended without its message";
    Sleep(100);
  }
  ASSERT_NE(box, nullptr) << "no message about the damaged database";
  ASSERT_TRUE(PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK))));
  const DWORD pressed = GetTickCount();
  while (IsWindow(box) && GetTickCount() - pressed < kAnswerTimeoutMs) Sleep(50);
  ASSERT_FALSE(IsWindow(box)) << "the message stayed after OK";
  ASSERT_TRUE(EndsWithExitCodeZero(program));
}
