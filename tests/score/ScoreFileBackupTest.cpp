// The automatic backup: forced after a score file was opened, otherwise only
// when due; it holds the score and its pages' data.
#include "score/ScoreFileBackup.h"
#include "tests/score/ScoreFileFixture.h"

namespace scorefile_test {
namespace {

class ScoreFileBackupTest : public ScoreFileTest {
 protected:
  std::u16string BackupPath() const { return PagePath(kBackupFileName); }
};

TEST_F(ScoreFileBackupTest, OpeningAScoreFileWritesTheBackupOfIt) {
  ASSERT_EQ(WriteScoreFile(ScorePath().c_str(), 0, kTargetScore, 0, 0, 0), 1);
  ASSERT_EQ(ReadScoreFile(ScorePath().c_str(), 0, 0), 1);
  AfterScoreFileOpened();
  const Bytes backup = ReadBytes(BackupPath());
  ASSERT_GT(backup.size(), 7u);
  EXPECT_EQ(Bytes(backup.begin(), backup.begin() + 7), (Bytes{'B', 'a', 'c', 'k', 'u', 'p', 0}));
  EXPECT_TRUE(boxes_.Boxes().empty());

  // Read back as the backup, it is the same score with the same page data.
  platform::RemoveFile(PagePath(u"TDir0000/Data0005").c_str());
  ResetScoreContent();
  ASSERT_EQ(ReadScoreFile(BackupPath().c_str(), 0, 1), 1);
  EXPECT_EQ(ScoreStreamBytes(1), Stream(Slot1Items(), kV5));
  EXPECT_EQ(ScorePages.count, 2);
  EXPECT_EQ(ReadBytes(PagePath(u"TDir0000/Data0005")), PageOneData());
}

TEST_F(ScoreFileBackupTest, AnUnforcedBackupWaitsForThePeriodAndAnEmptyScoreHasNone) {
  ASSERT_EQ(AutoSaveBackup(1), 1);
  platform::RemoveFile(BackupPath().c_str());
  // The "Auto save period" (5 minutes) has not passed since.
  EXPECT_EQ(AutoSaveBackup(0), 0);
  EXPECT_FALSE(Exists(BackupPath()));

  ScorePages.count = 0;
  EXPECT_EQ(AutoSaveBackup(1), 0);
  EXPECT_FALSE(Exists(BackupPath()));
  // The score was not touched by the backups.
  EXPECT_TRUE(log_.recentFiles.empty());
  EXPECT_TRUE(log_.savedCalls.empty());
}

}  // namespace
}  // namespace scorefile_test
