#include <windows.h>

#include <gtest/gtest.h>

#include "Code/Quorm/EngineHost.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"
#include "shell/win32/FrameWindow.h"
#include "tests/shell/win32/FrameUnderTest.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestText.h"

namespace {

constexpr wchar_t kClassName[] = L"KvFrameUnderTest";

HMENU TestMenuBar() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, IDM_FILE_OPEN, L"Open");
  AppendMenuW(file, MF_STRING, IDM_FILE_SAVE, L"Save");
  AppendMenuW(file, MF_STRING, IDM_FILE_PRINT, L"Print");
  AppendMenuW(file, MF_STRING, IDM_FILE_EXIT, L"Exit");
  AppendMenuW(bar, MF_POPUP, UINT_PTR(file), L"File");
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, IDM_EDIT_UNDO, L"Undo");
  AppendMenuW(edit, MF_STRING, IDM_TRANSPOSE, L"Transpose");
  AppendMenuW(edit, MF_STRING, IDM_BARLINE_FIRST, L"Barline");
  AppendMenuW(edit, MF_STRING, IDM_VIEW_BAD_TIMING, L"Bad Timing");
  AppendMenuW(bar, MF_POPUP, UINT_PTR(edit), L"Edit");
  return bar;
}

class FrameProcedureTest : public FrameFixture {
 protected:
  void SetUp() override {
    ScorePages = ScorePageList{};
    OpenFrame(kClassName, TestMenuBar());
  }
  void TearDown() override {
    CloseFrame();
    ReadingFlags().readingInProgress = 0;
    ScorePages = ScorePageList{};
    ResetScoreFileHooks();
    CurrentScoreFileHooks().setScoreSaved(1);
    RestoreWindowsAndSettings();
  }
  UINT StateOf(int id) { return GetMenuState(GetMenu(frame_), UINT(id), MF_BYCOMMAND); }
  bool Grey(int id) { return (StateOf(id) & MF_GRAYED) != 0; }
  void ModifiedScore() {
    ScorePages.count = 1;
    ScorePages.current = 1;
    CurrentScoreFileHooks().setScoreSaved(0);
  }
};

TEST_F(FrameProcedureTest, CreatesTheMdiClientAndMarksTheViewSlots) {
  EXPECT_TRUE(IsWindow(Windows().mdiClient));
  EXPECT_EQ(Windows().scoreView, ViewMark(kScoreViewMark));
  EXPECT_EQ(Windows().pageView, ViewMark(kPageViewMark));
}

TEST_F(FrameProcedureTest, MenuStatesGreyWhatCannotRun) {
  SendMessageW(frame_, WM_INITMENUPOPUP, WPARAM(GetSubMenu(GetMenu(frame_), 0)), 0);
  EXPECT_FALSE(Grey(IDM_FILE_OPEN));
  EXPECT_FALSE(Grey(IDM_FILE_EXIT));
  EXPECT_FALSE(Grey(IDM_VIEW_BAD_TIMING));
  EXPECT_TRUE(Grey(IDM_FILE_SAVE)) << "no score";
  EXPECT_TRUE(Grey(IDM_FILE_PRINT)) << "no handler";
  EXPECT_TRUE(Grey(IDM_TRANSPOSE)) << "no handler";
  EXPECT_TRUE(Grey(IDM_BARLINE_FIRST)) << "editor not there";
  EXPECT_TRUE(Grey(IDM_EDIT_UNDO)) << "no document";
}

TEST_F(FrameProcedureTest, RecentFilesGoBeforeExitWithASeparator) {
  Global().recentFileCount = 2;
  std::u16string a = u"C:\\Scores\\Sonata.opt", b = u"C:\\Scans\\page.tif";
  std::copy(a.begin(), a.end(), Global().recentFiles[0]);
  std::copy(b.begin(), b.end(), Global().recentFiles[1]);
  for (int pass = 0; pass < 2; ++pass) SendMessageW(frame_, WM_INITMENUPOPUP, 0, 0);
  HMENU file = GetSubMenu(GetMenu(frame_), 0);
  ASSERT_EQ(GetMenuItemCount(file), 7) << "two passes insert the items once";
  EXPECT_EQ(GetMenuItemID(file, 3), UINT(IDM_RECENT_FILE_FIRST));
  EXPECT_EQ(GetMenuItemID(file, 4), UINT(IDM_RECENT_FILE_FIRST + 1));
  EXPECT_EQ(GetMenuItemID(file, 6), UINT(IDM_FILE_EXIT));
  wchar_t text[64] = {};
  GetMenuStringW(file, 3, text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"1 Sonata.opt");
}

TEST_F(FrameProcedureTest, CloseCancelledKeepsTheFrame) {
  ModifiedScore();
  BoxRecorder boxes;
  boxes.QueueAnswer(IDCANCEL);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame_));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10076));
  EXPECT_EQ(boxes.Boxes()[0].caption, UiText(10075));
}

TEST_F(FrameProcedureTest, CloseWithYesStaysWhenTheSaveFails) {
  ModifiedScore();
  // Save writes to the score's own path, which cannot be written.
  Global().saveFilter = 1;
  std::u16string path = u"C:\no such folder here\score.opt";
  std::copy(path.begin(), path.end(), CurrentScore.path);
  CurrentScore.path[path.size()] = 0;
  BoxRecorder boxes;
  boxes.QueueAnswer(IDYES);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  CurrentScore.path[0] = 0;
  EXPECT_TRUE(IsWindow(frame_));
  EXPECT_FALSE(Frame().savePrompted);
  EXPECT_GE(boxes.Boxes().size(), 2u) << "the question and the failed save";
}

// Save keeps the work in the score file whatever type Save As used last:
// an export type left in the settings (an earlier run's MusicXML or NIFF
// export) does not turn Save into an export.
TEST_F(FrameProcedureTest, SaveWritesTheScoreFileWhateverTypeSaveAsUsedLast) {
  ScratchFolder folder;
  const std::u16string path = folder.File(u"score.opt");
  const std::string magic = "Vadoruvi";
  for (int lastType : {0, 1, 2, 3, 4, 5, 9}) {
    SCOPED_TRACE(lastType);
    ModifiedScore();
    Global().saveFilter = uint8_t(lastType);
    std::copy(path.begin(), path.end(), CurrentScore.path);
    CurrentScore.path[path.size()] = 0;
    DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str()));
    BoxRecorder boxes;
    SendMessageW(frame_, WM_COMMAND, IDM_FILE_SAVE, 0);
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), magic.size() + 1);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + long(magic.size())), magic);
    EXPECT_EQ(CurrentScoreFileHooks().isScoreSaved(), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Global().saveFilter, lastType) << "Save chooses no type";
  }
  CurrentScore.path[0] = 0;
}

TEST_F(FrameProcedureTest, CloseWithNoEndsTheFrameAndAsksOnce) {
  ModifiedScore();
  BoxRecorder boxes;
  boxes.QueueAnswer(IDNO);
  EXPECT_EQ(SendMessageW(frame_, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(IsWindow(frame_)) << "asking tears nothing down";
  EXPECT_EQ(SendMessageW(frame_, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  SendMessageW(frame_, WM_ENDSESSION, FALSE, 0);  // the session goes on
  boxes.QueueAnswer(IDNO);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  EXPECT_EQ(boxes.Boxes().size(), 2u) << "asked again after the session went on";
  EXPECT_FALSE(IsWindow(frame_));
}

TEST_F(FrameProcedureTest, SavedScoreClosesWithoutAQuestion) {
  BoxRecorder boxes;
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(frame_));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FrameProcedureTest, ReadingRefusesCloseUntilTheEngineStops) {
  ModifiedScore();
  ReadingFlags().readingInProgress = 1;
  BoxRecorder boxes;
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame_));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(11540));
  EXPECT_EQ(SendMessageW(frame_, kEngineFailedMessage, 0, 0), 1);
  EXPECT_EQ(boxes.Boxes().back().text, UiText(11542));
  EXPECT_EQ(ReadingFlags().readingInProgress, 0u);
  boxes.QueueAnswer(IDNO);
  SendMessageW(frame_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(frame_));
}

TEST_F(FrameProcedureTest, CommandsWithoutHandlerOrOutsideTheTableDoNothing) {
  BoxRecorder boxes;
  for (int id : {IDM_FILE_PRINT, IDM_TRANSPOSE, IDM_DELETE_SCORE, IDM_EDIT_UNDO, IDM_BARLINE_LAST, 12, 3,
                 IDM_RECENT_FILE_LAST, IDM_PLAY_STOP, IDM_ZOOM_IN}) {
    SendMessageW(frame_, WM_COMMAND, WPARAM(id), 0);
  }
  EXPECT_TRUE(IsWindow(frame_));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FrameProcedureTest, ViewToggleFlipsItsSettingAndCheckMark) {
  Global().showBadTiming = false;
  SendMessageW(frame_, WM_COMMAND, IDM_VIEW_BAD_TIMING, 0);
  EXPECT_TRUE(Global().showBadTiming);
  EXPECT_TRUE(StateOf(IDM_VIEW_BAD_TIMING) & MF_CHECKED);
  SendMessageW(frame_, WM_COMMAND, IDM_VIEW_BAD_TIMING, 0);
  EXPECT_FALSE(Global().showBadTiming);
  EXPECT_FALSE(StateOf(IDM_VIEW_BAD_TIMING) & MF_CHECKED);
}

TEST_F(FrameProcedureTest, OtherTimersDoNotStartReading) {
  SendMessageW(frame_, WM_TIMER, 1234, 0);
  SendMessageW(frame_, WM_APP + 5, 0, 0);
  EXPECT_TRUE(IsWindow(frame_));
}

}  // namespace

TEST_F(FrameProcedureTest, PanesEndAboveTheStatusBar) {
  ShowWindow(frame_, SW_SHOWNORMAL);
  SetWindowPos(frame_, nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER);
  RECT status{}, client{};
  ASSERT_TRUE(GetWindowRect(Windows().status, &status));
  ASSERT_TRUE(GetWindowRect(Windows().mdiClient, &client));
  EXPECT_GT(status.bottom - status.top, 0);
  EXPECT_LE(client.bottom, status.top);
}
