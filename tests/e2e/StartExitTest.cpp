// Starting the program and ending it.
#include <windows.h>

#include "ResourceIds.h"
#include "pages/PageTable.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"

TEST_F(ProgramCase, StartsAndExitsCleanly) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
  EXPECT_TRUE(PagesFileExists(kPageIndexName)) << "the page store is set up and its index written";
  EXPECT_EQ(PagesNamed(u""), 0) << "a fresh page store holds no page";
}

// The frame as a user first sees it: menu, toolbar, the empty client area
// and the status bar with its three fields.
TEST_F(ProgramCase, StartedFrameLooksAsReviewed) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.StaysQuiet(300));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-started");
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(ProgramCase, CloseWithNothingOpenEndsTheProgram) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.PostToFrame(WM_CLOSE));
  ASSERT_TRUE(EndsWithExitCodeZero(program));
}

TEST_F(ProgramCase, SecondStartFindsTheFirstRunsState) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ExitCleanly());
  ProgramUnderTest again;
  ASSERT_TRUE(again.Start());
  ASSERT_TRUE(again.WaitForFrame());
  ASSERT_TRUE(again.StaysQuiet(300));
  ASSERT_TRUE(again.PostCommand(IDM_FILE_EXIT));
  ASSERT_TRUE(EndsWithExitCodeZero(again));
}
