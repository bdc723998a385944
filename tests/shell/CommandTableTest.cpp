#include <gtest/gtest.h>

#include "resources/ResourceIds.h"
#include "reading/FileOpenerHooks.h"
#include "shell/CommandTable.h"
#include "shell/ShellServices.h"

namespace {

class CommandTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetShellServices();
    ResetFileOpenerHooks();
  }
};

TEST_F(CommandTableTest, IdsOutsideTheTableAreNotTheFrames) {
  for (int id : {0, 1, 2, 12, 50000, 52007, 53017, 54009, 55010, 60000, 65535}) {
    EXPECT_EQ(FindCommand(id), nullptr) << id;
    EXPECT_FALSE(CommandHasHandler(id)) << id;
  }
}

TEST_F(CommandTableTest, CommandsWithoutAnyHandlerStayDisabled) {
  for (int id : {IDM_FILE_PRINT, IDM_TRANSPOSE, IDM_DELETE_SCORE}) {
    ASSERT_NE(FindCommand(id), nullptr) << id;
    EXPECT_EQ(FindCommand(id)->handler, CommandHandler::None) << id;
    EXPECT_FALSE(CommandHasHandler(id)) << id;
  }
}

TEST_F(CommandTableTest, FrameCommandsAlwaysRun) {
  for (int id : {IDM_FILE_OPEN, IDM_FILE_SAVE, IDM_FILE_SAVE_AS, IDM_FILE_CLOSE, IDM_FILE_EXIT,
                 IDM_WINDOW_CASCADE, IDM_WINDOW_CLOSE_ALL, IDM_VIEW_BAD_TIMING, IDM_RECENT_FILE_FIRST,
                 IDM_RECENT_FILE_LAST, IDM_HELP_HELP}) {
    EXPECT_TRUE(CommandHasHandler(id)) << id;
  }
}

TEST_F(CommandTableTest, ServiceCommandsRunOnceTheirServiceIsThere) {
  for (int id : {IDM_BARLINE_FIRST, IDM_BARLINE_LAST, IDM_EDIT_UNDO, IDM_EDIT_DELETE, IDM_ZOOM_IN, IDM_PLAY_STOP,
                 IDM_CREATE_MINOR_KEY_FIRST, IDM_VIEW_TOGGLE_PAGES_PANE}) {
    EXPECT_FALSE(CommandHasHandler(id)) << id;
  }
  ShellServices services{};
  services.applyBarlineChoice = [](int) {};
  services.editorKey = [](int) {};
  SetShellServices(services);
  EXPECT_TRUE(CommandHasHandler(IDM_BARLINE_LAST));
  EXPECT_TRUE(CommandHasHandler(IDM_EDIT_UNDO));
  EXPECT_TRUE(CommandHasHandler(IDM_EDIT_DELETE));
  EXPECT_FALSE(CommandHasHandler(IDM_ZOOM_IN));
}

TEST_F(CommandTableTest, OpenPdfsRunsOnlyWithAPdfPageLoader) {
  EXPECT_FALSE(CommandHasHandler(IDM_FILE_OPEN_PDFS));
  FileOpenerHooks hooks{};
  hooks.openPdf = [](const char16_t*) { return 0; };
  SetFileOpenerHooks(hooks);
  EXPECT_TRUE(CommandHasHandler(IDM_FILE_OPEN_PDFS));
  ResetFileOpenerHooks();
  EXPECT_FALSE(CommandHasHandler(IDM_FILE_OPEN_PDFS));
}

TEST_F(CommandTableTest, RangesDoNotOverlap) {
  int count = 0;
  const CommandEntry* entries = CommandEntries(&count);
  for (int i = 0; i < count; ++i) {
    EXPECT_LE(entries[i].first, entries[i].last);
    for (int j = i + 1; j < count; ++j) {
      EXPECT_TRUE(entries[i].last < entries[j].first || entries[j].last < entries[i].first) << entries[i].first;
    }
  }
}

}  // namespace
