// The frame's keys, typed as a user types them: the key strokes enter the
// program's input queue (SendInput with the frame in front), so its message
// loop meets them and translates them with the frame's accelerator table.
#include <windows.h>

#include "ResourceIds.h"
#include "tests/e2e/ProgramCase.h"

namespace {

constexpr int kOpenTypes = 5;
constexpr int kScoreFileTypes = 3;

class Accelerators : public ProgramCase {
 protected:
  // Brings the frame to the front and types modifier + key there.
  bool Press(WORD modifier, WORD key) {
    if (!FrameInFront()) return false;
    INPUT strokes[] = {KeyStroke(modifier, false), KeyStroke(key, false), KeyStroke(key, true),
                       KeyStroke(modifier, true)};
    return SendInput(4, strokes, sizeof(INPUT)) == 4;
  }
};

}  // namespace

TEST_F(Accelerators, CtrlOOpensTheOpenDialogWithEveryType) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(Press(VK_CONTROL, 'O'));
  HWND dialog = program.WaitForDialog(kAnswerTimeoutMs);
  ASSERT_NE(dialog, nullptr) << "Ctrl+O is File > Open";
  EXPECT_EQ(TypeCount(dialog), kOpenTypes);
  ASSERT_TRUE(program.CloseDialog());
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(Accelerators, CtrlSAsksWhereToSaveAScoreWithoutAFile) {
  ASSERT_TRUE(StartWithModifiedScore());
  ASSERT_TRUE(Press(VK_CONTROL, 'S'));
  HWND dialog = program.WaitForDialog(kAnswerTimeoutMs);
  ASSERT_NE(dialog, nullptr) << "Ctrl+S is File > Save";
  EXPECT_EQ(TypeCount(dialog), kScoreFileTypes);
  ASSERT_TRUE(program.CloseDialog());
  ASSERT_TRUE(CloseDiscardingChanges());
}

TEST_F(Accelerators, AltF4Exits) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(Press(VK_MENU, VK_F4));
  ASSERT_TRUE(EndsWithExitCodeZero(program));
}

TEST_F(Accelerators, CtrlEClosesAndOpensThePagesPane) {
  ASSERT_TRUE(StartQuietly());
  HWND pane = PagesPaneOf(program.FrameWindow());
  ASSERT_NE(pane, nullptr);
  auto paneWidth = [pane] {
    RECT r{};
    GetWindowRect(pane, &r);
    return int(r.right - r.left);
  };
  ASSERT_GT(paneWidth(), 4);
  ASSERT_TRUE(Press(VK_CONTROL, 'E'));
  EXPECT_TRUE(program.WaitUntil([&] { return paneWidth() == 4; }, "the pane closed to its edge", kAnswerTimeoutMs));
  ASSERT_TRUE(Press(VK_CONTROL, 'E'));
  EXPECT_TRUE(program.WaitUntil([&] { return paneWidth() == 260; }, "the pane opened again", kAnswerTimeoutMs));
  ASSERT_TRUE(ExitCleanly());
}
