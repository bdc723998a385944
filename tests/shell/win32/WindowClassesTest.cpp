// The window classes, frame menus, accelerators and pictures, loaded from the
// test program's own copy of the program's resources.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/WindowClasses.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

std::wstring ItemText(HMENU menu, UINT item, UINT by) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, item, text, 128, by);
  return text;
}

bool HasCommand(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1); }

UINT ItemType(HMENU menu, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return info.fType;
}

struct Loaded {
  HMENU noDocument, score, page;
};

Loaded LoadRaw() {
  return {LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MENU_NO_DOCUMENT)),
          LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MENU_SCORE)), LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MENU_PAGE))};
}

void Destroy(const Loaded& m) {
  DestroyMenu(m.noDocument);
  DestroyMenu(m.score);
  DestroyMenu(m.page);
}

TEST(WindowClasses, TheTwelveClassesAreRegisteredWithTheirStylesAndExtraBytes) {
  RegisterProgramClasses(Module());
  struct Row {
    const wchar_t* name;
    UINT style;
    int extra;
  };
  const Row rows[] = {{L"DEV_ODI", 0, 0},           {L"OutputM", 0, 4},  {L"Output", CS_DBLCLKS, 4},
                      {L"OutImage", CS_DBLCLKS, 4}, {L"Basic", 0, 4},    {L"Detail", CS_SAVEBITS, 4},
                      {L"ScannedM", 0, 4},          {L"Scanned", CS_DBLCLKS, 4}, {L"OwnToolbar", 0, 4},
                      {L"CdzKeypad", 0, 4},         {L"ViewPages", CS_DBLCLKS, 4}, {L"MyStatic", 0, 4}};
  for (const Row& row : rows) {
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetClassInfoExW(Module(), row.name, &info)) << row.name;
    EXPECT_EQ(row.style, info.style) << row.name;
    EXPECT_EQ(row.extra, info.cbWndExtra) << row.name;
  }
  WNDCLASSEXW basic = {};
  basic.cbSize = sizeof(basic);
  GetClassInfoExW(Module(), L"Basic", &basic);
  EXPECT_EQ(reinterpret_cast<void*>(BasicWindowProc), reinterpret_cast<void*>(basic.lpfnWndProc));
}

TEST(WindowClasses, StandInViewsAndDocumentsCanBeCreatedBeforeTheirProcedures) {
  RegisterProgramClasses(Module());
  HWND view = CreateWindowExW(0, L"Scanned", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Module(), nullptr);
  ASSERT_NE(nullptr, view);
  EXPECT_EQ(0, SendMessageW(view, WM_USER + 3, 0, 0));
  DestroyWindow(view);
}

TEST(FrameMenus, TheBarsHaveTheirMenusInOrder) {
  Loaded m = LoadRaw();
  EXPECT_EQ(3, GetMenuItemCount(m.noDocument));
  EXPECT_EQ(8, GetMenuItemCount(m.score));
  EXPECT_EQ(6, GetMenuItemCount(m.page));
  EXPECT_EQ(L"&Create", ItemText(m.score, 4, MF_BYPOSITION));
  EXPECT_EQ(L"&Window", ItemText(m.score, 6, MF_BYPOSITION));
  EXPECT_EQ(L"&Read", ItemText(m.page, 3, MF_BYPOSITION));
  EXPECT_EQ(L"&Window", ItemText(m.page, 4, MF_BYPOSITION));
  for (HMENU bar : {m.noDocument, m.score, m.page}) {
    HMENU file = GetSubMenu(bar, 0);
    EXPECT_NE(nullptr, GetSubMenu(file, 6));  // Send to
    EXPECT_EQ(IDM_FILE_EXIT, static_cast<int>(GetMenuItemID(file, GetMenuItemCount(file) - 1)));
  }
  Destroy(m);
}

struct TrimCase {
  bool layered, cadenzor, r8;
  int windowItems;  // of the score and page Window menus
  bool sendTo;
};

class MenuTrimming : public testing::TestWithParam<TrimCase> {};

TEST_P(MenuTrimming, LeavesWhatTheInstallationOffers) {
  const TrimCase c = GetParam();
  Loaded m = LoadRaw();
  TrimFrameMenus(m.noDocument, m.score, m.page, MenuTrim{c.layered, c.cadenzor, c.r8});
  for (HMENU window : {GetSubMenu(m.score, 6), GetSubMenu(m.page, 4)}) {
    EXPECT_EQ(c.windowItems, GetMenuItemCount(window));
    EXPECT_EQ(c.layered, HasCommand(window, IDM_WINDOW_TRANSLUCENT_KEYPAD));
    // Without layered windows the menu ends with Close All.
    EXPECT_EQ(c.layered ? IDM_WINDOW_TRANSLUCENT_KEYPAD : IDM_WINDOW_CLOSE_ALL,
              static_cast<int>(GetMenuItemID(window, GetMenuItemCount(window) - 1)));
  }
  for (HMENU bar : {m.noDocument, m.score, m.page}) {
    HMENU file = GetSubMenu(bar, 0);
    EXPECT_EQ(c.cadenzor, HasCommand(bar, IDM_FILE_SEND_TO_CADENZOR));
    EXPECT_EQ(c.r8, HasCommand(bar, IDM_FILE_SEND_TO_R8));
    EXPECT_EQ(c.sendTo, GetSubMenu(file, 6) != nullptr);
    for (int i = 1; i < GetMenuItemCount(file); ++i) {
      EXPECT_FALSE((ItemType(file, i) & MFT_SEPARATOR) && (ItemType(file, i - 1) & MFT_SEPARATOR)) << i;
    }
    EXPECT_TRUE(HasCommand(file, IDM_FILE_SCANNER_SETUP));
  }
  Destroy(m);
}

INSTANTIATE_TEST_SUITE_P(Installations, MenuTrimming,
                         testing::Values(TrimCase{true, true, true, 6, true}, TrimCase{false, true, true, 4, true},
                                         TrimCase{true, true, false, 6, true}, TrimCase{true, false, true, 6, true},
                                         TrimCase{false, false, false, 4, false}));

TEST(FrameMenus, CreateMenuOpensTheOwnerDrawnPopupsKeepingItsTexts) {
  LoadFrameMenus(Module(), MenuTrim{true, true, true});
  const FrameMenus& m = Menus();
  HMENU create = GetSubMenu(m.score, 4);
  ASSERT_NE(nullptr, create);
  EXPECT_EQ(m.barlinePopup, GetSubMenu(create, 1));
  EXPECT_EQ(m.clefPopup, GetSubMenu(create, 2));
  EXPECT_EQ(m.symbolPopup, GetSubMenu(create, 7));
  EXPECT_EQ(L"&Barline", ItemText(create, 1, MF_BYPOSITION));
  EXPECT_EQ(L"&Clef", ItemText(create, 2, MF_BYPOSITION));
  EXPECT_EQ(L"&Symbol", ItemText(create, 7, MF_BYPOSITION));

  struct Popup {
    HMENU menu;
    int first, count;
    std::initializer_list<int> breaks;
  };
  for (const Popup& p : {Popup{m.barlinePopup, IDM_BARLINE_FIRST, 7, {4}},
                         Popup{m.clefPopup, IDM_CLEF_FIRST, 15, {4, 7, 11, 14}},
                         Popup{m.symbolPopup, IDM_SYMBOL_FIRST, 9, {2, 7}}}) {
    ASSERT_EQ(p.count, GetMenuItemCount(p.menu));
    for (int i = 0; i < p.count; ++i) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
      ASSERT_TRUE(GetMenuItemInfoW(p.menu, i, TRUE, &info));
      EXPECT_EQ(static_cast<UINT>(p.first + i), info.wID);
      EXPECT_EQ(static_cast<ULONG_PTR>(i), info.dwItemData);
      EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
      bool breaks = false;
      for (int b : p.breaks) breaks |= b == i;
      EXPECT_EQ(breaks, (info.fType & MFT_MENUBARBREAK) != 0) << p.first + i;
    }
  }
  EXPECT_EQ(GetSubMenu(m.page, 1), m.pageEdit);
  EXPECT_EQ(GetSubMenu(m.page, 3), m.pageRead);
  EXPECT_EQ(GetSubMenu(m.page, 4), m.pageWindow);
  EXPECT_EQ(GetSubMenu(m.score, 6), m.scoreWindow);
  ASSERT_EQ(3, GetMenuItemCount(m.scanPopup));
  EXPECT_EQ(IDM_FILE_SCANNER_SETUP, static_cast<int>(GetMenuItemID(m.scanPopup, 0)));
  EXPECT_EQ(IDM_FILE_SCAN_PAGES, static_cast<int>(GetMenuItemID(m.scanPopup, 1)));
  EXPECT_EQ(IDM_FILE_SCAN_ONE_PAGE, static_cast<int>(GetMenuItemID(m.scanPopup, 2)));
  EXPECT_EQ(ItemText(m.noDocument, IDM_FILE_SCAN_PAGES, MF_BYCOMMAND), ItemText(m.scanPopup, 1, MF_BYPOSITION));
  ReleaseSharedResources();
}

TEST(FrameMenus, AcceleratorTableHasTheTwentyTwoMenuKeys) {
  HACCEL table = LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(nullptr, table);
  ACCEL keys[64];
  const int count = CopyAcceleratorTableW(table, keys, 64);
  ASSERT_EQ(22, count);
  auto command = [&](WORD key, BYTE modifiers) {
    for (int i = 0; i < count; ++i) {
      if (keys[i].key == key && (keys[i].fVirt & ~FNOINVERT) == (FVIRTKEY | modifiers)) return keys[i].cmd;
    }
    return WORD(0);
  };
  EXPECT_EQ(IDM_FILE_OPEN, command('O', FCONTROL));
  EXPECT_EQ(IDM_FILE_PREFERENCES, command(VK_OEM_COMMA, FCONTROL));
  EXPECT_EQ(IDM_CREATE_MULTIREST, command('B', FALT));
  EXPECT_EQ(IDM_CREATE_BAR_REST_ONE, command('B', FCONTROL));
  EXPECT_EQ(IDM_NOTES_MOVE_DOWN_STAFF, command(VK_DOWN, FCONTROL | FSHIFT));
  EXPECT_EQ(IDM_READ_PLACE_AT_END, command('R', FCONTROL | FSHIFT));
  EXPECT_EQ(IDM_ZOOM_IN, command(VK_ADD, FCONTROL));
  EXPECT_EQ(IDM_PLAY_STOP, command(VK_SPACE, 0));
  EXPECT_EQ(IDM_HELP_HELP, command(VK_F1, 0));
  for (int i = 0; i < count; ++i) EXPECT_TRUE(keys[i].fVirt & FNOINVERT) << keys[i].cmd;
  DestroyAcceleratorTable(table);
}

TEST(FrameMenus, CheckMarksFollowTheSettings) {
  Loaded m = LoadRaw();
  GlobalSettings& g = Global();
  const GlobalSettings saved = g;
  g.viewPalette = true;
  g.viewFullDetail = false;
  g.showBadTiming = true;
  g.showVoiceNumbers = false;
  g.translucentWindows = true;
  g.printGuitarTabRhythm = false;
  SetInitialCheckMarks(m.score, false);
  auto checked = [&](UINT id) { return (GetMenuState(m.score, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
  EXPECT_TRUE(checked(IDM_VIEW_KEYPAD));
  EXPECT_FALSE(checked(IDM_VIEW_FULL_DETAIL));
  EXPECT_TRUE(checked(IDM_VIEW_BAD_TIMING));
  EXPECT_FALSE(checked(IDM_VIEW_VOICE_COLORS));
  EXPECT_FALSE(checked(IDM_NOTES_GUITAR_TAB_RHYTHM));
  EXPECT_FALSE(checked(IDM_WINDOW_TRANSLUCENT_KEYPAD));  // without layered windows
  SetInitialCheckMarks(m.score, true);
  EXPECT_TRUE(checked(IDM_WINDOW_TRANSLUCENT_KEYPAD));
  g = saved;
  Destroy(m);
}

struct BitmapCase {
  int id, width, height, bits;
};

class ProgramBitmaps : public testing::TestWithParam<BitmapCase> {};

TEST_P(ProgramBitmaps, LoadWithTheirSizes) {
  const BitmapCase c = GetParam();
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0,
                                                   LR_CREATEDIBSECTION));
  ASSERT_NE(nullptr, bitmap) << c.id;
  BITMAP info = {};
  GetObjectW(bitmap, sizeof(info), &info);
  EXPECT_EQ(c.width, info.bmWidth);
  EXPECT_EQ(c.height, info.bmHeight);
  EXPECT_EQ(c.bits, info.bmBitsPixel);
  DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Pictures, ProgramBitmaps,
                         testing::Values(BitmapCase{IDB_SPLASH, 473, 384, 24}, BitmapCase{IDB_SPLASH_PALETTE, 473, 384, 8},
                                         BitmapCase{IDB_CLEFS, 23 * 17, 58, 24}, BitmapCase{IDB_BARLINES, 25 * 7, 27, 24},
                                         BitmapCase{IDB_SYMBOLS, 25 * 9, 35, 24}, BitmapCase{IDB_TOOLBAR_A, 18 * 40, 18, 24},
                                         BitmapCase{IDB_TOOLBAR_B, 18 * 16, 18, 24}));

TEST(SharedImages, ImageListsAndIconsLoad) {
  LoadSharedImages(Module());
  const SharedImages& s = Images();
  EXPECT_EQ(17, ImageList_GetImageCount(s.clefs));
  EXPECT_EQ(7, ImageList_GetImageCount(s.barlines));
  EXPECT_EQ(9, ImageList_GetImageCount(s.symbols));
  EXPECT_EQ(40, ImageList_GetImageCount(s.toolbarA));
  EXPECT_EQ(16, ImageList_GetImageCount(s.toolbarB));
  int width = 0, height = 0;
  ImageList_GetIconSize(s.clefs, &width, &height);
  EXPECT_EQ(23, width);
  EXPECT_EQ(58, height);
  for (HICON icon : {s.program, s.programSmall, s.score, s.scoreSmall, s.page}) EXPECT_NE(nullptr, icon);
  ReleaseSharedResources();
}

TEST(ProgramPalette, IsMadeFromThePaletteBitmapsColours) {
  HPALETTE palette = CreateProgramPalette(Module());
  ASSERT_NE(nullptr, palette);
  WORD entries = 0;
  GetObjectW(palette, sizeof(entries), &entries);
  EXPECT_GE(entries, 240);  // the bitmap's 240 colours (a loader may pad the table to 256)
  PALETTEENTRY colour[216] = {};
  ASSERT_EQ(216u, GetPaletteEntries(palette, 0, 216, colour));
  EXPECT_EQ(0, colour[0].peRed + colour[0].peGreen + colour[0].peBlue);    // the colour cube starts black
  EXPECT_EQ(255, colour[215].peRed & colour[215].peGreen & colour[215].peBlue);  // ... and ends white
  EXPECT_EQ(51, colour[1].peBlue);
  EXPECT_EQ(0, colour[1].peFlags);
  DeleteObject(palette);
}

// The whole start-up step: classes, menus, images, the frame with its stored
// placement and the hidden score window.
class FrameCreation : public testing::TestWithParam<uint32_t> {
 protected:
  void TearDown() override {
    AppWindows& w = Windows();
    if (w.hiddenScore) DestroyWindow(w.hiddenScore);
    if (w.frame) DestroyWindow(w.frame);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }  // the frame's quit message
    ReleaseSharedResources();
    w = AppWindows();
    Global() = saved_;
  }
  GlobalSettings saved_ = Global();
};

TEST_P(FrameCreation, ShowsTheFrameNormalOrMaximizedWithTheNoDocumentMenu) {
  StoredWindowPlacement& stored = Global().mainWindowPosition;
  stored = StoredWindowPlacement();
  const uint32_t show = GetParam();
  if (show != 0) {  // 0: nothing stored
    stored.length = sizeof(WINDOWPLACEMENT);
    stored.showCommand = show;
    stored.normalLeft = 20;
    stored.normalTop = 30;
    stored.normalRight = 420;
    stored.normalBottom = 330;
  }
  ASSERT_TRUE(RegisterWindowClasses(Module()));
  const AppWindows& w = Windows();
  ASSERT_NE(nullptr, w.frame);
  wchar_t text[64] = {};
  GetClassNameW(w.frame, text, 64);
  EXPECT_STREQ(L"DEV_ODI", text);
  GetWindowTextW(w.frame, text, 64);
  EXPECT_STREQ(L"Velmorant Korvalinde", text);
  EXPECT_EQ(Menus().noDocument, GetMenu(w.frame));
  EXPECT_TRUE(GetWindowLongPtrW(w.frame, GWL_STYLE) & WS_CLIPCHILDREN);
  EXPECT_TRUE(GetWindowLongPtrW(w.frame, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_EQ(GetWindow(w.frame, GW_CHILD), w.mdiClient);

  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(w.frame, &placement);
  const UINT want = show == SW_SHOWNORMAL ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED;
  EXPECT_EQ(want, placement.showCmd);
  if (show == SW_SHOWNORMAL) {
    EXPECT_EQ(20, placement.rcNormalPosition.left);
    EXPECT_EQ(330, placement.rcNormalPosition.bottom);
  }

  ASSERT_NE(nullptr, w.hiddenScore);
  GetClassNameW(w.hiddenScore, text, 64);
  EXPECT_STREQ(L"Output", text);
  EXPECT_FALSE(IsWindowVisible(w.hiddenScore));
  EXPECT_EQ(nullptr, GetParent(w.hiddenScore));
  EXPECT_EQ(nullptr, w.scoreToolbar);
  EXPECT_EQ(nullptr, w.keypad);
  EXPECT_NE(nullptr, Menus().accelerators);
  EXPECT_NE(nullptr, Images().clefs);
}

// Nothing stored, normal, maximized, and a minimized state that becomes maximized.
INSTANTIATE_TEST_SUITE_P(Placements, FrameCreation,
                         testing::Values(0u, uint32_t{SW_SHOWNORMAL}, uint32_t{SW_SHOWMAXIMIZED},
                                         uint32_t{SW_SHOWMINIMIZED}));

}  // namespace
