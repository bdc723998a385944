// The wrappers' two roads under Wine: the wide calls, and the ANSI calls of
// the 9x road taken for real by forcing the family.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Code/Unicode/Utils/win32/Uni.h"
#include "tests/Code/Unicode/Utils/VersionOption.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestText.h"

namespace {

using utiltest::Forced9x;

const char16_t kGreeting[] = u"Gr\u00FC\u00DFe";
const char16_t kMessageCaption[] = u"Message from Velmorant Korvalinde";  // string 10110

const char16_t* Id(const wchar_t* resource) { return reinterpret_cast<const char16_t*>(resource); }

class UniText : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(1252u, GetACP()) << "the expected texts are in code page 1252"; }
  void TearDown() override { ResetWindowsVersionForTest(); }
};

TEST_F(UniText, ResourceIdsReachTheAnsiCallUnchanged) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HICON application = LoadIconW(nullptr, IDI_APPLICATION);
  Forced9x ansi;
  ASSERT_FALSE(IsWindowsNT());
  EXPECT_EQ(arrow, UniLoadCursor(nullptr, Id(IDC_ARROW)));
  EXPECT_EQ(application, UniLoadIcon(nullptr, Id(IDI_APPLICATION)));
  EXPECT_EQ(arrow, UniLoadImage(nullptr, Id(IDC_ARROW), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

TEST_F(UniText, LoadStringOnBothRoads) {
  HINSTANCE program = GetModuleHandleW(nullptr);
  for (bool nine : {false, true}) {
    Forced9x* ansi = nine ? new Forced9x : nullptr;
    char16_t text[64] = {};
    EXPECT_EQ(33, UniLoadString(program, 10110, text, 64)) << nine;
    EXPECT_EQ(std::u16string(kMessageCaption), text);
    char16_t small[9];
    std::fill(std::begin(small), std::end(small), u'#');
    EXPECT_EQ(7, UniLoadString(program, 10110, small, 8)) << nine;
    EXPECT_EQ(u"Message", std::u16string(small));
    EXPECT_EQ(u'#', small[8]);
    EXPECT_EQ(0, UniLoadString(program, 3, text, 64)) << "no such string";
    delete ansi;
  }
}

TEST_F(UniText, ModuleFileNameAndCurrentDirectoryAgree) {
  char16_t wideName[MAX_PATH] = {}, wideFolder[MAX_PATH] = {};
  DWORD nameLength = UniGetModuleFileName(nullptr, wideName, MAX_PATH);
  DWORD folderLength = UniGetCurrentDirectory(MAX_PATH, wideFolder);
  ASSERT_GT(nameLength, 0u);
  Forced9x ansi;
  char16_t name[MAX_PATH] = {}, folder[MAX_PATH] = {};
  EXPECT_EQ(nameLength, UniGetModuleFileName(nullptr, name, MAX_PATH));
  EXPECT_EQ(std::u16string(wideName), name);
  EXPECT_EQ(folderLength, UniGetCurrentDirectory(MAX_PATH, folder));
  EXPECT_EQ(std::u16string(wideFolder), folder);

  char16_t tooSmall[4];
  EXPECT_EQ(4u, UniGetModuleFileName(nullptr, tooSmall, 4));  // cut: the size, as the wide call says
  EXPECT_EQ(std::u16string(wideName).substr(0, 3), tooSmall);
  EXPECT_GT(UniGetCurrentDirectory(0, nullptr), 0u);
}

TEST_F(UniText, SpecialFoldersAgree) {
  char16_t wide[MAX_PATH] = {};
  ASSERT_EQ(S_OK, UniSHGetFolderPath(nullptr, CSIDL_APPDATA, nullptr, 0, wide, MAX_PATH));
  Forced9x ansi;
  char16_t folder[MAX_PATH] = {};
  EXPECT_EQ(S_OK, UniSHGetFolderPath(nullptr, CSIDL_APPDATA, nullptr, 0, folder, MAX_PATH));
  EXPECT_EQ(std::u16string(wide), folder);
  char16_t special[MAX_PATH] = {};
  EXPECT_TRUE(UniSHGetSpecialFolderPath(nullptr, special, CSIDL_APPDATA, FALSE, MAX_PATH));
  EXPECT_EQ(std::u16string(wide), special);
}

std::u16string UniqueTestKey() {
  return u"Software\\Velmorant\\KorvalindeTests\\Uni" + U16(std::to_string(GetCurrentProcessId())) + u"-" +
         U16(std::to_string(GetTickCount()));
}

TEST_F(UniText, RegistryNamesConvertAndDataPassesAsStored) {
  std::u16string path = UniqueTestKey();
  {
    Forced9x ansi;
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, UniRegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    const char stored[] = "Allegro \xE0 la";  // ANSI data, as the 9x registry keeps text
    EXPECT_EQ(ERROR_SUCCESS, UniRegSetValueEx(key, kGreeting, 0, REG_SZ, reinterpret_cast<const BYTE*>(stored),
                                              sizeof(stored)));
    char back[64] = {};
    DWORD type = 0, size = sizeof(back);
    EXPECT_EQ(ERROR_SUCCESS, UniRegQueryValueEx(key, kGreeting, nullptr, &type, reinterpret_cast<BYTE*>(back), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ(stored, back);

    HKEY sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, UniRegCreateKeyEx(key, u"\u00C4rger", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    RegCloseKey(sub);
    char16_t name[32] = {};
    DWORD nameLength = 32;
    EXPECT_EQ(ERROR_SUCCESS, UniRegEnumKeyEx(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(u"\u00C4rger", std::u16string(name));
    EXPECT_EQ(5u, nameLength);
    char16_t shortName[3] = {};
    DWORD shortLength = 3;
    EXPECT_EQ(ERROR_MORE_DATA, UniRegEnumKeyEx(key, 0, shortName, &shortLength, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);

    HKEY opened = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, UniRegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened));
    RegCloseKey(opened);
  }
  // The wide calls see the same names.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(path.c_str()), 0,
                                         KEY_READ, &key));
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, reinterpret_cast<const wchar_t*>(kGreeting), nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(text), &size));
  EXPECT_EQ(u"Allegro \u00E0 la", std::u16string(reinterpret_cast<char16_t*>(text)));
  RegCloseKey(key);
  SHDeleteKeyW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(path.c_str()));
}

TEST_F(UniText, WindowTextOnARealAnsiWindow) {
  Forced9x ansi;
  HWND window = UniCreateWindowEx(0, u"STATIC", kGreeting, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_FALSE(IsWindowUnicode(window));
  char16_t text[32] = {};
  EXPECT_EQ(5, UniGetWindowText(window, text, 32));
  EXPECT_EQ(std::u16string(kGreeting), text);

  EXPECT_TRUE(UniSetWindowText(window, u"\u00C4rger"));
  wchar_t wide[32] = {};
  GetWindowTextW(window, wide, 32);
  EXPECT_EQ(u"\u00C4rger", std::u16string(reinterpret_cast<char16_t*>(wide)));

  char16_t small[4];
  std::fill(std::begin(small), std::end(small), u'#');
  EXPECT_EQ(2, UniGetWindowText(window, small, 3));
  EXPECT_EQ(u"\u00C4r", std::u16string(small));
  EXPECT_EQ(u'#', small[3]);
  DestroyWindow(window);
}

TEST_F(UniText, DialogItemTexts) {
  Forced9x ansi;
  HWND parent = UniCreateWindowEx(0, u"STATIC", u"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
  HWND item = UniCreateWindowEx(0, u"EDIT", u"", WS_CHILD, 0, 0, 50, 20, parent, reinterpret_cast<HMENU>(7),
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, item);
  EXPECT_TRUE(UniSetDlgItemText(parent, 7, kGreeting));
  char16_t text[16] = {};
  EXPECT_EQ(5u, UniGetDlgItemText(parent, 7, text, 16));
  EXPECT_EQ(std::u16string(kGreeting), text);
  EXPECT_EQ(5, UniSendDlgItemMessage(parent, 7, WM_GETTEXTLENGTH, 0, 0));
  DestroyWindow(parent);
}

TEST_F(UniText, FilesThroughTheRuntimesAnsiCalls) {
  ScratchFolder folder;
  Forced9x ansi;
  std::u16string sub = folder.File(u"Ordner");
  EXPECT_EQ(0, UniMkDir(sub.c_str()));
  std::u16string file = folder.File(u"Gr\u00FC\u00DFe.txt");
  std::FILE* stream = UniFOpen(file.c_str(), u"wb");
  ASSERT_NE(nullptr, stream);
  std::fputs("Andante", stream);
  // Shared access: the open file can be opened again for reading.
  std::FILE* again = UniFOpen(file.c_str(), u"rb");
  EXPECT_NE(nullptr, again);
  if (again) std::fclose(again);
  std::fclose(stream);

  _wfinddatai64_t found = {};
  std::u16string pattern = folder.File(u"*.txt");
  intptr_t search = UniFindFirst(pattern.c_str(), &found);
  ASSERT_NE(-1, search);
  EXPECT_EQ(u"Gr\u00FC\u00DFe.txt", std::u16string(reinterpret_cast<char16_t*>(found.name)));
  EXPECT_EQ(7, found.size);
  EXPECT_EQ(0u, found.attrib & _A_SUBDIR);
  EXPECT_NE(0, UniFindNext(search, &found));
  _findclose(search);

  std::u16string copy = folder.File(u"Kopie.txt");
  EXPECT_TRUE(UniCopyFile(file.c_str(), copy.c_str(), TRUE));
  EXPECT_FALSE(UniCopyFile(file.c_str(), copy.c_str(), TRUE));
  EXPECT_EQ(0, UniRemove(copy.c_str()));
  EXPECT_EQ(0, UniRemove(file.c_str()));
  EXPECT_EQ(nullptr, UniFOpen(file.c_str(), u"rb"));
  EXPECT_TRUE(UniRemoveDirectory(sub.c_str()));
}

TEST_F(UniText, OwnerDrawnMenuItemsKeepTheirData) {
  Forced9x ansi;
  HMENU menu = CreatePopupMenu();
  const auto data = reinterpret_cast<const char16_t*>(uintptr_t{0x12345678});
  EXPECT_TRUE(UniAppendMenu(menu, MF_OWNERDRAW, 100, data));
  EXPECT_TRUE(UniAppendMenu(menu, MF_STRING, 101, u"\u00D6ffnen"));
  EXPECT_TRUE(UniInsertMenu(menu, 0, MF_BYPOSITION | MF_STRING, 99, kGreeting));
  EXPECT_TRUE(UniModifyMenu(menu, 101, MF_BYCOMMAND | MF_OWNERDRAW, 101,
                            reinterpret_cast<const char16_t*>(uintptr_t{0xCAFE0})));

  MENUITEMINFOW item = {};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoW(menu, 100, FALSE, &item));
  EXPECT_EQ(0x12345678u, item.dwItemData);
  ASSERT_TRUE(GetMenuItemInfoW(menu, 101, FALSE, &item));
  EXPECT_EQ(0xCAFE0u, item.dwItemData);

  char16_t text[16] = {};
  EXPECT_EQ(5, UniGetMenuString(menu, 0, text, 16, MF_BYPOSITION));
  EXPECT_EQ(std::u16string(kGreeting), text);
  DestroyMenu(menu);
}

TEST_F(UniText, ComparisonsAgree) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    DWORD flags;
  } cases[] = {{u"apple", u"Banana", 0}, {u"Gr\u00FC\u00DFe", u"GR\u00DC\u00DFE", NORM_IGNORECASE},
               {u"Gr\u00FC\u00DFe", u"GR\u00DC\u00DFE", 0}, {u"same", u"same", 0}};
  int wide[4];
  for (int i = 0; i < 4; ++i) wide[i] = UniCompareString(LOCALE_USER_DEFAULT, cases[i].flags, cases[i].a, -1, cases[i].b, -1);
  Forced9x ansi;
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(wide[i], UniCompareString(LOCALE_USER_DEFAULT, cases[i].flags, cases[i].a, -1, cases[i].b, -1)) << i;
  EXPECT_EQ(CSTR_EQUAL, UniCompareString(LOCALE_USER_DEFAULT, 0, u"Tempo", 3, u"Tem", -1));
  EXPECT_EQ(CSTR_EQUAL, UniCompareString(LOCALE_USER_DEFAULT, 0, u"x", 0, u"", -1));
}

TEST_F(UniText, WindowMessagesOnTheAnsiRoad) {
  Forced9x ansi;
  UINT message = UniRegisterWindowMessage(u"KorvalindeTestMessage");
  EXPECT_EQ(RegisterWindowMessageW(L"KorvalindeTestMessage"), message);
  HANDLE mutex = UniCreateMutex(nullptr, FALSE, u"KorvalindeTestMutex");
  ASSERT_NE(nullptr, mutex);
  HANDLE same = OpenMutexW(SYNCHRONIZE, FALSE, L"KorvalindeTestMutex");
  EXPECT_NE(nullptr, same);
  CloseHandle(same);
  CloseHandle(mutex);
  EXPECT_EQ(GetModuleHandleW(L"kernel32.dll"), UniGetModuleHandle(u"kernel32.dll"));
}

}  // namespace
