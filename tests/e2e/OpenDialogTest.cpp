// File > Open: the common file dialog, a path typed into it, OK.
#include <windows.h>
#include <dlgs.h>

#include "ResourceIds.h"
#include "tests/e2e/ProgramCase.h"

TEST_F(ProgramCase, OpenDialogOpensATypedTiff) {
  const std::u16string tiff = CopyPageTiff(u"opendialog.tif");
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.PostCommand(IDM_FILE_OPEN));
  HWND dialog = program.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TypeCount(dialog), 5) << "every type the program opens, and all of them together";
  ASSERT_TRUE(program.SetDialogText(dialog, FileNameBox(dialog), tiff));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDOK));
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"opendialog") == 1; }, "the page in the index",
                                kPageOpenTimeoutMs));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(ProgramCase, OpenDialogCancelledOpensNothing) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.PostCommand(IDM_FILE_OPEN));
  ASSERT_TRUE(program.CloseDialog());
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitCleanly());
  EXPECT_EQ(PagesNamed(u""), 0);
}

// Several files chosen in a folder whose name holds a dot: the files are
// opened, not the folder.
TEST_F(ProgramCase, OpenDialogOpensSeveralFilesOfAFolderWithADot) {
  const std::u16string folder = InputPath(u"v1.2 pages");
  CreateDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr);
  CopyPageTiff(u"v1.2 pages\\first.tif");
  CopyPageTiff(u"v1.2 pages\\second.tif");
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.PostCommand(IDM_FILE_OPEN));
  HWND dialog = program.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  // A folder typed and confirmed moves the dialog there; then both names.
  ASSERT_TRUE(program.SetDialogText(dialog, FileNameBox(dialog), folder));
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)),
                                  SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result));
  ASSERT_TRUE(IsWindowVisible(dialog)) << "a folder only moves the dialog";
  ASSERT_TRUE(program.SetDialogText(dialog, FileNameBox(dialog), u"\"first.tif\" \"second.tif\""));
  ASSERT_TRUE(program.PressDialogButton(dialog, IDOK));
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"first") == 1 && PagesNamed(u"second") == 1; },
                                "both pages in the index", kPageOpenTimeoutMs));
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitCleanly());
}
