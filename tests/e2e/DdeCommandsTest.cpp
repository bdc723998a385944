// What the DDE server takes and what it refuses, seen from a client.
#include <windows.h>

#include <string>

#include "pages/SpriteStrings.h"
#include "tests/e2e/ProgramCase.h"

namespace {

constexpr unsigned kPrintNotice = 10172;

struct CommandCase {
  const char* command;
  ExecuteResult expected;
};

// Commands on "System" that the program opens nothing for (the accepted one
// names a file that is not there).
const CommandCase kSystemCommands[] = {
    {"[open(\"C:\\e2e-files\\plain.txt\")]", ExecuteResult::kAccepted},
    {"[open(C:\\e2e-files\\unquoted.tif)]", ExecuteResult::kRefused},
    {"[open(\"C:\\e2e-files\\unended.tif\")", ExecuteResult::kRefused},
    {"[open(\"\")]", ExecuteResult::kRefused},
    {"[open(\"C:\\e2e-files\\two\"quotes.tif\")]", ExecuteResult::kRefused},
    {"Activate", ExecuteResult::kRefused},
    {"[close()]", ExecuteResult::kRefused},
    {"", ExecuteResult::kRefused},
};

}  // namespace

TEST_F(ProgramCase, SystemTopicTakesOnlyWellFormedCommands) {
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  for (const CommandCase& c : kSystemCommands) {
    EXPECT_EQ(dde.Execute(c.command), c.expected) << c.command;
  }
  // A path as long as the command buffer allows is refused, not cut.
  EXPECT_EQ(dde.Execute("[open(\"C:\\" + std::string(600, 'a') + ".tif\")]"), ExecuteResult::kRefused);
  // The one accepted path names no file that is there: it is said so.
  ASSERT_TRUE(program.AnswerBox({kStrFileMissing, IDOK}));
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(ProgramCase, PrintRequestTellsHowToPrint) {
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  EXPECT_EQ(dde.Execute("[print(\"C:\\e2e-files\\score.opt\")]"), ExecuteResult::kAccepted);
  ASSERT_TRUE(program.AnswerBox({kPrintNotice, IDOK}));
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(ProgramCase, ActivateTopicTakesOnlyActivate) {
  ASSERT_TRUE(StartQuietly());
  DdeClient activate;
  ASSERT_TRUE(activate.Connect("Korvalinde", "Activate", kStartTimeoutMs));
  EXPECT_EQ(activate.Execute("Activate"), ExecuteResult::kAccepted);
  EXPECT_EQ(activate.Execute("[open(\"C:\\e2e-files\\plain.txt\")]"), ExecuteResult::kRefused);
  DdeClient other;
  EXPECT_FALSE(other.Connect("Korvalinde", "Other", 1000)) << "an unknown topic is refused";
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitCleanly());
}
