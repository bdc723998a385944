// Editing a read score in the score window: a click selects the note under
// the pointer, Delete removes it, Edit > Undo brings it back.
#include <windows.h>

#include "ResourceIds.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  return parent ? FindWindowExW(parent, nullptr, className, nullptr) : nullptr;
}

HWND ScoreView(ProgramUnderTest& program) {
  HWND client = ChildOfClass(program.FrameWindow(), L"MDIClient");
  return ChildOfClass(ChildOfClass(client, L"OutputM"), L"Output");
}

}  // namespace

TEST_F(ProgramCase, AClickSelectsDeleteRemovesAndUndoRestoresANote) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"editing"));
  HWND view = nullptr;
  ASSERT_TRUE(program.WaitUntil([&] { return (view = ScoreView(program)) != nullptr; }, "the score window", 10000));
  ASSERT_TRUE(program.StaysQuiet(300));
  const PngImage read = CaptureWindow(program.FrameWindow());
  // The first note of bar 5, where the frame's picture "score-frame-read" shows it.
  RECT frame{};
  GetWindowRect(program.FrameWindow(), &frame);
  POINT note{frame.left + 403, frame.top + 530};
  ScreenToClient(view, &note);
  PostMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(note.x, note.y));
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(note.x, note.y));
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(note.x, note.y));
  ASSERT_TRUE(program.StaysQuiet(500));
  const PngImage selected = CaptureWindow(program.FrameWindow());
  EXPECT_NE(selected.pixels, read.pixels) << "the selected note is marked";
  // The grey Delete key (extended).
  PostMessageW(view, WM_KEYDOWN, VK_DELETE, LPARAM(1) | LPARAM(1) << 24);
  ASSERT_TRUE(program.StaysQuiet(500));
  const PngImage deleted = CaptureWindow(program.FrameWindow());
  EXPECT_NE(deleted.pixels, selected.pixels) << "the note is gone";
  ASSERT_TRUE(program.PostCommand(IDM_EDIT_UNDO));
  ASSERT_TRUE(program.StaysQuiet(800));
  const PngImage undone = CaptureWindow(program.FrameWindow());
  EXPECT_EQ(undone.pixels, selected.pixels) << "the note and its selection are back";
  ASSERT_TRUE(ExitDiscardingChanges());
}
