// A score made by reading a page is work the user has not saved: File > Exit
// asks to save it (Cancel keeps the program and the score, No exits and
// removes the automatic backup), and a run that is killed after the read
// leaves the backup, which the next start offers.
#include <windows.h>

#include "ResourceIds.h"
#include "score/ScoreFile.h"
#include "tests/e2e/ProgramCase.h"

TEST_F(ProgramCase, ExitAfterAPageWasReadAsksToSaveTheScore) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"exitquestion"));
  EXPECT_TRUE(PagesFileExists(kBackupFileName)) << "the merge writes the automatic backup";

  ASSERT_TRUE(program.PostCommand(IDM_FILE_EXIT));
  ASSERT_TRUE(program.AnswerBox({kSaveQuestion, IDCANCEL}));
  ASSERT_TRUE(program.StaysQuiet(1000)) << "Cancel keeps the program";
  // The score is kept, still unsaved: the next Exit asks again.
  ASSERT_TRUE(ExitDiscardingChanges());
  EXPECT_FALSE(PagesFileExists(kBackupFileName)) << "a normal exit removes the backup";
}

TEST_F(ProgramCase, AKilledRunLeavesTheBackupOfTheReadScoreForTheNextStart) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"killedrun"));
  ASSERT_TRUE(program.WaitUntil([] { return PagesFileExists(kBackupFileName); }, "the automatic backup", 10000));
  program.Kill();
  ASSERT_TRUE(PagesFileExists(kBackupFileName));

  ASSERT_TRUE(program.Start());
  ASSERT_TRUE(program.AnswerBox({kBackupQuestion, IDYES}));
  ASSERT_TRUE(program.WaitForFrame());
  // The restored score is unsaved work again.
  ASSERT_TRUE(ExitDiscardingChanges());
}
