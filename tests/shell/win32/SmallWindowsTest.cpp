// The symbol menus' measurement and drawing, the small window procedures,
// hover tracking, the subclassed edit boxes and the notices' check box.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/NoticeDialogs.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/WindowClasses.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

std::vector<std::pair<HWND, int>> routedKeys;
std::vector<std::pair<char, HWND>> hoverEvents;

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void RecordKey(HWND sender, int code) { routedKeys.emplace_back(sender, code); }
void RecordStart(HWND window) { hoverEvents.emplace_back('+', window); }
void RecordStop(HWND window) { hoverEvents.emplace_back('-', window); }

class FrameServicesTest : public testing::Test {
 protected:
  void SetUp() override {
    routedKeys.clear();
    hoverEvents.clear();
    FrameServiceHooks hooks;
    hooks.routeViewKey = RecordKey;
    hooks.startViewHover = RecordStart;
    hooks.stopViewHover = RecordStop;
    SetFrameServiceHooks(hooks);
    RegisterProgramClasses(Module());
    Hover() = HoverState();
  }
  void TearDown() override {
    ResetFrameServiceHooks();
    Hover() = HoverState();
  }
  HWND Make(const wchar_t* cls, HWND parent = nullptr) {
    HWND w = CreateWindowExW(0, cls, L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 40, 20, parent, nullptr, Module(), nullptr);
    EXPECT_NE(nullptr, w);
    return w;
  }
};

struct MeasureCase {
  UINT id;
  bool handled;
  UINT width, height;
};

class SymbolMenuMeasure : public testing::TestWithParam<MeasureCase> {};

TEST_P(SymbolMenuMeasure, GivesEachRangeItsSize) {
  const MeasureCase c = GetParam();
  MEASUREITEMSTRUCT item = {};
  item.CtlType = ODT_MENU;
  item.itemID = c.id;
  EXPECT_EQ(c.handled, MeasureMenuSymbol(&item));
  if (c.handled) {
    EXPECT_EQ(c.width, item.itemWidth);
    EXPECT_EQ(c.height, item.itemHeight);
  }
}

INSTANTIATE_TEST_SUITE_P(Ranges, SymbolMenuMeasure,
                         testing::Values(MeasureCase{54000, true, 25, 35}, MeasureCase{54099, true, 25, 35},
                                         MeasureCase{53014, true, 23, 58}, MeasureCase{52006, true, 25, 27},
                                         MeasureCase{51999, false, 0, 0}, MeasureCase{54100, false, 0, 0},
                                         MeasureCase{IDM_FILE_OPEN, false, 0, 0}));

TEST(SymbolMenuDraw, FillsTheItemAndLeavesOtherItemsAlone) {
  LoadSharedImages(Module());
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 60);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (UINT id : {52003u, 53005u, 54000u, 54008u}) {
    for (bool selected : {false, true}) {
      DRAWITEMSTRUCT item = {};
      item.CtlType = ODT_MENU;
      item.itemID = id;
      item.hDC = dc;
      item.rcItem = {0, 0, 30, 60};
      item.itemState = selected ? ODS_SELECTED : 0;
      ASSERT_TRUE(DrawMenuSymbol(&item)) << id;
      const COLORREF want = GetNearestColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
      EXPECT_EQ(want, GetPixel(dc, 0, 0)) << id;
    }
  }
  DRAWITEMSTRUCT other = {};
  other.CtlType = ODT_MENU;
  other.itemID = IDM_FILE_OPEN;
  other.hDC = dc;
  EXPECT_FALSE(DrawMenuSymbol(&other));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseSharedResources();
}

TEST(SymbolMenuDraw, GlyphNamesFollowTheItems) {
  EXPECT_STREQ("segno", SymbolGlyphName(0));
  EXPECT_STREQ("turni", SymbolGlyphName(6));
  EXPECT_STREQ("pedalrelease", SymbolGlyphName(8));
  EXPECT_EQ(nullptr, SymbolGlyphName(9));
  EXPECT_EQ(nullptr, SymbolGlyphName(-1));
}

TEST_F(FrameServicesTest, BasicRoutesKeysToTheViewsAsKeyCodes) {
  HWND basic = Make(L"Basic");
  SendMessageW(basic, WM_KEYDOWN, VK_LEFT, 0);
  SendMessageW(basic, WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_EQ(2u, routedKeys.size());
  EXPECT_EQ(basic, routedKeys[0].first);
  EXPECT_EQ(396, routedKeys[0].second);
  EXPECT_EQ(127, routedKeys[1].second);
  EXPECT_EQ(0, SendMessageW(basic, WM_COMMAND, IDM_FILE_OPEN, 0));
  DestroyWindow(basic);
}

TEST_F(FrameServicesTest, HoverMovesFromWindowToWindowAndStopsOutside) {
  HWND a = Make(L"Basic");
  HWND b = Make(L"MyStatic");
  SendMessageW(a, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
  SendMessageW(a, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));  // the same window: no new effect
  SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(7, 8));
  EXPECT_EQ(b, Hover().window);
  EXPECT_EQ(7, Hover().x);
  EXPECT_EQ(8, Hover().y);
  SendMessageW(b, WM_NCMOUSEMOVE, HTCAPTION, 0);
  EXPECT_EQ(nullptr, Hover().window);
  const std::vector<std::pair<char, HWND>> want = {{'+', a}, {'-', a}, {'+', b}, {'-', b}};
  EXPECT_EQ(want, hoverEvents);
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST_F(FrameServicesTest, HoverStaysOnWhileMovingInsideTheScoreView) {
  HWND view = Make(L"Basic");
  HWND child = Make(L"Basic", view);
  const HWND savedView = Windows().scoreView;
  Windows().scoreView = view;
  SendMessageW(view, WM_MOUSEMOVE, 0, 0);
  SendMessageW(child, WM_MOUSEMOVE, 0, 0);
  SendMessageW(view, WM_MOUSEMOVE, 0, 0);
  const std::vector<std::pair<char, HWND>> want = {{'+', view}};
  EXPECT_EQ(want, hoverEvents);
  Windows().scoreView = savedView;
  DestroyWindow(view);
}

TEST_F(FrameServicesTest, SubclassedEditSendsEnterAndArrowsToTheViewsAndKeepsText) {
  HWND edit = Make(L"EDIT");
  SubclassEditControl(edit);
  SubclassEditControl(edit);  // a second time changes nothing
  const HWND savedToolbar = Windows().scoreToolbar;
  Windows().scoreToolbar = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(0, SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0));
  EXPECT_EQ(0, SendMessageW(edit, WM_KEYUP, VK_RETURN, 0));
  EXPECT_EQ(0, SendMessageW(edit, WM_KEYUP, VK_UP, 0));
  SendMessageW(edit, WM_CHAR, 'x', 0);
  ASSERT_EQ(2u, routedKeys.size());
  EXPECT_EQ(reinterpret_cast<HWND>(0x1234), routedKeys[0].first);
  EXPECT_EQ(13, routedKeys[0].second);
  EXPECT_EQ(399, routedKeys[1].second);
  wchar_t text[8] = {};
  GetWindowTextW(edit, text, 8);
  EXPECT_STREQ(L"x", text);
  Windows().scoreToolbar = savedToolbar;
  DestroyWindow(edit);
}

TEST_F(FrameServicesTest, MyStaticAndLoaderPaintWithoutTheirResources) {
  HWND label = Make(L"MyStatic");
  SetWindowTextW(label, L"3 / 12");
  ShowWindow(label, SW_SHOWNA);
  UpdateWindow(label);
  WNDCLASSW loader = {};
  loader.lpfnWndProc = LoaderWindowProc;
  loader.hInstance = Module();
  loader.lpszClassName = L"Loader";
  RegisterClassW(&loader);
  HWND splash = Make(L"Loader");
  ShowWindow(splash, SW_SHOWNA);
  UpdateWindow(splash);  // no splash picture set: only the version line
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(label, &dirty, FALSE));
  EXPECT_FALSE(GetUpdateRect(splash, &dirty, FALSE));
  DestroyWindow(splash);
  DestroyWindow(label);
}

struct NoticeCase {
  int dialog;
  bool GlobalSettings::*setting;
};

class NoticeCheckBox : public testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeCheckBox, OpensCheckedAndEveryClickStoresTheSetting) {
  const NoticeCase c = GetParam();
  bool& setting = Global().*c.setting;
  const bool saved = setting;
  setting = false;
  DLGPROC procedure = c.dialog == IDD_STARTUP_NOTICE ? StartupDialogProc : NoticeDialogProc;
  HWND dialog = CreateDialogParamW(Module(), MAKEINTRESOURCEW(c.dialog), nullptr, procedure, c.dialog);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_SHOW_NEXT_TIME));
  EXPECT_TRUE(setting);
  SendDlgItemMessageW(dialog, IDC_SHOW_NEXT_TIME, BM_CLICK, 0, 0);
  EXPECT_FALSE(setting);
  SendDlgItemMessageW(dialog, IDC_SHOW_NEXT_TIME, BM_CLICK, 0, 0);
  EXPECT_TRUE(setting);
  DestroyWindow(dialog);
  setting = saved;
}

INSTANTIATE_TEST_SUITE_P(Notices, NoticeCheckBox,
                         testing::Values(NoticeCase{IDD_STARTUP_NOTICE, &GlobalSettings::showStartupDialog},
                                         NoticeCase{IDD_COLOUR_DEPTH_WARNING, &GlobalSettings::showBppWarning},
                                         NoticeCase{IDD_DISPLAY_DRIVER_WARNING,
                                                    &GlobalSettings::showWin2000ColourWarning},
                                         NoticeCase{IDD_BLACK_AND_WHITE_NOTICE, &GlobalSettings::showBwWarning},
                                         NoticeCase{IDD_HANDWRITING_NOTICE, &GlobalSettings::showHandwrittenWarning},
                                         NoticeCase{IDD_MUSIC_PAPER_NOTICE,
                                                    &GlobalSettings::showDottedStavesWarning},
                                         NoticeCase{IDD_PAGES_SAVED_NOTICE, &GlobalSettings::showScannedPageWarning},
                                         NoticeCase{IDD_STAVE_POSITIONS_NOTICE, &GlobalSettings::showBadStavesWarning},
                                         NoticeCase{IDD_ACCURACY_NOTICE, &GlobalSettings::showAccuracyWarning}));

TEST(ShellDialogs, AboutShowsTheVersionLine) {
  HWND dialog = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutDialogProc, 0);
  ASSERT_NE(nullptr, dialog);
  wchar_t text[64] = {};
  GetDlgItemTextW(dialog, IDC_ABOUT_VERSION, text, 64);
  EXPECT_STREQ(L"Version 5.5.1", text);
  DestroyWindow(dialog);
}

TEST(ShellDialogs, TheSaveAsTemplateHoldsTheOptimizeBoxAndUnknownDialogsAreRefused) {
  EXPECT_EQ(-1, ShowShellDialog(12345, nullptr));
  EXPECT_EQ(nullptr, NoticeSetting(IDD_ABOUT));
  EXPECT_NE(nullptr, FindResourceW(Module(), MAKEINTRESOURCEW(IDD_SAVE_AS_TEMPLATE), MAKEINTRESOURCEW(5)));
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 60, nullptr, nullptr, Module(), nullptr);
  HWND child = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_SAVE_AS_TEMPLATE), parent,
                                  PlainDialogProc, 0);
  ASSERT_NE(nullptr, child);
  EXPECT_NE(nullptr, GetDlgItem(child, IDC_OPTIMIZE_FOR_PLAYBACK));
  DestroyWindow(parent);
}

}  // namespace

namespace {

struct PlacementCase {
  POINT pointer;
  RECT want;
};

class DialogNearPointer : public testing::TestWithParam<PlacementCase> {};

TEST_P(DialogNearPointer, SitsAboveThePointerInsideTheWorkArea) {
  const PlacementCase c = GetParam();
  const RECT work = {0, 0, 800, 600};
  const RECT got = DialogRectNearPoint({200, 100}, c.pointer, work);
  EXPECT_EQ(c.want.left, got.left);
  EXPECT_EQ(c.want.top, got.top);
  EXPECT_EQ(c.want.right, got.right);
  EXPECT_EQ(c.want.bottom, got.bottom);
}

INSTANTIATE_TEST_SUITE_P(Pointers, DialogNearPointer,
                         testing::Values(PlacementCase{{400, 300}, {300, 200, 500, 300}},
                                         PlacementCase{{30, 40}, {0, 0, 200, 100}},        // top-left corner
                                         PlacementCase{{790, 599}, {600, 499, 800, 599}},  // right edge
                                         PlacementCase{{900, 900}, {600, 500, 800, 600}}));  // off the area

}  // namespace
