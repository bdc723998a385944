// Closing the frame and ending the session while the score is modified.
#include <windows.h>

#include "tests/e2e/ProgramCase.h"

TEST_F(ProgramCase, CloseWithAModifiedScoreStaysWhenTheSaveIsCancelled) {
  ASSERT_TRUE(StartWithModifiedScore());
  ASSERT_TRUE(program.PostToFrame(WM_CLOSE));
  ASSERT_TRUE(program.AnswerBox({kSaveQuestion, IDCANCEL}));
  ASSERT_TRUE(program.StaysQuiet(1000));
  // Asked again, since the first question was cancelled.
  ASSERT_TRUE(CloseDiscardingChanges());
}

// The end-of-session query only asks; a session that goes on leaves the
// program as it was, and the next close asks again.
TEST_F(ProgramCase, SessionQueryOnlyAsks) {
  ASSERT_TRUE(StartWithModifiedScore());
  ASSERT_TRUE(program.PostToFrame(WM_QUERYENDSESSION));
  ASSERT_TRUE(program.AnswerBox({kSaveQuestion, IDNO}));
  ASSERT_TRUE(program.StaysQuiet(500)) << "the query tears nothing down";
  ASSERT_TRUE(program.PostToFrame(WM_ENDSESSION, FALSE));
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(CloseDiscardingChanges());
}
