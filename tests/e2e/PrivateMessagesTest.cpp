// The frame's private messages (from the scanner glue, the reading pipeline
// and the engine) and stray timers, posted with nothing open.
#include <windows.h>

#include <string>

#include "tests/e2e/ProgramCase.h"

namespace {

constexpr unsigned kSeriousError = 11542;
constexpr UINT kEngineFailed = WM_APP + 13;
constexpr UINT_PTR kStrayTimerId = 1234;

}  // namespace

TEST_F(ProgramCase, PrivateMessagesWithNothingOpenDoNoHarm) {
  ASSERT_TRUE(StartQuietly());
  for (UINT message = WM_APP; message < kEngineFailed; ++message) {
    SCOPED_TRACE("message WM_APP+" + std::to_string(message - WM_APP));
    ASSERT_TRUE(program.PostToFrame(message));
    ASSERT_TRUE(program.StaysQuiet(150));
  }
  // A timer that is not the reading timer starts nothing.
  ASSERT_TRUE(program.PostToFrame(WM_TIMER, kStrayTimerId));
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(ProgramCase, EngineFailureIsReportedAndTheProgramCanExit) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(program.PostToFrame(kEngineFailed));
  ASSERT_TRUE(program.AnswerBox({kSeriousError, IDOK}));
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitCleanly());
}
