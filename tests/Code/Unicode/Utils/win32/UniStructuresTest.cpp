// The structure wrappers, the common-dialog conversions and the activation
// context, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Code/Unicode/Utils/win32/Uni.h"
#include "tests/Code/Unicode/Utils/VersionOption.h"
#include "tests/support/TestText.h"

namespace {

using utiltest::Forced9x;

class UniStructures : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(1252u, GetACP()) << "the expected texts are in code page 1252"; }
  void TearDown() override { ResetWindowsVersionForTest(); }
};

std::u16string FaceOf(HFONT font) {
  LOGFONTW seen = {};
  GetObjectW(font, sizeof(seen), &seen);
  return std::u16string(reinterpret_cast<const char16_t*>(seen.lfFaceName));
}

TEST_F(UniStructures, FontsKeepTheirFaceName) {
  Forced9x ansi;
  LOGFONTW font = {};
  font.lfHeight = -20;
  font.lfWeight = FW_BOLD;
  font.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(font.lfFaceName, u"Gr\u00FC\u00DFe Sans", sizeof(u"Gr\u00FC\u00DFe Sans"));
  HFONT made = UniCreateFontIndirect(&font);
  ASSERT_NE(nullptr, made);
  EXPECT_EQ(u"Gr\u00FC\u00DFe Sans", FaceOf(made));
  LOGFONTW seen = {};
  GetObjectW(made, sizeof(seen), &seen);
  EXPECT_EQ(-20, seen.lfHeight);
  EXPECT_EQ(FW_BOLD, seen.lfWeight);
  DeleteObject(made);

  // A face name that fills all 32 characters without a NUL is cut to 31.
  for (auto& c : font.lfFaceName) c = L'A';
  made = UniCreateFontIndirect(&font);
  ASSERT_NE(nullptr, made);
  EXPECT_EQ(std::u16string(31, u'A'), FaceOf(made));
  DeleteObject(made);
}

TEST_F(UniStructures, TextMetricsAgreeOnBothRoads) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW wide = {};
  ASSERT_TRUE(UniGetTextMetrics(dc, &wide));
  TEXTMETRICA reference = {};
  GetTextMetricsA(dc, &reference);
  Forced9x ansi;
  TEXTMETRICW viaAnsi = {};
  ASSERT_TRUE(UniGetTextMetrics(dc, &viaAnsi));
  EXPECT_EQ(wide.tmHeight, viaAnsi.tmHeight);
  EXPECT_EQ(wide.tmAscent, viaAnsi.tmAscent);
  EXPECT_EQ(wide.tmDescent, viaAnsi.tmDescent);
  EXPECT_EQ(wide.tmAveCharWidth, viaAnsi.tmAveCharWidth);
  EXPECT_EQ(wide.tmMaxCharWidth, viaAnsi.tmMaxCharWidth);
  EXPECT_EQ(wide.tmWeight, viaAnsi.tmWeight);
  EXPECT_EQ(wide.tmPitchAndFamily, viaAnsi.tmPitchAndFamily);
  EXPECT_EQ(wide.tmCharSet, viaAnsi.tmCharSet);
  EXPECT_EQ(static_cast<WCHAR>(reference.tmFirstChar), viaAnsi.tmFirstChar);  // below 0x80: the same code
  DeleteDC(dc);
}

TEST_F(UniStructures, TextMetricCharactersAreConvertedOneByOne) {
  TEXTMETRICA from = {};
  from.tmHeight = 13;
  from.tmAveCharWidth = 6;
  from.tmFirstChar = 0x20;
  from.tmLastChar = 0xFF;
  from.tmDefaultChar = 0x80;
  from.tmBreakChar = 0xE9;
  from.tmItalic = 1;
  from.tmStruckOut = 1;
  from.tmPitchAndFamily = 0x22;
  from.tmCharSet = ANSI_CHARSET;
  TEXTMETRICW to = {};
  TextMetricAToW(from, &to);
  EXPECT_EQ(13, to.tmHeight);
  EXPECT_EQ(6, to.tmAveCharWidth);
  EXPECT_EQ(L' ', to.tmFirstChar);
  EXPECT_EQ(0x00FF, to.tmLastChar);
  EXPECT_EQ(0x20AC, to.tmDefaultChar);  // the euro sign of code page 1252
  EXPECT_EQ(0x00E9, to.tmBreakChar);
  EXPECT_EQ(1, to.tmItalic);
  EXPECT_EQ(0, to.tmUnderlined);
  EXPECT_EQ(1, to.tmStruckOut);
  EXPECT_EQ(0x22, to.tmPitchAndFamily);
  EXPECT_EQ(ANSI_CHARSET, to.tmCharSet);
}

// Draws with DrawState on a white bitmap and returns its pixels.
std::vector<uint32_t> Drawn(UINT flags, LPARAM data, WPARAM length) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 64;
  info.bmiHeader.biHeight = -24;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  std::memset(bits, 0xFF, 64 * 24 * 4);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  UniDrawState(dc, nullptr, nullptr, data, length, 2, 2, 0, 0, flags);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 64 * 24);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

bool Blank(const std::vector<uint32_t>& pixels) {
  for (uint32_t p : pixels)
    if ((p & 0xFFFFFF) != 0xFFFFFF) return false;
  return true;
}

TEST_F(UniStructures, DrawStateTextKindsDrawAsTheWideCall) {
  const char16_t text[] = u"Gr\u00FC\u00DFe";
  const LPARAM data = reinterpret_cast<LPARAM>(text);
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  struct Case {
    UINT flags;
    LPARAM data;
    WPARAM length;
  } cases[] = {{DST_TEXT, data, 0}, {DST_TEXT, data, 2}, {DST_PREFIXTEXT, reinterpret_cast<LPARAM>(u"&Datei"), 0},
               {DST_ICON, reinterpret_cast<LPARAM>(icon), 0}};
  std::vector<std::vector<uint32_t>> wide;
  for (const Case& c : cases) wide.push_back(Drawn(c.flags, c.data, c.length));
  EXPECT_NE(wide[0], wide[1]) << "a length draws fewer characters";
  Forced9x ansi;
  for (size_t i = 0; i < wide.size(); ++i) {
    std::vector<uint32_t> viaAnsi = Drawn(cases[i].flags, cases[i].data, cases[i].length);
    EXPECT_FALSE(Blank(viaAnsi)) << i;
    EXPECT_EQ(wide[i], viaAnsi) << i;
  }
}

TEST(AnsiFilterList, ConvertsUpToTheDoubleNul) {
  const char16_t filter[] = u"Partitur (*.opt)\0*.opt\0Gr\u00FC\u00DFe\0*.g\0\0ignored\0\0";
  std::string list = AnsiFilterList(filter);
  const char expected[] = "Partitur (*.opt)\0*.opt\0Gr\xFC\xDF" "e\0*.g\0\0";
  EXPECT_EQ(std::string(expected, sizeof(expected) - 1), list);
  EXPECT_EQ(std::string("\0\0", 2), AnsiFilterList(u"\0\0"));
  EXPECT_EQ(std::string(), AnsiFilterList(nullptr));
}

TEST(AnsiFilterList, NoDoubleNulWithinReachGivesNoFilter) {
  std::u16string unended(kFilterReach, u'a');
  for (size_t i = 1; i < unended.size(); i += 2) unended[i] = 0;  // single NULs only
  EXPECT_EQ(std::string(), AnsiFilterList(unended.c_str()));
  std::u16string reached(kFilterReach, u'b');
  reached[kFilterReach - 2] = 0;
  reached[kFilterReach - 1] = 0;
  EXPECT_EQ(std::string(kFilterReach - 2, 'b') + std::string("\0\0", 2), AnsiFilterList(reached.c_str()));
}

TEST(CopyOpenFileNameBack, CopiesResultsAndCountsOffsetsInCharacters) {
  char file[] = "C:\\Noten\\Gr\xFC\xDF" "e.opt";
  OPENFILENAMEA from = {};
  from.lpstrFile = file;
  from.Flags = OFN_PATHMUSTEXIST | OFN_EXTENSIONDIFFERENT;
  from.nFilterIndex = 2;
  from.nFileOffset = 9;
  from.nFileExtension = 15;
  OPENFILENAMEW to = {};
  CopyOpenFileNameBack(from, &to);
  EXPECT_EQ(from.Flags, to.Flags);
  EXPECT_EQ(2u, to.nFilterIndex);
  EXPECT_EQ(9, to.nFileOffset);
  EXPECT_EQ(15, to.nFileExtension);
  from.nFileExtension = 0;  // no extension
  CopyOpenFileNameBack(from, &to);
  EXPECT_EQ(0, to.nFileExtension);
  EXPECT_EQ(0, AnsiOffsetToChars(nullptr, 4));
}

TEST_F(UniStructures, LibrariesLoadInTheActivationContext) {
  HMODULE controls = LoadLibraryInActCtx(u"comctl32.dll");
  ASSERT_NE(nullptr, controls);
  EXPECT_NE(nullptr, GetProcAddress(controls, "InitCommonControlsEx"));
  FreeLibrary(controls);
  EXPECT_EQ(nullptr, LoadLibraryInActCtx(u"no-such-library-here.dll"));
  Forced9x ansi;
  HMODULE again = UniLoadLibrary(u"comctl32.dll");
  EXPECT_NE(nullptr, again);
  FreeLibrary(again);
}

TEST_F(UniStructures, StatusWindowAndClassOnTheAnsiRoad) {
  Forced9x ansi;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Korvalinde\u00C4TestClass";
  ATOM atom = UniRegisterClassEx(&windowClass);
  ASSERT_NE(0, atom);
  HWND frame = UniCreateWindow(u"Korvalinde\u00C4TestClass", u"Frame", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, frame);
  HWND status = UniCreateStatusWindow(WS_CHILD, u"Bereit \u00E4", frame, 5);
  ASSERT_NE(nullptr, status);
  char text[32] = {};
  SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("Bereit \xE4", text);
  DestroyWindow(frame);
  UnregisterClassW(L"Korvalinde\u00C4TestClass", GetModuleHandleW(nullptr));
}

TEST_F(UniStructures, ProcessesStartOnTheAnsiRoad) {
  Forced9x ansi;
  char16_t commandLine[] = u"cmd.exe /c exit 3";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.lpTitle = const_cast<wchar_t*>(L"Korvalinde \u00E4 test");  // read-only: never written back
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(UniCreateProcess(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &process));
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(3u, code);
  EXPECT_EQ(u"cmd.exe /c exit 3", std::u16string(commandLine));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
