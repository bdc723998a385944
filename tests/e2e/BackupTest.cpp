// The automatic backup left by an earlier run: offered at start, restored on
// Yes, deleted on No.
#include <windows.h>

#include "ResourceIds.h"
#include "score/ScoreFile.h"
#include "tests/e2e/ProgramCase.h"

namespace {

constexpr char16_t kSvBackupName[] = u"_SVBackupFile_";

}  // namespace

TEST_F(ProgramCase, BackupIsOfferedAndRestoredOnYes) {
  ASSERT_TRUE(SeedBackup(kBackupFileName));
  ASSERT_TRUE(program.Start());
  ASSERT_TRUE(program.AnswerBox({kBackupQuestion, IDYES}));
  ASSERT_TRUE(program.WaitForFrame());
  EXPECT_TRUE(PagesFileExists(kBackupFileName)) << "a restored backup stays until a normal exit";
  // The restored score counts as modified: closing asks to save it.
  ASSERT_TRUE(CloseDiscardingChanges());
  EXPECT_FALSE(PagesFileExists(kBackupFileName)) << "a normal exit removes the backup";
}

TEST_F(ProgramCase, OnlyTheSecondBackupIsOfferedAndRestoredOnYes) {
  ASSERT_TRUE(SeedBackup(kSvBackupName));
  ASSERT_TRUE(program.Start());
  ASSERT_TRUE(program.AnswerBox({kBackupQuestion, IDYES}));
  ASSERT_TRUE(program.WaitForFrame());
  ASSERT_TRUE(CloseDiscardingChanges()) << "the restored score is modified";
}

TEST_F(ProgramCase, NoDeletesBothBackupsAtOnce) {
  ASSERT_TRUE(SeedBackup(kBackupFileName));
  ASSERT_TRUE(SeedBackup(kSvBackupName));
  ASSERT_TRUE(program.Start());
  ASSERT_TRUE(program.AnswerBox({kBackupQuestion, IDNO}));
  ASSERT_TRUE(program.WaitForFrame());
  EXPECT_FALSE(PagesFileExists(kBackupFileName));
  EXPECT_FALSE(PagesFileExists(kSvBackupName));
  ASSERT_TRUE(ExitCleanly()) << "nothing to save after declining the backup";
}
